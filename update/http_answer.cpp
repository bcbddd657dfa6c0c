// The HTTP answer parser: bounded lines, bounded header count, checked lengths and chunk sizes.
#include "update/http_answer.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace update {
namespace {

constexpr std::string_view kStatusPrefix = "HTTP/1.";
constexpr int kStatusDigits = 3;

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
  return std::search(text.begin(), text.end(), word.begin(), word.end(), [](char x, char y) {
           return Lower(x) == Lower(y);
         }) != text.end();
}

std::string_view Trim(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A read that brought no data: a silence is Timeout, a close or a broken connection Closed.
HttpError ErrorOf(sysio::ReadStatus status) {
  return status == sysio::ReadStatus::TimedOut ? HttpError::Timeout : HttpError::Closed;
}

// Applies one "Name: value" header line to head.
HttpError TakeHeader(std::string_view line, AnswerHead& head, bool& haveLength, bool& chunked) {
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return HttpError::None;  // not a header: ignored
  std::string_view name = Trim(line.substr(0, colon));
  std::string_view value = Trim(line.substr(colon + 1));
  if (EqualsNoCase(name, "content-length")) {
    auto length = ParseContentLength(value);
    if (!length || (haveLength && *length != head.contentLength)) return HttpError::BadHeader;
    head.contentLength = *length;
    haveLength = true;
  } else if (EqualsNoCase(name, "transfer-encoding")) {
    chunked = chunked || ContainsNoCase(value, "chunked");
  } else if (EqualsNoCase(name, "location") && head.location.empty()) {
    head.location = std::string(value);
  }
  return HttpError::None;
}

}  // namespace

std::optional<int> ParseStatusLine(std::string_view line) {
  if (line.substr(0, kStatusPrefix.size()) != kStatusPrefix) return std::nullopt;
  std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  std::string_view rest = line.substr(blank + 1);
  if (rest.size() < kStatusDigits) return std::nullopt;
  int code = 0;
  for (int i = 0; i < kStatusDigits; ++i) {
    if (!IsDigit(rest[i])) return std::nullopt;
    code = code * 10 + (rest[i] - '0');
  }
  if (rest.size() > kStatusDigits && rest[kStatusDigits] != ' ') return std::nullopt;
  return code;
}

std::optional<std::uint64_t> ParseContentLength(std::string_view value) {
  if (value.empty()) return std::nullopt;
  std::uint64_t length = 0;
  for (char c : value) {
    if (!IsDigit(c)) return std::nullopt;
    length = length * 10 + static_cast<std::uint64_t>(c - '0');
    if (length > kMaxBodyBytes) return std::nullopt;
  }
  return length;
}

std::optional<std::uint64_t> ParseChunkSize(std::string_view line) {
  std::size_t end = line.find(';');
  std::string_view digits = Trim(line.substr(0, end));
  if (digits.empty()) return std::nullopt;
  std::uint64_t size = 0;
  for (char c : digits) {
    int value = HexValue(c);
    if (value < 0) return std::nullopt;
    size = size * 16 + static_cast<std::uint64_t>(value);
    if (size > kMaxBodyBytes) return std::nullopt;
  }
  return size;
}

AnswerReader::AnswerReader(sysio::TimedReader& source, const Limits& limits, std::size_t pieceBytes,
                           Deadline deadline)
    : m_source(source), m_limits(limits), m_pieceBytes(pieceBytes), m_deadline(deadline) {}

// Every read of the answer goes through here, so that none outlasts the deadline.
sysio::TimedRead AnswerReader::ReadPiece(char* buffer, std::size_t capacity, int waitMs) {
  if (m_deadline.Passed()) return {sysio::ReadStatus::TimedOut, 0};
  return m_source.Read(buffer, capacity, m_deadline.Cap(waitMs));
}

int AnswerReader::HeadMillisecondsLeft() const {
  return static_cast<int>(std::max<std::int64_t>(0, m_headDeadlineMs - NowMs()));
}

HttpError AnswerReader::FillBuffer(int timeoutMs) {
  std::vector<char> piece(m_pieceBytes);
  sysio::TimedRead result = ReadPiece(piece.data(), piece.size(), timeoutMs);
  if (result.status != sysio::ReadStatus::Data) return ErrorOf(result.status);
  m_buffer.append(piece.data(), result.size);
  return HttpError::None;
}

