#include "hostsim/context_object.h"

#include <algorithm>
#include <cstring>

namespace hostsim {

int32_t VZ_STDCALL ContextObject::QueryInterface(const void*, void** object) {
  if (object != nullptr) *object = nullptr;
  return static_cast<int32_t>(0x80004002);  // E_NOINTERFACE
}

int32_t VZ_STDCALL ContextObject::ReadItem(int32_t index, char* buffer, int32_t size) {
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return 0;
  const std::string& item = items[static_cast<std::size_t>(index)];
  const auto length = static_cast<int32_t>(item.size());
  if (buffer == nullptr) return length;
  const int32_t n = std::clamp(size, 0, length);
  std::memcpy(buffer, item.data(), static_cast<std::size_t>(n));
  return n;
}

int32_t VZ_STDCALL ContextObject::SetItem(int32_t index, const char* text, int32_t length) {
  ++set_item_calls;
  if (index < 0) return 0;
  if (items.size() <= static_cast<std::size_t>(index))
    items.resize(static_cast<std::size_t>(index) + 1);
  items[static_cast<std::size_t>(index)].assign(text,
                                                static_cast<std::size_t>(std::max(length, 0)));
  return 1;
}

int32_t VZ_STDCALL ContextObject::Evaluate(const char* text, int32_t length, int32_t,
                                           vizmark::MacroContext* target) {
  std::string yielded;
  if (host_ != nullptr)
    yielded =
        host_->Evaluate(std::string_view(text, static_cast<std::size_t>(std::max(length, 0))));
  if (target != nullptr) target->SetItem(0, yielded.c_str(), static_cast<int32_t>(yielded.size()));
  return 0;
}

}  // namespace hostsim
