// The pictures built into the program, by name.
#include "resources/embedded.h"

extern const unsigned char k_banner_jpg[];
extern const std::size_t k_banner_jpg_size;
extern const unsigned char k_flag_fr_png[];
extern const std::size_t k_flag_fr_png_size;
extern const unsigned char k_flag_uk_png[];
extern const std::size_t k_flag_uk_png_size;
extern const unsigned char k_flag_de_png[];
extern const std::size_t k_flag_de_png_size;
extern const unsigned char k_icon48_png[];
extern const std::size_t k_icon48_png_size;

namespace resources {

Blob BannerPicture() { return {k_banner_jpg, k_banner_jpg_size}; }
Blob FrenchFlag() { return {k_flag_fr_png, k_flag_fr_png_size}; }
Blob BritishFlag() { return {k_flag_uk_png, k_flag_uk_png_size}; }
Blob GermanFlag() { return {k_flag_de_png, k_flag_de_png_size}; }
Blob WindowIcon() { return {k_icon48_png, k_icon48_png_size}; }

}  // namespace resources
