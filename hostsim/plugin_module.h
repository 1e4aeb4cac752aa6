// The plug-in DLL as the host sees it: loaded by path, its TBP_ exports found by name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "macros/macro_context.h"

namespace hostsim {

struct ModuleDeleter {
  void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

class PluginModule {
 public:
  using VoidFn = void(WINAPI*)();
  using IntFn = int32_t(WINAPI*)();
  using TextFn = int32_t(WINAPI*)(char* buffer, int32_t size);
  using ExecFn = int32_t(WINAPI*)(const char* name, int32_t nameLength,
                                  vizmark::MacroContext* context, vizmark::MacroContext* params);

  // Throws std::runtime_error when the DLL cannot be loaded or lacks an export.
  explicit PluginModule(const std::string& path);

  // The path of "Vizmark.tbp" next to the running program.
  static std::string DefaultPath();

  HMODULE handle() const { return module_.get(); }
  // Calls a text export the way the host does: length first, then the whole text.
  static std::string ReadText(TextFn fn);
  // Drops the DLL now (the host's unload); the exports must not be called afterwards.
  void Unload() { module_.reset(); }

  VoidFn Initialize = nullptr;
  VoidFn Finalize = nullptr;
  TextFn GetName = nullptr;
  TextFn GetVersion = nullptr;
  TextFn GetInfo = nullptr;
  TextFn GetMacroList = nullptr;
  IntFn GetStatus = nullptr;
  IntFn NeedConfig = nullptr;
  IntFn NeedCOM = nullptr;
  IntFn Setup = nullptr;
  ExecFn ExecMacro = nullptr;

 private:
  template <typename Fn>
  void Resolve(Fn& fn, const char* name);

  UniqueModule module_;
};

}  // namespace hostsim
