#include "face/face_conversion.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

namespace vizmark {
namespace {

// sRGB codes to linear light, 0 to 65535: round(65535 * ((c / 255 + 0.055) / 1.055) ^ 2.4),
// c / 255 / 12.92 for the darkest codes.
constexpr std::array<uint16_t, 256> kLinear = {
    0,     20,    40,    60,    80,    99,    119,   139,   159,   179,   199,   219,   241,
    264,   288,   313,   340,   367,   396,   427,   458,   491,   526,   562,   599,   637,
    677,   718,   761,   805,   851,   898,   947,   997,   1048,  1101,  1156,  1212,  1270,
    1330,  1391,  1453,  1517,  1583,  1651,  1720,  1790,  1863,  1937,  2013,  2090,  2170,
    2250,  2333,  2418,  2504,  2592,  2681,  2773,  2866,  2961,  3058,  3157,  3258,  3360,
    3464,  3570,  3678,  3788,  3900,  4014,  4129,  4247,  4366,  4488,  4611,  4736,  4864,
    4993,  5124,  5257,  5392,  5530,  5669,  5810,  5953,  6099,  6246,  6395,  6547,  6700,
    6856,  7014,  7174,  7335,  7500,  7666,  7834,  8004,  8177,  8352,  8528,  8708,  8889,
    9072,  9258,  9445,  9635,  9828,  10022, 10219, 10417, 10619, 10822, 11028, 11235, 11446,
    11658, 11873, 12090, 12309, 12530, 12754, 12980, 13209, 13440, 13673, 13909, 14146, 14387,
    14629, 14874, 15122, 15371, 15623, 15878, 16135, 16394, 16656, 16920, 17187, 17456, 17727,
    18001, 18277, 18556, 18837, 19121, 19407, 19696, 19987, 20281, 20577, 20876, 21177, 21481,
    21787, 22096, 22407, 22721, 23038, 23357, 23678, 24002, 24329, 24658, 24990, 25325, 25662,
    26001, 26344, 26688, 27036, 27386, 27739, 28094, 28452, 28813, 29176, 29542, 29911, 30282,
    30656, 31033, 31412, 31794, 32179, 32567, 32957, 33350, 33745, 34143, 34544, 34948, 35355,
    35764, 36176, 36591, 37008, 37429, 37852, 38278, 38706, 39138, 39572, 40009, 40449, 40891,
    41337, 41785, 42236, 42690, 43147, 43606, 44069, 44534, 45002, 45473, 45947, 46423, 46903,
    47385, 47871, 48359, 48850, 49344, 49841, 50341, 50844, 51349, 51858, 52369, 52884, 53401,
    53921, 54445, 54971, 55500, 56032, 56567, 57105, 57646, 58190, 58737, 59287, 59840, 60396,
    60955, 61517, 62082, 62650, 63221, 63795, 64372, 64952, 65535,
};

// Rec. 709 luminance weights in 1/65536, summing to 65536.
constexpr uint32_t kRedWeight = 13933;
constexpr uint32_t kGreenWeight = 46871;
constexpr uint32_t kBlueWeight = 4732;
constexpr uint32_t kWhite = 65535;

// A linear value turns back into the sRGB code whose linear value is nearest: the codes
// whose upper midpoint it reaches.
constexpr uint32_t UpperMidpoint(uint32_t code) {
  return (uint32_t{kLinear[code]} + kLinear[code + 1] + 1) / 2;
}
constexpr bool MidpointsAreMoreThan16Apart() {
  for (uint32_t code = 0; code + 2 < kLinear.size(); ++code)
    if (UpperMidpoint(code + 1) - UpperMidpoint(code) <= 16) return false;
  return true;
}
static_assert(MidpointsAreMoreThan16Apart());

// The look-ups a pixel takes.
struct Tables {
  // Each channel's linear light already multiplied by its weight: three look-ups and two
  // additions a pixel. The three together stay below 2^32 even with the rounding added.
  std::array<uint32_t, 256> red, green, blue;
  // The midpoints being more than 16 apart, a block of 16 linear values holds at most one:
  // each block keeps its first value's code (low byte) and from where in the block the next
  // code begins (high byte, 16 for nowhere). 8 KiB instead of a table of every value, which
  // stays in the nearest cache while a picture is read.
  std::array<uint16_t, 4096> srgb_blocks;

  uint8_t SrgbOfLinear(uint32_t value) const {
    const uint32_t block = srgb_blocks[value >> 4];
    return static_cast<uint8_t>((block & 0xFF) + ((value & 15) >= block >> 8));
  }

