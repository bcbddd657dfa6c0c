// Reads arbitrary bytes as an HTTP answer, head and body, delivered in pieces of varying size.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "sysio/timed_reader.h"
#include "update/http_answer.h"

namespace {

// Delivers the bytes in pieces whose sizes come from a small cycle, then
// reports the connection closed; it never waits.
class FuzzSource : public sysio::TimedReader {
 public:
  FuzzSource(std::string_view bytes, std::uint8_t pieceSeed) : m_bytes(bytes), m_seed(pieceSeed) {}

  sysio::TimedRead Read(char* buffer, std::size_t capacity, int) override {
    if (m_bytes.empty()) return {sysio::ReadStatus::Closed, 0};
    std::size_t piece = 1 + (m_seed + m_reads++ * 7) % 64;
    if (m_seed & 0x80) piece = capacity;
    const std::size_t size = std::min({piece, capacity, m_bytes.size()});
    std::memcpy(buffer, m_bytes.data(), size);
    m_bytes.remove_prefix(size);
    return {sysio::ReadStatus::Data, size};
  }

 private:
  std::string_view m_bytes;
  std::uint8_t m_seed;
  std::size_t m_reads = 0;
};

constexpr std::size_t kControlBytes = 2;
constexpr std::uint64_t kMaxBodies[] = {0, 16, update::kMaxFetchBytes, update::kMaxBodyBytes};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kControlBytes) return 0;
  const std::uint8_t pieceSeed = data[0];
  const std::uint64_t maxBytes = kMaxBodies[data[1] % 4];
  const std::size_t pieceBytes = data[1] & 0x80 ? update::kDownloadPieceBytes : update::kFetchPieceBytes;
  FuzzSource source(std::string_view(reinterpret_cast<const char*>(data) + kControlBytes,
                                     size - kControlBytes),
                    pieceSeed);
  update::AnswerReader reader(source, update::Limits{}, pieceBytes);
  update::AnswerHead head;
  if (reader.ReadHead(head) != update::HttpError::None) return 0;
  std::uint64_t received = 0;
  const update::HttpError error =
      reader.ReadBody(head, maxBytes, [&](const char*, std::size_t piece) {
        received += piece;
        return update::HttpError::None;
      });
  // A body that was read whole never holds more than allowed.
  if (error == update::HttpError::None && received > maxBytes) std::abort();
  if (error == update::HttpError::None && head.framing == update::BodyFraming::Length &&
      received != head.contentLength) {
    std::abort();
  }
  return 0;
}
