// The test that a downloaded body is a whole zip archive, made by libzip's own consistency checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace update {

// Reads up to `size` bytes at `offset` into `buffer`: how many it read
// (fewer only at the end), or nothing when the reading failed.
using ReadAtFn = std::function<std::optional<std::size_t>(std::uint64_t offset, char* buffer, std::size_t size)>;

// Whether the `size` bytes that `readAt` delivers form a whole zip archive
// holding at least one entry, as libzip finds when it opens them with its
// consistency checks (ZIP_CHECKCONS): the end record, the central directory
// and every entry's local header are present and agree. A body cut short
// loses its end record or central directory and fails. The entries are
// not inflated, so a hostile archive costs no more than reading its index.
bool IsWholeZipArchive(std::uint64_t size, const ReadAtFn& readAt);

// The same for bytes in memory.
bool IsWholeZipArchive(std::string_view bytes);

}  // namespace update
