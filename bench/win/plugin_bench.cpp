// What the plug-in costs the mail client, measured through hostsim under Wine:
//  - messages through the host's panel and list with and without the plug-in's procedures;
//  - %DisplayXFace from the macro call to the painted panel, against bare uncompface on
//    the same header;
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

double MessagesPerSecond(const hostsim::HostWindows& host) {
  constexpr int kRuns = 20000;
  const double per_call = PerCall(kRuns, 7, [&] {
    SendMessageA(host.header(), WM_USER + 7, 0, 0);
    SendMessageA(host.list(), WM_TIMER, 7, 0);
  });
  return 2 / per_call;
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
  plugin.Initialize();
  state.read_xface = face;

  // 1. The price of the subclassing.
  const double bare = MessagesPerSecond(host);
  hostsim::RunTemplate(plugin, state, "%DisplayXFace");  // attaches the plug-in
  const double attached = MessagesPerSecond(host);
  std::printf(
      "messages/s through panel and list   host alone %.0f, with the plug-in %.0f (%+.1f%%)\n",
      bare, attached, 100.0 * (attached - bare) / bare);

  // 2. DisplayXFace end to end against the codec alone.
  const double display = PerCall(200, 7, [&] {
    hostsim::RunTemplate(plugin, state, "%DisplayXFace");
    GdiFlush();
  });
  const double codec = PerCall(200, 7, [&] {
    char buffer[2048] = {};
    std::memcpy(buffer, face.data(), std::min<size_t>(face.size(), 2047));
    uncompface(buffer);
  });
  std::printf("%%DisplayXFace, call to painted panel  %.1f us; bare uncompface %.1f us (x%.2f)\n",
              display * 1e6, codec * 1e6, display / codec);
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
