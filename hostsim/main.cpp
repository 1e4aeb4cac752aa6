// hostsim: a stand-in for the mail client. It loads the plug-in DLL the way the host does
// and runs templates through it.
//
//   hostsim [--dll PATH] info              name, version, macro list, %XFaceVersion
//   hostsim [--dll PATH] run TEMPLATE      the expansion of TEMPLATE
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "hostsim/plugin_module.h"
#include "hostsim/template_runner.h"

namespace {

int Usage() {
  std::fputs("usage: hostsim [--dll PATH] info | run TEMPLATE\n", stderr);
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
      std::printf("%s\n", hostsim::RunTemplate(plugin, host, argv[arg + 1]).c_str());
      if (host.composed_xface) std::printf("X-Face:%s", host.composed_xface->c_str());
    } else {
      return Usage();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hostsim: %s\n", e.what());
    return 1;
  }
  return 0;
}
