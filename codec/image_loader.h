// Loads image files and in-memory pictures (PNG, JPEG, BMP, icons) into numbered images.
#pragma once

#include <cstddef>
#include <string>

#include "codec/image_buffer.h"

namespace codec {

// Loads the file under `number`. The old image of that number is released
// first, whatever the outcome. False when the file cannot be opened or no
// loader accepts it (the number then holds no image).
bool LoadImageFile(ImageStore& store, int number, const std::string& path);

// The same for `size` bytes at `data`.
bool LoadImageMemory(ImageStore& store, int number, const void* data, std::size_t size);

}  // namespace codec
