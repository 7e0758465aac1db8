// The keyword and user-field collections over a real bus, through the generated proxies.
#include <unistd.h>

#include <filesystem>

#include "IKivKeywords_proxy.h"
#include "IKivUserFields_proxy.h"
#include "client/event_sink.h"
#include "test_server_fixture.h"
#include "typelib/kiv_user_fields.h"

namespace albumcore::testing {
namespace {

using com::HRESULT;
using com::SafeArray;
using com::Variant;

using KeywordsProxy = Remote<::com::orvane::KIVALBUMCORELib::IKivKeywords_proxy>;
using UserFieldsProxy = Remote<::com::orvane::KIVALBUMCORELib::IKivUserFields_proxy>;

class CollectionSink final : public typelib::AlbumCoreEventsSink, public EventLog {
 public:
  HRESULT OnKeywordCreated(int32_t id) override { return Add("OnKeywordCreated " + std::to_string(id)); }
  HRESULT OnKeywordRenamed(int32_t id) override { return Add("OnKeywordRenamed " + std::to_string(id)); }
  HRESULT OnUserFieldCreated(int32_t id) override { return Add("OnUserFieldCreated " + std::to_string(id)); }
};

class CollectionsTest : public TestServerFixture {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("albumcore-collections-" + std::to_string(getpid()) + "-" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::copy_file(ALBUMCORE_TEMPLATE_DB, dir_ / "catalogue.db");
    serverEnv_["ALBUMCORE_TEST_CATALOGUE"] = (dir_ / "catalogue.db").string();
    TestServerFixture::SetUp();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  Variant In(const dbus::WireVariant& wire) { return dbus::DecodeVariant(wire, &session_->marshaller()); }
  dbus::WireVariant Out(const Variant& value) { return dbus::EncodeVariant(value, &session_->marshaller()); }

  std::filesystem::path dir_;
};

TEST_F(CollectionsTest, KeywordsAreNamedListedAndAnnouncedOverTheBus) {
  com::ComPtr<client::RemoteObject> object;
  ASSERT_EQ(session_->CreateInstance("Test.Keywords", &object), com::S_OK);
  auto sink = com::MakeObject<CollectionSink>();
  client::EventSink exported(*session_, sink);
  client::Subscription subscription(object, exported);
  ASSERT_EQ(subscription.status(), com::S_OK);
  KeywordsProxy keywords(*session_, object);

  auto [created, beach] = keywords.Create("Beach");
  ASSERT_EQ(created, com::S_OK);
  EXPECT_EQ(keywords.Rename(beach, "Shore"), com::S_OK);
  auto [createdAlps, alps] = keywords.Create("Alps");
  ASSERT_EQ(createdAlps, com::S_OK);

  // The listing travels as typed arrays, in name order.
  auto [listed, ids, names] = keywords.GetAllKeywords();
  ASSERT_EQ(listed, com::S_OK);
  EXPECT_EQ(ids.get<1>().peekValueType(), "ai");
  EXPECT_EQ(names.get<1>().peekValueType(), "as");
  EXPECT_EQ(In(ids), Variant(SafeArray::FromVector<int32_t>(com::VT_I4, {alps, beach})));
  EXPECT_EQ(In(names), Variant(SafeArray::FromVector<com::Bstr>(com::VT_BSTR, {"Alps", "Shore"})));

  // A refused argument changes nothing: an ID list that is no array.
  EXPECT_EQ(keywords.DestroyMultiple(Out(Variant("1"))), static_cast<uint32_t>(com::E_INVALIDARG));
  EXPECT_EQ(std::get<1>(keywords.Count()), 2);

  // A slot this class does not serve answers its status.
  EXPECT_EQ(keywords.Add(beach), static_cast<uint32_t>(com::CO_E_NOT_SUPPORTED));

  const std::vector<std::string> expected = {"OnKeywordCreated " + std::to_string(beach),
                                             "OnKeywordRenamed " + std::to_string(beach),
                                             "OnKeywordCreated " + std::to_string(alps)};
  EXPECT_EQ(sink->WaitFor(expected.size()), expected);
}

TEST_F(CollectionsTest, UserFieldsAreDefinedAndFoundOverTheBus) {
  com::ComPtr<client::RemoteObject> object;
  ASSERT_EQ(session_->CreateInstance("Test.UserFields", &object), com::S_OK);
  auto sink = com::MakeObject<CollectionSink>();
  client::EventSink exported(*session_, sink);
  client::Subscription subscription(object, exported);
  ASSERT_EQ(subscription.status(), com::S_OK);
  UserFieldsProxy fields(*session_, object);

  EXPECT_EQ(fields.Create("Mood", typelib::NAX_FIELD_TEXT), com::S_OK);
  auto [found, id] = fields.GetFieldIDFromName("mood");
  ASSERT_EQ(found, com::S_OK);
  EXPECT_EQ(std::get<1>(fields.FieldName(id)), "Mood");

  // Values belong to items: the library's slot answers its status and nothing.
  auto [read, value] = fields.get_Value(id);
  EXPECT_EQ(read, static_cast<uint32_t>(com::CO_E_NOT_SUPPORTED));
  EXPECT_EQ(In(value), Variant());

  EXPECT_EQ(sink->WaitFor(1), std::vector<std::string>{"OnUserFieldCreated -1"});
}

}  // namespace
}  // namespace albumcore::testing
