// Event sources, subscriptions and the relay chain, with in-process sinks.
#include <gtest/gtest.h>

#include "events/notification_switch.h"
#include "events/relay.h"
#include "recording_sink.h"
#include "typelib/kiv_album_specific_events.h"

namespace albumcore::events {
namespace {

using testing::RecordingSink;
using Strings = std::vector<std::string>;

// A source of both interfaces, as the item collection is.
class Source final : public com::ComObject, public AlbumCoreEventsSource {
 public:
  Source() : specific_(com::MakeObject<typelib::AlbumSpecificEventsPoint>()) { AddConnectionPoint(specific_); }
  void ItemAdded(int32_t album, int32_t item) {
    FireCoreEvent([&](typelib::IKivAlbumCoreEvents& s) { return s.OnItemAdded(album, item); });
  }
  void NameChanged(int32_t item, const com::Bstr& name) {
    FireCoreEvent([&](typelib::IKivAlbumCoreEvents& s) { return s.OnItemNameChanged(item, name); });
  }

 private:
  com::ComPtr<typelib::AlbumSpecificEventsPoint> specific_;
};

com::ComPtr<RecordingSink> Listen(Source& source, std::vector<Subscription>& keep) {
  auto sink = com::MakeObject<RecordingSink>();
  keep.emplace_back(&source, typelib::IKivAlbumCoreEvents::kInterfaceName, sink.get());
  return sink;
}

TEST(EventSourceTest, OffersAPointPerInterfaceAndRefusesOthers) {
  auto source = com::MakeObject<Source>();
  com::ComPtr<com::IConnectionPoint> point;
  for (const char* name : {"IKivAlbumCoreEvents", "IKivAlbumSpecificEvents"}) {
    EXPECT_EQ(source->FindConnectionPoint(name, &point), com::S_OK);
    EXPECT_EQ(point->interfaceName(), name);
  }
  EXPECT_EQ(source->FindConnectionPoint("IKivKeywords", &point), com::E_NOINTERFACE);
  EXPECT_FALSE(point);
  EXPECT_EQ(source->FindConnectionPoint("IKivAlbumCoreEvents", nullptr), com::E_POINTER);

  // A sink without the interface is refused, and the refusal is raised.
  auto notASink = com::MakeObject<Source>();
  EXPECT_THROW(Subscription(source.get(), "IKivAlbumCoreEvents", notASink.get()), com::ComError);
}

TEST(EventSourceTest, SinksHearInOrderAndAFailingOneStopsNothing) {
  auto source = com::MakeObject<Source>();
  std::vector<Subscription> keep;
  auto first = Listen(*source, keep);
  first->answer = com::E_FAIL;
  auto second = Listen(*source, keep);
  source->NameChanged(7, "Beach \"day\"");
  source->NameChanged(7, com::Bstr::Null());
  const Strings expected = {"OnItemNameChanged(7, \"Beach \"day\"\")", "OnItemNameChanged(7, null)"};
  EXPECT_EQ(first->Take(), expected);
  EXPECT_EQ(second->Take(), expected);

  // Ending a subscription ends the events; the other sink hears on.
  keep.front().reset();
  source->ItemAdded(1, 2);
  EXPECT_TRUE(first->Take().empty());
  EXPECT_EQ(second->Take(), Strings{"OnItemAdded(1, 2)"});
  keep.clear();
  EXPECT_EQ(source->coreEvents().size(), 0u);
}

TEST(RelayTest, AClientAtTheTopHearsEveryChangeOnceHoweverDeepItWasMade) {
  // library <- item collection <- album, and library <- keywords.
  auto library = com::MakeObject<Source>();
  auto collection = com::MakeObject<Source>();
  auto album = com::MakeObject<Source>();
  auto keywords = com::MakeObject<Source>();
  Subscription links[] = {RelayCoreEvents(collection.get(), *library), RelayCoreEvents(keywords.get(), *library),
                          RelayCoreEvents(album.get(), *collection)};
  std::vector<Subscription> keep;
  auto client = Listen(*library, keep);
  auto collectionClient = Listen(*collection, keep);

  album->ItemAdded(3, 4);
  collection->ItemAdded(3, -1);
  keywords->NameChanged(5, "x");
  library->ItemAdded(0, 0);
  EXPECT_EQ(client->Take(),
            (Strings{"OnItemAdded(3, 4)", "OnItemAdded(3, -1)", "OnItemNameChanged(5, \"x\")", "OnItemAdded(0, 0)"}));
  EXPECT_EQ(collectionClient->Take(), (Strings{"OnItemAdded(3, 4)", "OnItemAdded(3, -1)"}));

  // A link dropped (the album released by the collection) carries nothing.
  links[2].reset();
  album->ItemAdded(3, 5);
  EXPECT_TRUE(client->Take().empty());
  EXPECT_EQ(album->coreEvents().size(), 0u);
}

TEST(RelayTest, TheChainHoldsNoOwnerInACycle) {
  auto owner = com::MakeObject<Source>();
  auto owned = com::MakeObject<Source>();
  const long before = owner->RefCountForTesting();
  Subscription link = RelayCoreEvents(owned.get(), *owner);
  EXPECT_EQ(owner->RefCountForTesting(), before);
}

TEST(NotificationSwitchTest, CreatingSwitchesItOnWhateverItWas) {
  NotificationSwitch notify;
  EXPECT_TRUE(notify.on());
  notify.Set(false);
  {
    NotificationSwitch::OffWhile preparing(notify);
    EXPECT_FALSE(notify.on());
  }
  EXPECT_TRUE(notify.on());
}

}  // namespace
}  // namespace albumcore::events
