// %SetXFace through the real DLL: every answer it gives, the pictures it takes, and the
// request it hands the host.
#include <gtest/gtest.h>
#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "face/xface_codec.h"
#include "hostsim/context_object.h"
#include "hostsim/plugin_module.h"
#include "tests/win/picture_encoder.h"
#include "tests/win/win_test_support.h"

namespace {

using hostsim::ContextObject;
using hostsim::PluginModule;
using testsupport::TempDir;

[[maybe_unused]] const auto* const kSession = testsupport::RegisterTestSession();

class SetXFaceTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    plugin_ = std::make_unique<PluginModule>(PluginModule::DefaultPath());
    plugin_->Initialize();
  }
  static void TearDownTestSuite() {
    plugin_->Finalize();
    plugin_.reset();
  }

  // Runs %SetXFace with these parameters; returns the expansion.
  std::string Run(std::vector<std::string> params) {
    host_ = hostsim::HostState{};
    ContextObject context(&host_), parameters(&host_, std::move(params));
    EXPECT_EQ(plugin_->ExecMacro("SetXFace", 8, &context, &parameters), 0);
    return context.items.empty() ? std::string() : context.items[0];
  }

  // The picture the header the host was asked to set decodes to, 48 rows of 6 bytes.
  std::array<uint8_t, 288> DecodedHeader() {
    std::array<uint8_t, 288> rows{};
    EXPECT_TRUE(host_.composed_xface.has_value());
    EXPECT_EQ(vizmark::XFaceToBits(host_.composed_xface.value_or(""), rows.data(), 6), 0);
    return rows;
  }

  static std::unique_ptr<PluginModule> plugin_;
  hostsim::HostState host_;
  TempDir dir_;
};
std::unique_ptr<PluginModule> SetXFaceTest::plugin_;

// A face of our own: a ring with two eyes and a mouth, 48 x 48.
bool Smiley(int x, int y) {
  const int dx = x - 24, dy = y - 24, r2 = dx * dx + dy * dy;
  if (r2 >= 20 * 20 && r2 < 23 * 23) return true;
  if ((x - 16) * (x - 16) + (y - 18) * (y - 18) < 9) return true;
  if ((x - 32) * (x - 32) + (y - 18) * (y - 18) < 9) return true;
  return y >= 30 && y <= 32 && x >= 16 && x <= 32;
}

std::array<uint8_t, 288> RowsOf(bool (*black)(int, int)) {
  std::array<uint8_t, 288> rows{};
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x)
      if (black(x, y)) rows[static_cast<size_t>(y * 6 + x / 8)] |= 0x80 >> (x % 8);
  return rows;
}

// The smiley in a file of every format the macro reads, drawn so that its face is certain: two
// tones far apart, every face pixel a block of one colour (JPEG's blocks of 8 x 8 each hold
// one), transparency over a colour that would be dark if it showed, and an icon whose largest
// frame is the smiley among frames of solid black.
struct PictureFile {
  std::string name;
  std::string bytes;
  std::size_t signature = 0;  // how many of the first bytes name the format
};
std::vector<PictureFile> SmileyInEveryFormat(const TempDir& dir) {
  using testsupport::Rgba;
  const auto eightfold = [](Rgba ink, Rgba paper) {
    return [=](int x, int y) { return Smiley(x / 8, y / 8) ? ink : paper; };
  };
  const Rgba black{0, 0, 0, 255}, clear{160, 0, 0, 0};
  const std::string png =
      testsupport::EncodePicture(GUID_ContainerFormatPng, GUID_WICPixelFormat32bppBGRA, 384, 384,
                                 eightfold({0, 0, 0, 220}, clear));
  const std::string jpeg =
      testsupport::EncodePicture(GUID_ContainerFormatJpeg, GUID_WICPixelFormat24bppBGR, 384, 384,
                                 eightfold({30, 30, 70, 255}, {240, 230, 200, 255}));
  const std::vector<Rgba> gif_colours = {black, {255, 255, 0, 255}};
  const std::string gif =
      testsupport::EncodePicture(GUID_ContainerFormatGif, GUID_WICPixelFormat8bppIndexed, 384, 384,
                                 eightfold(gif_colours[0], gif_colours[1]), gif_colours);
  const std::string tiff =
      testsupport::EncodePicture(GUID_ContainerFormatTiff, GUID_WICPixelFormat24bppBGR, 384, 384,
                                 eightfold({90, 0, 0, 255}, {200, 255, 200, 255}));
  const auto solid = [=](int, int) { return black; };
  const std::string icon = testsupport::EncodeIcon(
      {{32, solid},
       {96, [=](int x, int y) { return Smiley(x / 2, y / 2) ? black : clear; }},
       {16, solid}});
  testsupport::WriteBmp(
      dir.File("big.bmp"), 1920, 1920, 24, false,
      [](int x, int y) { return Smiley(x / 40, y / 40); }, RGB(250, 200, 120));
  const std::string bmp = testsupport::ReadFileBytes(dir.File("big.bmp"));
  return {{"smiley.png", png, 8},  {"smiley.JPG", jpeg, 2}, {"smiley.jpeg", jpeg, 2},
          {"smiley.Gif", gif, 6},  {"smiley.tif", tiff, 4}, {"smiley.TIFF", tiff, 4},
          {"smiley.ico", icon, 4}, {"big.bmp", bmp, 2}};
}

