// How every text-returning export hands its text to the host.
#pragma once

#include <cstdint>
#include <string_view>

namespace vizmark {

// A null buffer or a negative size asks for the full length of `text`. Otherwise the
// first min(size, length) bytes are copied and their count returned. No terminator is
// written and the rest of the buffer is left alone.
int32_t CopyToHostBuffer(std::string_view text, char* buffer, int32_t size) noexcept;

}  // namespace vizmark
