#include "face/face_conversion.h"

#include <algorithm>
#include <cstdlib>
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

// A linear value turns back into the sRGB code whose linear value is nearest: the codes
// whose upper midpoint it reaches.
const std::array<uint8_t, 65536>& SrgbOfLinear() {
  static const auto table = [] {
    std::array<uint8_t, 65536> out{};
    uint32_t code = 0;
    for (uint32_t value = 0; value < out.size(); ++value) {
      while (code < 255 && (uint32_t{kLinear[code]} + kLinear[code + 1] + 1) / 2 <= value) ++code;
      out[value] = static_cast<uint8_t>(code);
    }
    return out;
  }();
  return table;
}

// Rec. 709 luminance weights in 1/65536, summing to 65536.
constexpr uint32_t kRedWeight = 13933;
constexpr uint32_t kGreenWeight = 46871;
constexpr uint32_t kBlueWeight = 4732;
constexpr uint32_t kWhite = 65535;

// The pixel's luminance in linear light with the pixel laid on white.
uint32_t LuminanceOnWhite(const uint8_t* pixel) {
  const uint32_t y = (kRedWeight * kLinear[pixel[0]] + kGreenWeight * kLinear[pixel[1]] +
                      kBlueWeight * kLinear[pixel[2]] + 32768) >>
                     16;
  const uint32_t alpha = pixel[3];
  if (alpha == 255) return y;
  return (y * alpha + kWhite * (255 - alpha) + 127) / 255;
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
  const auto& srgb = SrgbOfLinear();
  const bool count_tones = options.mode == FaceMode::kAutomatic;
  std::array<uint32_t, 256> histogram{};
  std::array<uint64_t, kFaceSide * kFaceSide> sums{};
  std::array<uint64_t, kFaceSide> row_sums{};
  const Part* const parts = columns.parts.data();
  for (uint64_t y = 0; y < h; ++y) {
    row_sums.fill(0);
    const uint8_t* pixel = rgba.data() + y * w * 4;
    for (uint64_t x = 0; x < w; ++x, pixel += 4) {
      const uint32_t luminance = LuminanceOnWhite(pixel);
      if (count_tones) ++histogram[srgb[luminance]];
      const Part* const end = parts + columns.first[x + 1];
      for (const Part* part = parts + columns.first[x]; part < end; ++part)
        row_sums[part->to] += uint64_t{luminance} * part->weight;
    }
    for (uint32_t p = rows.first[y]; p < rows.first[y + 1]; ++p) {
      uint64_t* sum = sums.data() + rows.parts[p].to * kSide;
      for (uint64_t x = 0; x < across; ++x) sum[x] += row_sums[x] * rows.parts[p].weight;
    }
  }

  // Greys of the picture's area, stretched to its own range; the white margins are ours, not
  // the picture's, and take no part (else every picture of another shape would reach white).
  std::array<uint8_t, kFaceSide * kFaceSide> greys{};
  uint8_t darkest = 255;
  uint8_t lightest = 0;
  for (uint64_t y = 0; y < down; ++y)
    for (uint64_t x = 0; x < across; ++x) {
      const uint8_t grey = srgb[(sums[y * kSide + x] + w * h / 2) / (w * h)];
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