TEST_F(SetXFaceTest, AnswersEachFailureWithItsMessage) {
  CreateDirectoryA(dir_.File("folder.bmp").c_str(), nullptr);
  testsupport::WriteFileBytes(dir_.File("face.webp"), "RIFF");
  testsupport::WriteFileBytes(dir_.File("noext"), "x");
  CreateDirectoryA(dir_.File("dotted.d").c_str(), nullptr);
  testsupport::WriteFileBytes(dir_.File("dotted.d\\plain"), "x");
  const std::string missing_gif = dir_.File("missing.gif");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "za malo parametr\xF3w"},
      {{""}, "X-Face Error: File \"\" not found!"},
      {{missing_gif}, "X-Face Error: File \"" + missing_gif + "\" not found!"},
      {{dir_.File("folder.bmp")},
       "X-Face Error: File \"" + dir_.File("folder.bmp") + "\" not found!"},
      {{dir_.File("face.webp")}, "X-Face Error: Unknown file extension."},
      {{dir_.File("noext")}, "X-Face Error: Unknown file extension."},
      {{dir_.File("dotted.d\\plain")}, "X-Face Error: Unknown file extension."},
  };
  for (const auto& [params, expected] : cases) {
    EXPECT_EQ(Run(params), expected) << (params.empty() ? "(none)" : params[0]);
    EXPECT_TRUE(host_.evaluated.empty());
  }
}

TEST_F(SetXFaceTest, ABlackAndWhiteBitmapBecomesTheHeaderPixelForPixel) {
  for (int bits : {1, 4, 8, 24, 32}) {
    for (bool top_down : {false, true}) {
      const std::string path =
          dir_.File("face" + std::to_string(bits) + (top_down ? "t" : "b") + ".Bmp");
      ASSERT_TRUE(testsupport::WriteBmp(path, 48, 48, bits, top_down, Smiley));
      EXPECT_EQ(Run({path, "ignored"}), "") << path;
      EXPECT_EQ(DecodedHeader(), RowsOf(Smiley)) << path;
      ASSERT_EQ(host_.evaluated.size(), 1u);
      const std::string& request = host_.evaluated[0];
      EXPECT_TRUE(request.starts_with("%SETHEADER(\"X-Face\", \" "));
      EXPECT_TRUE(request.ends_with("\n\")%-"));
    }
  }
}

TEST_F(SetXFaceTest, ALargerBitmapIsScaledDown) {
  const std::string path = dir_.File("big.bmp");
  ASSERT_TRUE(testsupport::WriteBmp(path, 96, 96, 24, false,
                                    [](int x, int y) { return Smiley(x / 2, y / 2); }));
  EXPECT_EQ(Run({path}), "");
  EXPECT_EQ(DecodedHeader(), RowsOf(Smiley));
}

