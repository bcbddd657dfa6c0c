// Parses arbitrary bytes as a settings file; rendering and parsing again must give the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/settings_format.h"

namespace {

bool SameContent(const app::SettingsContent& a, const app::SettingsContent& b) {
  return a.encoding == b.encoding && a.entries == b.entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const app::SettingsContent first = app::ParseSettings(bytes);
  const std::string rendered = app::RenderSettings(first);
  if (!SameContent(app::ParseSettings(rendered), first)) std::abort();
  // A rendered file is its own fixed point.
  if (app::RenderSettings(app::ParseSettings(rendered)) != rendered) std::abort();

  // The lookup and write rules over the parsed entries, with names taken from the input.
  app::SettingsDocument document(first);
  const std::string_view name = bytes.substr(0, size / 2);
  document.SelectGroup(name);
  (void)document.ReadSetting(name, "");
  document.WriteSetting(name, bytes.substr(size / 2));
  (void)app::RenderSettings(document.content());
  (void)app::Utf8ToLatin1(app::Latin1ToUtf8(bytes));
  return 0;
}
