// POSIX error numbers and their wording.
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

}  // namespace

IoStatus IoStatus::Failure(int systemError) { return IoStatus(systemError != 0 ? systemError : EIO); }

IoStatus IoStatus::LastError() { return Failure(errno); }

std::string IoStatus::Text() const {
  if (m_error == 0) return {};
  char buffer[256];
  return WordingOf(::strerror_r(m_error, buffer, sizeof buffer), buffer);
}

}  // namespace sysio
