#include "dbus/work_queue.h"

#include <cstdio>
#include <exception>
#include <utility>
#include <memory>

namespace albumcore::dbus {

WorkQueue::WorkQueue(MainLoop& loop) : loop_(loop), worker_([this] { Serve(); }) {}

WorkQueue::~WorkQueue() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

bool WorkQueue::Submit(const std::string& client, size_t argumentBytes, std::function<void()> work,
                       std::function<void()> complete) {
  std::lock_guard lock(mutex_);
  if (argumentBytes > kMaxWaitingBytes - waitingBytes_) {
    if (!std::exchange(fullLogged_, true)) {
      std::fprintf(stderr, "refusing calls: %zu bytes of arguments are waiting already, %zu more from %s\n",
                   waitingBytes_, argumentBytes, client.c_str());
    }
    return false;
  }
  ClientQueue& queue = waiting_[client];
  if (queue.items.size() >= kMaxWaitingPerClient) {
    if (!std::exchange(queue.refusalLogged, true)) {
      std::fprintf(stderr, "refusing calls of %s: %zu of its calls are waiting already\n", client.c_str(),
                   queue.items.size());
    }
    return false;
  }
  if (queue.items.empty()) turns_.push_back(client);
  queue.items.push_back({argumentBytes, std::move(work), std::move(complete)});
  waitingBytes_ += argumentBytes;
  wake_.notify_one();
  return true;
}

size_t WorkQueue::WaitingClientCount() {
  std::lock_guard lock(mutex_);
  return waiting_.size();
}

void WorkQueue::Serve() {
  for (;;) {
    auto item = std::make_shared<Item>();
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !turns_.empty(); });
      if (stopping_) return;
      const std::string client = std::move(turns_.front());
      turns_.pop_front();
      auto queue = waiting_.find(client);
      *item = std::move(queue->second.items.front());
      queue->second.items.pop_front();
      // A client with more waiting goes to the back of the line; one with
      // nothing left is forgotten.
      if (queue->second.items.empty()) {
        waiting_.erase(queue);
      } else {
        turns_.push_back(client);
      }
      waitingBytes_ -= item->bytes;
      if (waitingBytes_ == 0) fullLogged_ = false;
    }
    try {
      item->work();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "background work failed: %s\n", e.what());
    } catch (...) {
      std::fprintf(stderr, "background work failed\n");
    }
    // The completion owns the item from here, so its closures die on the loop.
    loop_.Post([item = std::move(item)] {
      try {
        item->complete();
      } catch (const std::exception& e) {
        std::fprintf(stderr, "completing background work failed: %s\n", e.what());
      }
    });
  }
}

}  // namespace albumcore::dbus
