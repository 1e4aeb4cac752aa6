#include "face/picture_decoder.h"

#include <wincodec.h>

#include <cstring>
#include <new>

#include "base/com_object.h"
#include "base/trace.h"
#include "face/declared_size.h"
#include "face/face_conversion.h"

namespace vizmark {

namespace {

bool AcceptableSize(UINT width, UINT height) {
  return width >= 1 && height >= 1 && width <= UINT{kMaxFacePictureSide} &&
         height <= UINT{kMaxFacePictureSide} && uint64_t{width} * height <= kMaxFacePicturePixels;
}

// The frame to take: an icon's largest image (the first of the largest), else the first.
UniqueCom<IWICBitmapFrameDecode> ChooseFrame(IWICBitmapDecoder* decoder) {
  GUID container{};
  UINT frames = 0;
  if (FAILED(decoder->GetFrameCount(&frames)) || frames == 0) return nullptr;
  const bool icon =
      SUCCEEDED(decoder->GetContainerFormat(&container)) && container == GUID_ContainerFormatIco;
  UniqueCom<IWICBitmapFrameDecode> chosen;
  uint64_t chosen_area = 0;
  for (UINT index = 0; index < (icon ? frames : 1); ++index) {
    IWICBitmapFrameDecode* frame = nullptr;
    if (FAILED(decoder->GetFrame(index, &frame)) || frame == nullptr) continue;
    UniqueCom<IWICBitmapFrameDecode> owned(frame);
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height))) continue;
    const uint64_t area = uint64_t{width} * height;
    if (!chosen || area > chosen_area) {
      chosen = std::move(owned);
      chosen_area = area;
    }
  }
  return chosen;
}

std::optional<DecodedPicture> Decode(std::span<const uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > kMaxPictureFileBytes) return std::nullopt;
  // Some decoders allocate for the whole picture as soon as they open it: a size over the
  // limits is refused while only the headers have been read.
  if (CheckDeclaredSize(bytes, kMaxFacePictureSide, kMaxFacePicturePixels) ==
      DeclaredSize::kTooLarge) {
    Trace(L"the picture declares a size larger than a face is made from");
    return std::nullopt;
  }
  ComApartment com;
  if (!com.Usable()) {
    Trace(L"COM is not available for decoding a picture");
    return std::nullopt;
  }
  IWICImagingFactory* factory_pointer = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory_pointer)))) {
    Trace(L"the imaging component is not available");
    return std::nullopt;
  }
  UniqueCom<IWICImagingFactory> factory(factory_pointer);

  IWICStream* stream_pointer = nullptr;
  if (FAILED(factory->CreateStream(&stream_pointer))) return std::nullopt;
  UniqueCom<IWICStream> stream(stream_pointer);
  // The stream only reads; it takes a pointer to writable bytes all the same.
  if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                          static_cast<DWORD>(bytes.size()))))
    return std::nullopt;

  IWICBitmapDecoder* decoder_pointer = nullptr;
  if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              &decoder_pointer))) {
    Trace(L"no decoder takes the picture");
    return std::nullopt;
  }
  UniqueCom<IWICBitmapDecoder> decoder(decoder_pointer);
  const UniqueCom<IWICBitmapFrameDecode> frame = ChooseFrame(decoder.get());
  if (!frame) {
    Trace(L"the picture has no frame that can be read");
    return std::nullopt;
  }
  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height)) || !AcceptableSize(width, height)) {
    Trace(L"the picture is larger than a face is made from");
    return std::nullopt;
  }

  DecodedPicture picture;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  const std::size_t pixels = std::size_t{width} * height;
  picture.rgba.resize(pixels * 4);
  const UINT row_bytes = width * 4;
  const auto bytes_size = static_cast<UINT>(picture.rgba.size());

  // The formats most pictures decode to (a JPEG's 24-bit BGR, a PNG's 32-bit BGRA) are copied
  // as they are and put in order here: the system's format converter costs a photograph
  // more than its decoding under Wine. Any other format goes through the converter.
  WICPixelFormatGUID format{};
  if (FAILED(frame->GetPixelFormat(&format))) format = GUID_WICPixelFormatUndefined;
  const bool three_bytes = format == GUID_WICPixelFormat24bppBGR;
  const bool opaque = three_bytes || format == GUID_WICPixelFormat32bppBGR;
  HRESULT copied;
  if (three_bytes) {
    // Into the buffer's last three quarters, then spread out from the front: pixel i is read
    // from pixels + 3i before anything is written past 4i + 3, which is always below it.
    copied = frame->CopyPixels(nullptr, width * 3, static_cast<UINT>(pixels * 3),
                               picture.rgba.data() + pixels);
    if (SUCCEEDED(copied))
      for (std::size_t i = 0; i < pixels; ++i) {
        const uint8_t* bgr = picture.rgba.data() + pixels + i * 3;
        const uint8_t blue = bgr[0], green = bgr[1], red = bgr[2];
        uint8_t* rgba = picture.rgba.data() + i * 4;
        rgba[0] = red;
        rgba[1] = green;
        rgba[2] = blue;
        rgba[3] = 255;
      }
  } else if (opaque || format == GUID_WICPixelFormat32bppBGRA) {
    copied = frame->CopyPixels(nullptr, row_bytes, bytes_size, picture.rgba.data());
  } else {
    IWICFormatConverter* converter_pointer = nullptr;
    if (FAILED(factory->CreateFormatConverter(&converter_pointer))) return std::nullopt;
    UniqueCom<IWICFormatConverter> converter(converter_pointer);
    if (FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
      Trace(L"the picture's pixels cannot be converted");
      return std::nullopt;
    }
    copied = converter->CopyPixels(nullptr, row_bytes, bytes_size, picture.rgba.data());
  }
  if (FAILED(copied)) {
    Trace(L"the picture's pixels cannot be decoded");
    return std::nullopt;
  }
  if (!three_bytes)
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4) {
      std::swap(picture.rgba[i], picture.rgba[i + 2]);
      if (opaque) picture.rgba[i + 3] = 255;
    }
  return picture;
}

}  // namespace

std::optional<DecodedPicture> DecodePictureBytes(std::span<const uint8_t> bytes) {
  try {
    return Decode(bytes);
  } catch (const std::bad_alloc&) {
    Trace(L"no memory for the picture's pixels");
    return std::nullopt;
  }
}

std::optional<DecodedPicture> DecodePictureFile(const FilePath& path) {
  const std::optional<std::vector<unsigned char>> bytes =
      ReadWholeFile(path, FILE_SHARE_READ, kMaxPictureFileBytes);
  if (!bytes) return std::nullopt;
  return DecodePictureBytes(*bytes);
}

}  // namespace vizmark
