// Turns a picture built into the program into a numbered image the windows can show.
#pragma once

#include "resources/embedded.h"
#include "ui/session.h"

namespace ui {

// Decodes `picture` into session.images under `number` and registers the
// same pixels with the platform under that number. False when the picture
// cannot be decoded or the platform refuses it.
bool LoadEmbeddedPicture(Session& session, int number, resources::Blob picture);

}  // namespace ui
