// Work that must not run on the main loop, run on a worker thread of its own.
//
// A call whose work can wait on something outside the process (a lock
// another process holds, the disk, a slow statement) hands the work here and
// returns at once; its reply is sent by the completion, which runs back on
// the main loop. So the loop keeps answering every other call meanwhile.
//
// Clients take turns: each has its own queue, and the worker takes one item
// from each client in rotation, so a client with a long backlog delays
// another client's call by at most the one item under way. What may wait is
// bounded: kMaxWaitingPerClient items per client and kMaxWaitingBytes of
// arguments in all. Submit refuses beyond that (logging it once per burst),
// and the caller answers at once with the call's failure status.
//
// Ownership and threads: Submit and the destructor run on the main loop.
// `work` runs on the worker and touches only what it was handed or what
// nothing but the worker touches; `complete` runs on the main loop, and both
// closures are destroyed there. A `work` that throws is logged and completed
// as usual. The destructor lets the item under way finish and drops the
// waiting ones uncompleted (the process is ending).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "dbus/main_loop.h"

namespace albumcore::dbus {

class WorkQueue {
 public:
  static constexpr size_t kMaxWaitingPerClient = 16;
  static constexpr size_t kMaxWaitingBytes = 64 * 1024 * 1024;

  explicit WorkQueue(MainLoop& loop);
  ~WorkQueue();
  WorkQueue(const WorkQueue&) = delete;
  WorkQueue& operator=(const WorkQueue&) = delete;

  // Queues `work` for `client`; `argumentBytes` is what its closures hold.
  // False when the client or the queue as a whole has too much waiting.
  bool Submit(const std::string& client, size_t argumentBytes, std::function<void()> work,
              std::function<void()> complete);

  // Clients with items waiting: per-client state lives only that long.
  size_t WaitingClientCount();

 private:
  struct Item {
    size_t bytes = 0;
    std::function<void()> work;
    std::function<void()> complete;
  };
  struct ClientQueue {
    std::deque<Item> items;
    bool refusalLogged = false;
  };

  void Serve();

  MainLoop& loop_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::map<std::string, ClientQueue> waiting_;
  std::deque<std::string> turns_;  // clients with items waiting, in the order they are served
  size_t waitingBytes_ = 0;
  bool fullLogged_ = false;
  bool stopping_ = false;
  std::thread worker_;  // last: starts once everything above exists
};

}  // namespace albumcore::dbus
