// Error numbers (errno values, on Windows too: sysio maps the system's errors onto them) and their wording.
#include "sysio/io_status.h"

#include <cerrno>
#include <cstring>

namespace sysio {
namespace {

// strerror_r comes in two forms: the GNU one returns the text, the XSI one
// fills the buffer and returns 0.
[[maybe_unused]] const char* WordingOf(const char* gnuText, const char*) { return gnuText; }
[[maybe_unused]] const char* WordingOf(int xsiResult, const char* buffer) {
  return xsiResult == 0 ? buffer : "Unknown error";
}

std::string Wording(int error) {
#ifdef _WIN32
  // The C runtime knows the classic numbers only; these later ones, which
  // sysio gives too, it calls "Unknown error".
  switch (error) {
    case EOPNOTSUPP: return "Operation not supported";
    case ELOOP: return "Too many levels of symbolic links";
    case ETIMEDOUT: return "Connection timed out";
    default: break;
  }
  // Its strerror keeps its text per thread: safe to copy at once.
  return std::strerror(error);
#else
  char buffer[256];
  return WordingOf(::strerror_r(error, buffer, sizeof buffer), buffer);
#endif
}

}  // namespace

IoStatus IoStatus::Failure(int systemError) { return IoStatus(systemError != 0 ? systemError : EIO); }

IoStatus IoStatus::LastError() { return Failure(errno); }

std::string IoStatus::Text() const {
  if (m_error == 0) return {};
  return Wording(m_error);
}

}  // namespace sysio
