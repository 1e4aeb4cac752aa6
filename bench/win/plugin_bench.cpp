// What the plug-in costs the mail client, measured through hostsim under Wine:
//  - messages through the host's panel and list with and without the plug-in's procedures;
//  - %DisplayXFace from the macro call to the painted panel, against bare uncompface on
//    the same header and against the floor: uncompface and a 48 x 48 blit into the panel;
//  - TBP_Finalize while the attaching thread waits.
//
//   plugin_bench.exe FACE_FILE      (scripts/bench runs it)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "hostsim/template_runner.h"

extern "C" {
#include <compface.h>
}

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The median of `repeats` timings of `runs` calls of `body`, in seconds a call.
template <typename Body>
double PerCall(int runs, int repeats, Body body) {
  std::vector<double> times;
  for (int r = 0; r < repeats; ++r) {
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i) body();
    times.push_back(Seconds(Clock::now() - start) / runs);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

std::string ReadFile(const char* path) {
  std::string text;
  if (FILE* f = std::fopen(path, "rb")) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    std::fclose(f);
  }
  return text;
}

// One timing of messages through the panel's and the list's current window procedures
// (the host's own, or the plug-in's in front of them), in messages a second. They are
// called as SendMessage calls them within a thread, in the windows' own character set;
// SendMessage itself is left out, as under Wine its own cost is many times that of both
// procedures and swamps the difference.
double MessagesPerSecond(const hostsim::HostWindows& host) {
  constexpr int kRuns = 40000;
  const auto header = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(host.header(), GWLP_WNDPROC));
  const auto list = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(host.list(), GWLP_WNDPROC));
  const double per_call = PerCall(kRuns, 1, [&] {
    CallWindowProcW(header, host.header(), WM_USER + 7, 0, 0);
    CallWindowProcW(list, host.list(), WM_USER + 7, 0, 0);
  });
  return 2 / per_call;
}

// The least a subclass can do: hand every message to the procedure it replaced, with
// CallWindowProcW as subclassing a Unicode window requires. It shows what the indirection
// alone costs.
WNDPROC g_minimal_next_header = nullptr, g_minimal_next_list = nullptr;
LRESULT CALLBACK MinimalHeader(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(g_minimal_next_header, window, message, wParam, lParam);
}
LRESULT CALLBACK MinimalList(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(g_minimal_next_list, window, message, wParam, lParam);
}

