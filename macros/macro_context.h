// The host's macro context object, as the plug-in sees it.
//
// The host hands TBP_ExecMacro two objects of this interface: the context object and the
// parameter object. It is a COM-style table of __stdcall operations; its layout (slot
// numbers counted from 0) is fixed by the host, so the order here must not change.
// The natively built core uses the same header with the calling convention left empty.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define VZ_STDCALL __stdcall
#else
#define VZ_STDCALL
#endif

namespace vizmark {

class MacroContext {
 public:
  // 0 to 2: the COM lifetime slots. The plug-in never calls them.
  virtual int32_t VZ_STDCALL QueryInterface(const void* iid, void** object) = 0;
  virtual uint32_t VZ_STDCALL AddRef() = 0;
  virtual uint32_t VZ_STDCALL Release() = 0;
  // 3: with a null buffer, the item's length; else up to `size` bytes copied, count returned.
  virtual int32_t VZ_STDCALL ReadItem(int32_t index, char* buffer, int32_t size) = 0;
  // 4: replaces the item with `length` bytes of `text`.
  virtual int32_t VZ_STDCALL SetItem(int32_t index, const char* text, int32_t length) = 0;
  // 5 to 7: host operations the plug-in never calls.
  virtual int32_t VZ_STDCALL HostOperation5() = 0;
  virtual int32_t VZ_STDCALL HostOperation6() = 0;
  virtual int32_t VZ_STDCALL HostOperation7() = 0;
  // 8: the number of items (for the parameter object: of parameters).
  virtual int32_t VZ_STDCALL ItemCount() = 0;
  // 9: evaluates host macro text; what it yields becomes item 0 of `target`.
  virtual int32_t VZ_STDCALL Evaluate(const char* text, int32_t length, int32_t flags,
                                      MacroContext* target) = 0;

 protected:
  // Host objects are never deleted through this interface.
  ~MacroContext() = default;
};

}  // namespace vizmark