// Colours count by their brightness, measured against the picture's own range: a light
// background turns white, and so does a dark red one behind black, the lighter of the
// picture's two tones (a drawing in dark red and black is a black drawing on white, not a
// black square).
TEST_F(SetXFaceTest, AColourBitmapIsTakenByBrightness) {
  const std::pair<COLORREF, bool (*)(int, int)> cases[] = {
      {RGB(250, 200, 120), Smiley},
      {RGB(200, 40, 40), Smiley},
  };
  for (const auto& [colour, face] : cases) {
    const std::string path = dir_.File("colour.bmp");
    ASSERT_TRUE(testsupport::WriteBmp(path, 48, 48, 24, true, Smiley, colour));
    EXPECT_EQ(Run({path}), "");
    EXPECT_EQ(DecodedHeader(), RowsOf(face)) << std::hex << colour;
  }
}

TEST_F(SetXFaceTest, AFileThatIsNoLoadableBitmapSaysSo) {
  std::string good = [&] {
    testsupport::WriteBmp(dir_.File("good.bmp"), 48, 48, 24, false, Smiley);
    return testsupport::ReadFileBytes(dir_.File("good.bmp"));
  }();
  std::string huge = good;
  huge[18] = huge[19] = huge[20] = char(0x7F);  // width of about 8 million
  std::string bad_bits = good;
  bad_bits[28] = 7;
  std::string offset_past_end = good;
  offset_past_end[10] = offset_past_end[11] = offset_past_end[12] = char(0x7F);
  const std::pair<const char*, std::string> cases[] = {
      {"one_byte.bmp", "B"},
      {"not_a_bmp.bmp", "This is not a picture at all, just some text."},
      {"truncated_header.bmp", good.substr(0, 20)},
      {"truncated_pixels.bmp", good.substr(0, good.size() / 2)},
      {"huge.bmp", huge},
      {"bad_bits.bmp", bad_bits},
      {"offset_past_end.bmp", offset_past_end},
      {"empty.bmp", ""},
      {"zero_width.bmp",
       [&] {
         std::string b = good;
         b[18] = b[19] = b[20] = b[21] = 0;
         return b;
       }()},
  };
  for (const auto& [name, bytes] : cases) {
    const std::string path = dir_.File(name);
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    EXPECT_EQ(Run({path}), "X-Face Error: Can't load bitmap file: \"" + path + "\"") << name;
    EXPECT_TRUE(host_.evaluated.empty()) << name;
  }
}

TEST_F(SetXFaceTest, APictureOfAnyFormatAndSizeGivesItsFace) {
  for (const auto& [name, bytes, signature] : SmileyInEveryFormat(dir_)) {
    ASSERT_FALSE(bytes.empty()) << name;
    const std::string path = dir_.File(name);
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    EXPECT_EQ(Run({path}), "") << name;
    EXPECT_EQ(DecodedHeader(), RowsOf(Smiley)) << name;
  }
}

uint32_t Crc32(std::string_view bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (const char byte : bytes) {
    crc ^= static_cast<uint8_t>(byte);
    for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (crc & 1 ? 0xEDB88320 : 0);
  }
  return ~crc;
}

// A picture file that is cut short, garbled after the bytes that name its format, empty, or that
// claims 100000 x 100000 pixels (the decoder must refuse it before it makes room for them) cannot
// be loaded, whatever its format.
TEST_F(SetXFaceTest, ABrokenOrHugePictureCannotBeLoaded) {
  std::vector<PictureFile> cases;
  for (const auto& [name, bytes, signature] : SmileyInEveryFormat(dir_)) {
    cases.push_back({"cut_" + name, bytes.substr(0, bytes.size() / 2)});
    std::string garbled = bytes;
    std::fill_n(garbled.begin() + static_cast<std::ptrdiff_t>(signature), 56, '\xA5');
    cases.push_back({"garbled_" + name, garbled});
    cases.push_back({"empty_" + name, ""});
  }
  std::string png = SmileyInEveryFormat(dir_)[0].bytes;
  const std::string huge_side("\x00\x01\x86\xA0", 4);  // 100000, as PNG and BMP write it
  png.replace(16, 4, huge_side).replace(20, 4, huge_side);
  const uint32_t crc = Crc32(std::string_view(png).substr(12, 17));  // of "IHDR" and its data
  png.replace(29, 4, {char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)});
  cases.push_back({"huge.png", png});
  std::string bmp = testsupport::ReadFileBytes(dir_.File("big.bmp"));
  const std::string huge_bmp_side(huge_side.rbegin(), huge_side.rend());
  bmp.replace(18, 4, huge_bmp_side).replace(22, 4, huge_bmp_side);
  cases.push_back({"huge.bmp", bmp});
  for (const auto& [name, bytes, signature] : cases) {
    const std::string path = dir_.File(name);
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    EXPECT_EQ(Run({path}), "X-Face Error: Can't load bitmap file: \"" + path + "\"") << name;
    EXPECT_TRUE(host_.evaluated.empty()) << name;
  }
}