  // The pixel's luminance in linear light with the pixel laid on white.
  uint32_t LuminanceOnWhite(const uint8_t* pixel) const {
    const uint32_t y = (red[pixel[0]] + green[pixel[1]] + blue[pixel[2]] + 32768) >> 16;
    const uint32_t alpha = pixel[3];
    if (alpha == 255) return y;
    return (y * alpha + kWhite * (255 - alpha) + 127) / 255;
  }
};

const Tables& TheTables() {
  // Filled by the first caller while any others wait for it; as constants they would be
  // 12 KiB of the module's file.
  static Tables tables;
  [[maybe_unused]] static const bool made = [] {
    for (std::size_t c = 0; c < 256; ++c) {
      tables.red[c] = kRedWeight * kLinear[c];
      tables.green[c] = kGreenWeight * kLinear[c];
      tables.blue[c] = kBlueWeight * kLinear[c];
    }
    uint32_t code = 0;
    for (uint32_t block = 0; block < tables.srgb_blocks.size(); ++block) {
      const uint32_t first = block * 16;
      while (code < 255 && UpperMidpoint(code) <= first) ++code;
      const uint32_t next =
          code < 255 && UpperMidpoint(code) < first + 16 ? UpperMidpoint(code) - first : 16;
      tables.srgb_blocks[block] = static_cast<uint16_t>(code | next << 8);
    }
    return true;
  }();
  return tables;
}

bool IsBlackAndWhiteFace(int width, int height, std::span<const uint8_t> rgba) {
  if (width != kFaceSide || height != kFaceSide) return false;
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    if (rgba[i + 3] != 255) return false;
    const uint8_t r = rgba[i];
    if ((r != 0 && r != 255) || rgba[i + 1] != r || rgba[i + 2] != r) return false;
  }
  return true;
}

// How the source's pixels along one axis (`source` of them) share the `target` face pixels
// they are reduced to. Measured in 1/target of a source pixel, so source pixel s spans
// [s * target, (s + 1) * target) and face pixel t spans [t * source, (t + 1) * source); a
// part is the length of their overlap, and the parts of each face pixel sum to `source`.
struct Part {
  uint32_t to;
  uint32_t weight;
};
struct Shares {
  std::vector<Part> parts;
  std::vector<uint32_t> first;  // source pixel s's parts are [first[s], first[s + 1])
};

Shares ShareOut(uint32_t source, uint32_t target) {
  Shares shares;
  shares.first.reserve(source + 1);
  shares.parts.reserve(source + target);
  for (uint64_t s = 0; s < source; ++s) {
    shares.first.push_back(static_cast<uint32_t>(shares.parts.size()));
    const uint64_t begin = s * target;
    const uint64_t end = begin + target;
    for (uint64_t t = begin / source; t * source < end; ++t) {
      const uint64_t part = std::min(end, (t + 1) * source) - std::max(begin, t * source);
      shares.parts.push_back({static_cast<uint32_t>(t), static_cast<uint32_t>(part)});
    }
  }
  shares.first.push_back(static_cast<uint32_t>(shares.parts.size()));
  return shares;
}

// Along a row, the source's pixels in runs: pixels that each fall wholly into the one face
// pixel `to` (each then has the part `target`, so their luminance is summed first and
// weighted once), or a single pixel shared by several face pixels (`to` is kShared; its
// parts are in the Shares). In a picture larger than the face nearly every pixel is in a
// whole run.
constexpr uint32_t kShared = UINT32_MAX;
struct Run {
  uint32_t begin;  // the source pixels [begin, end)
  uint32_t end;
  uint32_t to;
};

std::vector<Run> RunsOf(const Shares& shares) {
  std::vector<Run> runs;
  const uint32_t source = static_cast<uint32_t>(shares.first.size() - 1);
  for (uint32_t s = 0; s < source; ++s) {
    const uint32_t first = shares.first[s];
    const bool whole = shares.first[s + 1] - first == 1;
    const uint32_t to = whole ? shares.parts[first].to : kShared;
    if (whole && !runs.empty() && runs.back().to == to && runs.back().end == s)
      ++runs.back().end;
    else
      runs.push_back({s, s + 1, to});
  }
  return runs;
}

// What the rows [first_row, end_row) of the picture add to each face pixel's sum (luminance
// times the area it covers) and, when asked, to the histogram of their greys. Integer sums,
// so rows may be summed in any order or in pieces and added up: the result is the same.
struct RowSums {
  std::array<uint64_t, kFaceSide * kFaceSide> sums{};
  std::array<uint32_t, 256> histogram{};
};

template <bool kCountTones>
void SumRows(std::span<const uint8_t> rgba, uint64_t width, uint32_t across, const Shares& columns,
             const std::vector<Run>& runs, const Shares& rows, uint64_t first_row, uint64_t end_row,
             RowSums& out) {
  const Tables& tables = TheTables();
  // Neighbouring pixels mostly have the same grey: counting every other pixel in a second
  // histogram lets one count go on before the last one's store has landed.
  std::array<std::array<uint32_t, 256>, 2> histograms{};
  std::array<uint64_t, kFaceSide> row_sums{};
  for (uint64_t y = first_row; y < end_row; ++y) {
    row_sums.fill(0);
    const uint8_t* const row = rgba.data() + y * width * 4;
    for (const Run& run : runs) {
      const uint8_t* pixel = row + uint64_t{run.begin} * 4;
      const uint8_t* const end = row + uint64_t{run.end} * 4;
      if (run.to != kShared) {
        // At most 65535 pixels of at most 65535 each: within 32 bits.
        uint32_t sum = 0;
        for (; end - pixel > 4; pixel += 8) {
          const uint32_t one = tables.LuminanceOnWhite(pixel);
          const uint32_t two = tables.LuminanceOnWhite(pixel + 4);
          if constexpr (kCountTones) {
            ++histograms[0][tables.SrgbOfLinear(one)];
            ++histograms[1][tables.SrgbOfLinear(two)];
          }
          sum += one + two;
        }
        if (pixel < end) {
          const uint32_t luminance = tables.LuminanceOnWhite(pixel);
          if constexpr (kCountTones) ++histograms[0][tables.SrgbOfLinear(luminance)];
          sum += luminance;
        }
        row_sums[run.to] += uint64_t{sum} * across;
      } else {
        const uint32_t luminance = tables.LuminanceOnWhite(pixel);
        if constexpr (kCountTones) ++histograms[0][tables.SrgbOfLinear(luminance)];
        for (uint32_t p = columns.first[run.begin]; p < columns.first[run.begin + 1]; ++p)
          row_sums[columns.parts[p].to] += uint64_t{luminance} * columns.parts[p].weight;
      }
    }
    for (uint32_t p = rows.first[y]; p < rows.first[y + 1]; ++p) {
      uint64_t* sum = out.sums.data() + rows.parts[p].to * kFaceSide;
      for (uint32_t x = 0; x < across; ++x) sum[x] += row_sums[x] * rows.parts[p].weight;
    }
  }
  for (std::size_t grey = 0; grey < 256; ++grey)
    out.histogram[grey] += histograms[0][grey] + histograms[1][grey];
}

// A picture has two tones when at least 15/16 of its pixels have a grey (the sRGB code of
// their luminance on white) within kToneWidth of one of two greys; the rest may be the
// smoothed edges between them. Noisy or shaded pictures fail this and are dithered. A
// picture of one tone counts as two.
constexpr int kToneWidth = 8;

bool HasTwoTones(const std::array<uint32_t, 256>& histogram, uint64_t pixels) {
  std::array<uint64_t, 256> near{};
  for (int grey = 0; grey < 256; ++grey)
    for (int other = std::max(0, grey - kToneWidth); other <= std::min(255, grey + kToneWidth);
         ++other)
      near[grey] += histogram[other];
  const auto first = std::max_element(near.begin(), near.end()) - near.begin();
  uint64_t second = 0;
  for (int grey = 0; grey < 256; ++grey)
    if (std::abs(grey - first) > 2 * kToneWidth) second = std::max(second, near[grey]);
  return (near[first] + second) * 16 >= pixels * 15;
}

}  // namespace

