// The outcome of a file or system call as a value: done, or the system's error number that says why not.
#pragma once

#include <string>

namespace sysio {

// Success, or the system's error number (errno on POSIX) of the step that
// failed. Tested as a bool: true when the operation was done.
class IoStatus {
 public:
  IoStatus() = default;
  // A failure with `systemError`; 0 is taken as an unknown cause (EIO).
  static IoStatus Failure(int systemError);
  // A failure with the calling thread's last system error.
  static IoStatus LastError();

  bool ok() const { return m_error == 0; }
  explicit operator bool() const { return ok(); }
  // The system's error number; 0 on success.
  int code() const { return m_error; }
  // The system's wording of the cause ("Is a directory"); empty on success.
  std::string Text() const;

  friend bool operator==(const IoStatus&, const IoStatus&) = default;

 private:
  explicit IoStatus(int error) : m_error(error) {}
  int m_error = 0;
};

}  // namespace sysio
