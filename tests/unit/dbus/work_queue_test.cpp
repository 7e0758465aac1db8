// The worker off the main loop: turns between clients, bounded waiting, completions on the loop.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "dbus/work_queue.h"
#include "private_bus.h"

namespace albumcore::dbus {
namespace {

TEST(WorkQueue, ClientsTakeTurnsWaitingIsBoundedAndCompletionsRunOnTheLoop) {
  testing::PrivateBus bus;
  auto connection = sdbus::createSessionBusConnectionWithAddress(bus.address());
  MainLoop loop(*connection);
  const std::thread::id loopThread = std::this_thread::get_id();  // Run() below runs the loop here
  std::vector<std::string> completed;
  bool allOnTheLoop = true;
  std::promise<void> started;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  {
    WorkQueue queue(loop);
    size_t expected = 0;
    auto submit = [&](const std::string& client, const std::string& name, size_t bytes = 0,
                      std::function<void()> work = [] {}) {
      const bool queued = queue.Submit(client, bytes, std::move(work), [&, name] {
        allOnTheLoop = allOnTheLoop && std::this_thread::get_id() == loopThread;
        completed.push_back(name);
        if (completed.size() == expected) loop.Quit();
      });
      expected += queued ? 1 : 0;
      return queued;
    };
    // a0 holds the worker until everything else is queued.
    ASSERT_TRUE(submit("a", "a0", 0, [&] {
      started.set_value();
      released.wait();
    }));
    started.get_future().wait();

    for (size_t i = 1; i <= WorkQueue::kMaxWaitingPerClient; ++i) EXPECT_TRUE(submit("a", "a" + std::to_string(i)));
    EXPECT_FALSE(submit("a", "refused"));  // a has as many waiting as a client may
    EXPECT_TRUE(submit("b", "b1"));        // b has not
    EXPECT_FALSE(submit("c", "too big", WorkQueue::kMaxWaitingBytes + 1));
    EXPECT_EQ(queue.WaitingClientCount(), 2u);

    release.set_value();
    const int watchdog = loop.AddTimer(std::chrono::seconds(20), [&] {
      ADD_FAILURE() << "the work did not complete";
      loop.Quit();
    });
    loop.Run();
    loop.RemoveTimer(watchdog);
    EXPECT_EQ(queue.WaitingClientCount(), 0u);
  }
  ASSERT_EQ(completed.size(), WorkQueue::kMaxWaitingPerClient + 2);
  // b waited for one item of a's backlog, not for all of it.
  EXPECT_EQ(completed[0], "a0");
  EXPECT_EQ(completed[1], "a1");
  EXPECT_EQ(completed[2], "b1");
  EXPECT_EQ(completed.back(), "a" + std::to_string(WorkQueue::kMaxWaitingPerClient));
  EXPECT_TRUE(allOnTheLoop);
}

}  // namespace
}  // namespace albumcore::dbus
