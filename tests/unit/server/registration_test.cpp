// The class table, the run-mode value and their removal, in a real hive file.
#include <gtest/gtest.h>

#include <set>

#include "com/guid.h"
#include "server/class_ids.h"
#include "server/config/idle_settings.h"
#include "server/registration.h"
#include "temp_dir.h"

namespace albumcore::server {
namespace {

using registry::RegistryStore;
using registry::RegStatus;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

const Registration kRegistration{"/usr/bin/orvmediadb9", {"/usr/share/albumcore", "T.db", "/usr/share/albumcore/strings"}};

std::string Read(RegistryStore& store, const std::string& key, std::string_view name = "") {
  std::string text;
  EXPECT_EQ(store.ReadString(key, name, text), RegStatus::Ok) << key << " " << name << ": " << store.lastError();
  return text;
}

TEST(Registration, EveryClassIsRegisteredUnderItsClassIdAndBothProgIds) {
  TempDir dir;
  RegistryStore store(dir.file("machine.reg"));
  ASSERT_EQ(WriteRegistration(store, kRegistration, RunMode::LocalServer), RegStatus::Ok) << store.lastError();

  std::vector<std::string> registered;
  ASSERT_EQ(store.ListSubkeys("SOFTWARE\\Classes\\CLSID", registered), RegStatus::Ok);
  EXPECT_EQ(registered.size(), kServerClasses.size());  // no class ID given twice
  for (const ServerClass& c : kServerClasses) {
    EXPECT_TRUE(com::Guid::Parse(c.clsid)) << c.name;
    const std::string key = "SOFTWARE\\Classes\\CLSID\\" + std::string(c.clsid);
    EXPECT_EQ(Read(store, key + "\\VersionIndependentProgID"), c.progId);
    EXPECT_EQ(Read(store, "SOFTWARE\\Classes\\" + std::string(c.progId) + ".1\\CLSID"), c.clsid);
  }

  const std::string factory = "SOFTWARE\\Classes\\CLSID\\{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}";
  EXPECT_EQ(Read(store, factory), "LumLibFactory Class");
  EXPECT_EQ(Read(store, factory, "AppID"), "{C5AFF470-DB0E-44f3-BCE8-FAE8CEAC711E}");
  EXPECT_EQ(Read(store, factory + "\\ProgID"), "Zeph.TovLibFactory.1");
  EXPECT_EQ(Read(store, factory + "\\LocalServer32"), "/usr/bin/orvmediadb9");
  EXPECT_EQ(Read(store, factory + "\\TypeLib"), "{4FCD30B3-C6E7-4E60-ACA8-5F08AD6DBC67}");
  EXPECT_EQ(store.KeyExists(factory + "\\Programmable"), RegStatus::Ok);
  EXPECT_EQ(Read(store, "SOFTWARE\\Classes\\Zeph.TovLibFactory\\CurVer"), "Zeph.TovLibFactory.1");
  EXPECT_EQ(Read(store, "SOFTWARE\\Classes\\Zeph.TovDevices"), "TovDevices Class");
  EXPECT_EQ(Read(store, "SOFTWARE\\Classes\\AppID\\orvmediadb9", "AppID"), "{C5AFF470-DB0E-44f3-BCE8-FAE8CEAC711E}");
  EXPECT_EQ(Read(store, "SOFTWARE\\Classes\\TypeLib\\{4FCD30B3-C6E7-4E60-ACA8-5F08AD6DBC67}\\1.0"), "KIVALBUMCORELib");
}

TEST(Registration, TheRunModeValueFollowsTheSwitchAndABrokenHiveMeansALocalServer) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  RegistryStore store(path);
  std::string problem;
  EXPECT_EQ(ReadRunMode(store, &problem), RunMode::LocalServer);
  EXPECT_EQ(problem, "");

  ASSERT_EQ(WriteRegistration(store, kRegistration, RunMode::Service), RegStatus::Ok);
  EXPECT_EQ(Read(store, AppIdKey(), "LocalService"), "AlbumCore9");
  EXPECT_EQ(ReadRunMode(store, &problem), RunMode::Service);
  ASSERT_EQ(WriteRegistration(store, kRegistration, RunMode::LocalServer), RegStatus::Ok);
  EXPECT_EQ(ReadRunMode(store, &problem), RunMode::LocalServer);
  // Any value counts, whatever its type.
  ASSERT_EQ(store.WriteDword(AppIdKey(), "LocalService", 1), RegStatus::Ok);
  EXPECT_EQ(ReadRunMode(store, &problem), RunMode::Service);

