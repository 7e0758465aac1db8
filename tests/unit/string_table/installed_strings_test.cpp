// The string files shipped with the server: they load cleanly, and every
// reference the server and its registry defaults use has a text.
#include <gtest/gtest.h>

#include "components/string_table/string_table.h"
#include "server/config/config_keys.h"
#include "server/config/registration_defaults.h"
#include "temp_dir.h"

namespace albumcore::components {
namespace {

class InstalledStrings : public ::testing::Test {
 protected:
  void SetUp() override {
    table.Initialise(ALBUMCORE_STRINGS_DIR, std::string(config::kDefaultLanguageId));
    for (std::string_view file : config::kStartupStringFiles) ASSERT_EQ(table.LoadFile(file), com::S_OK) << file;
  }
  StringTable table;
};

TEST_F(InstalledStrings, EveryReferenceTheServerUsesHasAText) {
  const char* const references[] = {
      // special albums
      "Core.Shoebox", "Core.Bin", "Core.Root", "Core.BurnList", "Core.MRU", "Core.Clipboard", "Core.RecentImport",
      "Core.Devices", "Core.AllMedia", "Core.AllCollection",
      // fixed smart views
      "Core.RecordedTVShow", "Core.Ringtones",
      // type labels
      "Core.KXProject", "Core.MediaProduction", "Core.KX5SlideShow", "Core.Collection", "Core.DVDProject",
      "Core.ForgeProject", "Core.LabelProject", "Core.Playlist", "Core.Slideshow", "Core.Ifo", "Core.Vob",
      "Core.SoundEditorProject", "Core.MusicDiskProject",
      // property and attribute lines
      "Core.Modified", "Core.Resolution", "Core.ColorDepth", "Core.DPI", "Core.CommaSpace",
      "ItemInfo.SizeGB", "ItemInfo.SizeMB", "ItemInfo.SizeKB", "ItemInfo.Size",
      // photo descriptor properties
      "Core.FileName", "Core.FileSize", "Core.Width", "Core.Height", "Core.Bitdepth", "Core.DPIdesc",
      "Core.DateCreated", "Core.DateModified",
      // smart view categories
      "SmartViewCategories.Common", "SmartViewCategories.All", "SmartViewCategories.Photos",
      "SmartViewCategories.Videos", "SmartViewCategories.Music", "SmartViewCategories.Projects",
      "SmartViewCategories.MyViews", "SmartViewCategories.Albums", "SmartViewCategories.Playlists",
      "SmartViewCategories.Devices", "SmartViewCategories.Documents", "SmartViewCategories.VoiceNotes"};
  for (const char* reference : references) EXPECT_TRUE(table.Has(reference)) << reference;
  EXPECT_EQ(table.Resolve("stringRef:Core.CommaSpace"), ", ");
  EXPECT_EQ(table.Resolve(config::kMediaTypeNameOther), "Other");
}

TEST_F(InstalledStrings, EveryRegisteredMediaTypeHasAName) {
  testing::TempDir dir;
  registry::RegistryStore store(dir.file("machine.reg"));
  ASSERT_EQ(config::WriteRegistrationDefaults(store, {"/a", "T.db", ALBUMCORE_STRINGS_DIR}), registry::RegStatus::Ok);
  std::vector<std::string> types;
  ASSERT_EQ(store.ListSubkeys(config::kFileMediaTypesKey, types), registry::RegStatus::Ok);
  ASSERT_FALSE(types.empty());
  for (const std::string& type : types) {
    std::string nameId, file;
    const std::string key = std::string(config::kFileMediaTypesKey) + "\\" + type;
    ASSERT_EQ(store.ReadString(key, config::kMediaTypeNameIdValue, nameId), registry::RegStatus::Ok);
    ASSERT_EQ(store.ReadString(key, config::kMediaTypeNameXmlValue, file), registry::RegStatus::Ok);
    EXPECT_TRUE(table.Has(nameId.substr(kStringRefPrefix.size()))) << nameId;
    // The file the registry names is one of those loaded, whatever its case.
    StringTable single;
    single.Initialise(ALBUMCORE_STRINGS_DIR, std::string(config::kDefaultLanguageId));
    EXPECT_EQ(single.LoadFile(file), com::S_OK);
    EXPECT_EQ(single.Resolve(nameId), table.Resolve(nameId));
  }
}

}  // namespace
}  // namespace albumcore::components