HttpError AnswerReader::ReadLine(std::string& line, std::size_t maxBytes, Wait wait) {
  std::size_t searched = 0;
  for (;;) {
    std::size_t end = m_buffer.find('\n', searched);
    if (end != std::string::npos) {
      if (end > maxBytes) return HttpError::BadHeader;
      line.assign(m_buffer, 0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      m_buffer.erase(0, end + 1);
      return HttpError::None;
    }
    if (m_buffer.size() > maxBytes) return HttpError::BadHeader;
    searched = m_buffer.size();
    HttpError error =
        FillBuffer(wait == Wait::HeadDeadline ? HeadMillisecondsLeft() : m_limits.pieceMs);
    if (error != HttpError::None) return error;
  }
}

HttpError AnswerReader::ReadHead(AnswerHead& head) {
  m_headDeadlineMs = NowMs() + m_limits.answerMs;
  std::string line;
  HttpError error = ReadLine(line, kMaxHeaderLineBytes, Wait::HeadDeadline);
  if (error != HttpError::None) return error;
  auto status = ParseStatusLine(line);
  if (!status) return HttpError::BadStatus;
  head = AnswerHead{};
  head.status = *status;
  bool haveLength = false;
  bool chunked = false;
  for (std::size_t count = 0;; ++count) {
    error = ReadLine(line, kMaxHeaderLineBytes, Wait::HeadDeadline);
    if (error != HttpError::None) return error;
    if (line.empty()) break;
    if (count == kMaxHeaderLines) return HttpError::BadHeader;
    error = TakeHeader(line, head, haveLength, chunked);
    if (error != HttpError::None) return error;
  }
  head.framing = chunked      ? BodyFraming::Chunked
                 : haveLength ? BodyFraming::Length
                              : BodyFraming::UntilClose;
  return HttpError::None;
}

HttpError AnswerReader::CopyBytes(std::uint64_t count, const BodySink& sink) {
  std::vector<char> piece(m_pieceBytes);
  while (count > 0) {
    if (!m_buffer.empty()) {
      std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_buffer.size()));
      HttpError error = sink(m_buffer.data(), take);
      if (error != HttpError::None) return error;
      m_buffer.erase(0, take);
      count -= take;
      continue;
    }
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(count, piece.size()));
    sysio::TimedRead result = ReadPiece(piece.data(), want, m_limits.pieceMs);
    if (result.status != sysio::ReadStatus::Data) return ErrorOf(result.status);
    HttpError error = sink(piece.data(), result.size);
    if (error != HttpError::None) return error;
    count -= result.size;
  }
  return HttpError::None;
}

HttpError AnswerReader::ReadChunked(std::uint64_t maxBytes, const BodySink& sink) {
  std::uint64_t total = 0;
  std::string line;
  for (;;) {
    HttpError error = ReadLine(line, kMaxChunkLineBytes, Wait::PerPiece);
    if (error != HttpError::None) return error;
    auto size = ParseChunkSize(line);
    if (!size) return HttpError::BadHeader;
    if (*size == 0) return HttpError::None;  // the last chunk; trailers are not needed
    if (*size > maxBytes - total) return HttpError::TooLarge;
    total += *size;
    error = CopyBytes(*size, sink);
    if (error != HttpError::None) return error;
    error = ReadLine(line, kMaxChunkLineBytes, Wait::PerPiece);
    if (error != HttpError::None) return error;
    if (!line.empty()) return HttpError::BadHeader;
  }
}

HttpError AnswerReader::ReadUntilClose(std::uint64_t maxBytes, const BodySink& sink) {
  std::uint64_t total = m_buffer.size();
  if (total > maxBytes) return HttpError::TooLarge;
  HttpError error = m_buffer.empty() ? HttpError::None : sink(m_buffer.data(), m_buffer.size());
  m_buffer.clear();
  std::vector<char> piece(m_pieceBytes);
  while (error == HttpError::None) {
    sysio::TimedRead result = ReadPiece(piece.data(), piece.size(), m_limits.closeDelimitedPieceMs);
    // Only the server's own close ends the body; a silence or a broken
    // connection may have cut it anywhere.
    if (result.status == sysio::ReadStatus::Closed) break;
    if (result.status != sysio::ReadStatus::Data) return ErrorOf(result.status);
    total += result.size;
    if (total > maxBytes) return HttpError::TooLarge;
    error = sink(piece.data(), result.size);
  }
  return error;
}

HttpError AnswerReader::ReadBody(const AnswerHead& head, std::uint64_t maxBytes,
                                 const BodySink& sink) {
  switch (head.framing) {
    case BodyFraming::Length:
      if (head.contentLength > maxBytes) return HttpError::TooLarge;
      return CopyBytes(head.contentLength, sink);
    case BodyFraming::Chunked:
      return ReadChunked(maxBytes, sink);
    case BodyFraming::UntilClose:
      return ReadUntilClose(maxBytes, sink);
  }
  return HttpError::BadHeader;
}

}  // namespace update
