// A small HTTP/1.1 client over plain TCP: the version query and the update download.
#pragma once

#include <optional>
#include <string>

#include "update/http_error.h"
#include "update/http_limits.h"

namespace update {

// An http address split into its parts.
struct Url {
  std::string host;
  int port = kDefaultPort;
  std::string path;  // everything after the first "/" behind the host, query included
};

// Splits "http://[user@]host[:port][/path]". The scheme must be http (any
// case); the port is 1 to 65535, 80 when no digits follow ":". Nothing for
// any other form, and for blanks or control characters anywhere, which
// could otherwise reach the request line.
std::optional<Url> SplitUrl(const std::string& url);

// The address a redirect's Location names, seen from base: an absolute
// http address, "//host/..." or a path, absolute or relative to base's.
// Nothing for another scheme or an empty or unusable Location.
std::optional<Url> ResolveLocation(const Url& base, const std::string& location);

// The request for url, exactly "GET /path HTTP/1.1\r\nAccept: */*\r\nHost:
// host[:port]\r\n", then extraHeaders (whole lines), then "Connection:
// close\r\n\r\n". The port is written only when it is not 80.
std::string BuildRequest(const Url& url, const std::string& extraHeaders);

// What a downloaded body must be before it may replace the file.
enum class BodyCheck {
  None,        // any whole body
  ZipArchive,  // a whole zip archive (IsWholeZipArchive); else NotAnArchive
};

// Downloads url's body into the file at path. The body goes to a temporary
// file in path's directory (unnamed where the file system allows, so a
// killed process leaves nothing), which replaces path only once the body is
// whole and passes `check`: a failure leaves path as it was and nothing new
// behind. A body without length or chunks is whole only when the server
// closed the connection after it. Redirects (301, 302, 303, 307, 308 with
// Location) are followed up to kMaxRedirects times; everything, redirects
// included, ends within limits.downloadTotalMs (else Timeout). Returns None
// on success, else what failed.
HttpError DownloadToFile(const std::string& url, const std::string& path,
                         const Limits& limits = {}, BodyCheck check = BodyCheck::None);

struct FetchResult {
  HttpError error = HttpError::None;
  std::string body;  // empty unless error is None
};

// Fetches url's body as text, asking that no cache answer, reading in
// pieces of kFetchPieceBytes, following redirects as DownloadToFile does.
// A status other than 200 is an error (NotOk); a body over kMaxFetchBytes
// is TooLarge; the whole query ends within limits.fetchTotalMs (Timeout).
FetchResult FetchUrlText(const std::string& url, const Limits& limits = {});

}  // namespace update
