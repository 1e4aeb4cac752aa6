// A large photograph becoming a face, measured under Wine:
//  - a 4000 x 3000 JPEG decoded by the system's imaging component and turned into a face;
//  - the turning into a face alone (PictureToFace), on the decoded pixels;
//  - %SetXFace on that file through the real DLL, from the macro call to the header request.
// The JPEG is made here, by the same imaging component: smooth shading with fine detail, as
// a photograph has.
//
//   picture_bench.exe      (scripts/bench runs it)
#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/file_read.h"
#include "face/face_conversion.h"
#include "face/picture_decoder.h"
#include "hostsim/context_object.h"
#include "hostsim/plugin_module.h"
#include "tests/win/picture_encoder.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long `body` takes, in milliseconds.
template <typename Body>
double Ms(Body body) {
  const auto start = Clock::now();
  body();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The processor time of all the process's threads so far, in milliseconds.
double ProcessCpuMs() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  const auto ms = [](const FILETIME& t) {
    return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

}  // namespace

int main() {
  constexpr int kWidth = 4000, kHeight = 3000;
  const std::string jpeg = testsupport::EncodePicture(
      GUID_ContainerFormatJpeg, GUID_WICPixelFormat24bppBGR, kWidth, kHeight, [](int x, int y) {
        const int detail = (x * 7 + y * 13) % 23;
        return testsupport::Rgba{static_cast<uint8_t>(x * 200 / kWidth + detail),
                                 static_cast<uint8_t>(y * 200 / kHeight + detail),
                                 static_cast<uint8_t>((x + y) % 256 / 2 + detail), 255};
      });
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "vizmark_bench_photo.jpg";
  {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (jpeg.empty() || file == nullptr) {
      std::fputs("the JPEG could not be made\n", stderr);
      return 1;
    }
    std::fwrite(jpeg.data(), 1, jpeg.size(), file);
    std::fclose(file);
  }
  const vizmark::FilePath file = vizmark::FilePathFromSystemText(path);
  std::printf("a %d x %d JPEG of %zu bytes\n", kWidth, kHeight, jpeg.size());

  hostsim::PluginModule plugin(hostsim::PluginModule::DefaultPath());
  plugin.Initialize();
  hostsim::HostState host;
  bool set = true;
  std::optional<vizmark::DecodedPicture> decoded;
  // The three measures take turns, round after round, so that a change in the machine's
  // speed (other jobs share it) falls on each alike; each figure is the median of its rounds.
  std::vector<double> decode_and_convert, decode_only, macro, cpu;
  for (int round = 0; round < 9; ++round) {
    const double cpu_before = ProcessCpuMs();
    decode_and_convert.push_back(Ms([&] {
      decoded = vizmark::DecodePictureFile(file);
      if (decoded) vizmark::PictureToFace(decoded->width, decoded->height, decoded->rgba);
    }));
    cpu.push_back(ProcessCpuMs() - cpu_before);
    decode_only.push_back(Ms([&] { decoded = vizmark::DecodePictureFile(file); }));
    macro.push_back(Ms([&] {
      host = hostsim::HostState{};
      hostsim::ContextObject context(&host), parameters(&host, {path});
      plugin.ExecMacro("SetXFace", 8, &context, &parameters);
      set = set && host.composed_xface.has_value();
    }));
  }
  plugin.Finalize();
  if (!decoded) {
    std::fputs("the JPEG could not be decoded\n", stderr);
    return 1;
  }
  std::vector<double> converts, convert_cpu;
  for (vizmark::FaceMode mode : {vizmark::FaceMode::kAutomatic, vizmark::FaceMode::kDithered,
                                 vizmark::FaceMode::kThreshold}) {
    std::vector<double> times, cpu_times;
    for (int round = 0; round < 15; ++round) {
      const double cpu_before = ProcessCpuMs();
      times.push_back(Ms([&] {
        vizmark::PictureToFace(decoded->width, decoded->height, decoded->rgba, {mode, {}, false});
      }));
      cpu_times.push_back(ProcessCpuMs() - cpu_before);
    }
    converts.push_back(Median(times));
    convert_cpu.push_back(Median(cpu_times));
  }
  std::printf("decoded and turned into a face     %.1f ms (CPU %.1f ms; decoding alone %.1f ms)\n",
              Median(decode_and_convert), Median(cpu), Median(decode_only));
  std::printf(
      "turned into a face (PictureToFace) %.1f ms (CPU of both threads %.1f ms); dithered %.1f "
      "ms, threshold %.1f ms\n",
      converts[0], convert_cpu[0], converts[1], converts[2]);
  std::printf("%%SetXFace on the file, call to header request %.1f ms%s\n", Median(macro),
              set ? "" : " (NO HEADER WAS SET)");
  DeleteFileA(path.c_str());
  return set ? 0 : 1;
}
