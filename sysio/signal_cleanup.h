// Removal of registered temporary files when the process is ended by INT, TERM or HUP.
#pragma once

#include <string>

namespace sysio {

// Installs handlers for INT, TERM and HUP (a signal the process ignores
// stays ignored): each removes the temporary files registered at that
// moment, then ends the process by the same signal, as if unhandled. For a
// program that does nothing else on these signals (letterloom-cli). On
// Windows it installs nothing: the system itself removes each temporary
// file when the process ends (see os::CreateTemporary).
void RemoveTemporaryFilesOnSignals();

inline constexpr int kMaxRegisteredTemporaries = 8;

// Keeps one path registered for removal by those handlers while it lives.
// Without the handlers installed it has no effect. At most a few paths
// (kMaxRegisteredTemporaries) are held at once; a path beyond that, or
// longer than the system's path limit, is not registered.
class RegisteredTemporary {
 public:
  RegisteredTemporary() = default;
  ~RegisteredTemporary() { Release(); }
  RegisteredTemporary(const RegisteredTemporary&) = delete;
  RegisteredTemporary& operator=(const RegisteredTemporary&) = delete;

  // Registers `path` in place of the one held before.
  void Hold(const std::string& path);
  // Ends the registration (the file is then the caller's to remove).
  void Release();

 private:
  int m_slot = -1;
};

}  // namespace sysio
