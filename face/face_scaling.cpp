#include "face/face_scaling.h"

#include <cstddef>

namespace vizmark {

namespace {

// How one new pixel along an axis is made of old ones: the first old pixel it covers, and
// how much of each in turn (units: 1 / (old * new) of a pixel, summing to `old`).
struct Span {
  int first = 0;
  std::vector<uint32_t> weights;
};

// Old pixel i covers [i * new, (i + 1) * new) and new pixel j covers [j * old, (j + 1) * old)
// on a common axis of old * new units.
std::vector<Span> Spans(int old_length, int new_length) {
  std::vector<Span> spans(static_cast<std::size_t>(new_length));
  const int64_t o = old_length, n = new_length;
  for (int64_t j = 0; j < n; ++j) {
    const int64_t begin = j * o, end = begin + o;
    Span& span = spans[static_cast<std::size_t>(j)];
    span.first = static_cast<int>(begin / n);
    for (int64_t i = span.first; i < o && i * n < end; ++i) {
      const int64_t from = i * n > begin ? i * n : begin;
      const int64_t to = (i + 1) * n < end ? (i + 1) * n : end;
      span.weights.push_back(static_cast<uint32_t>(to - from));
    }
  }
  return spans;
}

}  // namespace

int ScaleToDpi(int length, int dpi) {
  if (dpi < 1) dpi = kBaseDpi;
  const int64_t scaled = (int64_t{length} * dpi * 2 + kBaseDpi) / (2 * kBaseDpi);
  return static_cast<int>(scaled);
}

std::vector<uint8_t> ScalePixels(std::span<const uint8_t> pixels, int width, int height,
                                 int new_width, int new_height) {
  if (width < 1 || height < 1 || new_width < 1 || new_height < 1) return {};
  const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
  if (h > pixels.size() / 4 / w || pixels.size() != w * h * 4) return {};
  const std::vector<Span> columns = Spans(width, new_width), rows = Spans(height, new_height);
  // Each weight is at most old, so a channel's sum is at most 255 * width * height.
  const uint64_t total = uint64_t{w} * h;
  std::vector<uint8_t> scaled(static_cast<std::size_t>(new_width) *
                              static_cast<std::size_t>(new_height) * 4);
  uint8_t* out = scaled.data();
  for (const Span& row : rows) {
    for (const Span& column : columns) {
      uint64_t sums[4] = {};
      for (std::size_t dy = 0; dy < row.weights.size(); ++dy) {
        const uint8_t* line = pixels.data() + (static_cast<std::size_t>(row.first) + dy) * w * 4;
        for (std::size_t dx = 0; dx < column.weights.size(); ++dx) {
          const uint64_t weight = uint64_t{row.weights[dy]} * column.weights[dx];
          const uint8_t* pixel = line + (static_cast<std::size_t>(column.first) + dx) * 4;
          for (int c = 0; c < 4; ++c) sums[c] += weight * pixel[c];
        }
      }
      for (int c = 0; c < 4; ++c) *out++ = static_cast<uint8_t>((sums[c] + total / 2) / total);
    }
  }
  return scaled;
}

std::vector<uint8_t> PremultipliedBgra(std::span<const uint8_t> rgba) {
  std::vector<uint8_t> bgra(rgba.size() / 4 * 4);
  for (std::size_t i = 0; i < bgra.size(); i += 4) {
    const unsigned alpha = rgba[i + 3];
    const auto times_alpha = [alpha](unsigned channel) {
      return static_cast<uint8_t>((channel * alpha + 127) / 255);
    };
    bgra[i] = times_alpha(rgba[i + 2]);
    bgra[i + 1] = times_alpha(rgba[i + 1]);
    bgra[i + 2] = times_alpha(rgba[i]);
    bgra[i + 3] = static_cast<uint8_t>(alpha);
  }
  return bgra;
}

}  // namespace vizmark
