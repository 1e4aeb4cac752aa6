// Replaying the filter's shortcut as key presses, so that the host runs the filter.
//
// A replay is asked for on the host's thread (the list's timer) or on the attaching thread,
// and sent by a thread of ours: only while the top-level window holding the message list is
// the foreground window, not minimised, and no modifier key is held down. So the keys never
// reach another program, our own dialog or another window of the host, and never mix with
// keys the user is holding. Asking returns at once; asking again while a replay waits makes
// no second one: it only names the list again and starts the wait for held keys anew.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vizmark {

// Asks for g_filter_shortcut, as it is when the keys go, to be typed into `list`'s top-level
// window. A replay held back while another window has the foreground waits until the list's
// window comes back; one held back by a modifier key is dropped after 5 s (counted from the
// latest request, or from the window's return). Nothing when g_filter_shortcut is 0 or replays are
// stopped.
void ReplayFilterShortcut(HWND list);

// Types `shortcut` into whatever has the keyboard focus now: all its presses and releases
// as one piece of input, which nothing else comes between. False (and traced) when the
// system did not take them.
bool SendShortcutKeys(uint16_t shortcut);

// Stopped, replays are refused until allowed again (start-up allows them).
void AllowShortcutReplay();
// Drops a replay still waiting, refuses new ones, and returns once the thread that sends
// them has ended: no key is sent after this.
void StopShortcutReplay();

// Whether a replay waits or is being sent.
bool ShortcutReplayBusy();

}  // namespace vizmark