// An 8-bit run-length BMP of 48 x 48, colour 1 black and every other one white.
std::string Rle8(const std::string& data) {
  std::string bytes = "BM";
  auto put = [&bytes](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) bytes += static_cast<char>(v >> (8 * i));
  };
  const uint32_t offset = 14 + 40 + 256 * 4;
  put(offset + static_cast<uint32_t>(data.size()), 4);
  put(0, 4);
  put(offset, 4);
  put(40, 4), put(48, 4), put(48, 4), put(1, 2), put(8, 2), put(BI_RLE8, 4);
  put(static_cast<uint32_t>(data.size()), 4), put(0, 4), put(0, 4), put(256, 4), put(0, 4);
  for (int i = 0; i < 256; ++i) put(i == 1 ? 0 : 0x00FFFFFF, 4);
  return bytes + data;
}

// Sound run-length data: row n from the bottom is a run of n black pixels and a run of white
// ones; the bottom row is given pixel by pixel, black at 0 and 2.
bool Triangle(int x, int y) { return y == 47 ? x == 0 || x == 2 : x < 47 - y; }
std::string TriangleRuns() {
  std::string data("\x00\x04\x01\x00\x01\x00\x2C\x00\x00\x00", 10);
  for (char n = 1; n < 48; ++n) data += std::string{n, 1, char(48 - n), 0, 0, 0};
  data[data.size() - 1] = 1;  // the last row's end is the picture's end
  return data;
}

TEST_F(SetXFaceTest, SoundRunLengthDataGivesItsFace) {
  const std::string path = dir_.File("triangle.bmp");
  ASSERT_TRUE(testsupport::WriteFileBytes(path, Rle8(TriangleRuns())));
  EXPECT_EQ(Run({path}), "");
  EXPECT_EQ(DecodedHeader(), RowsOf(Triangle));
}

// Run-length data that runs past its rows, jumps outside the picture or stops early would be
// drawn as each system makes of it: the file is refused instead.
TEST_F(SetXFaceTest, LyingRunLengthDataIsNoLoadableBitmap) {
  const std::pair<const char*, std::string> cases[] = {
      {"long_runs.bmp", Rle8(std::string("\xFF\x01\xFF\x01\xFF\x01\x00\x01", 8))},
      {"far_jump.bmp", Rle8(std::string("\x00\x02\xFF\xFF\x05\x01\x00\x01", 8))},
      {"no_end.bmp", Rle8(std::string("\x30\x01\x30\x01", 4))},
      {"literal_past_end.bmp", Rle8(std::string("\x00\xFF\x01\x01", 4))},
      {"rows_past_the_top.bmp", Rle8(TriangleRuns().insert(0, std::string("\x30\x00\x00\x00", 4)))},
      {"sound_but_cut.bmp", Rle8(TriangleRuns().substr(0, 100))},
  };
  for (const auto& [name, bytes] : cases) {
    const std::string path = dir_.File(name);
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    EXPECT_EQ(Run({path}), "X-Face Error: Can't load bitmap file: \"" + path + "\"") << name;
    EXPECT_TRUE(host_.evaluated.empty()) << name;
  }
}

// With GDI out of handles, and then with one more handle each time, the macro either makes
// the face right or answers with an error and sets no header: never a blank or half-drawn
// face. Once GDI has its handles back, the same file gives its face. Only the loading needs
// handles (the face is made from the loaded picture's pixels), so running short of them is
// a file that cannot be loaded.
TEST_F(SetXFaceTest, WithoutGdiHandlesItIsAnErrorNotABlankFace) {
  const std::string path = dir_.File("face.bmp");
  ASSERT_TRUE(testsupport::WriteBmp(path, 48, 48, 24, false, Smiley));
  const std::string image_error = "X-Face Error: image process error!";
  const std::string not_loaded = "X-Face Error: Can't load bitmap file: \"" + path + "\"";
  std::set<std::string> answers;
  {
    testsupport::GdiHandlesTaken taken;
    ASSERT_GT(taken.count(), 0u);
    for (int given_back = 0; given_back < 8; ++given_back, taken.GiveBack(1)) {
      const std::string result = Run({path});
      answers.insert(result);
      if (result.empty()) {
        EXPECT_EQ(DecodedHeader(), RowsOf(Smiley)) << given_back;
      } else {
        EXPECT_TRUE(result == image_error || result == not_loaded) << given_back << ": " << result;
        EXPECT_TRUE(host_.evaluated.empty()) << given_back;
      }
    }
  }
  EXPECT_TRUE(answers.contains(not_loaded));
  EXPECT_EQ(Run({path}), "");
  EXPECT_EQ(DecodedHeader(), RowsOf(Smiley));
}

