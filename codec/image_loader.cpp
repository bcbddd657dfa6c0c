// Chooses the loader for an image's data: bitmap, icon, then the decoder list.
#include "codec/image_loader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>
#include <utility>

#include "codec/byte_source.h"
#include "codec/image_decoders.h"
#include "sysio/files.h"

namespace codec {

namespace {

using Decoder = DecodeOutcome (*)(ByteSource&, Image&);
// Tried in this order on everything that is neither a bitmap nor an icon.
constexpr std::array<Decoder, 2> kDecoderList{ReadPng, ReadJpeg};

bool StartsWithBm(ByteSource& source) {
  std::uint8_t start[2] = {0, 0};
  const bool bm = ReadBytes(source, start, 2) == 2 && start[0] == 'B' && start[1] == 'M';
  return SeekTo(source, 0) && bm;
}

// One attempt from the start of the source: the outcome of the first
// loader that did not decline.
DecodeOutcome Decode(ByteSource& source, Image& image) {
  if (StartsWithBm(source)) return ReadBmp(source, image);
  const DecodeOutcome icon = ReadIcon(source, image);
  if (icon != DecodeOutcome::Declined) return icon;
  for (Decoder decoder : kDecoderList) {
    if (!SeekTo(source, 0)) return DecodeOutcome::Unreadable;
    image = Image{};
    const DecodeOutcome outcome = decoder(source, image);
    if (outcome != DecodeOutcome::Declined) return outcome;
  }
  return DecodeOutcome::Declined;
}

Result<Image> Load(ByteSource& source) {
  Image image;
  switch (Decode(source, image)) {
    case DecodeOutcome::Loaded: return Result<Image>::Of(std::move(image));
    case DecodeOutcome::Declined: return Result<Image>::Failure(Error::NotAPicture);
    case DecodeOutcome::Unreadable: return Result<Image>::Failure(Error::CannotRead);
    case DecodeOutcome::TooLarge: return Result<Image>::Failure(Error::TooLarge);
    case DecodeOutcome::OutOfMemory: return Result<Image>::Failure(Error::OutOfMemory);
    case DecodeOutcome::Failed: break;
  }
  return Result<Image>::Failure(Error::Damaged);
}

}  // namespace

bool WithinPictureBudget(std::uint64_t width, std::uint64_t height) {
  return width <= kMaxImageSide && height <= kMaxImageSide && width * height <= kMaxPicturePixels;
}

DecodeOutcome AllocateImage(Image& image, int width, int height, int depth, std::size_t slack,
                            bool cleared) {
  if (width < 1 || height < 1) return DecodeOutcome::Failed;
  if (!WithinPictureBudget(std::uint64_t(width), std::uint64_t(height))) {
    return DecodeOutcome::TooLarge;
  }
  const std::size_t bytes = ImageBytes(width, height);
  image.width = width;
  image.height = height;
  image.depth = depth;
  image.drawable = true;
  try {
    image.pixels = PixelBytes();
    image.pixels.reserve(bytes + slack);
    image.pixels.resize(bytes);
  } catch (const std::bad_alloc&) {
    image = Image{};
    return DecodeOutcome::OutOfMemory;
  }
  if (cleared && !StorageStartsZeroed(image.pixels.capacity())) {
    std::fill(image.pixels.begin(), image.pixels.end(), std::uint8_t{0});
  }
  return DecodeOutcome::Loaded;
}

Result<Image> LoadImageFile(const std::string& path) {
  std::FILE* file = sysio::OpenForReading(path);
  if (file == nullptr) return Result<Image>::Failure(Error::CannotOpen);
  ByteSource source;
  source.file = file;
  Result<Image> loaded = Load(source);
  std::fclose(file);
  return loaded;
}

Result<Image> LoadImageMemory(const void* data, std::size_t size) {
  if (data == nullptr) return Result<Image>::Failure(Error::NotAPicture);
  ByteSource source;
  source.data = static_cast<const std::uint8_t*>(data);
  source.size = size;
  return Load(source);
}

}  // namespace codec