std::optional<FacePixels> PictureToFace(int width, int height, std::span<const uint8_t> rgba,
                                        const FaceOptions& options) {
  if (width < 1 || height < 1 || width > kMaxFacePictureSide || height > kMaxFacePictureSide)
    return std::nullopt;
  const uint64_t w = static_cast<uint64_t>(width);
  const uint64_t h = static_cast<uint64_t>(height);
  if (w * h > kMaxFacePicturePixels || rgba.size() != w * h * 4) return std::nullopt;

  FacePixels face{};
  if (IsBlackAndWhiteFace(width, height, rgba)) {
    for (std::size_t i = 0; i < face.size(); ++i)
      face[i] = static_cast<uint8_t>((rgba[i * 4] == 0) != options.invert);
    return face;
  }

  // The picture's place in the face: its longer side fills the face, its shorter side is
  // scaled alike (at least one pixel), and the margins around it are white.
  constexpr uint64_t kSide = kFaceSide;
  const uint64_t across = w >= h ? kSide : std::max<uint64_t>(1, (w * kSide + h / 2) / h);
  const uint64_t down = h >= w ? kSide : std::max<uint64_t>(1, (h * kSide + w / 2) / w);
  const uint64_t left = (kSide - across) / 2;
  const uint64_t top = (kSide - down) / 2;

  // Each face pixel is the mean of the linear luminance over its whole area of the picture.
  const Shares columns = ShareOut(static_cast<uint32_t>(w), static_cast<uint32_t>(across));
  const Shares rows = ShareOut(static_cast<uint32_t>(h), static_cast<uint32_t>(down));
  const bool count_tones = options.mode == FaceMode::kAutomatic;
  const std::vector<Run> runs = RunsOf(columns);
  const auto sum_rows = count_tones ? SumRows<true> : SumRows<false>;
  const auto sum = [&](uint64_t first_row, uint64_t end_row, RowSums& out) {
    sum_rows(rgba, w, static_cast<uint32_t>(across), columns, runs, rows, first_row, end_row, out);
  };
  // A large picture's upper half is summed by a second thread meanwhile; the sums are
  // integers, so the face is the same either way. Without a thread, one does it all.
  constexpr uint64_t kPixelsForTwoThreads = uint64_t{1} << 20;
  RowSums total, upper;
  std::optional<std::thread> helper;
  if (w * h >= kPixelsForTwoThreads) {
    try {
      helper.emplace([&] { sum(0, h / 2, upper); });
    } catch (const std::system_error&) {
      // No second thread to be had: this one sums every row.
    }
  }
  sum(helper ? h / 2 : 0, h, total);
  if (helper) {
    helper->join();
    for (std::size_t i = 0; i < total.sums.size(); ++i) total.sums[i] += upper.sums[i];
    for (std::size_t i = 0; i < total.histogram.size(); ++i)
      total.histogram[i] += upper.histogram[i];
  }
  const std::array<uint64_t, kFaceSide* kFaceSide>& sums = total.sums;
  const std::array<uint32_t, 256>& histogram = total.histogram;

  // Greys of the picture's area, stretched to its own range; the white margins are ours, not
  // the picture's, and take no part (else every picture of another shape would reach white).
  std::array<uint8_t, kFaceSide * kFaceSide> greys{};
  uint8_t darkest = 255;
  uint8_t lightest = 0;
  for (uint64_t y = 0; y < down; ++y)
    for (uint64_t x = 0; x < across; ++x) {
      const uint8_t grey = TheTables().SrgbOfLinear(
          static_cast<uint32_t>((sums[y * kSide + x] + w * h / 2) / (w * h)));
      greys[y * kSide + x] = grey;
      darkest = std::min(darkest, grey);
      lightest = std::max(lightest, grey);
    }
  if (lightest > darkest)
    for (uint64_t y = 0; y < down; ++y)
      for (uint64_t x = 0; x < across; ++x) {
        uint8_t& grey = greys[y * kSide + x];
        grey = static_cast<uint8_t>(((grey - darkest) * 255 + (lightest - darkest) / 2) /
                                    (lightest - darkest));
      }

  const int level = options.level.value_or(kFaceMidGrey);
  const bool threshold =
      options.mode == FaceMode::kThreshold || (count_tones && HasTwoTones(histogram, w * h));
  if (threshold) {
    for (uint64_t y = 0; y < down; ++y)
      for (uint64_t x = 0; x < across; ++x)
        face[(top + y) * kSide + left + x] = greys[y * kSide + x] < level;
  } else {
    // Floyd-Steinberg in linear light, so that the black and white of an area average to its
    // grey, snaking to spread the error evenly; the level moves every grey by as much as it
    // differs from kFaceMidGrey. No error leaves the picture's area.
    std::array<int32_t, kFaceSide + 2> error{};
    std::array<int32_t, kFaceSide + 2> next{};
    for (uint64_t y = 0; y < down; ++y) {
      const bool rightwards = y % 2 == 0;
      for (uint64_t step = 0; step < across; ++step) {
        const uint64_t x = rightwards ? step : across - 1 - step;
        const int grey = std::clamp(greys[y * kSide + x] + kFaceMidGrey - level, 0, 255);
        const int32_t value = kLinear[grey] + error[x + 1];
        const bool black = value < int32_t{kWhite / 2 + 1};
        face[(top + y) * kSide + left + x] = black;
        const int32_t rest = value - (black ? 0 : int32_t{kWhite});
        const int32_t ahead = rest * 7 / 16;
        const int32_t behind = rest * 3 / 16;
        const int32_t below = rest * 5 / 16;
        const uint64_t forth = rightwards ? x + 2 : x;  // the neighbours' places in error/next
        const uint64_t back = rightwards ? x : x + 2;
        error[forth] += ahead;
        next[back] += behind;
        next[x + 1] += below;
        next[forth] += rest - ahead - behind - below;
      }
      error = next;
      error[0] = error[across + 1] = 0;
      next.fill(0);
    }
  }
  if (options.invert)
    for (auto& pixel : face) pixel ^= 1;
  return face;
}

FaceRows PackFaceRows(const FacePixels& face) {
  FaceRows rows{};
  for (std::size_t i = 0; i < face.size(); ++i)
    if (face[i]) rows[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
  return rows;
}

}  // namespace vizmark
