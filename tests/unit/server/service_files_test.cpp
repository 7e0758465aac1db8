// The unit, activation and policy files of the service.
#include <gtest/gtest.h>

#include <string>

#include "server/service_files.h"

namespace albumcore::server {
namespace {

TEST(ServiceFiles, TheUnitQuotesPathsSoThatTheServiceManagerExpandsNothing) {
  const ServiceSetup setup{"com.orvane.AlbumCore9", "/opt/my app/100%$HOME\"x\\y", "/var/lib/a b/machine.reg", "media"};
  const std::string unit = UnitFileText(setup);
  EXPECT_NE(unit.find("ExecStart=\"/opt/my app/100%%$$HOME\\\"x\\\\y\"\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("Environment=\"ALBUMCORE_REGISTRY=/var/lib/a b/machine.reg\"\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("Type=dbus\nBusName=com.orvane.AlbumCore9\n"), std::string::npos) << unit;
  // Started on demand only: nothing makes it start at boot.
  EXPECT_EQ(unit.find("[Install]"), std::string::npos);

  const std::string activation = SystemActivationText(setup);
  EXPECT_NE(activation.find("SystemdService=albumcore9.service\n"), std::string::npos) << activation;
  EXPECT_NE(activation.find("User=root\n"), std::string::npos) << activation;
}

TEST(ServiceFiles, FilesGoBelowTheRootAndGroupsAreNamesAPolicyCanHold) {
  const ServiceFilePaths staged = ServiceFilesUnder("/tmp/stage", "com.orvane.AlbumCore9");
  EXPECT_EQ(staged.unit, "/tmp/stage/etc/systemd/system/albumcore9.service");
  EXPECT_EQ(staged.activation, "/tmp/stage/usr/share/dbus-1/system-services/com.orvane.AlbumCore9.service");
  EXPECT_EQ(staged.policy, "/tmp/stage/etc/dbus-1/system.d/com.orvane.AlbumCore9.conf");
  EXPECT_EQ(ServiceFilesUnder("", "n").unit, "/etc/systemd/system/albumcore9.service");

  for (const char* good : {"albumcore", "media-users", "_media", "a.b", "abcdefghijklmnopqrstuvwxyz012345"}) {
    EXPECT_TRUE(IsValidGroupName(good)) << good;
  }
  for (const char* bad : {"", "1media", "-media", "a\"b", "a b", "a<b", "abcdefghijklmnopqrstuvwxyz0123456"}) {
    EXPECT_FALSE(IsValidGroupName(bad)) << bad;
  }
}

}  // namespace
}  // namespace albumcore::server
