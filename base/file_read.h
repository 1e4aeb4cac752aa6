// Files named by the host: a path in the system's code page becomes the wide, absolute path
// the W calls take, of any length; a file is read whole, and only when it is a file on a disk.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vizmark {

// A path ready for the file calls. `wide` is absolute and prefixed with \\?\ (\\?\UNC\ for a
// share), so MAX_PATH does not limit it; it is empty when the path names nothing. `device`
// when the system takes the path for a device (NUL, COM1 and their kin, with any extension,
// or a \\.\ path): nothing here opens one, as reading a device can wait forever.
struct FilePath {
  std::wstring wide;
  bool device = false;
};

// Converts once from the system's code page and makes the path absolute by the system's rules.
FilePath FilePathFromSystemText(std::string_view path);
// The same for a path that is UTF-16 already (as the file dialogs give it).
FilePath FilePathFromWide(std::wstring_view path);

// Whether something is there that is not a folder; a device counts, so that it is refused as
// unreadable rather than reported missing.
bool IsExistingFile(const FilePath& path);

// The whole content of a file on a disk of at most `max_bytes` bytes, opened for reading with
// `share` (FILE_SHARE_* flags, what others may do with it meanwhile). None when it cannot be
// opened so, is a device, a pipe or a folder, is larger, or cannot be read.
std::optional<std::vector<unsigned char>> ReadWholeFile(const FilePath& path, DWORD share,
                                                        std::size_t max_bytes);

}  // namespace vizmark
