// Every time limit and size bound of the HTTP client, in one place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace update {

// Time limits of one exchange, in milliseconds. The defaults are the
// program's; tests pass shorter ones so that a silent server ends quickly.
struct Limits {
  int connectMs = 10000;          // to open the TCP connection
  int sendMs = 10000;             // to send the whole request
  int sendRetryMs = 50;           // pause before a failed send is tried again
  int answerMs = 10000;           // for the status line and every header line
  int pieceMs = 10000;            // for each later piece of a delimited body
  int closeDelimitedPieceMs = 1000;  // per piece when the body has no length and no chunks
};

inline constexpr int kDefaultPort = 80;
inline constexpr std::size_t kDownloadPieceBytes = 1024;  // archive pieces
inline constexpr std::size_t kFetchPieceBytes = 2048;     // version-file pieces
inline constexpr std::size_t kMaxFetchBytes = 64 * 1024;  // version file; larger is no version
inline constexpr std::size_t kMaxHeaderLineBytes = 8 * 1024;
inline constexpr std::size_t kMaxHeaderLines = 100;
inline constexpr std::size_t kMaxChunkLineBytes = 1024;
inline constexpr std::uint64_t kMaxBodyBytes = std::uint64_t{1} << 32;  // 4 GiB
inline constexpr int kMaxRedirects = 5;

}  // namespace update
