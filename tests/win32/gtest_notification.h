// GoogleTest's Notification wants std::mutex, which GCC 12's win32 thread
// model lacks. Only GoogleTest's own threading helpers use it, never these
// tests, so an atomic flag will do. Included ahead of every GoogleTest header.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing
