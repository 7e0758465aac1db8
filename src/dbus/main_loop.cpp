#include "dbus/main_loop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace albumcore::dbus {

MainLoop::MainLoop(sdbus::IConnection& connection)
    : connection_(connection), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (wakeFd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

MainLoop::~MainLoop() { close(wakeFd_); }

void MainLoop::Quit() {
  quit_ = true;
  Post([] {});
}

void MainLoop::QuitFromSignal() noexcept {
  quit_ = true;
  uint64_t one = 1;
  [[maybe_unused]] auto n = write(wakeFd_, &one, sizeof one);
}

void MainLoop::Post(std::function<void()> task) {
  {
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(task));
  }
  uint64_t one = 1;
  [[maybe_unused]] auto n = write(wakeFd_, &one, sizeof one);
}

int MainLoop::AddTimer(std::chrono::milliseconds period, std::function<void()> tick) {
  timers_.push_back({nextTimerId_, period, Clock::now() + period, std::move(tick)});
  return nextTimerId_++;
}

void MainLoop::RemoveTimer(int id) {
  std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
}

void MainLoop::RunPosted() {
  uint64_t count;
  [[maybe_unused]] auto n = read(wakeFd_, &count, sizeof count);
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard lock(postedMutex_);
    tasks.swap(posted_);
  }
  for (auto& task : tasks) task();
}

void MainLoop::RunDueTimers() {
  const auto now = Clock::now();
  // Copy the ids first: a tick may add or remove timers.
  std::vector<int> due;
  for (const auto& t : timers_) {
    if (t.due <= now) due.push_back(t.id);
  }
  for (int id : due) {
    auto it = std::find_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
    if (it == timers_.end()) continue;
    it->due = now + it->period;
    auto tick = it->tick;  // the tick may remove its own timer
    tick();
  }
}

int MainLoop::PollTimeoutMs(int busTimeoutMs) const {
  int timeout = busTimeoutMs;
  const auto now = Clock::now();
  for (const auto& t : timers_) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.due - now).count();
    int wait = static_cast<int>(std::clamp<long long>(ms + 1, 0, 24 * 3600 * 1000));
    timeout = timeout < 0 ? wait : std::min(timeout, wait);
  }
  return timeout;
}

void MainLoop::Run() {
  // quit_ is not reset here: a Quit() that came before Run(), a signal during
  // start-up say, still ends the loop.
  while (!quit_) {
    while (connection_.processPendingRequest()) {
      if (quit_) return;
    }
    const auto pollData = connection_.getEventLoopPollData();
    pollfd fds[2] = {{pollData.fd, pollData.events, 0}, {wakeFd_, POLLIN, 0}};
    int r = poll(fds, 2, PollTimeoutMs(pollData.getPollTimeout()));
    if (r < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "poll");
    if (fds[1].revents & POLLIN) RunPosted();
    RunDueTimers();
  }
}

}  // namespace albumcore::dbus
