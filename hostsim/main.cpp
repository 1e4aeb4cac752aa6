// hostsim: a stand-in for the mail client. It loads the plug-in DLL the way the host does
// and runs templates through it.
//
//   hostsim [--dll PATH] info              name, version, macro list, %XFaceVersion
//   hostsim [--dll PATH] run TEMPLATE      the expansion of TEMPLATE
//   hostsim [--dll PATH] dialog OUT        opens the configuration dialog, saves it as a BMP
//                                          and cancels it
//   hostsim [--dll PATH] show XFACE OUT    shows a message whose "X-Face" header is the
//                                          text in file XFACE, as a read-mail filter with
//                                          %DisplayXFace does, and saves the window as a BMP
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <thread>

#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "hostsim/screenshot.h"
#include "hostsim/template_runner.h"

namespace {

int Usage() {
  std::fputs(
      "usage: hostsim [--dll PATH] info | run TEMPLATE | dialog OUT.bmp | show XFACE_FILE "
      "OUT.bmp\n",
      stderr);
  return 2;
}

void PrintInfo(const hostsim::PluginModule& plugin) {
  using hostsim::PluginModule;
  std::printf("Name:    %s\n", PluginModule::ReadText(plugin.GetName).c_str());
  std::printf("Version: %s\n", PluginModule::ReadText(plugin.GetVersion).c_str());
  std::printf("Macros:\n");
  const std::string list = PluginModule::ReadText(plugin.GetMacroList);
  for (std::size_t start = 0; start < list.size();) {
    std::size_t end = list.find("\r\n", start);
    if (end == std::string::npos) end = list.size();
    std::printf("  %s\n", list.substr(start, end - start).c_str());
    start = end + 2;
  }
  hostsim::HostState host;
  std::printf("%%XFaceVersion -> %s\n",
              hostsim::RunTemplate(plugin, host, "%XFaceVersion").c_str());
}

std::string ReadFile(const char* path) {
  std::string text;
  if (FILE* f = std::fopen(path, "rb")) {
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    std::fclose(f);
  }
  return text;
}

int Show(const hostsim::PluginModule& plugin, const char* xface_file, const char* out) {
  hostsim::HostState host;
  hostsim::HostWindows::Options options;
  options.height = 300;
  hostsim::HostWindows windows(&host, &plugin, options);
  plugin.Initialize();
  host.read_xface = ReadFile(xface_file);
  const std::string expansion = hostsim::RunTemplate(plugin, host, "%DisplayXFace");
  std::printf("%%DisplayXFace -> \"%s\"\n", expansion.c_str());
  hostsim::HostWindows::Pump(200);
  const bool saved = hostsim::SaveClientAreaAsBmp(windows.main(), out);
  plugin.Finalize();
  if (!saved) std::fprintf(stderr, "hostsim: cannot save %s\n", out);
  return saved ? 0 : 1;
}

// The configuration dialog of this process, once it is shown.
BOOL CALLBACK MatchDialog(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (process != GetCurrentProcessId() || std::string_view(name) != "#32770" ||
      !IsWindowVisible(window))
    return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

HWND FindDialog() {
  HWND found = nullptr;
  EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

int Dialog(const hostsim::PluginModule& plugin, const char* out) {
  plugin.Initialize();
  bool saved = false;
  std::thread shooter([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 100 && dialog == nullptr; ++i, Sleep(50)) dialog = FindDialog();
    if (dialog == nullptr) return;
    Sleep(300);  // let it paint
    saved = hostsim::SaveClientAreaAsBmp(dialog, out);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  plugin.Setup();
  shooter.join();
  plugin.Finalize();
  if (!saved) std::fprintf(stderr, "hostsim: cannot save %s\n", out);
  return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dll = hostsim::PluginModule::DefaultPath();
  int arg = 1;
  if (arg + 1 < argc && std::string_view(argv[arg]) == "--dll") {
    dll = argv[arg + 1];
    arg += 2;
  }
  if (arg >= argc) return Usage();
  const std::string_view command = argv[arg];
  try {
    hostsim::PluginModule plugin(dll);
    if (command == "info") {
      PrintInfo(plugin);
    } else if (command == "run" && arg + 1 < argc) {
      hostsim::HostState host;
      plugin.Initialize();  // as the mail client does before it runs any macro
      std::printf("%s\n", hostsim::RunTemplate(plugin, host, argv[arg + 1]).c_str());
      plugin.Finalize();
      if (host.composed_xface) std::printf("X-Face:%s", host.composed_xface->c_str());
    } else if (command == "dialog" && arg + 1 < argc) {
      return Dialog(plugin, argv[arg + 1]);
    } else if (command == "show" && arg + 2 < argc) {
      return Show(plugin, argv[arg + 1], argv[arg + 2]);
    } else {
      return Usage();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hostsim: %s\n", e.what());
    return 1;
  }
  return 0;
}
