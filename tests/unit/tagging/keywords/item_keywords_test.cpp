// The keywords of one item: its own assignments and cache, names from the
// library collection, the statuses of the library-wide slots, and its
// events relayed to an owner.
#include <functional>

#include "events/relay.h"
#include "keywords_fixture.h"
#include "tagging/keywords/lum_keywords_item.h"

namespace albumcore::tagging::keywords::test {
namespace {

class ItemKeywordsTest : public KeywordsTest {
 protected:
  void SetUp() override {
    KeywordsTest::SetUp();
    itemId_ = AddItem();
    item_ = com::MakeObject<LumKeywordsItem>();
    ASSERT_EQ(item_->Connect(db_.get(), itemId_, static_cast<typelib::IKivKeywords*>(library_.get())), com::S_OK);
    itemSink_ = com::MakeObject<testing::RecordingSink>();
    itemSubscription_ = events::Subscription(item_.get(), "IKivAlbumCoreEvents", itemSink_.get());
  }
  void TearDown() override {
    itemSubscription_.reset();
    item_->Disconnect();
    KeywordsTest::TearDown();
  }
  std::string Event(const char* name, int32_t keyword) {
    return std::string(name) + "(" + std::to_string(itemId_) + ", " + std::to_string(keyword) + ")";
  }

