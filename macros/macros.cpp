#include "macros/macros.h"

#include <algorithm>
#include <memory>
#include <new>

#include "base/identity.h"

namespace vizmark {

namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Compares up to and including the entry's terminating zero, so a longer or a shorter
// name never matches. Reading stops at the first difference, which is at the latest the
// called name's own terminator.
bool NameMatches(const char* called, std::string_view entry) {
  for (std::size_t i = 0; i < entry.size(); ++i)
    if (FoldAscii(called[i]) != FoldAscii(entry[i])) return false;
  return called[entry.size()] == '\0';
}

void StoreResult(MacroContext* context, std::string_view text) {
  // An empty expansion is stored too, as an empty zero-terminated text.
  static constexpr char kEmpty[] = "";
  const char* data = text.empty() ? kEmpty : text.data();
  context->SetItem(0, data, static_cast<int32_t>(text.size()));
}

}  // namespace

std::string BuildMacroList(std::span<const MacroEntry> table) {
  std::string list;
  for (const MacroEntry& entry : table) {
    list.append(entry.name);
    list.append("\r\n");
  }
  return list;
}

int32_t ExecMacro(std::span<const MacroEntry> table, const char* name, int32_t nameLength,
                  MacroContext* context, MacroContext* params) noexcept {
  if (nameLength < 1 || name == nullptr || context == nullptr) return -1;
  const MacroEntry* found = nullptr;
  for (const MacroEntry& entry : table) {
    if (NameMatches(name, entry.name)) {
      found = &entry;
      break;
    }
  }
  if (found == nullptr) return -1;

  try {
    std::string result;
    found->handler(result, context, params);
    StoreResult(context, result);
  } catch (...) {
    // The host is not C++: whatever a handler did not turn into text ends here.
    StoreResult(context, kMacroFailedMessage);
  }
  return 0;
}

std::string ReadItemText(MacroContext* object, int32_t index) {
  const int32_t length = object->ReadItem(index, nullptr, 0);
  if (length <= 0) return {};
  // A host that claims gigabytes gets the first kMaxItemBytes of them read.
  const int32_t capacity = std::min(length, kMaxItemBytes);
  const auto n = static_cast<std::size_t>(capacity);
  // Zeroed, so that bytes a host claims to have copied but did not are never read.
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[n + 1]());
  if (!buffer) return {};
  const int32_t copied = object->ReadItem(index, buffer.get(), capacity);
  if (copied <= 0) return {};
  // Only the bytes the host says it copied are read, never more than asked for.
  buffer[std::min(n, static_cast<std::size_t>(copied))] = '\0';
  return std::string(buffer.get());
}

void XFaceVersionHandler(std::string& result, MacroContext*, MacroContext*) {
  result.assign(kDisplayName);
  result.push_back(' ');
  result.append(kVersion);
}

}  // namespace vizmark
