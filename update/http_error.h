// What can go wrong in one HTTP exchange, as a value.
#pragma once

namespace update {

enum class HttpError {
  None,
  BadUrl,          // no "://", no host, or a port that is not a number in range
  Resolve,         // the host name is unknown
  Connect,         // no TCP connection within the limit
  Send,            // the request could not be sent within the limit
  Timeout,         // the answer or a piece of the body did not come in time, or the whole
                   // exchange took longer than its total limit
  Closed,          // the server closed before the answer or the body was whole
  BadStatus,       // the status line is not "HTTP/1.x ddd ..."
  BadHeader,       // an over-long line, too many headers, or a bad length or chunk size
  NotOk,           // a status other than 200 that is no followable redirect
  BadRedirect,     // a redirect without a usable http Location, or too many of them
  TooLarge,        // the body is over the caller's bound
  File,            // the destination could not be written or renamed
  NotAnArchive,    // the body asked to be a zip archive is not a whole one
};

// The enumerator's name, for test messages and diagnostics.
const char* HttpErrorName(HttpError error);

}  // namespace update
