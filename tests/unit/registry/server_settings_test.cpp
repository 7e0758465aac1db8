// The server's settings read from a real hive file: values, defaults, fallbacks.
#include <gtest/gtest.h>

#include "server/class_ids.h"
#include "server/config/config_keys.h"
#include "server/config/registration_defaults.h"
#include "server/config/server_settings.h"
#include "temp_dir.h"

namespace albumcore::config {
namespace {

using registry::RegistryStore;
using registry::RegStatus;
using testing::TempDir;
using testing::WriteText;

TEST(ServerSettings, AnEmptyOrMalformedHiveGivesEmptyPathsAndTheDefaultLanguage) {
  TempDir dir;
  WriteText(dir.file("malformed.reg"), "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\n");
  for (const char* name : {"machine.reg", "malformed.reg"}) {
    RegistryStore store(dir.file(name));
    const ServerSettings s = ReadServerSettings(store);
    EXPECT_EQ(s.TemplatePath(), "") << name;
    EXPECT_EQ(s.substFixFrom, "");
    EXPECT_EQ(s.resourceRoot, "");
    EXPECT_EQ(s.languageId, "1033");
  }
}

TEST(ServerSettings, ReadsWhatRegistrationAndTheInstallerWrote) {
  TempDir dir;
  RegistryStore store(dir.file("machine.reg"));
  ASSERT_EQ(WriteRegistrationDefaults(store, {"/usr/share/albumcore", "Template.db", "/usr/share/albumcore/strings"}),
            RegStatus::Ok);
  ASSERT_EQ(store.WriteString(kAlbumKey, kSubstFixFromValue, "/mnt/photos"), RegStatus::Ok);
  ASSERT_EQ(store.WriteString(kAlbumKey, kSubstFixToValue, "P:"), RegStatus::Ok);
  // Key names are compared without case, as the installer spells this one.
  ASSERT_EQ(store.WriteString("SOFTWARE\\Orvane\\Brightfold9\\Resources\\Installed Language", "LanguageID", "1031"),
            RegStatus::Ok);
  ASSERT_EQ(store.WriteString(kSamplesKey, kSampleXmlFolderValue, "/opt/samples/albums"), RegStatus::Ok);

  const ServerSettings s = ReadServerSettings(store);
  EXPECT_EQ(s.TemplatePath(), "/usr/share/albumcore/Template.db");
  EXPECT_EQ(s.substFixFrom, "/mnt/photos");
  EXPECT_EQ(s.substFixTo, "P:");
  EXPECT_EQ(s.resourceRoot, "/usr/share/albumcore/strings");
  EXPECT_EQ(s.languageId, "1031");
  EXPECT_EQ(s.sampleXmlFolder, "/opt/samples/albums");

  ASSERT_EQ(store.WriteString(kAlbumKey, kDbLocationValue, "/srv/"), RegStatus::Ok);
  EXPECT_EQ(ReadServerSettings(store).TemplatePath(), "/srv/Template.db");
}

TEST(ServerSettings, WrongTypesAndOverlongValuesFallBack) {
  TempDir dir;
  RegistryStore store(dir.file("machine.reg"));
  ASSERT_EQ(store.WriteDword(kAlbumKey, kDbLocationValue, 7), RegStatus::Ok);
  ASSERT_EQ(store.WriteString(kAlbumKey, kDbNameValue, "T.db"), RegStatus::Ok);
  ASSERT_EQ(store.WriteDword(kInstalledLanguageKey, kLanguageIdValue, 1033), RegStatus::Ok);
  // Limits count UTF-16 units: 260 two-byte characters fit, one more does not.
  std::string fits = "/";
  for (int i = 0; i < 259; ++i) fits += "\xc3\xa9";
  ASSERT_EQ(store.WriteString(kAlbumKey, kSubstFixFromValue, fits), RegStatus::Ok);
  std::string overlong;
  for (int i = 0; i < 261; ++i) overlong += "\xc3\xa9";
  ASSERT_EQ(store.WriteString(kAlbumKey, kSubstFixToValue, overlong), RegStatus::Ok);
  ASSERT_EQ(store.WriteString(kResourcesKey, kResourceRootValue, std::string(1041, 'r')), RegStatus::Ok);

  const ServerSettings s = ReadServerSettings(store);
  EXPECT_EQ(s.TemplatePath(), "");  // half a template path is no path
  EXPECT_EQ(s.templateName, "T.db");
  EXPECT_EQ(s.languageId, "1033");
  EXPECT_EQ(s.substFixFrom, fits);
  EXPECT_EQ(s.substFixTo, "");
  EXPECT_EQ(s.resourceRoot, "");

  ASSERT_EQ(store.WriteString(kInstalledLanguageKey, kLanguageIdValue, ""), RegStatus::Ok);
  ASSERT_EQ(store.WriteString(kResourcesKey, kResourceRootValue, std::string(1040, 'r')), RegStatus::Ok);
  EXPECT_EQ(ReadServerSettings(store).languageId, "1033");
  EXPECT_EQ(ReadServerSettings(store).resourceRoot.size(), 1040u);
}

TEST(RegistrationDefaults, RegistersOneNodePluginPerPrefix) {
  TempDir dir;
  RegistryStore store(dir.file("machine.reg"));
  ASSERT_EQ(WriteRegistrationDefaults(store, {"/a", "T.db", "/a/strings"}), RegStatus::Ok);
  std::vector<registry::RegValueInfo> values;
  ASSERT_EQ(store.ListValues(kPluginsKey, values), RegStatus::Ok);
  std::string prefixes;
  for (const auto& v : values) prefixes += (prefixes.empty() ? "" : ",") + v.name;
  EXPECT_EQ(prefixes, "Album,Category,Custom,Date,Keyword,Rated,SQL,Audio");
  // Braced registry form, within what the plug-in lookup reads.
  for (const server::NodePluginClass& plugin : server::kNodePluginClasses) {
    std::string clsid;
    ASSERT_EQ(store.ReadString(kPluginsKey, plugin.prefix, clsid), RegStatus::Ok);
    EXPECT_EQ(clsid.size(), 38u) << clsid;
    EXPECT_LE(clsid.size(), kMaxPluginClsidUnits);
  }
}

}  // namespace
}  // namespace albumcore::config
