// The job that reads the text back out of a chosen PNG and shows it in the result window.
#pragma once

#include "ui/session.h"

namespace jobs {

// The ImageFileButton's job: asks for a PNG, decodes its pixel stream into
// session.decodedText and runs the result window. Ends silently when the
// requester is cancelled or the path cannot be opened for reading; a typed
// name of a missing file creates it empty and shows an empty result.
void ImageToText(ui::Session& session);

}  // namespace jobs
