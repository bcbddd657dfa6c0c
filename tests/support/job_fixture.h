// A session on the fake backend over a real temporary folder, for the conversion and result-window tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "codec/image_loader.h"
#include "codec/stream_decoder.h"
#include "tests/support/fake_platform.h"
#include "tests/support/session_fixture.h"
#include "tests/support/temp_dir.h"
#include "ui/session.h"
#include "ui/status_line.h"

namespace fake {

// The folder holds prefs.lng and the ScratchTextFile; window 0 holds only
// the status line, so the tests can read what the jobs show there.
class JobFixture : public ::testing::Test {
 protected:
  JobFixture() { OpenStatusLineOnly(session, temp.Path()); }

  std::string Path(const std::string& name) const { return temp.File(name); }
  std::string Folder(const std::string& name) const { return temp.File(name) + "/"; }

  // The status line once every blink has run to its end.
  std::string FinalStatus() {
    platform.FlushPosted();
    return platform.GetGadgetText(ui::kStatusLine);
  }
  // Every text the status line showed, in order, blanks of blinks left out.
  std::vector<std::string> StatusTexts() {
    platform.FlushPosted();
    std::vector<std::string> texts;
    for (const TextChange& change : platform.textChanges) {
      if (change.gadget != ui::kStatusLine || change.text.empty()) continue;
      if (texts.empty() || texts.back() != change.text) texts.push_back(change.text);
    }
    return texts;
  }

  // The last folder the settings file holds, read without touching the session.
  std::string LastFolder(app::FolderKind kind) const {
    app::AppState copy = session.state;
    return app::ReadLastFolder(copy, kind);
  }
  void StoreFolder(const std::string& folder, app::FolderKind kind) {
    app::AppState copy = session.state;
    app::StoreLastFolder(copy, folder + "x", kind);
  }

  // The text a PNG file holds, decoded as the image job does.
  static std::string Decode(const std::string& pngPath) {
    const codec::Result<codec::Image> loaded = codec::LoadImageFile(pngPath);
    if (!loaded.ok()) return "<no image>";
    return codec::DecodeText(loaded.value);
  }

  bool Called(const std::string& line) const {
    return std::find(platform.calls.begin(), platform.calls.end(), line) != platform.calls.end();
  }

  TempDir temp;
  const std::filesystem::path dir = temp.Root();  // the same folder, for `dir / name`
  FakePlatform platform;
  ui::Session session{platform};
};

}  // namespace fake
