// Replaying the filter's shortcut as key presses, so that the host runs the filter.
#pragma once

namespace vizmark {

// Sends FilterShortCut, as it is at the moment of the call, to whatever has the focus.
void ReplayFilterShortCut();

}  // namespace vizmark
