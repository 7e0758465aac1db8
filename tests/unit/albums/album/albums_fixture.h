// A connected item collection over a copy of the template catalogue, with
// the recently-used album and the root made, and a client's recording of
// every event the collection sends.
#pragma once

#include <gtest/gtest.h>

#include "albums/album/lum_album.h"
#include "items/collection/lum_item_collection.h"
#include "items_fixture.h"
#include "typelib/kiv_album.h"

namespace albumcore::items::testing {

using typelib::IKivAlbum;

class Albums : public ItemsTest {
 protected:
  void SetUp() override {
    ItemsTest::SetUp();
    collection_ = com::MakeObject<LumItemCollection>(hive(), services());
    ASSERT_EQ(collection_->Connect(db_.get(), userFields_.get(), keywords_.get(), nullptr), com::S_OK);
    ASSERT_EQ(collection_->GetSpecialAlbumID(albums::SAT_MRU, &mru_), com::S_OK);
    ASSERT_EQ(collection_->GetSpecialAlbumID(albums::SAT_ROOT, &root_), com::S_OK);
    events_ = Listen(collection_.get());
  }
  void TearDown() override {
    subscriptions_.clear();
    collection_->Disconnect();
    ItemsTest::TearDown();
  }

  int32_t NewAlbum(const std::string& name, int32_t parent) {
    int32_t id = -1;
    EXPECT_EQ(collection_->CreateAlbum(com::Bstr("skin::cover.png"), com::Bstr(name), parent, &id), com::S_OK);
    return id;
  }
  int32_t NewItem(const std::string& name, int32_t type = 0) {
    int32_t id = -1;
    const com::Variant date = com::Variant::Date(45000.0);
    EXPECT_EQ(collection_->CreateItem(type, com::Bstr("file::/p/" + name), com::Bstr(""), date, date,
                                      com::Bstr(name), 0, 0, com::Bstr(""), &id),
              com::S_OK);
    return id;
  }
  com::ComPtr<IKivAlbum> Album(int32_t id) {
    com::ComPtr<com::IUnknown> object;
    EXPECT_EQ(collection_->InstantiateAlbum(id, &object), com::S_OK) << id;
    return com::QueryInterface<IKivAlbum>(object);
  }
  int32_t Count(IKivAlbum& album) {
    int32_t n = -1;
    album.get_Count(&n);
    return n;
  }
  static std::string N(int32_t v) { return std::to_string(v); }

  com::ComPtr<LumItemCollection> collection_;
  com::ComPtr<RecordingSink> events_;
  int32_t mru_ = -1, root_ = -1;
};

}  // namespace albumcore::items::testing
