// The codec side of the face conversions: 48 rows of pixels (one bit each, most
// significant bit leftmost, 1 for black) to X-Face header text through compface, and back
// through uncompface. No platform code; no heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vizmark {

// Both conversions work in place in one buffer of this size, as compface does.
inline constexpr std::size_t kXFaceBufferSize = 2048;
// The face is 48 x 48; a row has 6 bytes of pixels, whatever its stride.
inline constexpr int kFaceSide = 48;
inline constexpr std::size_t kFaceRowBytes = 6;

// compface's input: the picture as 576 upper-case hexadecimal digits, 12 a row from the
// top, each digit four pixels (its highest bit leftmost), then a zero byte.
inline constexpr std::size_t kHexPictureDigits = 576;
void WriteHexPicture(const uint8_t* rows, std::size_t stride, char* out);

// Moves uncompface's output (48 lines of "0xHHHH," three times and a line feed) into 48
// rows of 6 bytes, `stride` bytes apart.
void ReadDecodedPicture(const char* text, uint8_t* rows, std::size_t stride);

// Reads 48 rows of 6 bytes from `rows`, `stride` bytes apart, writes them into `buffer` as
// compface's 576 hexadecimal digits and has compface replace them with the header text
// (zero-terminated). Returns compface's status: 0 or 1 on success, negative on failure, -2
// also for a face whose code would take more than the 576 characters compface can write (no
// drawn face comes near); on failure the buffer holds no text.
int32_t BitsToXFace(const uint8_t* rows, std::size_t stride, char (&buffer)[kXFaceBufferSize]);

// Decodes header text (its first 2047 bytes at most) and writes 48 rows of 6 bytes at
// `rows`, `stride` bytes apart; bytes 6 and on of a row are left alone. Returns 0, or
// uncompface's negative status, in which case `rows` is left untouched.
int32_t XFaceToBits(std::string_view header_text, uint8_t* rows, std::size_t stride);

}  // namespace vizmark
