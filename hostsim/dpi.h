// Pixels per inch for hostsim: it runs aware of them, as the mail client does, and a test or
// the demo may ask for a given number.
#pragma once

namespace hostsim {

// Tells Windows that this process draws at the monitor's pixels per inch itself: per monitor
// (version 2, else 1) where Windows has it, else for the whole system. Windows of the process
// made afterwards get the monitor's pixels per inch. False when no way was offered.
bool BecomeDpiAware();

// The pixels per inch of the whole system (the primary monitor's, on Windows).
int SystemDpi();

// The pixels per inch that a new window of this thread gets.
int NewWindowDpi();

// Makes the windows this thread makes from now on get the system's pixels per inch, where
// the monitor's differ: Wine 10 gives a window aware of each monitor 96 whatever the
// prefix's setting, where Windows gives the primary monitor's, the system's. False when the
// windows still get another number.
bool UseSystemDpiForNewWindows();

// Whether this is Wine rather than Windows.
bool RunningOnWine();

// Wine's setting of the screen's pixels per inch for the prefix (HKCU\Control Panel\Desktop,
// "LogPixels", and its copy for the hardware profile), read when a process starts; 0 when it
// is not set. SetWineDpi(0) removes it. Windows reads its own setting only when the user logs
// on; there, nothing is changed.
int WineDpi();
bool SetWineDpi(int dpi);

}  // namespace hostsim
