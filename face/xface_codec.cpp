#include "face/xface_codec.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <mutex>

extern "C" {
#include <compface.h>
}

namespace vizmark {

namespace {

// compface keeps its working state in globals, so one conversion runs at a time.
std::mutex g_codec_lock;

constexpr char kHexDigits[] = "0123456789ABCDEF";

// uncompface writes 48 lines of three words, each "0x" + 4 hex digits + ",", and a line
// feed: 22 bytes a line, word w of line y at 22y + 7w.
constexpr std::size_t kLineBytes = 22;
constexpr std::size_t kWordBytes = 7;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads "0xHHHH" as a hexadecimal integer is read: an optional 0x, then digits up to the
// first byte that is not one.
unsigned ReadWord(const char* at) {
  if (at[0] == '0' && (at[1] == 'x' || at[1] == 'X')) at += 2;
  unsigned value = 0;
  for (int digit; (digit = HexValue(*at)) >= 0; ++at) value = (value << 4) | unsigned(digit);
  return value;
}

// compface writes the code's digits into a static buffer of DIGITS (576) bytes before it
// copies them out, and does not check that they fit. Most faces need about 350 digits, but a
// face can be made to need 608: every 2 x 2 square black in the costliest way, and one white
// square in each 16 x 16 block so that no block can be coded as black as a whole. So the
// steps of compface() are taken here one by one (in its order), and the code is measured
// before it is written. Nothing here may need destroying: compface leaves through longjmp.
int32_t EncodeFace(char* buffer) {
  switch (setjmp(comp_env)) {
    case 0:
      break;
    case ERR_INSUFF:
      return ERR_INSUFF;
    default:
      return ERR_INTERNAL;
  }
  status = ERR_OK;
  ReadFace(buffer);
  GenFace();
  for (int y = 0; y < HEIGHT; y += 16)
    for (int x = 0; x < WIDTH; x += 16) Compress(F + y * WIDTH + x, 16, 16, 0);
  BigClear();
  while (NumProbs > 0) BigPush(ProbBuf[--NumProbs]);

  // B < 256^471 = 2^3768 always fits in 576 digits (94^576 is about 2^3775.5); a longer
  // number is counted out on a copy.
  if (B.b_words > 471) {
    const BigInt kept = B;
    int digits = 0;
    for (WORD digit; B.b_words > 0; ++digits) BigDiv(NUMPRINTS, &digit);
    B = kept;
    if (digits > DIGITS) return ERR_INTERNAL;
  }
  BigWrite(buffer);
  return status;
}

}  // namespace

void WriteHexPicture(const uint8_t* rows, std::size_t stride, char* out) {
  for (int y = 0; y < kFaceSide; ++y, rows += stride) {
    for (std::size_t x = 0; x < kFaceRowBytes; ++x) {
      *out++ = kHexDigits[rows[x] >> 4];
      *out++ = kHexDigits[rows[x] & 0x0F];
    }
  }
  *out = '\0';
}

void ReadDecodedPicture(const char* text, uint8_t* rows, std::size_t stride) {
  for (int y = 0; y < kFaceSide; ++y, rows += stride) {
    for (std::size_t w = 0; w < 3; ++w) {
      const unsigned word = ReadWord(text + kLineBytes * y + kWordBytes * w);
      rows[2 * w] = static_cast<uint8_t>(word >> 8);
      rows[2 * w + 1] = static_cast<uint8_t>(word & 0xFF);
    }
  }
}

int32_t BitsToXFace(const uint8_t* rows, std::size_t stride, char (&buffer)[kXFaceBufferSize]) {
  WriteHexPicture(rows, stride, buffer);
  std::lock_guard<std::mutex> guard(g_codec_lock);
  const int32_t result = EncodeFace(buffer);
  if (result < 0) buffer[0] = '\0';
  return result;
}

int32_t XFaceToBits(std::string_view header_text, uint8_t* rows, std::size_t stride) {
  char buffer[kXFaceBufferSize];
  const std::size_t n = std::min(header_text.size(), kXFaceBufferSize - 1);
  std::memcpy(buffer, header_text.data(), n);
  std::memset(buffer + n, 0, kXFaceBufferSize - n);
  {
    std::lock_guard<std::mutex> guard(g_codec_lock);
    const int status = uncompface(buffer);
    if (status < 0) return status;
  }
  ReadDecodedPicture(buffer, rows, stride);
  return 0;
}

}  // namespace vizmark
