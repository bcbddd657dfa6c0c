// A read-only libzip source over a ReadAtFn, opened with ZIP_CHECKCONS.
#include "update/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace update {
namespace {

struct SourceState {
  std::uint64_t size = 0;
  std::uint64_t position = 0;
  const ReadAtFn* readAt = nullptr;
  zip_error_t error{};
};

zip_int64_t Read(SourceState& state, void* data, zip_uint64_t length) {
  if (state.position >= state.size) return 0;
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length, state.size - state.position));
  const std::optional<std::size_t> got = (*state.readAt)(state.position, static_cast<char*>(data), want);
  if (!got) {
    zip_error_set(&state.error, ZIP_ER_READ, EIO);
    return -1;
  }
  state.position += *got;
  return static_cast<zip_int64_t>(*got);
}

zip_int64_t Stat(SourceState& state, void* data, zip_uint64_t length) {
  zip_stat_t* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &state.error);
  if (stat == nullptr) return -1;
  zip_stat_init(stat);
  stat->size = state.size;
  stat->valid |= ZIP_STAT_SIZE;
  return sizeof(zip_stat_t);
}

// libzip's source protocol: one callback answers every command.
zip_int64_t Answer(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  SourceState& state = *static_cast<SourceState*>(userdata);
  switch (command) {
    case ZIP_SOURCE_OPEN: state.position = 0; return 0;
    case ZIP_SOURCE_READ: return Read(state, data, length);
    case ZIP_SOURCE_CLOSE: return 0;
    case ZIP_SOURCE_STAT: return Stat(state, data, length);
    case ZIP_SOURCE_ERROR: return zip_error_to_data(&state.error, data, length);
    case ZIP_SOURCE_FREE: return 0;
    case ZIP_SOURCE_SEEK: {
      const zip_int64_t to = zip_source_seek_compute_offset(state.position, state.size, data, length, &state.error);
      if (to < 0) return -1;
      state.position = static_cast<std::uint64_t>(to);
      return 0;
    }
    case ZIP_SOURCE_TELL: return static_cast<zip_int64_t>(state.position);
    case ZIP_SOURCE_SUPPORTS: return ZIP_SOURCE_SUPPORTS_SEEKABLE;
    default:
      zip_error_set(&state.error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

}  // namespace

bool IsWholeZipArchive(std::uint64_t size, const ReadAtFn& readAt) {
  SourceState state;
  state.size = size;
  state.readAt = &readAt;
  zip_error_init(&state.error);
  zip_error_t error;
  zip_error_init(&error);
  bool whole = false;
  if (zip_source_t* source = zip_source_function_create(Answer, &state, &error)) {
    if (zip_t* archive = zip_open_from_source(source, ZIP_CHECKCONS | ZIP_RDONLY, &error)) {
      whole = zip_get_num_entries(archive, 0) > 0;
      zip_discard(archive);  // frees the source as well
    } else {
      zip_source_free(source);
    }
  }
  zip_error_fini(&error);
  zip_error_fini(&state.error);
  return whole;
}

bool IsWholeZipArchive(std::string_view bytes) {
  return IsWholeZipArchive(bytes.size(), [bytes](std::uint64_t offset, char* buffer, std::size_t size) {
    const std::size_t got = offset >= bytes.size() ? 0 : std::min<std::size_t>(size, bytes.size() - offset);
    if (got > 0) std::memcpy(buffer, bytes.data() + offset, got);
    return std::optional<std::size_t>(got);
  });
}

}  // namespace update