  WriteText(path, "Windows Registry Editor Version 5.00\n\nnot a key\n");
  EXPECT_EQ(ReadRunMode(store, &problem), RunMode::LocalServer);
  EXPECT_NE(problem.find(path + ":3:"), std::string::npos) << problem;
}

TEST(Registration, UnregisteringTakesAwayOnlyWhatRegistrationWrote) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  RegistryStore store(path);
  ASSERT_EQ(store.WriteString("SOFTWARE\\Classes\\.jpg", "", "jpegfile"), RegStatus::Ok);
  ASSERT_EQ(store.WriteDword("SOFTWARE\\Orvane\\Crestkit9\\Album", "SqlStatementBudgetMs", 100), RegStatus::Ok);
  const std::string before = ReadText(path);

  ASSERT_EQ(WriteRegistration(store, kRegistration, RunMode::Service), RegStatus::Ok);
  const std::string registered = ReadText(path);
  ASSERT_EQ(WriteRegistration(store, kRegistration, RunMode::Service), RegStatus::Ok);
  EXPECT_EQ(ReadText(path), registered);
  ASSERT_EQ(RemoveRegistration(store), RegStatus::Ok) << store.lastError();
  EXPECT_EQ(ReadText(path), before);

  // What a person put below keys registration made stays, with the keys
  // leading to it; the rest of those keys goes.
  const std::string factory = "SOFTWARE\\Classes\\CLSID\\{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}";
  ASSERT_EQ(WriteRegistration(store, kRegistration, RunMode::Service), RegStatus::Ok);
  ASSERT_EQ(store.WriteString(factory + "\\LocalServer32", "Note", "mine"), RegStatus::Ok);
  ASSERT_EQ(store.CreateKey("SOFTWARE\\Orvane\\Crestkit9\\Album\\Filters\\NAX_FILTER_ALL\\99"), RegStatus::Ok);
  ASSERT_EQ(RemoveRegistration(store), RegStatus::Ok);
  EXPECT_EQ(Read(store, factory + "\\LocalServer32", "Note"), "mine");
  std::string gone;
  EXPECT_EQ(store.ReadString(factory + "\\LocalServer32", "", gone), RegStatus::NotFound);
  EXPECT_EQ(store.KeyExists(factory + "\\ProgID"), RegStatus::NotFound);
  std::vector<std::string> filters;
  ASSERT_EQ(store.ListSubkeys("SOFTWARE\\Orvane\\Crestkit9\\Album\\Filters\\NAX_FILTER_ALL", filters), RegStatus::Ok);
  EXPECT_EQ(filters, std::vector<std::string>{"99"});
  EXPECT_EQ(store.KeyExists(AppIdKey()), RegStatus::NotFound);
}

TEST(IdleSettings, PeriodsComeFromTheHiveWithinTheirBounds) {
  TempDir dir;
  RegistryStore store(dir.file("machine.reg"));
  config::IdleSettings idle = config::ReadIdleSettings(store);
  EXPECT_EQ(idle.tick, std::chrono::milliseconds(20000));
  EXPECT_EQ(idle.localExitDelay, std::chrono::milliseconds(30000));

  const std::string album = "SOFTWARE\\Orvane\\Crestkit9\\Album";
  ASSERT_EQ(store.WriteDword(album, "IdleTickMs", 250), RegStatus::Ok);
  ASSERT_EQ(store.WriteString(album, "LocalServerExitDelayMs", "5"), RegStatus::Ok);
  idle = config::ReadIdleSettings(store);
  EXPECT_EQ(idle.tick, std::chrono::milliseconds(250));
  EXPECT_EQ(idle.localExitDelay, std::chrono::milliseconds(30000));
  // A period of 0 would spin the loop.
  ASSERT_EQ(store.WriteDword(album, "IdleTickMs", 0), RegStatus::Ok);
  EXPECT_EQ(config::ReadIdleSettings(store).tick, std::chrono::milliseconds(20000));
}

}  // namespace
}  // namespace albumcore::server
