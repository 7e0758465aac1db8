// A private bus with the test event server on it, and a client session.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "client/session.h"
#include "private_bus.h"

namespace albumcore::testing {

inline constexpr const char* kTestServerName = "com.orvane.AlbumCore9Test";

class TestServerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_ = std::make_unique<PrivateBus>();
    server_ = std::make_unique<ChildProcess>(std::vector<std::string>{ALBUMCORE_TEST_SERVER},
                                             std::map<std::string, std::string>{{"DBUS_SESSION_BUS_ADDRESS", bus_->address()}});
    ASSERT_EQ(server_->ReadLine(), "ready");
    ASSERT_TRUE(WaitForName(bus_->address(), kTestServerName));
    session_ = client::Session::Connect(bus_->address(), kTestServerName);
  }

  std::unique_ptr<ChildProcess> StartClient() {
    auto child = std::make_unique<ChildProcess>(std::vector<std::string>{ALBUMCORE_TEST_CLIENT},
                                                std::map<std::string, std::string>{{"DBUS_SESSION_BUS_ADDRESS", bus_->address()}});
    EXPECT_EQ(child->ReadLine().rfind("ready", 0), 0u);
    return child;
  }

  std::unique_ptr<PrivateBus> bus_;
  std::unique_ptr<ChildProcess> server_;
  std::shared_ptr<client::Session> session_;
};

}  // namespace albumcore::testing
