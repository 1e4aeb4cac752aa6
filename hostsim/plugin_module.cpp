#include "hostsim/plugin_module.h"

#include <stdexcept>

namespace hostsim {

PluginModule::PluginModule(const std::string& path) : module_(LoadLibraryA(path.c_str())) {
  if (!module_) throw std::runtime_error("cannot load " + path);
  Resolve(Initialize, "TBP_Initialize");
  Resolve(Finalize, "TBP_Finalize");
  Resolve(GetName, "TBP_GetName");
  Resolve(GetVersion, "TBP_GetVersion");
  Resolve(GetInfo, "TBP_GetInfo");
  Resolve(GetMacroList, "TBP_GetMacroList");
  Resolve(GetStatus, "TBP_GetStatus");
  Resolve(NeedConfig, "TBP_NeedConfig");
  Resolve(NeedCOM, "TBP_NeedCOM");
  Resolve(Setup, "TBP_Setup");
  Resolve(ExecMacro, "TBP_ExecMacro");
}

template <typename Fn>
void PluginModule::Resolve(Fn& fn, const char* name) {
  FARPROC proc = GetProcAddress(module_.get(), name);
  if (proc == nullptr) throw std::runtime_error(std::string("missing export ") + name);
  fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}

std::string PluginModule::DefaultPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  folder.erase(folder.find_last_of("\\/") + 1);
  return folder + "Vizmark.tbp";
}

std::string PluginModule::ReadText(TextFn fn) {
  const int32_t length = fn(nullptr, 0);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  text.resize(static_cast<std::size_t>(fn(text.data(), length)));
  return text;
}

}  // namespace hostsim
