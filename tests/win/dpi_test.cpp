// The face at the panel's pixels per inch, and colour faces, through the real DLL in hostsim.
// Each picture is taken by a hostsim process of its own, in this program's own Wine prefix,
// at the pixels per inch asked for (hostsim sets the prefix's setting for its run).
#include <windows.h>
// after windows.h
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "face/face_scaling.h"
#include "face/xface_codec.h"
#include "tests/win/win_test_support.h"

namespace {

using vizmark::kFaceSide;
using vizmark::ScaleToDpi;

constexpr char kSettingsKey[] = "Software\\RIT\\The Bat!\\Vizmark";

std::string FromEnvFolder(const char* variable, const std::string& name) {
  const char* folder = std::getenv(variable);
  return folder == nullptr ? std::string()
                           : testsupport::ReadFileBytes(std::string(folder) + "\\" + name);
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.erase(folder.find_last_of("\\/") + 1);
}

// The client area of hostsim's main window (the header panel spans its top), and what
// %DisplayXFace expanded to.
struct Shot {
  int width = 0, height = 0;
  std::vector<uint8_t> bgr;  // 3 bytes a pixel, rows from the top
  std::string output;

  const uint8_t* At(int x, int y) const {
    return &bgr[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
  }
};

// hostsim's BMP: 24 bits a pixel, rows from the bottom, each padded to 4 bytes.
Shot ReadShot(const std::string& bytes) {
  Shot shot;
  if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return shot;
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  std::memcpy(&file, bytes.data(), sizeof file);
  std::memcpy(&info, bytes.data() + sizeof file, sizeof info);
  if (info.biBitCount != 24 || info.biWidth <= 0 || info.biHeight <= 0) return shot;
  const size_t width = static_cast<size_t>(info.biWidth),
               height = static_cast<size_t>(info.biHeight);
  const size_t stride = (width * 3 + 3) / 4 * 4;
  if (bytes.size() < file.bfOffBits + stride * height) return shot;
  shot.width = info.biWidth;
  shot.height = info.biHeight;
  for (size_t y = 0; y < height; ++y) {
    const char* row = bytes.data() + file.bfOffBits + (height - 1 - y) * stride;
    shot.bgr.insert(shot.bgr.end(), row, row + width * 3);
  }
  return shot;
}

// Runs hostsim.exe --dpi DPI show, with these headers (none: the message has no "Face").
Shot ShowAt(int dpi, const std::string& xface, const std::optional<std::string>& face) {
  testsupport::TempDir dir;
  testsupport::WriteFileBytes(dir.File("xface.txt"), xface);
  std::string command = "\"" + ProgramFolder() + "hostsim.exe\" --dpi " + std::to_string(dpi) +
                        " show \"" + dir.File("xface.txt") + "\" \"" + dir.File("shot.bmp") + "\"";
  if (face) {
    testsupport::WriteFileBytes(dir.File("face.txt"), *face);
    command += " --face \"" + dir.File("face.txt") + "\"";
  }
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  vizmark::UniqueHandle output(CreateFileA(dir.File("output.txt").c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output.get();
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot run " << command;
    return {};
  }
  vizmark::UniqueHandle running(process.hProcess), thread(process.hThread);
  WaitForSingleObject(running.get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(running.get(), &code);
  EXPECT_EQ(code, 0u) << command;
  output.reset();
  Shot shot = ReadShot(testsupport::ReadFileBytes(dir.File("shot.bmp")));
  shot.output = testsupport::ReadFileBytes(dir.File("output.txt"));
  return shot;
}

// Where the face goes at `dpi` on a panel `width` pixels wide.
RECT FaceRect(int width, int dpi) {
  const int side = ScaleToDpi(kFaceSide, dpi), margin = ScaleToDpi(4, dpi);
  return {width - margin - side, margin, width - margin, margin + side};
}

// The face's pixels, B, G, R and a fourth byte, at `dpi`, as the portable scaler makes them.
std::vector<uint8_t> AtDpi(const std::vector<uint8_t>& bgra, int dpi) {
  const int side = ScaleToDpi(kFaceSide, dpi);
  return vizmark::ScalePixels(bgra, kFaceSide, kFaceSide, side, side);
}

std::vector<uint8_t> XFacePixels(const std::string& header) {
  uint8_t rows[kFaceSide * 6] = {};
  EXPECT_GE(vizmark::XFaceToBits(header, rows, 6), 0);
  std::vector<uint8_t> bgra;
  for (int y = 0; y < kFaceSide; ++y)
    for (int x = 0; x < kFaceSide; ++x) {
      const uint8_t level = (rows[y * 6 + x / 8] >> (7 - x % 8) & 1) ? 0 : 255;
      bgra.insert(bgra.end(), {level, level, level, 0});
    }
  return bgra;
}

// The colour face's picture as FFmpeg decodes it, premultiplied: B, G, R and alpha.
std::vector<uint8_t> ColourFacePixels() {
  const std::string rgba = FromEnvFolder("VIZMARK_COLOUR_FACE_DIR", "colour-face.rgba");
  EXPECT_EQ(rgba.size(), static_cast<size_t>(kFaceSide * kFaceSide * 4));
  return vizmark::PremultipliedBgra(std::vector<uint8_t>(rgba.begin(), rgba.end()));
}

// How far the shot is from what `expected` (side x side, B, G, R and alpha) gives over the
// panel of `background`: the largest difference of a channel, anywhere. A black and white face
// is combined with the panel by AND, a colour one blended over it.
int Distance(const Shot& shot, const Shot& background, int dpi,
             const std::vector<uint8_t>& expected, bool colour) {
  const RECT face = FaceRect(shot.width, dpi);
  const int side = face.right - face.left;
  int worst = 0;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const uint8_t* seen = shot.At(x, y);
      const uint8_t* below = background.At(x, y);
      const bool inside = x >= face.left && x < face.right && y >= face.top && y < face.bottom;
      for (int c = 0; c < 3; ++c) {
        int want = below[c];
        if (inside) {
          const uint8_t* pixel =
              &expected[(static_cast<size_t>(y - face.top) * side + (x - face.left)) * 4];
          want =
              colour ? pixel[c] + (below[c] * (255 - pixel[3]) + 127) / 255 : pixel[c] & below[c];
        }
        worst = std::max(worst, std::abs(seen[c] - want));
      }
    }
  return worst;
}

class DpiTest : public testing::Test {
 protected:
  void SetUp() override {
    xface_ = FromEnvFolder("VIZMARK_SAMPLE_DIR", "face.txt");
    png_ = FromEnvFolder("VIZMARK_COLOUR_FACE_DIR", "colour-face.png");
    ASSERT_FALSE(xface_.empty());
    ASSERT_FALSE(png_.empty());
  }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey); }

