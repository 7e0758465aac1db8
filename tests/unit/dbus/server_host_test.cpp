// The server host's handling of termination signals.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <thread>

#include "dbus/server_host.h"
#include "private_bus.h"

namespace albumcore::dbus {
namespace {

TEST(ServerHost, ATerminationSignalBeforeRunIsNotLost) {
  testing::PrivateBus bus;
  ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
  ServerHost host("com.orvane.AlbumCore9SignalTest", /*systemBus=*/false);
  std::raise(SIGTERM);  // as if it came while the server was still registering its classes

  bool timedOut = false;
  const int watchdog = host.loop().AddTimer(std::chrono::seconds(10), [&] {
    timedOut = true;
    host.loop().Quit();
  });
  host.Run();
  host.loop().RemoveTimer(watchdog);
  EXPECT_FALSE(timedOut) << "Run() did not see the signal that came before it";
}

}  // namespace
}  // namespace albumcore::dbus
