// Files the user names for us to write.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vizmark {

// Writes `bytes` as the whole file at `path` (made, or emptied first); false when the file
// cannot be made or written.
bool WriteWholeFile(const std::wstring& path, std::span<const uint8_t> bytes);

}  // namespace vizmark
