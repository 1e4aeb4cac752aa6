#include "base/file_read.h"

#include <algorithm>
#include <new>

#include "base/trace.h"
#include "base/wide_text.h"
#include "base/win_handles.h"

namespace vizmark {

namespace {

bool StartsWith(const std::wstring& text, std::wstring_view prefix) {
  return std::wstring_view(text).starts_with(prefix);
}

// The path as the system resolves it: made absolute, "." and ".." and trailing dots and blanks
// taken away, and a device's name turned into \\.\NAME.
std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (int tries = 0; tries < 3; ++tries) {
    const DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return {};
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.assign(length, L'\0');  // the size needed, terminating zero included
  }
  return {};
}

}  // namespace

FilePath FilePathFromSystemText(std::string_view path) {
  return FilePathFromWide(WideFromCodePage(path, CP_ACP));
}

FilePath FilePathFromWide(std::wstring_view path) {
  const std::wstring wide(path);
  if (wide.empty() || wide.find(L'\0') != std::wstring::npos) return {};
  std::wstring full = FullPath(wide);
  if (full.empty()) return {};
  if (StartsWith(full, L"\\\\.\\")) return {std::move(full), true};
  if (StartsWith(full, L"\\\\?\\")) return {std::move(full), false};
  if (StartsWith(full, L"\\\\")) return {L"\\\\?\\UNC\\" + full.substr(2), false};
  return {L"\\\\?\\" + full, false};
}

bool IsExistingFile(const FilePath& path) {
  if (path.device) return true;
  if (path.wide.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::vector<unsigned char>> ReadWholeFile(const FilePath& path, DWORD share,
                                                        std::size_t max_bytes) {
  if (path.device || path.wide.empty()) {
    Trace(L"a device or an empty path is not read as a file");
    return std::nullopt;
  }
  UniqueHandle file(CreateFileW(path.wide.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    Trace(L"a file cannot be opened for reading");
    return std::nullopt;
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(file.get(), &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Trace(L"a path names no file on a disk");
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > max_bytes) {
    Trace(L"a file is too large to read or its size is unknown");
    return std::nullopt;
  }
  std::vector<unsigned char> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    Trace(L"no memory to read a file into");
    return std::nullopt;
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + done, wanted, &read, nullptr)) {
      Trace(L"a file cannot be read");
      return std::nullopt;
    }
    if (read == 0) break;  // shorter than its size said
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace vizmark
