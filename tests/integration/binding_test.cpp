// The D-Bus binding end to end: a real bus, the test server and the client library.
#include <signal.h>

#include "client/event_sink.h"
#include "com/oadate.h"
#include "test_server_fixture.h"
#include "test_source_client.h"

namespace albumcore::testing {
namespace {

using com::HRESULT;
using com::SafeArray;
using com::Variant;

class RecordingSink final : public typelib::AlbumCoreEventsSink, public EventLog {
 public:
  HRESULT OnItemAdded(int32_t album, int32_t item) override {
    return Add("OnItemAdded " + std::to_string(album) + " " + std::to_string(item));
  }
  HRESULT OnAlbumNameChanged(int32_t album, const com::Bstr& name) override {
    return Add("OnAlbumNameChanged " + std::to_string(album) + " " + name.str());
  }
  HRESULT OnUserFieldValueChanged(int32_t item, int32_t field, const Variant& value) override {
    return Add("OnUserFieldValueChanged " + std::to_string(item) + " " + std::to_string(field) + " " + value.Describe());
  }
  HRESULT OnAlbumCustomSortChanged(const Variant* data, int32_t album) override {
    return Add("OnAlbumCustomSortChanged " + (data ? data->Describe() : "null") + " " + std::to_string(album));
  }
  HRESULT OnKeywordsReBound() override { return Add("OnKeywordsReBound"); }
  HRESULT OnAlbumSortOrderChanged(uint32_t order, int32_t album) override {
    return Add("OnAlbumSortOrderChanged " + std::to_string(order) + " " + std::to_string(album));
  }
  HRESULT OnRefreshThumbnail(const com::Bstr& moniker) override { return Add("OnRefreshThumbnail " + moniker.str()); }
  HRESULT OnItemDestroyed(int32_t item) override { return Add("OnItemDestroyed " + std::to_string(item)); }
};

class BindingTest : public TestServerFixture {
 protected:
  void SetUp() override {
    TestServerFixture::SetUp();
    ASSERT_EQ(session_->CreateInstance("Test.EventSource", &source_), com::S_OK);
  }
  com::ComPtr<client::RemoteObject> source_;
};

TEST_F(BindingTest, EveryVariantTypeRoundTripsUnchanged) {
  TestSource test(*session_, source_);
  SafeArray twoD(com::VT_I4, {{2, 0}, {3, 1}});
  twoD.elements<int32_t>() = {1, 2, 3, 4, 5, 6};
  SafeArray mixed(com::VT_VARIANT, 4);
  mixed.set(0, Variant(7));
  mixed.set(1, Variant("text"));
  mixed.set(2, Variant::Null());
  mixed.set(3, Variant(SafeArray::FromVector<double>(com::VT_DATE, {1.5, -1.25})));

  const std::vector<Variant> values = {
      Variant(), Variant::Null(), Variant::I2(-32768), Variant(INT32_MIN), Variant::I8(INT64_MIN),
      Variant::UI1(255), Variant::UI4(UINT32_MAX), Variant(3.141592653589793), Variant(-0.0),
      Variant::Date(*com::ToOaDate({2024, 2, 29, 23, 59, 59, 0})), Variant::Bool(true), Variant::Error(com::E_FAIL),
      Variant::Missing(), Variant(""), Variant("quote \" bar | bracket [ percent % star * under _ é 漢字 😀"),
      Variant(SafeArray::FromVector<int32_t>(com::VT_I4, {5, 6}, 1)),
      Variant(SafeArray::FromVector<int32_t>(com::VT_I4, {})), Variant(twoD),
      Variant(SafeArray::FromVector<com::Bstr>(com::VT_BSTR, {"a", "", "ü"})),
      Variant(SafeArray::FromVector<int16_t>(com::VT_BOOL, {com::VARIANT_TRUE, com::VARIANT_FALSE})),
      Variant(SafeArray::FromVector<uint8_t>(com::VT_UI1, {0, 1, 254, 255})),
      Variant(SafeArray::FromVector<int64_t>(com::VT_I8, {INT64_MAX})), Variant(mixed),
  };
  for (const auto& value : values) {
    auto [hr, back] = test.RoundTrip(value);
    EXPECT_EQ(hr, com::S_OK) << value.Describe();
    EXPECT_EQ(back, value) << value.Describe() << " came back as " << back.Describe();
  }

  // A null string stays null; an empty one stays empty.
  auto [hr1, null] = test.RoundTrip(Variant(com::Bstr::Null()));
  EXPECT_TRUE(null.bstr().isNull());
  auto [hr2, empty] = test.RoundTrip(Variant(""));
  EXPECT_FALSE(empty.bstr().isNull());

  // An object travels as its path and comes back as the same object.
  auto [hr3, object] = test.RoundTrip(Variant::Unknown(com::ComPtr<com::IUnknown>(source_)));
  ASSERT_EQ(object.vt(), com::VT_UNKNOWN);
  auto back = com::QueryInterface<client::RemoteObject>(object.object());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->path(), source_->path());
}

TEST_F(BindingTest, StatusesAndOutValuesArrive) {
  TestSource test(*session_, source_);
  for (HRESULT status : {com::S_FALSE, com::E_INVALIDARG, com::JetError(3075)}) {
    auto [hr, back] = test.RoundTrip(Variant("kept"), status);
    EXPECT_EQ(hr, status);
    EXPECT_EQ(back, Variant("kept"));
  }
}

TEST_F(BindingTest, UnknownClassAndMalformedValuesAreRefused) {
  com::ComPtr<client::RemoteObject> none;
  EXPECT_EQ(session_->CreateInstance("No.SuchClass", &none), com::REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(none);

  TestSource test(*session_, source_);
  // A tag that does not match its value, and an array tag on a scalar (array
  // shapes are the codec test's).
  auto [hr1, out1] = test.Echo(dbus::WireVariant(uint16_t{com::VT_I4}, sdbus::Variant(std::string("x"))));
  EXPECT_EQ(static_cast<HRESULT>(hr1), com::DISP_E_TYPEMISMATCH);
  auto [hr2, out2] = test.Echo(dbus::WireVariant(uint16_t{com::VT_ARRAY | com::VT_I4}, sdbus::Variant(int32_t{1})));
  EXPECT_EQ(static_cast<HRESULT>(hr2), com::DISP_E_TYPEMISMATCH);
  // The server is still fine.
  EXPECT_EQ(test.RoundTrip(Variant(1)).first, com::S_OK);
}

TEST_F(BindingTest, EventsArriveInOrderAndStopAfterUnadvise) {
  auto sink = com::MakeObject<RecordingSink>();
  client::EventSink exported(*session_, sink);
  client::Subscription subscription(source_, exported);
  ASSERT_EQ(subscription.status(), com::S_OK);
  EXPECT_EQ(subscription.cookie(), 1u);

  TestSource test(*session_, source_);
  ASSERT_EQ(test.FireItemAdded(7, 2000), 0u);
  auto events = sink->WaitFor(2000);
  ASSERT_EQ(events.size(), 2000u);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(events[i], "OnItemAdded 7 " + std::to_string(i));

  EXPECT_EQ(subscription.Unadvise(), com::S_OK);
  EXPECT_EQ(subscription.Unadvise(), com::CONNECT_E_NOCONNECTION);
  test.FireItemAdded(7, 5);
  // Anything sent after the reply would now be behind this round trip.
  test.RoundTrip(Variant(0));
  EXPECT_EQ(sink->count(), 2000u);
}

TEST_F(BindingTest, EveryEventCarriesItsArguments) {
  auto sink = com::MakeObject<RecordingSink>();
  client::EventSink exported(*session_, sink);
  client::Subscription subscription(source_, exported);
  TestSource test(*session_, source_);
  test.FireEveryEvent();
  // Argument i of slot n is n * 100 + i.
  auto events = sink->WaitFor(8);
  const std::vector<std::string> expected = {
      "OnAlbumNameChanged 500 event 501",
      "OnItemDestroyed 700",
      "OnItemAdded 800 801",
      "OnUserFieldValueChanged 2100 2101 VT_ARRAY|VT_UI1 [0..2]",
      "OnKeywordsReBound",
      "OnAlbumSortOrderChanged 3200 3201",
      "OnAlbumCustomSortChanged VT_ARRAY|VT_UI1 [0..2] 3301",
      "OnRefreshThumbnail event 3400",
  };
  EXPECT_EQ(events, expected);
}

TEST_F(BindingTest, SubscriptionsBelongToTheirClient) {
  auto sink = com::MakeObject<RecordingSink>();
  client::EventSink exported(*session_, sink);
  client::Subscription mine(source_, exported);
  ASSERT_EQ(mine.status(), com::S_OK);

  auto other = client::Session::Connect(bus_->address(), kTestServerName);
  com::ComPtr<client::RemoteObject> sameSource;
  ASSERT_EQ(other->CreateInstance("Test.EventSource", &sameSource), com::S_OK);
  ASSERT_EQ(sameSource->path(), source_->path());  // single instance
  TestSource test(*other, sameSource);
  client::EventSink otherSink(*other, com::MakeObject<RecordingSink>());
  client::Subscription theirs(sameSource, otherSink);
  EXPECT_EQ(theirs.cookie(), mine.cookie() + 1);
  // Another client cannot end this client's subscription, nor release
  // references it does not hold.
  auto raw = sdbus::createProxy(other->connection(), kTestServerName, sameSource->path());
  uint32_t hr = 0;
  raw->callMethod("Unadvise")
      .onInterface("com.orvane.KIVALBUMCORELib.IConnectionPointContainer")
      .withArguments(std::string("IKivAlbumCoreEvents"), mine.cookie())
      .storeResultsTo(hr);
  EXPECT_EQ(static_cast<HRESULT>(hr), com::CONNECT_E_NOCONNECTION);
  auto stranger = client::Session::Connect(bus_->address(), kTestServerName);
  auto strangerProxy = sdbus::createProxy(stranger->connection(), kTestServerName, sameSource->path());
  strangerProxy->callMethod("Release").onInterface("com.orvane.AlbumCore9.Object").storeResultsTo(hr);
  EXPECT_EQ(static_cast<HRESULT>(hr), com::E_ACCESSDENIED);
  EXPECT_EQ(mine.Unadvise(), com::S_OK);
  EXPECT_EQ(theirs.Unadvise(), com::S_OK);
}

TEST_F(BindingTest, KilledClientDisturbsNeitherServerNorOtherClients) {
  auto victim = StartClient();
  auto sink = com::MakeObject<RecordingSink>();
  client::EventSink exported(*session_, sink);
  client::Subscription subscription(source_, exported);
  TestSource test(*session_, source_);

  EXPECT_EQ(test.ProbeAlive(), 0u);
  victim->Signal(SIGKILL);
  victim->Wait();

  ASSERT_EQ(test.FireItemAdded(1, 500), 0u);
  EXPECT_EQ(sink->WaitFor(500).size(), 500u);
  // The dead client's sink comes first; the live one answers the probe.
  EXPECT_EQ(test.ProbeAlive(), 0u);
  EXPECT_EQ(subscription.Unadvise(), com::S_OK);
  // Now only the dead sink is left.
  EXPECT_EQ(static_cast<HRESULT>(test.ProbeAlive()), com::E_FAIL);
}

TEST_F(BindingTest, StoppedClientDoesNotBlockTheServer) {
  auto stuck = StartClient();
  stuck->Signal(SIGSTOP);
  auto sink = com::MakeObject<RecordingSink>();
  client::EventSink exported(*session_, sink);
  client::Subscription subscription(source_, exported);
  TestSource test(*session_, source_);
  // Far more than a socket buffer holds for the stopped client.
  for (int round = 0; round < 10; ++round) ASSERT_EQ(test.FireItemAdded(2, 2000), 0u);
  EXPECT_EQ(sink->WaitFor(20000).size(), 20000u);
  EXPECT_EQ(test.RoundTrip(Variant(5)).second, Variant(5));
  stuck->Signal(SIGKILL);
}

TEST_F(BindingTest, ObjectsAreReleasedByTheirClients) {
  const std::string first = source_->path();
  {
    // A second reference from the same client, then its release.
    com::ComPtr<client::RemoteObject> again;
    ASSERT_EQ(session_->CreateInstance("Test.EventSource", &again), com::S_OK);
    EXPECT_EQ(again->path(), first);
  }
  TestSource stats(*session_, pinned_);
  EXPECT_EQ(stats.ExportedCount(), 2u);  // the pinned object and this one

  // The last reference goes: the object is unexported, and exported afresh when handed out again.
  source_.reset();
  ASSERT_EQ(session_->CreateInstance("Test.EventSource", &source_), com::S_OK);
  EXPECT_NE(source_->path(), first);
  EXPECT_EQ(stats.ExportedCount(), 2u);
}

TEST_F(BindingTest, KilledHoldersOfASharedObjectLetGoOfIt) {
  // Both receive the object this test's session had exported already.
  auto first = StartClient({"hold", "Test.EventSource"});
  auto second = StartClient({"hold", "Test.EventSource"});
  TestSource stats(*session_, pinned_);
  source_.reset();
  ASSERT_EQ(stats.ClientCount(), 3u);
  ASSERT_EQ(stats.ExportedCount(), 2u);

  first->Signal(SIGKILL);
  EXPECT_TRUE(Eventually([&] { return stats.ClientCount(); }, 2u));
  EXPECT_EQ(stats.ExportedCount(), 2u);  // the second holder still has it
  second->Signal(SIGKILL);
  EXPECT_TRUE(Eventually([&] { return stats.ExportedCount(); }, 1u));
  EXPECT_EQ(stats.ClientCount(), 1u);
}

TEST_F(BindingTest, ClientsThatLeaveLeaveNothingBehind) {
  TestSource stats(*session_, pinned_);
  const uint32_t clients = stats.ClientCount();
  const uint32_t references = stats.ReferenceCount();

  // A client that holds the pinned object, never subscribes, and is killed.
  auto holder = StartClient({"hold", "Test.Pinned"});
  EXPECT_EQ(stats.ReferenceCount(), references + 1);
  holder->Signal(SIGKILL);

  // Short-lived clients that take references and go without releasing them.
  for (int i = 0; i < 40; ++i) {
    auto connection = sdbus::createSessionBusConnectionWithAddress(bus_->address());
    auto entry = sdbus::createProxy(*connection, kTestServerName, "/com/orvane/AlbumCore9");
    uint32_t hr = 0;
    sdbus::ObjectPath path;
    entry->callMethod("CreateInstance")
        .onInterface("com.orvane.AlbumCore9.ClassObjects")
        .withArguments(std::string("Test.Pinned"))
        .storeResultsTo(hr, path);
    ASSERT_EQ(path, pinned_->path());
    auto object = sdbus::createProxy(*connection, kTestServerName, path);
    object->callMethod("AddRef").onInterface("com.orvane.AlbumCore9.Object").storeResultsTo(hr);
    ASSERT_EQ(hr, 0u);
  }
  EXPECT_TRUE(Eventually([&] { return stats.ReferenceCount(); }, references));
  EXPECT_TRUE(Eventually([&] { return stats.ClientCount(); }, clients));
  EXPECT_EQ(stats.ExportedCount(), 2u);  // the pinned object stays, with the event source
}

}  // namespace
}  // namespace albumcore::testing
