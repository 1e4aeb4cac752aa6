// The eleven functions the host calls. Names are exported undecorated through
// Vizmark.def; nothing thrown inside may cross them, since the host is not C++.
#include <windows.h>

#include <cstdint>

#include "macros/macros.h"
#include "plugin/host_buffer.h"
#include "plugin/identity.h"
#include "plugin/info_text.h"

using vizmark::MacroContext;

namespace {

HMODULE g_module = nullptr;

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

// Start-up work (face bitmap, stored setting, attaching to the host's windows) comes with
// the later parts of the plug-in; for now there is nothing to start.
void WINAPI TBP_Initialize() noexcept {}

// Nothing to save or tear down yet; see TBP_Initialize.
void WINAPI TBP_Finalize() noexcept {}

int32_t WINAPI TBP_GetName(char* buffer, int32_t size) noexcept {
  return vizmark::CopyToHostBuffer(vizmark::kDisplayName, buffer, size);
}

int32_t WINAPI TBP_GetVersion(char* buffer, int32_t size) noexcept {
  return vizmark::CopyToHostBuffer(vizmark::kVersion, buffer, size);
}

int32_t WINAPI TBP_GetInfo(char* buffer, int32_t size) noexcept {
  try {
    return vizmark::CopyToHostBuffer(vizmark::BuildInfoText(), buffer, size);
  } catch (...) {
    return 0;
  }
}

int32_t WINAPI TBP_GetMacroList(char* buffer, int32_t size) noexcept {
  try {
    return vizmark::CopyToHostBuffer(vizmark::BuildMacroList(vizmark::MacroTable), buffer, size);
  } catch (...) {
    return 0;
  }
}

int32_t WINAPI TBP_GetStatus() noexcept { return 0; }

int32_t WINAPI TBP_NeedConfig() noexcept { return 1; }

int32_t WINAPI TBP_NeedCOM() noexcept { return 0; }

// The configuration dialog comes with the shortcut setting; until then there is nothing
// to show.
int32_t WINAPI TBP_Setup() noexcept { return 0; }

int32_t WINAPI TBP_ExecMacro(const char* name, int32_t nameLength, MacroContext* context,
                             MacroContext* params) noexcept {
  return vizmark::ExecMacro(vizmark::MacroTable, name, nameLength, context, params);
}

}  // extern "C"
