// The host's macro context object: a list of text items, and evaluation of host macro
// text through the simulated host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/host_state.h"
#include "macros/macro_context.h"

namespace hostsim {

class ContextObject final : public vizmark::MacroContext {
 public:
  explicit ContextObject(HostState* host = nullptr, std::vector<std::string> items = {})
      : items(std::move(items)), host_(host) {}

  std::vector<std::string> items;
  int set_item_calls = 0;

  int32_t VZ_STDCALL QueryInterface(const void*, void** object) override;
  uint32_t VZ_STDCALL AddRef() override { return 1; }
  uint32_t VZ_STDCALL Release() override { return 1; }
  int32_t VZ_STDCALL ReadItem(int32_t index, char* buffer, int32_t size) override;
  int32_t VZ_STDCALL SetItem(int32_t index, const char* text, int32_t length) override;
  int32_t VZ_STDCALL HostOperation5() override { return 0; }
  int32_t VZ_STDCALL HostOperation6() override { return 0; }
  int32_t VZ_STDCALL HostOperation7() override { return 0; }
  int32_t VZ_STDCALL ItemCount() override { return static_cast<int32_t>(items.size()); }
  int32_t VZ_STDCALL Evaluate(const char* text, int32_t length, int32_t flags,
                              vizmark::MacroContext* target) override;

 private:
  HostState* host_;
};

}  // namespace hostsim
