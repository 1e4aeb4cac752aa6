// Our procedure in front of a window of the host's: every message is passed on to the
// procedure it replaced, in the window's own character set (a Unicode window stays
// Unicode), and a behaviour may act on the few messages it asks for.
//
// The module must never be unmapped while code of ours can still run: a frame of our
// procedure on some stack, our procedure left on a window under someone else's subclass, or
// a message already on its way into it. Where taking ours off cannot rule these out, the
// module is pinned (it then stays loaded until the process ends).
#pragma once

#include <windows.h>

namespace vizmark {

// What a subclass does beside passing messages on: for the (at most three) messages it
// names, `take` may claim one as ours (true: neither the window's own procedure nor `after`
// sees it, and its result is 0), `before` runs ahead of the window's own procedure and
// `after` once it has returned. Any may be none. They run on the window's thread; whatever
// they throw is caught and traced (a message whose `take` threw goes on to the window).
// Every other message goes through untouched, at no more cost than a few compares.
struct SubclassBehaviour {
  UINT messages[3];
  void (*before)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void (*after)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool (*take)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// Puts our procedure on `window` with `behaviour`. The procedure it replaces is stored
// before ours can be called. Where ours is already there (a second user of the same window,
// or a pass-through left from before) it takes that one over and counts one more user.
// False when the window cannot be subclassed, or already serves another behaviour.
bool AttachSubclass(HWND window, const SubclassBehaviour* behaviour);

// One user fewer; with none left, the behaviour stops and the window's procedure goes back
// to the one ours replaced, if ours is still the window's procedure. Where another subclass
// was put on top of ours, ours stays as a pass-through and the module is pinned.
void DetachSubclass(HWND window);

// Before the module may be unloaded, after every subclass was detached: waits until no
// message can still be entering our procedure on another thread's window, and pins the
// module when a frame of ours is still live (shut-down from inside our procedure, or while
// another thread is in it) or a pass-through remains. Returns whether the module is pinned.
bool SettleSubclasses();

// The procedure itself, for tests that look at a window's procedure.
LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vizmark
