// The HTTP client: address splitting, the request, redirects, and the two ways of keeping a body.
#include "update/http_client.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "sysio/replacement_file.h"
#include "sysio/socket_stream.h"
#include "update/http_answer.h"
#include "update/zip_archive.h"

namespace update {
namespace {

constexpr std::string_view kScheme = "http://";
constexpr int kMaxPort = 65535;
constexpr const char* kNoCacheHeaders = "Cache-Control: no-cache\r\nPragma: no-cache\r\n";

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool HasUnsafeByte(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F;
  });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

std::optional<int> ParsePort(std::string_view digits) {
  if (digits.empty()) return kDefaultPort;
  int port = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + (c - '0');
    if (port > kMaxPort) return std::nullopt;
  }
  if (port == 0) return std::nullopt;
  return port;
}

HttpError ErrorOf(sysio::SocketError error) {
  switch (error) {
    case sysio::SocketError::None: return HttpError::None;
    case sysio::SocketError::Resolve: return HttpError::Resolve;
    case sysio::SocketError::Connect: return HttpError::Connect;
    case sysio::SocketError::Send: return HttpError::Send;
  }
  return HttpError::Send;
}

// Called with the reader once a 200 answer's head is read; reads the body.
using OkHandler = std::function<HttpError(AnswerReader&, const AnswerHead&)>;

// One GET of url with the redirects it leads to, all before `deadline`; the
// body of the final 200 answer goes to onOk.
HttpError Exchange(const std::string& url, const std::string& extraHeaders, std::size_t pieceBytes,
                   const Limits& limits, Deadline deadline, const OkHandler& onOk) {
  std::optional<Url> target = SplitUrl(url);
  if (!target) return HttpError::BadUrl;
  for (int redirects = 0;; ++redirects) {
    if (deadline.Passed()) return HttpError::Timeout;
    sysio::SocketStream stream;
    sysio::SocketError sent = stream.Connect(target->host, target->port, deadline.Cap(limits.connectMs));
    if (sent == sysio::SocketError::None) {
      sent = stream.SendAll(BuildRequest(*target, extraHeaders), deadline.Cap(limits.sendMs),
                            limits.sendRetryMs);
    }
    if (sent != sysio::SocketError::None) return deadline.Passed() ? HttpError::Timeout : ErrorOf(sent);
    AnswerReader reader(stream, limits, pieceBytes, deadline);
    AnswerHead head;
    HttpError error = reader.ReadHead(head);
    if (error != HttpError::None) return error;
    if (head.status == 200) return onOk(reader, head);
    if (!IsRedirect(head.status) || head.location.empty()) return HttpError::NotOk;
    target = ResolveLocation(*target, head.location);
    if (!target || redirects == kMaxRedirects) return HttpError::BadRedirect;
  }
}

// The written bytes of a download, read back for the archive check.
ReadAtFn ReadBack(const sysio::ReplacementFile& file) {
  return [&file](std::uint64_t offset, char* buffer, std::size_t size) -> std::optional<std::size_t> {
    std::size_t got = 0;
    if (!file.ReadAt(offset, buffer, size, got)) return std::nullopt;
    return got;
  };
}

}  // namespace

std::optional<Url> SplitUrl(const std::string& url) {
  if (!StartsWithNoCase(url, kScheme) || HasUnsafeByte(url)) return std::nullopt;
  std::string_view rest = std::string_view(url).substr(kScheme.size());
  std::size_t slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  std::size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::size_t colon = authority.find(':');
  Url parts;
  parts.host = std::string(authority.substr(0, colon));
  if (parts.host.empty()) return std::nullopt;
  auto port = ParsePort(colon == std::string_view::npos ? "" : authority.substr(colon + 1));
  if (!port) return std::nullopt;
  parts.port = *port;
  if (slash != std::string_view::npos) parts.path = std::string(rest.substr(slash + 1));
  return parts;
}

std::optional<Url> ResolveLocation(const Url& base, const std::string& location) {
  if (location.empty() || HasUnsafeByte(location)) return std::nullopt;
  if (location.rfind("//", 0) == 0) return SplitUrl("http:" + location);
  if (location.find("://") != std::string::npos) return SplitUrl(location);
  Url next = base;
  if (location.front() == '/') {
    next.path = location.substr(1);
    return next;
  }
  std::string basePath = base.path.substr(0, base.path.find('?'));
  std::size_t lastSlash = basePath.rfind('/');
  next.path = (lastSlash == std::string::npos ? "" : basePath.substr(0, lastSlash + 1)) + location;
  return next;
}

std::string BuildRequest(const Url& url, const std::string& extraHeaders) {
  std::string portPart = url.port == kDefaultPort ? "" : ":" + std::to_string(url.port);
  return "GET /" + url.path + " HTTP/1.1\r\nAccept: */*\r\nHost: " + url.host + portPart +
         "\r\n" + extraHeaders + "Connection: close\r\n\r\n";
}

HttpError DownloadToFile(const std::string& url, const std::string& path, const Limits& limits,
                         BodyCheck check) {
  return Exchange(url, "", kDownloadPieceBytes, limits, Deadline::In(limits.downloadTotalMs),
                  [&path, check](AnswerReader& reader, const AnswerHead& head) {
                    sysio::ReplacementFile file(path);
                    if (!file.IsOpen()) return HttpError::File;
                    HttpError error = reader.ReadBody(
                        head, kMaxBodyBytes, [&file](const char* data, std::size_t size) {
                          return file.Write(std::string_view(data, size)) ? HttpError::None
                                                                          : HttpError::File;
                        });
                    if (error != HttpError::None) return error;
                    if (check == BodyCheck::ZipArchive && !IsWholeZipArchive(file.Size(), ReadBack(file))) {
                      return HttpError::NotAnArchive;
                    }
                    return file.Commit() ? HttpError::None : HttpError::File;
                  });
}

FetchResult FetchUrlText(const std::string& url, const Limits& limits) {
  FetchResult result;
  result.error = Exchange(url, kNoCacheHeaders, kFetchPieceBytes, limits,
                          Deadline::In(limits.fetchTotalMs), [&result](AnswerReader& reader, const AnswerHead& head) {
                            return reader.ReadBody(head, kMaxFetchBytes,
                                                   [&result](const char* data, std::size_t size) {
                                                     result.body.append(data, size);
                                                     return HttpError::None;
                                                   });
                          });
  if (result.error != HttpError::None) result.body.clear();
  return result;
}

const char* HttpErrorName(HttpError error) {
  switch (error) {
    case HttpError::None: return "None";
    case HttpError::BadUrl: return "BadUrl";
    case HttpError::Resolve: return "Resolve";
    case HttpError::Connect: return "Connect";
    case HttpError::Send: return "Send";
    case HttpError::Timeout: return "Timeout";
    case HttpError::Closed: return "Closed";
    case HttpError::BadStatus: return "BadStatus";
    case HttpError::BadHeader: return "BadHeader";
    case HttpError::NotOk: return "NotOk";
    case HttpError::BadRedirect: return "BadRedirect";
    case HttpError::TooLarge: return "TooLarge";
    case HttpError::File: return "File";
    case HttpError::NotAnArchive: return "NotAnArchive";
  }
  return "?";
}

}  // namespace update
