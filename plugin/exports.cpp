// The eleven functions the host calls. Names are exported undecorated through
// Vizmark.def; nothing thrown inside may cross them, since the host is not C++.
#include <windows.h>

#include <cstdint>

#include "base/identity.h"
#include "base/trace.h"
#include "macros/macros.h"
#include "plugin/host_buffer.h"
#include "plugin/info_text.h"
#include "plugin/lifecycle.h"

using vizmark::MacroContext;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    vizmark::g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

void WINAPI TBP_Initialize() noexcept {
  try {
    vizmark::StartUp();
  } catch (...) {
    vizmark::Trace(L"start-up failed");
  }
}

void WINAPI TBP_Finalize() noexcept {
  try {
    vizmark::ShutDown();
  } catch (...) {
    vizmark::Trace(L"shut-down failed");
  }
}

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
    return vizmark::CopyToHostBuffer(vizmark::BuildMacroList(vizmark::kMacroTable), buffer, size);
  } catch (...) {
    return 0;
  }
}

int32_t WINAPI TBP_GetStatus() noexcept { return 0; }

int32_t WINAPI TBP_NeedConfig() noexcept { return 1; }

int32_t WINAPI TBP_NeedCOM() noexcept { return 0; }

int32_t WINAPI TBP_Setup() noexcept {
  try {
    return vizmark::RunSetup();
  } catch (...) {
    return 0;
  }
}

int32_t WINAPI TBP_ExecMacro(const char* name, int32_t nameLength, MacroContext* context,
                             MacroContext* params) noexcept {
  return vizmark::ExecMacro(vizmark::kMacroTable, name, nameLength, context, params);
}

}  // extern "C"