  std::string xface_, png_;
};

// At each pixels per inch: the face at its scaled place, its pixels the picture scaled by
// dpi / 96 (a whole multiple pixel for pixel, others smoothly), over a panel otherwise as
// the host drew it; the colour face where there is one.
TEST_F(DpiTest, TheFaceIsScaledToThePanelsPixelsPerInch) {
  for (const int dpi : {96, 144, 192}) {
    SCOPED_TRACE(dpi);
    const Shot background = ShowAt(dpi, "", std::nullopt);
    ASSERT_GT(background.width, 0);

    const Shot xface = ShowAt(dpi, xface_, std::nullopt);
    ASSERT_EQ(xface.width, background.width);
    EXPECT_EQ(xface.output, "%DisplayXFace -> \"\"\r\n");
    EXPECT_EQ(Distance(xface, background, dpi, AtDpi(XFacePixels(xface_), dpi), false), 0);

    const Shot colour = ShowAt(dpi, xface_, testsupport::Base64(png_));
    ASSERT_EQ(colour.width, background.width);
    EXPECT_EQ(colour.output, "%DisplayXFace -> \"\"\r\n");
    EXPECT_LE(Distance(colour, background, dpi, AtDpi(ColourFacePixels(), dpi), true), 1);
  }
}

// With colour faces turned off in the options, the X-Face shows instead.
TEST_F(DpiTest, WithColourFacesOffTheXFaceShows) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  vizmark::UniqueHkey owner(key);
  const DWORD off = 0;
  ASSERT_EQ(RegSetValueExA(key, "Show Face", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off),
                           sizeof off),
            ERROR_SUCCESS);
  const int dpi = 144;
  const Shot background = ShowAt(dpi, "", std::nullopt);
  const Shot shot = ShowAt(dpi, xface_, testsupport::Base64(png_));
  ASSERT_EQ(shot.width, background.width);
  EXPECT_EQ(Distance(shot, background, dpi, AtDpi(XFacePixels(xface_), dpi), false), 0);
}

}  // namespace
