// ImageToText: the requester, the readability test, the decode and the hand-over to the result window.
#include "jobs/image_to_text.h"

#include "app/settings_file.h"
#include "codec/image_loader.h"
#include "codec/stream_decoder.h"
#include "sysio/user_file.h"
#include "ui/requesters.h"
#include "ui/result_window.h"
#include "ui/status_line.h"

namespace jobs {

void ImageToText(ui::Session& session) {
  const std::string path = ui::AskForFile(session, platform::RequesterKind::Open, app::kPngFolder,
                                          session.catalogue.MsgLoadPng, session.catalogue.MsgImagePattern);
  ImageToText(session, path);
}

void ImageToText(ui::Session& session, const std::string& path) {
  session.decodedText.clear();
  session.images.FreeImage(codec::WorkImage);  // each decode replaces the WorkImage
  // A failed load gives no image, and so an empty text.
  codec::Result<codec::Image> loaded;
  session.platform.RunKeepingPainted([&] { loaded = codec::LoadImageFile(path); });
  // Only a read is needed, so a write-protected PNG converts as well.
  if (!sysio::OpenOrCreateForReading(path)) return;

  ui::OpenProgressWindow(session);
  session.platform.RunKeepingPainted([&] { session.decodedText = codec::DecodeText(loaded.value); });
  app::StoreLastFolder(session.state, path, app::kPngFolder);
  ui::RunResultWindow(session);
}

}  // namespace jobs
