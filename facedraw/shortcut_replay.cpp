#include "facedraw/shortcut_replay.h"
namespace vizmark {
void ReplayFilterShortCut() {}
}  // namespace vizmark
