// What the windows and jobs of one run share: the platform, the state, the texts, the images.
#pragma once

#include <string>

#include "app/app_state.h"
#include "app/message_catalogue.h"
#include "codec/image_buffer.h"
#include "codec/pixel_stream.h"
#include "platform/platform.h"

namespace ui {

struct Session {
  explicit Session(platform::Platform& p) : platform(p) {}

  platform::Platform& platform;
  app::AppState state;
  app::MessageCatalogue catalogue;
  codec::PixelList pixels;     // the stream of the current text-to-image conversion
  codec::ImageStore images;    // numbered images: 8 banner, 10 WorkImage, 29-31 flags
  std::string decodedText;     // DecodedText: raw bytes read from the last PNG
};

}  // namespace ui
