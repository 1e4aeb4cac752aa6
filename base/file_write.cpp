#include "base/file_write.h"

#include <windows.h>

#include "base/trace.h"
#include "base/win_handles.h"

namespace vizmark {

bool WriteWholeFile(const std::wstring& path, std::span<const uint8_t> bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  const bool whole =
      file &&
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  if (!whole) Trace(L"a file could not be written", path.c_str());
  return whole;
}

}  // namespace vizmark