TEST_F(SetXFaceTest, ATextFileIsTakenVerbatimAndEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"ab\"c%d", "ab\"\"c%%d"},
      {std::string("abc\0def", 7), "abc"},
      {" face\r\n more\r\n", " face\r\n more\r\n"},
  };
  int n = 0;
  for (const auto& [content, escaped] : cases) {
    const std::string path = dir_.File("face" + std::to_string(n++) + ".bmp.TXT");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, content));
    EXPECT_EQ(Run({path}), "");
    ASSERT_EQ(host_.evaluated.size(), 1u);
    EXPECT_EQ(host_.evaluated[0], "%SETHEADER(\"X-Face\", \"" + escaped + "\")%-");
  }
}

// Another program that only reads the file (a virus scanner, an indexer) lets us read it too;
// one that writes it, or shares it with nobody, keeps it to itself until it lets go.
TEST_F(SetXFaceTest, ATextFileHeldOpenIsReadUnlessTheOtherOpenerForbidsIt) {
  const std::string path = dir_.File("busy.txt");
  ASSERT_TRUE(testsupport::WriteFileBytes(path, "face"));
  const std::string cannot_read = "X-Face Error: Can't read file: \"" + path + "\"";
  const struct {
    DWORD access, share;
    bool readable;
  } cases[] = {
      {GENERIC_READ, FILE_SHARE_READ, true},
      {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
      {GENERIC_READ, 0, false},
      {GENERIC_WRITE, 0, false},
      {GENERIC_WRITE, FILE_SHARE_READ, false},
  };
  for (const auto& [access, share, readable] : cases) {
    vizmark::UniqueHandle held(
        CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(Run({path}), readable ? "" : cannot_read) << std::hex << access << " " << share;
    EXPECT_EQ(host_.evaluated.size(), readable ? 1u : 0u);
    held.reset();
    EXPECT_EQ(Run({path}), "");
    EXPECT_EQ(host_.evaluated, std::vector<std::string>{"%SETHEADER(\"X-Face\", \"face\")%-"});
  }
}

// A device is no file: whatever its extension, it gives the message of that kind of file at
// once, without reading from it (NUL would give an empty face, COM1 could wait for a line).
TEST_F(SetXFaceTest, ADeviceNameIsNoFile) {
  for (const char* name : {"NUL", "nul", "COM1", "CON", "AUX", "LPT1"}) {
    for (const char* extension : {".txt", ".bmp", ".png"}) {
      const std::string path = dir_.File(std::string(name) + extension);
      const std::string expected = extension == std::string(".txt")
                                       ? "X-Face Error: Can't read file: \"" + path + "\""
                                       : "X-Face Error: Can't load bitmap file: \"" + path + "\"";
      EXPECT_EQ(Run({path}), expected);
      EXPECT_TRUE(host_.evaluated.empty()) << path;
    }
  }
}

// A folder chain under `base`, made and removed with the wide calls, deep enough that the
// file named `name` in its last folder has a path of exactly `length` characters.
class DeepFolder {
 public:
  DeepFolder(const std::string& base, const std::string& name, std::size_t length) {
    std::string path = base;
    while (path.size() + 1 + name.size() < length) {
      const std::size_t left = length - path.size() - 1 - name.size();
      // Each folder name at most 100 characters, and never leave less than 2 for the next.
      std::size_t part = std::min<std::size_t>(left - 1, 100);
      if (left - 1 - part == 1) --part;
      path += "\\" + std::string(part, 'd');
      if (!CreateDirectoryW(Long(path).c_str(), nullptr)) return;
      folders_.push_back(path);
    }
    file_ = path + "\\" + name;
  }
  ~DeepFolder() {
    DeleteFileW(Long(file_).c_str());
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder)
      RemoveDirectoryW(Long(*folder).c_str());
  }
  const std::string& file() const { return file_; }
  bool Write(const std::string& bytes) const {
    vizmark::UniqueHandle file(CreateFileW(Long(file_).c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
  }

 private:
  static std::wstring Long(const std::string& path) {
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
  }
  std::vector<std::string> folders_;
  std::string file_;
};

TEST_F(SetXFaceTest, APathLongerThanMaxPathWorks) {
  ASSERT_TRUE(testsupport::WriteBmp(dir_.File("short.bmp"), 48, 48, 1, false, Smiley));
  const std::pair<const char*, std::string> cases[] = {
      {"face.txt", " text face"},
      {"face.bmp", testsupport::ReadFileBytes(dir_.File("short.bmp"))},
  };
  const std::string base = dir_.File("x").substr(0, dir_.File("x").size() - 2);
  for (const auto& [name, bytes] : cases) {
    const DeepFolder deep(base, name, 339);
    ASSERT_EQ(deep.file().size(), 339u);
    ASSERT_TRUE(deep.Write(bytes));
    EXPECT_EQ(Run({deep.file()}), "") << name;
    ASSERT_EQ(host_.evaluated.size(), 1u) << name;
    if (std::string(name) == "face.txt")
      EXPECT_EQ(host_.composed_xface.value_or(""), bytes);
    else
      EXPECT_EQ(DecodedHeader(), RowsOf(Smiley));
  }
}

TEST_F(SetXFaceTest, TheSampleFaceGivesItsOwnHeader) {
  const char* sample = std::getenv("VIZMARK_SAMPLE_DIR");
  ASSERT_NE(sample, nullptr);
  const std::string folder = sample;
  EXPECT_EQ(Run({folder + "\\face.bmp"}), "");
  EXPECT_EQ(host_.composed_xface.value_or(""), testsupport::ReadFileBytes(folder + "\\face.txt"));
}

// For the check with a decoder other than compface (FFmpeg's, run natively after this
// test): each header the macro produced, and the pixels its picture has.
TEST_F(SetXFaceTest, HeadersForAnIndependentDecoder) {
  const char* out = std::getenv("VIZMARK_XFACE_CHECK_DIR");
  if (out == nullptr) GTEST_SKIP() << "VIZMARK_XFACE_CHECK_DIR not set";
  // Only this run's headers: a kept folder still holds whatever an earlier run left.
  CreateDirectoryA(out, nullptr);
  testsupport::EmptyFolder(out);
  bool (*const pictures[])(int, int) = {Smiley, [](int x, int y) { return (x + y) % 3 == 0; },
                                        [](int x, int y) { return (x < 24) != (y < 24); },
                                        [](int x, int) { return x == 0 || x == 47; }};
  int n = 0;
  for (auto* picture : pictures) {
    const std::string bmp = dir_.File("check.bmp");
    ASSERT_TRUE(testsupport::WriteBmp(bmp, 48, 48, 1, false, picture));
    ASSERT_EQ(Run({bmp}), "");
    const std::string name = std::string(out) + "\\face" + std::to_string(n++);
    std::string gray;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x) gray += picture(x, y) ? '\0' : '\xFF';
    ASSERT_TRUE(testsupport::WriteFileBytes(name + ".xface", host_.composed_xface.value_or("")));
    ASSERT_TRUE(testsupport::WriteFileBytes(name + ".gray", gray));
  }
  std::string smiley;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) smiley += Smiley(x, y) ? '\0' : '\xFF';
  for (const auto& [file, bytes, signature] : SmileyInEveryFormat(dir_)) {
    ASSERT_TRUE(testsupport::WriteFileBytes(dir_.File(file), bytes));
    ASSERT_EQ(Run({dir_.File(file)}), "") << file;
    const std::string name = std::string(out) + "\\" + file;
    ASSERT_TRUE(testsupport::WriteFileBytes(name + ".xface", host_.composed_xface.value_or("")));
    ASSERT_TRUE(testsupport::WriteFileBytes(name + ".gray", smiley));
  }
}

}  // namespace