double WithMinimalSubclass(const hostsim::HostWindows& host) {
  g_minimal_next_header = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(host.header(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MinimalHeader)));
  g_minimal_next_list = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(host.list(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MinimalList)));
  const double rate = MessagesPerSecond(host);
  SetWindowLongPtrW(host.header(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_minimal_next_header));
  SetWindowLongPtrW(host.list(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_minimal_next_list));
  return rate;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: plugin_bench FACE_FILE\n", stderr);
    return 2;
  }
  const std::string face = ReadFile(argv[1]);
  hostsim::PluginModule plugin(hostsim::PluginModule::DefaultPath());
  hostsim::HostState state;
  hostsim::HostWindows host(&state, &plugin);
  state.read_xface = face;

  // 1. The price of the subclassing: timings with and without the plug-in's procedures
  // alternate, and each pair gives a ratio, so that a drift of the machine's speed falls on
  // both alike. The median ratio is the figure; the middle half of them shows the noise.
  std::vector<double> bare, minimal, attached, ratios, minimal_ratios, over_minimal;
  for (int round = 0; round < 21; ++round) {
    bare.push_back(MessagesPerSecond(host));
    minimal.push_back(WithMinimalSubclass(host));
    plugin.Initialize();
    hostsim::RunTemplate(plugin, state, "%DisplayXFace");  // attaches the plug-in
    attached.push_back(MessagesPerSecond(host));
    plugin.Finalize();  // and takes it off again
    ratios.push_back(attached.back() / bare.back());
    minimal_ratios.push_back(minimal.back() / bare.back());
    over_minimal.push_back(attached.back() / minimal.back());
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf(
      "messages/s through panel and list   host alone %.0f, with the plug-in %.0f; "
      "paired change %+.1f%% (middle half %+.1f%% to %+.1f%%)\n",
      Median(bare), Median(attached), 100.0 * (Median(ratios) - 1),
      100.0 * (ratios[ratios.size() / 4] - 1), 100.0 * (ratios[ratios.size() * 3 / 4] - 1));
  std::printf("  the same behind a subclass that only passes messages on: %.0f (%+.1f%%)\n",
              Median(minimal), 100.0 * (Median(minimal_ratios) - 1));
  std::sort(over_minimal.begin(), over_minimal.end());
  std::printf(
      "  the plug-in against that subclass: paired change %+.1f%% (middle half %+.1f%% to "
      "%+.1f%%)\n",
      100.0 * (Median(over_minimal) - 1), 100.0 * (over_minimal[over_minimal.size() / 4] - 1),
      100.0 * (over_minimal[over_minimal.size() * 3 / 4] - 1));
  plugin.Initialize();
  hostsim::RunTemplate(plugin, state, "%DisplayXFace");

  // 2. DisplayXFace end to end against the codec alone, and against the floor: the decoding
  // and the least drawing of 48 x 48 pixels into the same panel, from a picture made once and
  // kept selected. The three alternate in rounds, and each round gives the ratios, so that a
  // drift of the machine's speed falls on all alike.
  const auto display_once = [&] {
    hostsim::RunTemplate(plugin, state, "%DisplayXFace");
    GdiFlush();
  };
  const auto decode = [&] {
    char buffer[2048] = {};
    std::memcpy(buffer, face.data(), std::min<size_t>(face.size(), 2047));
    uncompface(buffer);
  };
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 48, -48, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP floor_picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC floor_memory = CreateCompatibleDC(nullptr);
  HGDIOBJ floor_previous = SelectObject(floor_memory, floor_picture);
  RECT client;
  GetClientRect(host.header(), &client);
  const auto floor_once = [&] {
    decode();
    HDC panel = GetDC(host.header());
    BitBlt(panel, client.right - 52, 4, 48, 48, floor_memory, 0, 0, SRCAND);
    ReleaseDC(host.header(), panel);
    GdiFlush();
  };
  std::vector<double> display, codec, floor, over_codec, over_floor;
  for (int round = 0; round < 21; ++round) {
    display.push_back(PerCall(100, 1, display_once));
    codec.push_back(PerCall(100, 1, decode));
    floor.push_back(PerCall(100, 1, floor_once));
    over_codec.push_back(display.back() / codec.back());
    over_floor.push_back(display.back() / floor.back());
  }
  SelectObject(floor_memory, floor_previous);
  DeleteDC(floor_memory);
  DeleteObject(floor_picture);
  std::sort(over_floor.begin(), over_floor.end());
  std::printf("%%DisplayXFace, call to painted panel  %.1f us; bare uncompface %.1f us (x%.2f)\n",
              Median(display) * 1e6, Median(codec) * 1e6, Median(over_codec));
  std::printf(
      "  the floor, bare uncompface and a 48 x 48 blit into the panel: %.1f us; paired x%.2f "
      "(middle half x%.2f to x%.2f)\n",
      Median(floor) * 1e6, Median(over_floor), over_floor[over_floor.size() / 4],
      over_floor[over_floor.size() * 3 / 4]);
  // What the host's side costs alone: running a template with a macro that only names us.
  const double host_side =
      PerCall(200, 7, [&] { hostsim::RunTemplate(plugin, state, "%XFaceVersion"); });
  std::printf("  of which the host's template run around a macro (%%XFaceVersion): %.1f us\n",
              host_side * 1e6);
  plugin.Finalize();

  // 3. Shutting down while the attaching thread waits between its tries.
  std::vector<double> finalize;
  for (int i = 0; i < 15; ++i) {
    plugin.Initialize();
    hostsim::HostWindows::Pump(300);
    const auto start = Clock::now();
    plugin.Finalize();
    finalize.push_back(Seconds(Clock::now() - start) * 1e3);
  }
  std::sort(finalize.begin(), finalize.end());
  std::printf("TBP_Finalize while the thread waits   median %.2f ms, worst %.2f ms\n",
              finalize[finalize.size() / 2], finalize.back());
  return 0;
}
