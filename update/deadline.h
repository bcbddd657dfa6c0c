// The moment a whole exchange gives up, on the steady clock.
#pragma once

#include <algorithm>
#include <chrono>

namespace update {

// A point in time after which no wait may go on; Never() by default.
class Deadline {
 public:
  using Clock = std::chrono::steady_clock;

  Deadline() = default;
  // `ms` milliseconds from now.
  static Deadline In(int ms) { return Deadline(Clock::now() + std::chrono::milliseconds(ms)); }
  static Deadline Never() { return Deadline(); }

  bool Passed() const { return Clock::now() >= m_at; }
  // `waitMs` shortened to what is left before the deadline (0 once passed).
  int Cap(int waitMs) const {
    if (m_at == Clock::time_point::max()) return waitMs;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_at - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, waitMs));
  }

 private:
  explicit Deadline(Clock::time_point at) : m_at(at) {}
  Clock::time_point m_at = Clock::time_point::max();
};

}  // namespace update
