// What the host's start-up, shut-down and setup calls do.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vizmark {

// The module's handle, recorded by DllMain.
extern HMODULE g_module;

void StartUp();
void ShutDown();
int32_t RunSetup();

}  // namespace vizmark
