// Registration defaults and the filter lists read back from a real hive file.
#include <gtest/gtest.h>

#include "server/config/config_keys.h"
#include "server/config/filter_lists.h"
#include "server/config/registration_defaults.h"
#include "server/config/sql_confinement.h"
#include "temp_dir.h"

namespace albumcore::config {
namespace {

using registry::RegistryStore;
using registry::RegStatus;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

const InstallLocations kInstall{"/a", "T.dat", "/a/strings"};

std::string MediaTypeKey(const std::string& type) { return std::string(kFileMediaTypesKey) + "\\" + type; }

std::string Read(RegistryStore& store, const std::string& key, std::string_view name) {
  std::string text;
  EXPECT_EQ(store.ReadString(key, name, text), RegStatus::Ok) << key << " " << name;
  return text;
}

TEST(RegistrationDefaults, InstallsFiltersMediaTypesAndTemplateLocation) {
  TempDir dir;
  RegistryStore store(dir.file("machine.reg"));
  ASSERT_EQ(WriteRegistrationDefaults(store, kInstall), RegStatus::Ok) << store.lastError();

  FilterLists lists = LoadFilterLists(store);
  EXPECT_EQ(lists.items, "0,1,2,3,4,5,6,7,8,17,18,19,20,21,22,23,24,25,26,27,28,29");
  EXPECT_EQ(lists.Find("NAX_FILTER_PROJECTS"), &lists.projects);
  EXPECT_EQ(lists.Find("NAX_FILTER_NONE"), nullptr);

  const std::string order = "0,2,3,9,1,4,15,17,18,19,20,22,23,24,25,26,27";
  EXPECT_EQ(Read(store, std::string(kFileMediaTypesKey), "TypeDescriptorObjects_UI_Order"), order);
  std::vector<std::string> subkeys;
  ASSERT_EQ(store.ListSubkeys(kFileMediaTypesKey, subkeys), RegStatus::Ok);
  std::string joined;
  for (const std::string& k : subkeys) joined += (joined.empty() ? "" : ",") + k;
  EXPECT_EQ(joined, order);

  // Photos have the photo descriptor, most types the all-zero one, some no value at all.
  std::string text;
  EXPECT_EQ(Read(store, MediaTypeKey("0"), "TypeDescriptorObject_CLSID"), "{C4007307-BB92-4B86-B95A-818E4E3C41A9}");
  EXPECT_EQ(Read(store, MediaTypeKey("27"), "TypeDescriptorObject_CLSID"), "{00000000-0000-0000-0000-000000000000}");
  EXPECT_EQ(store.ReadString(MediaTypeKey("2"), "TypeDescriptorObject_CLSID", text), RegStatus::NotFound);
  EXPECT_EQ(Read(store, MediaTypeKey("27"), "AlbumMediaTypeNameID"), "stringRef:FileMediaTypes.FileMediaType-27");
}

TEST(RegistrationDefaults, RerunningRestoresOwnedValuesAndKeepsEverythingElse) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  RegistryStore store(path);
  ASSERT_EQ(WriteRegistrationDefaults(store, kInstall), RegStatus::Ok);
  const std::string first = ReadText(path);
  ASSERT_EQ(WriteRegistrationDefaults(store, kInstall), RegStatus::Ok);
  EXPECT_EQ(ReadText(path), first);

  // A person's additions survive, a changed default is restored.
  const std::string album(kAlbumKey);
  ASSERT_EQ(store.WriteString(album, "DBName", "Mine.dat"), RegStatus::Ok);
  ASSERT_EQ(store.WriteString(album, "AlbumCoreSubstFixTo", "X:"), RegStatus::Ok);
  ASSERT_EQ(store.CreateKey(std::string(kFiltersKey) + "\\NAX_FILTER_PROJECTS\\99"), RegStatus::Ok);
  ASSERT_EQ(WriteRegistrationDefaults(store, kInstall), RegStatus::Ok);
  EXPECT_EQ(Read(store, album, "DBName"), "T.dat");
  EXPECT_EQ(Read(store, album, "AlbumCoreSubstFixTo"), "X:");
  EXPECT_EQ(LoadFilterLists(store).projects, "1,4,7,17,18,19,20,23,26,27,99");
}

TEST(RegistrationDefaults, MalformedHiveIsLeftAlone) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  const std::string broken = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"v\"=dword:xyz\n";
  WriteText(path, broken);
  RegistryStore store(path);
  EXPECT_EQ(WriteRegistrationDefaults(store, kInstall), RegStatus::Malformed);
  EXPECT_EQ(ReadText(path), broken);
}

TEST(FilterLists, FollowTheRegistryOrderAndSkipNamesTooLongForAType) {
  TempDir dir;
  RegistryStore store(dir.file("machine.reg"));
  EXPECT_EQ(LoadFilterLists(store).all, "");  // no Filters key at all

  const std::string projects = std::string(kFiltersKey) + "\\NAX_FILTER_PROJECTS";
  for (const char* type : {"3", "17", "ElevenChars", "0"}) ASSERT_EQ(store.CreateKey(projects + "\\" + type), RegStatus::Ok);
  ASSERT_EQ(store.CreateKey(std::string(kFiltersKey) + "\\NAX_FILTER_ALL"), RegStatus::Ok);
  FilterLists lists = LoadFilterLists(store);
  EXPECT_EQ(lists.projects, "3,17,0");
  EXPECT_EQ(lists.all, "");
}

TEST(SqlConfinement, AdministratorsFoldersAndBudgetElseTheDefaults) {
  TempDir dir;
  RegistryStore store(dir.file("machine.reg"));
  SqlConfinementSettings settings = ReadSqlConfinement(store);
  EXPECT_TRUE(settings.externalFolders.empty());
  EXPECT_TRUE(settings.openLibraryFolders);
  EXPECT_FALSE(settings.statementBudget);

  ASSERT_EQ(WriteRegistrationDefaults(store, kInstall), RegStatus::Ok);
  settings = ReadSqlConfinement(store);
  EXPECT_EQ(settings.externalFolders, std::vector<std::string>{"/a"});
  EXPECT_TRUE(settings.openLibraryFolders);

  ASSERT_EQ(store.WriteString(kAlbumKey, kSqlFoldersValue, "/srv/photos::relative/dir:/home/shared/catalogues"),
            RegStatus::Ok);
  ASSERT_EQ(store.WriteDword(kAlbumKey, kSqlBudgetValue, 250), RegStatus::Ok);
  settings = ReadSqlConfinement(store);
  EXPECT_EQ(settings.externalFolders, (std::vector<std::string>{"/srv/photos", "/home/shared/catalogues"}));
  EXPECT_FALSE(settings.openLibraryFolders);
  EXPECT_EQ(settings.statementBudget, std::chrono::milliseconds(250));

  // A value of the wrong type is ignored, not obeyed halfway.
  ASSERT_EQ(store.WriteDword(kAlbumKey, kSqlFoldersValue, 1), RegStatus::Ok);
  ASSERT_EQ(store.WriteString(kAlbumKey, kSqlBudgetValue, "fast"), RegStatus::Ok);
  settings = ReadSqlConfinement(store);
  EXPECT_EQ(settings.externalFolders, std::vector<std::string>{"/a"});
  EXPECT_TRUE(settings.openLibraryFolders);
  EXPECT_FALSE(settings.statementBudget);
}

}  // namespace
}  // namespace albumcore::config
