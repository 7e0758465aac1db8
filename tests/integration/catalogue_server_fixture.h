// A private bus with the real catalogue server on it, a client session and
// the factory, and a way to run albumctl against them.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fstream>
#include <mutex>
#include <thread>
#include <memory>
#include <sstream>
#include <string>

#include "client/lib_factory.h"
#include "private_bus.h"

namespace albumcore::testing {

inline constexpr const char* kCatalogueServerName = "com.orvane.AlbumCore9";

class CatalogueServerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_ = std::make_unique<PrivateBus>();
    registryPath_ = bus_->directory() + "/machine.reg";
    if (registered_) {
      ChildProcess registration({ALBUMCORE_SERVER, "/RegServer"}, Env(), true);
      const std::string said = registration.ReadAll();
      ASSERT_EQ(registration.WaitExitCode(), 0) << said;
    }
    server_ = StartServer();
    ASSERT_TRUE(WaitForName(bus_->address(), kCatalogueServerName));
    session_ = client::Session::Connect(bus_->address());
    factory_ = std::make_unique<client::LibFactory>(session_);
  }

  std::map<std::string, std::string> Env() const {
    return {{"DBUS_SESSION_BUS_ADDRESS", bus_->address()},
            {"ALBUMCORE_REGISTRY", registryPath_},
            {"XDG_DATA_HOME", bus_->directory()},  // where a registration puts the activation file
            {"XDG_CACHE_HOME", bus_->directory()}};
  }
  std::unique_ptr<ChildProcess> StartServer() {
    return std::make_unique<ChildProcess>(std::vector<std::string>{ALBUMCORE_SERVER}, Env(), true);
  }
  // Reads what the server logs until a line holds `words` (true) or it has
  // been quiet for a while (false).
  bool ServerSaid(const std::string& words) {
    for (std::string line = server_->ReadLine(5000); !line.empty(); line = server_->ReadLine(5000)) {
      if (line.find(words) != std::string::npos) return true;
    }
    return false;
  }
  // Runs albumctl; returns its exit code and what it printed.
  std::pair<int, std::string> Albumctl(std::vector<std::string> args, std::map<std::string, std::string> env = {}) {
    args.insert(args.begin(), ALBUMCORE_ALBUMCTL);
    if (env.empty()) env = Env();
    ChildProcess tool(args, env, true);
    std::string out = tool.ReadAll();
    return {tool.WaitExitCode(), out};
  }
  // Runs albumctl; expects its exit code and that its output holds `says`.
  void ExpectAlbumctl(std::vector<std::string> args, int code, const std::string& says,
                      std::map<std::string, std::string> env = {}) {
    auto [exit, out] = Albumctl(std::move(args), std::move(env));
    EXPECT_EQ(exit, code) << out;
    EXPECT_NE(out.find(says), std::string::npos) << "expected \"" << says << "\" in: " << out;
  }
  std::string RegistryText() const {
    std::ifstream in(registryPath_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Whether SetUp writes the registry defaults first (the template
  // catalogue's location, the media types) as `orvmediadb9 /RegServer` does.
  bool registered_ = false;
  std::unique_ptr<PrivateBus> bus_;
  std::string registryPath_;
  std::unique_ptr<ChildProcess> server_;
  std::shared_ptr<client::Session> session_;
  std::unique_ptr<client::LibFactory> factory_;
};

// A generated proxy on one server object.
template <class Interface>
class ServerProxy final : public sdbus::ProxyInterfaces<Interface> {
 public:
  ServerProxy(client::Session& session, const std::string& path)
      : sdbus::ProxyInterfaces<Interface>(session.connection(), session.serverName(), path) {
    this->registerProxy();
  }
  ~ServerProxy() { this->unregisterProxy(); }
};

// Polls `condition` for a few seconds (the bus announces a process's death a
// moment after it happens, the server compacts after it replied) until it holds.
template <class Condition>
bool WaitUntil(Condition&& condition) {
  for (int i = 0; i < 500; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// Lines a sink heard on the session's event thread; waits for a number of them.
class HeardLines {
 public:
  com::HRESULT Add(std::string line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
    changed_.notify_all();
    return com::S_OK;
  }
  std::vector<std::string> WaitFor(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(20), [&] { return lines_.size() >= count; });
    return lines_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
};

}  // namespace albumcore::testing
