// The pictures built into the program.
#pragma once

#include <cstddef>

namespace resources {

struct Blob {
  const unsigned char* data;
  std::size_t size;
};

Blob BannerPicture();  // 640 x 168 progressive JPEG
Blob FrenchFlag();     // 33 x 25 palette PNG
Blob BritishFlag();    // 33 x 25 palette PNG
Blob GermanFlag();     // 33 x 25 palette PNG
Blob WindowIcon();     // 48 x 48 PNG

}  // namespace resources
