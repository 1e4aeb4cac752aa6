#include "face/declared_size.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vizmark {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kSide = 65535;
constexpr uint64_t kPixels = uint64_t{64} << 20;

void Le16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Le32(Bytes& b, uint32_t v) {
  Le16(b, v & 0xFFFF);
  Le16(b, v >> 16);
}
void Be16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); }
void Be32(Bytes& b, uint32_t v) {
  Be16(b, v >> 16);
  Be16(b, v & 0xFFFF);
}
void Text(Bytes& b, const std::string& t) { b.insert(b.end(), t.begin(), t.end()); }

Bytes Png(uint32_t w, uint32_t h) {
  Bytes b;
  Text(b, std::string("\x89PNG\r\n\x1A\n", 8));
  Be32(b, 13);
  Text(b, "IHDR");
  Be32(b, w);
  Be32(b, h);
  b.insert(b.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});  // depth, type, methods, CRC (unread)
  return b;
}

Bytes BmpInfo(int32_t w, int32_t h) {
  Bytes b;
  Le32(b, 40);
  Le32(b, static_cast<uint32_t>(w));
  Le32(b, static_cast<uint32_t>(h));
  Le16(b, 1);
  Le16(b, 24);
  for (int i = 0; i < 6; ++i) Le32(b, 0);
  return b;
}

Bytes Bmp(int32_t w, int32_t h) {
  Bytes b;
  Text(b, "BM");
  for (int i = 0; i < 3; ++i) Le32(b, 0);
  const Bytes info = BmpInfo(w, h);
  b.insert(b.end(), info.begin(), info.end());
  return b;
}

// A GIF whose screen is `screen` square and which holds one image of each size in `images`,
// the first after a graphic control extension, each with two sub-blocks of data.
Bytes Gif(uint32_t screen, const std::vector<std::pair<uint32_t, uint32_t>>& images) {
  Bytes b;
  Text(b, "GIF89a");
  Le16(b, screen);
  Le16(b, screen);
  b.insert(b.end(), {0x80, 0, 0});              // a global table of 2 colours
  b.insert(b.end(), {0, 0, 0, 255, 255, 255});  // its colours
  b.insert(b.end(), {0x21, 0xF9, 4, 0, 0, 0, 0, 0});
  for (const auto& [w, h] : images) {
    b.push_back(0x2C);
    Le16(b, 0);
    Le16(b, 0);
    Le16(b, w);
    Le16(b, h);
    b.insert(b.end(), {0x81, 0, 0, 0, 1, 1, 1});  // a local table of 4 colours
    b.insert(b.end(), {0, 0, 0, 0, 0, 0});
    b.insert(b.end(), {2, 2, 0xAA, 0xBB, 1, 0xCC, 0});  // LZW size, sub-blocks, end
  }
  b.push_back(0x3B);
  return b;
}

// `count` images of one size, for Gif().
std::vector<std::pair<uint32_t, uint32_t>> Images(std::size_t count, uint32_t w, uint32_t h) {
  return std::vector<std::pair<uint32_t, uint32_t>>(count, {w, h});
}

// A JPEG with `before_frame` between its APP0 segment and its frame.
Bytes Jpeg(uint32_t w, uint32_t h, const Bytes& before_frame = {}) {
  Bytes b = {0xFF, 0xD8, 0xFF, 0xE0};
  Be16(b, 6);
  Text(b, "JFIF");
  b.insert(b.end(), before_frame.begin(), before_frame.end());
  b.insert(b.end(), {0xFF, 0xFF, 0xC2});  // a fill byte, then a progressive frame
  Be16(b, 11);
  b.push_back(8);
  Be16(b, h);
  Be16(b, w);
  b.insert(b.end(), {1, 1, 0x11, 0});
  b.insert(b.end(), {0xFF, 0xDA});
  return b;
}

Bytes Tiff(bool little, uint32_t w, uint32_t h, uint16_t width_type = 4) {
  Bytes b;
  auto u16 = [&](uint32_t v) { little ? Le16(b, v) : Be16(b, v); };
  auto u32 = [&](uint32_t v) { little ? Le32(b, v) : Be32(b, v); };
  Text(b, little ? std::string("II*\0", 4) : std::string("MM\0*", 4));
  u32(8);
  u16(3);
  u16(256), u16(width_type), u32(1), width_type == 3 ? (u16(w), u16(0)) : u32(w);
  u16(257), u16(3), u32(1), u16(h), u16(0);
  u16(259), u16(3), u32(1), u16(1), u16(0);
  u32(0);
  return b;
}

// An icon of the given images, each a PNG or BMP (whose height counts the mask too).
Bytes Icon(const std::vector<Bytes>& images) {
  Bytes b;
  Le16(b, 0);
  Le16(b, 1);
  Le16(b, static_cast<uint32_t>(images.size()));
  uint32_t at = 6 + 16 * static_cast<uint32_t>(images.size());
  for (const Bytes& image : images) {
    b.insert(b.end(), {0, 0, 0, 0});
    Le16(b, 1);
    Le16(b, 32);
    Le32(b, static_cast<uint32_t>(image.size()));
    Le32(b, at);
    at += static_cast<uint32_t>(image.size());
  }
  for (const Bytes& image : images) b.insert(b.end(), image.begin(), image.end());
  return b;
}

