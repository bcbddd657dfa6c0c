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
  if (ui::BytesFromEditor(text, text.shown).bytes != bytes) std::abort();
  if (!ui::IsValidUtf8(ui::ClipboardTextFor(text.encoding, text.original))) std::abort();

  // An edited text: the input itself typed into the editor must come out as
  // UTF-8 whenever it is not Windows-1252, and copy as UTF-8 either way.
  const ui::EditorBytes edited = ui::BytesFromEditor(text, std::string_view(bytes).substr(size / 2));
  if (edited.encoding == ui::TextEncoding::Utf8 && !ui::IsValidUtf8(edited.bytes)) std::abort();
  if (!ui::IsValidUtf8(ui::ClipboardTextFor(edited.encoding, edited.bytes))) std::abort();
  return 0;
}
