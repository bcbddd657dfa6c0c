// The two jobs that turn a text (a chosen file, or the clipboard's text) into a PNG.
#pragma once

#include <string>

#include "ui/session.h"

namespace jobs {

// The TextFileButton's job: asks for a text file (a typed name of a missing
// file creates it empty, and the empty text is encoded), draws its bytes into
// the WorkImage, asks for a PNG name (".png" added where missing) and writes
// it. The reading, drawing and writing run with the windows kept painted.
// A failed write shows the MsgError box, naming the file and the reason, and
// blinks MsgError; a text too large shows the "Alert" box and ends the program.
void TextFileToImage(ui::Session& session);

// The same job with `path` as the chosen text file (a file dropped on the
// main window): everything after the open requester.
void TextFileToImage(ui::Session& session, const std::string& path);

// The ClipboardButton's job: the same for the clipboard's text, passed
// through the ScratchTextFile, which is deleted after drawing and before a
// too-large text ends the program. Ends silently when the scratch file
// cannot be made safely.
void ClipboardToImage(ui::Session& session);

}  // namespace jobs
