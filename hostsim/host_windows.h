// The mail client's windows, as far as the plug-in sees them: a main window "TMailerForm"
// holding a header panel "TAddressGrid" and a message list "TMessageListView", with the
// list's selection timers 10 and 11 and a read-mail filter started by a keyboard shortcut.
// Like the mail client (a Unicode Delphi program), its classes, windows and message loop are
// Unicode unless asked otherwise.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hostsim/host_state.h"
#include "hostsim/plugin_module.h"

namespace hostsim {

class HostWindows {
 public:
  struct Options {
    int width = 640;
    int height = 400;
    int header_height = 120;
    int header_width = 0;  // 0: the main window's client width
    bool with_list = true;
    bool with_header = true;
    // The classes registered and the windows made with the W functions, or with the A ones.
    // A process has one kind at a time: a class is registered anew for the other kind once
    // no window of the first is left (with one left, the constructor throws).
    bool unicode = true;
    // The pixels per inch the sizes above, the places of the texts and the fonts are made for:
    // given at 96, drawn scaled by dpi / 96 (the window's own, for a program aware of them).
    int dpi = 96;
  };

  // What reached the panel's or the list's own procedure, as UTF-16 whatever the kind of
  // window.
  struct ReceivedText {
    std::wstring chars;               // WM_CHAR code units, in order
    std::vector<std::wstring> texts;  // WM_SETTEXT texts, in order
  };

  // Creates and shows the windows on the calling thread, which must pump their messages.
  HostWindows(HostState* state, const PluginModule* plugin, Options options);
  HostWindows(HostState* state, const PluginModule* plugin)
      : HostWindows(state, plugin, Options{}) {}
  ~HostWindows();
  HostWindows(const HostWindows&) = delete;
  HostWindows& operator=(const HostWindows&) = delete;

  bool unicode() const { return unicode_; }
  HWND main() const { return main_; }
  HWND header() const { return header_; }
  HWND list() const { return list_; }

  // The read-mail filter: started by `shortcut` (g_filter_shortcut numbering: key in bits
  // 0-12, Shift 0x2000, Ctrl 0x4000, Alt 0x8000), it runs `filter_template`.
  void SetFilter(uint16_t shortcut, std::string filter_template);
  // What each run of the filter expanded to, in order.
  const std::vector<std::string>& filter_runs() const { return filter_runs_; }

  // Moves to a message with this "X-Face" header (empty: none), as the user does: the
  // list starts its timers 10 and 11.
  void SelectMessage(const std::string& xface);

  // Gives the list the keyboard focus and the main window the foreground.
  void Focus();
  // Minimises the main window, as the user does (or a start at login, to the tray): another
  // window gets the foreground.
  void Minimize();
  // Restores the main window from its minimised state and then Focus().
  void Restore();

  // Timer messages that reached the host's own list procedure, by identifier.
  const std::vector<UINT_PTR>& list_timers() const { return list_timers_; }
  int header_paints() const { return header_paints_; }
  // Double-clicks that reached the host's own panel procedure.
  int header_double_clicks() const { return header_double_clicks_; }
  const ReceivedText& header_received() const { return header_received_; }
  const ReceivedText& list_received() const { return list_received_; }

  // The message on which the panel's and the list's own procedures call what
  // SetNestedCall gave them, from inside themselves: whatever procedures were put in front
  // of the host's (the plug-in's) are below it on the stack while it runs. The same
  // registered message for the whole process.
  static UINT NestedCallMessage();
  // `call(window)` runs inside the panel's or the list's own procedure on each
  // NestedCallMessage() it receives: a modal loop of the host's, or the host taking the
  // plug-in out (TBP_Finalize, FreeLibrary). None: the message does nothing.
  void SetNestedCall(std::function<void(HWND)> call) { nested_call_ = std::move(call); }
  // How many nested calls have returned.
  int nested_calls() const { return nested_calls_; }

  // Runs the thread's message loop for about `ms` milliseconds.
  static void Pump(DWORD ms);

  static constexpr UINT kHideTimer = 10;
  static constexpr UINT kFilterTimer = 11;

 private:
  template <bool kUnicode>
  static LRESULT CALLBACK MainProc(HWND, UINT, WPARAM, LPARAM);
  template <bool kUnicode>
  static LRESULT CALLBACK HeaderProc(HWND, UINT, WPARAM, LPARAM);
  template <bool kUnicode>
  static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM);
  template <bool kUnicode>
  static HostWindows* Attach(HWND window, UINT message, LPARAM lParam);
  static HostWindows* From(HWND window);
  template <bool kUnicode>
  static void Record(ReceivedText& received, UINT message, WPARAM wParam, LPARAM lParam);
  void RunNestedCall(HWND window);
  int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
  // Selects the texts' font into `dc`, if there is one of our own.
  void SelectFont(HDC dc) const;
  void OnKey(WPARAM key);

  HostState* state_;
  const PluginModule* plugin_;
  const bool unicode_;
  const int dpi_;
  HFONT font_ = nullptr;  // at 96 pixels per inch none: the system's
  HWND main_ = nullptr;
  HWND header_ = nullptr;
  HWND list_ = nullptr;
  uint16_t filter_shortcut_ = 0;
  std::string filter_template_;
  std::vector<std::string> filter_runs_;
  std::vector<UINT_PTR> list_timers_;
  int header_paints_ = 0;
  int header_double_clicks_ = 0;
  ReceivedText header_received_;
  ReceivedText list_received_;
  std::function<void(HWND)> nested_call_;
  int nested_calls_ = 0;
};

}  // namespace hostsim
