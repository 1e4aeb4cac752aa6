// The mail client's windows, as far as the plug-in sees them: a main window "TMailerForm"
// holding a header panel "TAddressGrid" and a message list "TMessageListView", with the
// list's selection timers 10 and 11 and a read-mail filter started by a keyboard shortcut.
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
  };

  // Creates and shows the windows on the calling thread, which must pump their messages.
  HostWindows(HostState* state, const PluginModule* plugin, Options options);
  HostWindows(HostState* state, const PluginModule* plugin)
      : HostWindows(state, plugin, Options{}) {}
  ~HostWindows();
  HostWindows(const HostWindows&) = delete;
  HostWindows& operator=(const HostWindows&) = delete;

  HWND main() const { return main_; }
  HWND header() const { return header_; }
  HWND list() const { return list_; }

  // The read-mail filter: started by `shortcut` (FilterShortCut numbering: key in bits
  // 0-12, Shift 0x2000, Ctrl 0x4000, Alt 0x8000), it runs `filter_template`.
  void SetFilter(uint16_t shortcut, std::string filter_template);
  // What each run of the filter expanded to, in order.
  const std::vector<std::string>& filter_runs() const { return filter_runs_; }

  // Moves to a message with this "X-Face" header (empty: none), as the user does: the
  // list starts its timers 10 and 11.
  void SelectMessage(const std::string& xface);

  // Gives the list the keyboard focus and the main window the foreground.
  void Focus();

  // Timer messages that reached the host's own list procedure, by identifier.
  const std::vector<UINT_PTR>& list_timers() const { return list_timers_; }
  int header_paints() const { return header_paints_; }

  // Runs the thread's message loop for about `ms` milliseconds.
  static void Pump(DWORD ms);

  static constexpr UINT kHideTimer = 10;
  static constexpr UINT kFilterTimer = 11;

 private:
  static LRESULT CALLBACK MainProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK HeaderProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM);
  static HostWindows* From(HWND window);
  void OnKey(WPARAM key);

  HostState* state_;
  const PluginModule* plugin_;
  HWND main_ = nullptr;
  HWND header_ = nullptr;
  HWND list_ = nullptr;
  uint16_t filter_shortcut_ = 0;
  std::string filter_template_;
  std::vector<std::string> filter_runs_;
  std::vector<UINT_PTR> list_timers_;
  int header_paints_ = 0;
};

}  // namespace hostsim
