// Turns a picture built into the program into a numbered image the windows can show.
#include "ui/embedded_picture.h"

#include "codec/image_loader.h"

namespace ui {

bool LoadEmbeddedPicture(Session& session, int number, resources::Blob picture) {
  if (!codec::LoadImageMemory(session.images, number, picture.data, picture.size)) return false;
  const codec::Image* image = session.images.Find(number);
  if (image == nullptr) return false;
  platform::Pixmap pixmap;
  pixmap.width = image->width;
  pixmap.height = image->height;
  pixmap.rgba = codec::ToRgba(*image);
  return session.platform.CreateImage(number, pixmap);
}

}  // namespace ui
