#include "facedraw/shortcut_replay.h"

#include <windows.h>

#include "shortcut/filter_shortcut.h"
#include "shortcut/key_events.h"

namespace vizmark {

void ReplayFilterShortCut() {
  for (const KeyEvent& event : ShortCutKeyEvents(FilterShortCut.load()))
    keybd_event(
        event.virtual_key, 0,
        (event.release ? KEYEVENTF_KEYUP : 0) | (event.extended ? KEYEVENTF_EXTENDEDKEY : 0), 0);
}

}  // namespace vizmark
