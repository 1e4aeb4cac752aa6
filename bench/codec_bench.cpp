// The face codec glue (BitsToXFace, XFaceToBits) against bare compface/uncompface calls on
// the same data, and the heap allocations the glue makes (counted by replacing operator
// new; the codec itself is C and allocates nothing).
//
//   cmake --preset bench && cmake --build --preset bench &&
//   build/bench/bench/vizmark_codec_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "bench/allocation_count.h"
#include "face/xface_codec.h"

extern "C" {
#include <compface.h>
}

namespace {

// A face-like picture: random, as the codec has no easy case for it.
struct Picture {
  uint8_t rows[48 * 8] = {};
  char hex[vizmark::kHexPictureDigits + 1] = {};
  std::string header;
  Picture() {
    std::mt19937 random(20261210);
    for (uint8_t& b : rows) b = static_cast<uint8_t>(random());
    vizmark::WriteHexPicture(rows, 8, hex);
    char buffer[vizmark::kXFaceBufferSize];
    vizmark::BitsToXFace(rows, 8, buffer);
    header = buffer;
  }
};
const Picture& TheFace() {
  static const Picture picture;
  return picture;
}

void BareCompface(benchmark::State& state) {
  const Picture& face = TheFace();
  char buffer[vizmark::kXFaceBufferSize];
  for (auto _ : state) {
    std::memcpy(buffer, face.hex, sizeof face.hex);
    benchmark::DoNotOptimize(compface(buffer));
  }
}

void GlueBitsToXFace(benchmark::State& state) {
  const Picture& face = TheFace();
  char buffer[vizmark::kXFaceBufferSize];
  const long before = AllocationCount();
  for (auto _ : state) benchmark::DoNotOptimize(vizmark::BitsToXFace(face.rows, 8, buffer));
  state.counters["allocations"] = benchmark::Counter(
      static_cast<double>(AllocationCount() - before), benchmark::Counter::kAvgIterations);
}

void BareUncompface(benchmark::State& state) {
  const Picture& face = TheFace();
  char buffer[vizmark::kXFaceBufferSize];
  for (auto _ : state) {
    std::memset(buffer, 0, sizeof buffer);
    std::memcpy(buffer, face.header.data(), face.header.size());
    benchmark::DoNotOptimize(uncompface(buffer));
  }
}

void GlueXFaceToBits(benchmark::State& state) {
  const Picture& face = TheFace();
  uint8_t rows[48 * 8];
  const long before = AllocationCount();
  for (auto _ : state) benchmark::DoNotOptimize(vizmark::XFaceToBits(face.header, rows, 8));
  state.counters["allocations"] = benchmark::Counter(
      static_cast<double>(AllocationCount() - before), benchmark::Counter::kAvgIterations);
}

BENCHMARK(BareCompface);
BENCHMARK(GlueBitsToXFace);
BENCHMARK(BareUncompface);
BENCHMARK(GlueXFaceToBits);

}  // namespace

BENCHMARK_MAIN();
