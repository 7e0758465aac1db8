// A copy of the template catalogue with a connected library collection of
// user fields, items made with plain SQL, and recording sinks.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "events/subscription.h"
#include "recording_sink.h"
#include "store/dao/engine.h"
#include "tagging/user_fields/user_fields_album.h"
#include "tagging/user_fields/user_fields_item.h"
#include "tagging/user_fields/user_fields_library.h"

namespace albumcore::tagging::testing {

using Strings = std::vector<std::string>;
using albumcore::testing::RecordingSink;

class UserFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A sink subscribed to `source` for the rest of the test.
  com::ComPtr<RecordingSink> Listen(com::IUnknown* source);
  // Defines a field through the library and answers its ID; the events of
  // the definition are taken from `libraryEvents_`.
  int32_t Define(const std::string& name, int32_t type);
  int32_t NewItem();
  com::ComPtr<LumUserFieldsItem> ItemFields(int32_t itemID);
  com::ComPtr<LumUserFieldsAlbum> AlbumFields(int32_t albumID);
  // The first column of the first row of Jet SQL `sql`, described.
  std::string Scalar(const std::string& sql);

  std::filesystem::path dir_;
  com::ComPtr<store::dao::Database> db_;
  com::ComPtr<LumUserFieldsLibrary> library_;
  com::ComPtr<RecordingSink> libraryEvents_;
  std::vector<events::Subscription> subscriptions_;
};

}  // namespace albumcore::tagging::testing
