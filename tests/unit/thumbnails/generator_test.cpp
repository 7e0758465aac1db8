// The thumbnail generator's request tables, over an engine that records
// what it is asked and completes requests when a test says so.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "recording_engine.h"
#include "thumbnails/lum_thumbnail_generator.h"

namespace albumcore::thumbnails {
namespace {

using com::ComPtr;
using com::HRESULT;
using testing::RecordingEngine;
using testing::TestImage;

// Hears ThumbnailReady as ("<id> <moniker>", image).
using Heard = std::vector<std::pair<std::string, com::IUnknown*>>;
class ReadySink final : public com::ComObject, public typelib::IKivThumbnailGeneratorEvents {
 public:
  HRESULT ThumbnailReady(int32_t lID, const com::Bstr& Moniker, com::IUnknown* pImage) override {
    heard.emplace_back(std::to_string(lID) + " " + Moniker.str(), pImage);
    return com::S_OK;
  }
  Heard heard;
};

class ThumbnailGeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    generator->SetEngine(engine);
    generator->SetLibraryPath("/srv/lib/Catalogue.db");
    ComPtr<com::IConnectionPoint> point;
    ASSERT_EQ(generator->FindConnectionPoint("_IKivThumbnailGeneratorEvents", &point), com::S_OK);
    uint32_t cookie = 0;
    ASSERT_EQ(point->Advise(sink.get(), &cookie), com::S_OK);
  }

  HRESULT Load(int32_t id, const char* moniker, bool override = false) {
    ComPtr<com::IUnknown> out = image;
    const HRESULT hr = override ? generator->LoadThumbnailWithOverride(id, moniker, 384, 256, &out)
                                : generator->LoadThumbnail(id, moniker, 384, 256, &out);
    EXPECT_FALSE(out);
    return hr;
  }
  int32_t Pending(int32_t id) {
    int32_t pending = -1;
    EXPECT_EQ(generator->IsPending(id, &pending), com::S_OK);
    return pending;
  }
  int32_t Queued() {
    int32_t count = -1;
    EXPECT_EQ(generator->GetItemCountInQueue(&count), com::S_OK);
    return count;
  }
  uint32_t LastFlags() const { return (*engine)[engine->Live().back()].load.flags; }

  ComPtr<LumThumbnailGenerator> generator = com::MakeObject<LumThumbnailGenerator>();
  std::shared_ptr<RecordingEngine> engine = std::make_shared<RecordingEngine>();
  ComPtr<ReadySink> sink = com::MakeObject<ReadySink>();
  ComPtr<TestImage> image = com::MakeObject<TestImage>();
  com::IUnknown* fallback = engine->fallback.get();
};

TEST_F(ThumbnailGeneratorTest, ALoadIsSubmittedOncePerItemAndAnnouncedWhenItCompletes) {
  EXPECT_EQ(Load(5, "file::%Pixnary7%Pictures/a.jpg"), com::S_OK);
  EXPECT_EQ(Load(5, "file::/elsewhere/b.jpg"), com::S_OK);
  EXPECT_EQ(Load(6, "temp::/tmp/import/b.jpg"), com::S_OK);
  ASSERT_EQ(engine->Live().size(), 2u);
  const RequestNumber first = engine->Live()[0], second = engine->Live()[1];
  const LoadRequest& a = (*engine)[first].load;
  EXPECT_EQ(a.moniker, "file::/srv/lib/Pictures/a.jpg");
  EXPECT_EQ(std::tuple(a.cx, a.cy, a.mode, a.flags), std::tuple(384, 256, kLoadModePhoto, 0u));
  EXPECT_EQ((*engine)[second].load.moniker, "file::/tmp/import/b.jpg");
  EXPECT_EQ(Pending(5), 1);
  EXPECT_EQ(Queued(), 2);

  engine->Complete(first, image);
  engine->Complete(second, nullptr);
  engine->Complete(first, image);  // finds nothing the second time
  EXPECT_EQ(sink->heard, (Heard{{"5 file::/srv/lib/Pictures/a.jpg", image.get()},
                                {"6 file::/tmp/import/b.jpg", fallback}}));
  EXPECT_EQ(Queued(), 0);
}

TEST_F(ThumbnailGeneratorTest, SavesArePendingBeforeLoadsAndEndInTheStore) {
  ASSERT_EQ(Load(7, "file::/a.jpg"), com::S_OK);
  ASSERT_EQ(generator->SaveThumbnail(7, image.get(), 0), com::S_OK);
  EXPECT_EQ(Pending(7), 2);
  EXPECT_EQ(Queued(), 2);
  // While a save is pending, a load of the item submits nothing.
  ASSERT_EQ(generator->SaveThumbnail(8, image.get(), 0), com::S_OK);
  EXPECT_EQ(Load(8, "file::/b.jpg"), com::S_OK);
  EXPECT_EQ(engine->Live().size(), 3u);

  const RequestNumber save = engine->Live()[1];
  EXPECT_EQ((*engine)[save].save.entry, (StoreEntry{"/srv/lib/ItemThumbnails.dat", "i0000007.jpg"}));
  engine->Complete(save, nullptr);
  EXPECT_EQ(Pending(7), 1);

  // A synchronous save writes at once; a failure announces the fallback.
  EXPECT_EQ(generator->SaveThumbnail(9, image.get(), 1), com::S_OK);
  engine->writeAnswer = com::E_ACCESSDENIED;
  EXPECT_EQ(generator->SaveThumbnail(10, image.get(), 1), com::E_ACCESSDENIED);
  EXPECT_EQ(sink->heard, (Heard{{"7 storage::%Pixnary7%ItemThumbnails.dat|i0000007.jpg", image.get()},
                                {"9 storage::%Pixnary7%ItemThumbnails.dat|i0000009.jpg", image.get()},
                                {"10 skin::UnknownThumbnail.png", fallback}}));
}

