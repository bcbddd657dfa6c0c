// Every time limit and size bound of the HTTP client, in one place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace update {

// The program's time limits, in milliseconds.
inline constexpr int kConnectLimitMs = 10000;     // to open the TCP connection
inline constexpr int kSendLimitMs = 10000;        // to send the whole request
inline constexpr int kSendRetryMs = 50;           // pause before a failed send is tried again
inline constexpr int kAnswerLimitMs = 10000;      // for the status line and all header lines
inline constexpr int kPieceLimitMs = 10000;       // for each later piece of a delimited body
inline constexpr int kCloseDelimitedPieceMs = 1000;  // per piece of a body without length or chunks
inline constexpr int kFetchTotalLimitMs = 30 * 1000;       // the whole version query, redirects included
inline constexpr int kDownloadTotalLimitMs = 10 * 60 * 1000;  // the whole archive download

// The time limits of the exchanges. The per-step limits hold for each wait;
// the total limits for a whole query or download, however its server
// trickles. The defaults are the program's; tests pass shorter ones so that
// a silent or slow server ends quickly.
struct Limits {
  int connectMs = kConnectLimitMs;
  int sendMs = kSendLimitMs;
  int sendRetryMs = kSendRetryMs;
  int answerMs = kAnswerLimitMs;
  int pieceMs = kPieceLimitMs;
  int closeDelimitedPieceMs = kCloseDelimitedPieceMs;
  int fetchTotalMs = kFetchTotalLimitMs;
  int downloadTotalMs = kDownloadTotalLimitMs;
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