  int32_t itemId_ = 0;
  com::ComPtr<LumKeywordsItem> item_;
  com::ComPtr<testing::RecordingSink> itemSink_;
  events::Subscription itemSubscription_;
};

TEST_F(ItemKeywordsTest, AddAndRemoveWriteFireAndRefreshTheCache) {
  const int32_t zebra = MustCreate("zebra"), ant = MustCreate("ant");
  EXPECT_EQ(item_->Add(zebra), com::S_OK);
  EXPECT_EQ(item_->Add(ant), com::S_OK);
  EXPECT_EQ(item_->Add(ant), com::S_FALSE);  // already there: nothing happens
  EXPECT_EQ(item_->Add(-3), com::E_FAIL);
  EXPECT_EQ(itemSink_->Take(), (Strings{Event("OnKeywordAdded", zebra), Event("OnKeywordAdded", ant)}));
  int32_t id = 0;
  EXPECT_EQ(item_->EnumKeywordIDs(0, &id), com::S_OK);  // by name
  EXPECT_EQ(id, ant);
  EXPECT_EQ(item_->EnumKeywordIDs(2, &id), com::E_INVALIDARG);
  com::Bstr name;
  EXPECT_EQ(item_->KeywordName(zebra, &name), com::S_OK);  // the library's cache answers
  EXPECT_EQ(name, "zebra");

  // The cache is the item's own: a Bind elsewhere shows after Add or Remove.
  const int32_t bee = MustCreate("bee");
  ASSERT_EQ(library_->Bind(Ids({itemId_}), Ids({bee})), com::S_OK);
  EXPECT_EQ(item_->IsInCollection(bee), com::S_FALSE);
  EXPECT_EQ(item_->Remove(bee + 7), com::S_OK);  // not assigned: runs and fires all the same
  EXPECT_EQ(item_->IsInCollection(bee), com::S_OK);
  EXPECT_EQ(item_->Remove(zebra), com::S_OK);
  EXPECT_EQ(item_->Remove(-1), com::E_FAIL);
  EXPECT_EQ(itemSink_->Take(), (Strings{Event("OnKeywordRemoved", bee + 7), Event("OnKeywordRemoved", zebra)}));
  EXPECT_EQ(Assignments(), (Strings{std::to_string(itemId_) + ":" + std::to_string(ant),
                                    std::to_string(itemId_) + ":" + std::to_string(bee)}));
  EXPECT_EQ(item_->Count(nullptr), com::E_POINTER);

  item_->Disconnect();
  EXPECT_EQ(item_->KeywordName(ant, &name), com::E_UNEXPECTED);
  EXPECT_EQ(item_->Add(ant), com::E_POINTER);
}

TEST_F(ItemKeywordsTest, EachClassAnswersTheOtherClassesSlotsWithTheirStatus) {
  const Variant ids = Ids({1});
  Variant a, b;
  int32_t n = 0;
  struct Slot {
    const char* name;
    std::function<com::HRESULT(typelib::IKivKeywords&)> call;
    com::HRESULT item;     // what the per-item collection answers
    com::HRESULT library;  // what the library collection answers (0: works)
  };
  const Slot slots[] = {
      {"ResetKeywordsCache", [&](auto& k) { return k.ResetKeywordsCache(); }, com::S_KEYWORD_ALREADY, 0},
      {"GetAllKeywords", [&](auto& k) { return k.GetAllKeywords(&a, &b); }, com::S_KEYWORD_ALREADY, 0},
      {"Add", [&](auto& k) { return k.Add(1); }, 0, com::CO_E_NOT_SUPPORTED},
      {"Remove", [&](auto& k) { return k.Remove(1); }, 0, com::CO_E_NOT_SUPPORTED},
      {"Create", [&](auto& k) { return k.Create("x", &n); }, com::CO_E_NOT_SUPPORTED, 0},
      {"Destroy", [&](auto& k) { return k.Destroy(1); }, com::CO_E_NOT_SUPPORTED, 0},
      {"DestroyMultiple", [&](auto& k) { return k.DestroyMultiple(ids); }, com::S_KEYWORD_ALREADY, 0},
      {"Rename", [&](auto& k) { return k.Rename(1, "y"); }, com::S_KEYWORD_ALREADY, 0},
      {"IsAssigned", [&](auto& k) { return k.IsAssigned(1); }, com::CO_E_NOT_SUPPORTED, 1},
      {"FindKeyword", [&](auto& k) { return k.FindKeyword("x", &n); }, com::CO_E_NOT_SUPPORTED, 1},
      {"Bind", [&](auto& k) { return k.Bind(ids, ids); }, com::S_KEYWORD_ALREADY, 0},
      {"UnBind", [&](auto& k) { return k.UnBind(ids, ids); }, com::S_KEYWORD_ALREADY, 0},
      {"GetBindingInfo", [&](auto& k) { return k.GetBindingInfo(ids, &a, &b); }, com::S_KEYWORD_ALREADY, 0},
      {"AreAssigned", [&](auto& k) { return k.AreAssigned(ids); }, com::S_KEYWORD_ALREADY, 1},
      {"GetAllAssignedKeywords", [&](auto& k) { return k.GetAllAssignedKeywords("0", &a, &b); },
       com::S_KEYWORD_ALREADY, com::E_FAIL},
  };
  for (const Slot& slot : slots) {
    if (slot.item != 0) {
      EXPECT_EQ(slot.call(*item_), slot.item) << "item " << slot.name;
    }
    if (slot.library != 0) {
      EXPECT_EQ(slot.call(*library_), slot.library) << "library " << slot.name;
    }
  }
  EXPECT_TRUE(itemSink_->Take().empty());
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AssignedKeywords").i4(), 0);
}

// An owner relaying its item collection hears each event once, and a client
// of the owner too.
class Owner final : public com::ComObject, public events::AlbumCoreEventsSource {};

TEST_F(ItemKeywordsTest, RelayedEventsReachTheOwnerOnce) {
  auto owner = com::MakeObject<Owner>();
  auto ownerSink = com::MakeObject<testing::RecordingSink>();
  events::Subscription listen(owner.get(), "IKivAlbumCoreEvents", ownerSink.get());
  {
    events::Subscription relay = events::RelayCoreEvents(item_.get(), *owner);
    const int32_t k = MustCreate("k");
    ASSERT_EQ(item_->Add(k), com::S_OK);
    ASSERT_EQ(item_->Remove(k), com::S_OK);
    const Strings expected = {Event("OnKeywordAdded", k), Event("OnKeywordRemoved", k)};
    EXPECT_EQ(ownerSink->Take(), expected);
    EXPECT_EQ(itemSink_->Take(), expected);
  }
  ASSERT_EQ(item_->Add(MustCreate("later")), com::S_OK);
  EXPECT_TRUE(ownerSink->Take().empty());  // the relay ended with its subscription
}

}  // namespace
}  // namespace albumcore::tagging::keywords::test
