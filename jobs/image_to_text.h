// The job that reads the text back out of a chosen PNG and shows it in the result window.
#pragma once

#include <string>

#include "ui/session.h"

namespace jobs {

// The ImageFileButton's job: asks for a PNG, decodes its pixel stream into
// session.decodedText and runs the result window. Ends silently when the
// requester is cancelled or the path cannot be opened for reading; a typed
// name of a missing file creates it empty and shows an empty result. Loading
// and decoding run with the windows kept painted.
void ImageToText(ui::Session& session);

// The same job with `path` as the chosen PNG (a file dropped on the main
// window): everything after the requester.
void ImageToText(ui::Session& session, const std::string& path);

}  // namespace jobs
