// The server's main loop: one thread that serves D-Bus calls, runs timers
// and runs tasks posted from other threads, one at a time.
//
// Everything that touches objects runs here (the single-threaded
// apartment). Post() is the only member that may be called from another
// thread; it wakes the loop through an eventfd.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include <sdbus-c++/IConnection.h>

namespace albumcore::dbus {

class MainLoop {
 public:
  using Clock = std::chrono::steady_clock;

  explicit MainLoop(sdbus::IConnection& connection);
  ~MainLoop();
  MainLoop(const MainLoop&) = delete;
  MainLoop& operator=(const MainLoop&) = delete;

  // Runs until Quit(), at once when Quit() came first; raises sdbus::Error
  // if the bus connection fails.
  void Run();
  void Quit();
  // Quit() for a signal handler: async-signal-safe.
  void QuitFromSignal() noexcept;

  // Runs `task` on the loop thread soon. Thread-safe.
  void Post(std::function<void()> task);

  // Calls `tick` every `period` until the loop ends. Returns its id.
  int AddTimer(std::chrono::milliseconds period, std::function<void()> tick);
  void RemoveTimer(int id);

 private:
  struct Timer {
    int id;
    std::chrono::milliseconds period;
    Clock::time_point due;
    std::function<void()> tick;
  };

  void RunPosted();
  void RunDueTimers();
  int PollTimeoutMs(int busTimeoutMs) const;

  sdbus::IConnection& connection_;
  int wakeFd_;
  std::atomic<bool> quit_{false};
  std::mutex postedMutex_;
  std::vector<std::function<void()>> posted_;
  std::vector<Timer> timers_;
  int nextTimerId_ = 1;
};

}  // namespace albumcore::dbus
