// TEMPORARY stand-in until the real replay lands from the cfg branch.
#pragma once
namespace vizmark {
void ReplayFilterShortCut();
}
