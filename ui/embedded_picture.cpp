// Turns a picture built into the program into a numbered image the windows can show.
#include "ui/embedded_picture.h"

#include "codec/image_loader.h"

#include <utility>

namespace ui {

bool LoadEmbeddedPicture(Session& session, int number, resources::Blob picture) {
  session.images.FreeImage(number);
  codec::Result<codec::Image> loaded = codec::LoadImageMemory(picture.data, picture.size);
  if (!loaded.ok()) return false;
  session.images.PutImage(number, std::move(loaded.value));
  const codec::Image* image = session.images.Find(number);
  platform::Pixmap pixmap;
  pixmap.width = image->width;
  pixmap.height = image->height;
  pixmap.rgba = codec::ToRgba(*image);
  return session.platform.CreateImage(number, pixmap);
}

}  // namespace ui
