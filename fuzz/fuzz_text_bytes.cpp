// Shows arbitrary bytes as editor text; an unedited text must give back its bytes exactly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/text_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const ui::ShownText text = ui::ShowBytes(bytes);
  if (!ui::IsValidUtf8(text.shown)) std::abort();  // the editor takes UTF-8 only
  if (ui::BytesFromEditor(text, text.shown) != bytes) std::abort();
  if (!ui::IsValidUtf8(ui::ClipboardTextFor(text, text.original))) std::abort();

  // An edited text: the input itself typed into the editor of a UTF-8 text
  // must come out as UTF-8 whatever it holds.
  const std::string edited = ui::BytesFromEditor(text, std::string_view(bytes).substr(size / 2));
  if (text.encoding == ui::TextEncoding::Utf8 && !ui::IsValidUtf8(edited)) std::abort();
  (void)ui::ClipboardTextFor(text, edited);
  return 0;
}
