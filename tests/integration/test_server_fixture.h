// A private bus with the test event server on it, and a client session.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "client/session.h"
#include "private_bus.h"

namespace albumcore::testing {

inline constexpr const char* kTestServerName = "com.orvane.AlbumCore9Test";

class TestServerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_ = std::make_unique<PrivateBus>();
    serverEnv_["DBUS_SESSION_BUS_ADDRESS"] = bus_->address();
    server_ = std::make_unique<ChildProcess>(std::vector<std::string>{ALBUMCORE_TEST_SERVER}, serverEnv_);
    ASSERT_EQ(server_->ReadLine(), "ready");
    ASSERT_TRUE(WaitForName(bus_->address(), kTestServerName));
    session_ = client::Session::Connect(bus_->address(), kTestServerName);
    ASSERT_EQ(session_->CreateInstance("Test.Pinned", &pinned_), com::S_OK);
  }

  // A test client (see test_event_client.cpp for `args`), once it is ready.
  std::unique_ptr<ChildProcess> StartClient(std::vector<std::string> args = {}) {
    args.insert(args.begin(), ALBUMCORE_TEST_CLIENT);
    auto child = std::make_unique<ChildProcess>(args, std::map<std::string, std::string>{{"DBUS_SESSION_BUS_ADDRESS", bus_->address()}});
    EXPECT_EQ(child->ReadLine().rfind("ready", 0), 0u);
    return child;
  }

  // Environment of the server beyond its bus; set before SetUp.
  std::map<std::string, std::string> serverEnv_;
  std::unique_ptr<PrivateBus> bus_;
  std::unique_ptr<ChildProcess> server_;
  std::shared_ptr<client::Session> session_;
  // The object the test server pins for its whole life, as the catalogue
  // server pins its factory; the binding's counts are asked through it.
  com::ComPtr<client::RemoteObject> pinned_;
};

// A generated proxy on one server object.
template <class Interface>
class Remote final : public sdbus::ProxyInterfaces<Interface> {
 public:
  Remote(client::Session& session, const sdbus::ObjectPath& path)
      : sdbus::ProxyInterfaces<Interface>(session.connection(), session.serverName(), path) {
    this->registerProxy();
  }
  Remote(client::Session& session, const com::ComPtr<client::RemoteObject>& object)
      : Remote(session, object->path()) {}
  ~Remote() { this->unregisterProxy(); }
};

// Polls `probe` (a short while: the bus announces a process's death a moment
// after it happens) until it answers `expected`.
template <class Probe>
bool Eventually(Probe&& probe, uint32_t expected) {
  for (int i = 0; i < 500; ++i) {
    if (probe() == expected) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// The events a test sink heard, in order; waits for a number of them.
class EventLog {
 public:
  com::HRESULT Add(std::string event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    changed_.notify_all();
    return com::S_OK;
  }
  std::vector<std::string> WaitFor(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(20), [&] { return events_.size() >= count; });
    return events_;
  }
  size_t count() {
    std::lock_guard lock(mutex_);
    return events_.size();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

}  // namespace albumcore::testing
