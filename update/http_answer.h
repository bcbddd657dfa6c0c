// Reads one HTTP/1.x answer from a byte source: status line, headers, and a body by its framing.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sysio/timed_reader.h"
#include "update/deadline.h"
#include "update/http_error.h"
#include "update/http_limits.h"

namespace update {

enum class BodyFraming { Length, Chunked, UntilClose };

struct AnswerHead {
  int status = 0;
  std::string location;  // the first Location header, trimmed; empty when none
  BodyFraming framing = BodyFraming::UntilClose;
  std::uint64_t contentLength = 0;  // for BodyFraming::Length
};

// Receives the body piece by piece; anything but None stops the reading
// and becomes its result.
using BodySink = std::function<HttpError(const char* data, std::size_t size)>;

// The status code of a status line: it must start with "HTTP/1." and the
// code is the three digits after the first blank, followed by a blank or
// the end. Nothing when the line is not of that form.
std::optional<int> ParseStatusLine(std::string_view line);

// A Content-Length value: decimal digits only, at most kMaxBodyBytes.
// Nothing for a sign, other characters, an empty value or a huge number.
std::optional<std::uint64_t> ParseContentLength(std::string_view value);

// The size on a chunk's size line: hexadecimal digits, then optionally
// blanks and ";" extensions. Nothing when it is malformed or over
// kMaxBodyBytes (so it cannot overflow).
std::optional<std::uint64_t> ParseChunkSize(std::string_view line);

// Reads one answer from source. The status line and the headers must all
// arrive within limits.answerMs; later reads ask for at most pieceBytes.
// No wait goes on past `deadline`, the total limit of the whole exchange:
// once it has passed, reading fails with Timeout.
class AnswerReader {
 public:
  AnswerReader(sysio::TimedReader& source, const Limits& limits, std::size_t pieceBytes,
               Deadline deadline = Deadline::Never());

  // Reads the status line and the headers up to the empty line. Errors:
  // Timeout, Closed, BadStatus, BadHeader (over-long line, more than
  // kMaxHeaderLines headers, bad or conflicting Content-Length).
  HttpError ReadHead(AnswerHead& head);

  // Hands the body described by head to sink, failing when it is cut short
  // (Closed or Timeout) or grows over maxBytes (TooLarge). A body without
  // length or chunks is whole only when the server closes the connection
  // after it; a silence of limits.closeDelimitedPieceMs before that is a
  // Timeout, a broken connection Closed.
  HttpError ReadBody(const AnswerHead& head, std::uint64_t maxBytes, const BodySink& sink);

 private:
  // How long each read of a line may wait: until the head's deadline, or
  // limits.pieceMs per read.
  enum class Wait { HeadDeadline, PerPiece };

  HttpError ReadLine(std::string& line, std::size_t maxBytes, Wait wait);
  HttpError FillBuffer(int timeoutMs);
  HttpError CopyBytes(std::uint64_t count, const BodySink& sink);
  HttpError ReadChunked(std::uint64_t maxBytes, const BodySink& sink);
  HttpError ReadUntilClose(std::uint64_t maxBytes, const BodySink& sink);
  int HeadMillisecondsLeft() const;
  sysio::TimedRead ReadPiece(char* buffer, std::size_t capacity, int waitMs);

  sysio::TimedReader& m_source;
  Limits m_limits;
  std::size_t m_pieceBytes;
  std::string m_buffer;  // bytes received but not yet used
  std::int64_t m_headDeadlineMs = 0;
  Deadline m_deadline;
};

}  // namespace update