TEST_F(ThumbnailGeneratorTest, PauseKeepsTheQueueResumeSubmitsItAgainCancelAllEmptiesIt) {
  ASSERT_EQ(Load(1, "file::/a.jpg"), com::S_OK);
  ASSERT_EQ(Load(2, "file::/b.jpg"), com::S_OK);
  ASSERT_EQ(generator->SaveThumbnail(3, image.get(), 0), com::S_OK);
  const std::vector<RequestNumber> before = engine->Live();

  EXPECT_EQ(generator->Pause(), com::S_OK);
  EXPECT_TRUE(engine->Live().empty());
  EXPECT_EQ(Queued(), 3);

  EXPECT_EQ(generator->Resume(), com::S_OK);
  const std::vector<RequestNumber> after = engine->Live();
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ((*engine)[after[1]].load.moniker, "file::/b.jpg");
  EXPECT_EQ((*engine)[after[2]].save.entry.name, "i0000003.jpg");
  // What was under way before the pause no longer counts.
  engine->Complete(before[0], image);
  EXPECT_TRUE(sink->heard.empty());

  EXPECT_EQ(generator->CancelAll(), com::S_OK);
  EXPECT_EQ(Queued(), 0);
  EXPECT_TRUE(engine->Live().empty());

  // A load the engine refuses to take again ends as a failed one.
  ASSERT_EQ(Load(4, "file::/d.jpg"), com::S_OK);
  ASSERT_EQ(generator->Pause(), com::S_OK);
  engine->submitAnswer = com::E_FAIL;
  EXPECT_EQ(generator->Resume(), com::S_OK);
  EXPECT_EQ(Queued(), 0);
  EXPECT_EQ(sink->heard, (Heard{{"4 file::/d.jpg", fallback}}));
}

TEST_F(ThumbnailGeneratorTest, AnOverrideReplacesPendingLoadsOfTheSourceForOneRequest) {
  ASSERT_EQ(Load(1, "file::%Pixnary7%a.jpg"), com::S_OK);
  ASSERT_EQ(Load(2, "file::/other.jpg"), com::S_OK);
  const RequestNumber old = engine->Live()[0];

  EXPECT_EQ(Load(1, "file::/srv/lib/a.jpg", true), com::S_OK);
  ASSERT_EQ(engine->Live().size(), 2u);
  EXPECT_NE(engine->Live()[0], old);
  EXPECT_EQ(LastFlags(), LumThumbnailGenerator::kOverrideFlags);
  ASSERT_EQ(Load(3, "file::/c.jpg"), com::S_OK);
  EXPECT_EQ(LastFlags(), 0u);

  // The flags come back also when the load fails.
  engine->submitAnswer = com::E_FAIL;
  EXPECT_EQ(Load(4, "file::/d.jpg", true), com::E_FAIL);
  EXPECT_EQ(Pending(4), 0);
  engine->submitAnswer = com::S_OK;
  ASSERT_EQ(Load(4, "file::/d.jpg"), com::S_OK);
  EXPECT_EQ(LastFlags(), 0u);
}

TEST_F(ThumbnailGeneratorTest, OnlyStoreEntriesAreDeleted) {
  EXPECT_EQ(generator->DeleteThumbnail("file::/srv/lib/ItemThumbnails.dat|i0000007.jpg"), com::S_OK);
  EXPECT_EQ(generator->DeleteThumbnail(""), com::S_OK);
  EXPECT_EQ(generator->DeleteThumbnail("storage::%Pixnary7%ItemThumbnails.dat"), com::S_OK);
  EXPECT_EQ(generator->DeleteThumbnail("storage::%Pixnary7%ItemThumbnails.dat|i0000007.jpg"), com::S_OK);
  EXPECT_EQ(engine->deleted, (std::vector<StoreEntry>{{"/srv/lib/ItemThumbnails.dat", "i0000007.jpg"}}));
}

TEST(ThumbnailGeneratorWithoutEngineTest, AnswersNotImplementedEntersNothingAndSaysSoOnce) {
  const ComPtr<LumThumbnailGenerator> generator = com::MakeObject<LumThumbnailGenerator>();
  const ComPtr<TestImage> image = com::MakeObject<TestImage>();
  ComPtr<com::IUnknown> out = image;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(generator->LoadThumbnail(1, "file::/a.jpg", 96, 96, &out), com::E_NOTIMPL);
  EXPECT_FALSE(out);
  EXPECT_EQ(generator->LoadThumbnailWithOverride(1, "file::/a.jpg", 96, 96, &out), com::E_NOTIMPL);
  EXPECT_EQ(generator->SaveThumbnail(1, image.get(), 0), com::E_NOTIMPL);
  EXPECT_EQ(generator->DeleteThumbnail("storage::/lib/ItemThumbnails.dat|i0000001.jpg"), com::E_NOTIMPL);
  EXPECT_EQ(generator->DeleteThumbnail("file::/a.jpg"), com::S_OK);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;

  int32_t queued = -1;
  EXPECT_EQ(generator->GetItemCountInQueue(&queued), com::S_OK);
  EXPECT_EQ(queued, 0);
}

}  // namespace
}  // namespace albumcore::thumbnails