Bytes Cut(Bytes b, std::size_t size) {
  b.resize(size);
  return b;
}

// `b` with `value` written over the four bytes at `at`, little-endian.
Bytes Patched(Bytes b, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(value >> 8 * i);
  return b;
}

TEST(DeclaredSizeTest, EachFormatsSizesAreCheckedAgainstTheLimits) {
  using enum DeclaredSize;
  const struct {
    const char* name;
    Bytes file;
    DeclaredSize expected;
  } cases[] = {
      {"png", Png(4000, 3000), kAcceptable},
      {"png side", Png(65536, 1), kTooLarge},
      {"png pixels", Png(100000, 100000), kTooLarge},
      {"png 8193 x 8193", Png(8193, 8193), kTooLarge},
      {"png 8192 x 8192", Png(8192, 8192), kAcceptable},
      {"png zero", Png(0, 48), kTooLarge},
      {"png cut in its IHDR", Cut(Png(48, 48), 20), kUnknown},
      {"bmp bottom-up", Bmp(4000, 3000), kAcceptable},
      {"bmp top-down", Bmp(48, -48), kAcceptable},
      {"bmp pixels", Bmp(100000, 100000), kTooLarge},
      {"bmp tallest top-down", Bmp(48, INT32_MIN), kTooLarge},
      {"bmp negative width", Bmp(-48, 48), kTooLarge},
      {"bmp cut", Cut(Bmp(48, 48), 20), kUnknown},
      {"gif", Gif(100, {{100, 100}, {10, 10}}), kAcceptable},
      {"gif screen", Gif(65535, {{10, 10}}), kTooLarge},
      {"gif second image", Gif(100, {{10, 10}, {65535, 65535}}), kTooLarge},
      {"gif cut in its data", Cut(Gif(100, {{10, 10}, {65535, 65535}}), 40), kAcceptable},
      {"gif four images of the most pixels", Gif(100, Images(4, 8192, 8192)), kAcceptable},
      {"gif pixels of its images in all", Gif(100, Images(5, 8192, 8192)), kTooLarge},
      {"gif long animation", Gif(480, Images(1000, 480, 360)), kAcceptable},
      {"jpeg", Jpeg(4000, 3000), kAcceptable},
      {"jpeg pixels", Jpeg(65535, 65535), kTooLarge},
      {"jpeg height given later", Jpeg(48, 0), kTooLarge},
      {"jpeg cut before its frame", Cut(Jpeg(48, 48), 12), kUnknown},
      {"jpeg stray bytes before its frame", Jpeg(65535, 65535, {0x00, 0x12}), kTooLarge},
      {"jpeg stuffed zero before its frame", Jpeg(65535, 65535, {0xFF, 0x00}), kTooLarge},
      {"jpeg segment shorter than its length", Jpeg(65535, 65535, {0xFF, 0xE1, 0, 0}), kTooLarge},
      {"jpeg stray bytes, fill and stuffed zeros", Jpeg(4000, 3000, {1, 0xFF, 0, 0xFF, 0xFF, 0, 2}),
       kAcceptable},
      {"tiff II", Tiff(true, 4000, 3000), kAcceptable},
      {"tiff MM", Tiff(false, 4000, 3000), kAcceptable},
      {"tiff short width", Tiff(true, 100, 100, 3), kAcceptable},
      {"tiff pixels", Tiff(false, 100000, 100000), kTooLarge},
      {"tiff width of an odd type", Tiff(true, 48, 48, 5), kUnknown},
      {"tiff cut in its directory", Cut(Tiff(true, 48, 48), 20), kUnknown},
      {"ico", Icon({Png(256, 256), BmpInfo(48, 96)}), kAcceptable},
      {"ico png", Icon({Png(16, 16), Png(100000, 100000)}), kTooLarge},
      {"ico bmp", Icon({BmpInfo(100000, 200000)}), kTooLarge},
      {"ico bmp's height counts the mask", Icon({BmpInfo(8192, 16384)}), kAcceptable},
      {"ico pixels of its images in all", Icon({Png(8192, 8192), BmpInfo(8192, 16384)}), kTooLarge},
      {"ico png cut after its size", Cut(Icon({Png(100000, 100000)}), 6 + 16 + 24), kTooLarge},
      {"ico bmp cut after its size", Cut(Icon({BmpInfo(100000, 200000)}), 6 + 16 + 12), kTooLarge},
      {"ico image's size past 4 GB", Patched(Icon({Png(100000, 100000)}), 6 + 8, 0xFFFFFFF0),
       kTooLarge},
      {"ico image past its end", Patched(Icon({Png(16, 16)}), 6 + 12, 6 + 16 + 34), kTooLarge},
      {"ico cut in its directory", Cut(Icon({Png(16, 16)}), 12), kUnknown},
      {"ico cut in its header", Cut(Icon({Png(16, 16)}), 4), kUnknown},
      {"empty", {}, kUnknown},
      {"text", {'h', 'e', 'l', 'l', 'o'}, kUnknown},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckDeclaredSize(c.file, kSide, kPixels), c.expected) << c.name;
}

}  // namespace
}  // namespace vizmark
