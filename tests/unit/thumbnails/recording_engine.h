// A thumbnail engine for tests: records what it is asked, numbers its
// requests from 100 and completes one when a test says so, as the engine
// would on the main loop. It stands in for the engine that does not exist
// yet, never for one that can run.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "thumbnails/thumbnail_engine.h"

namespace albumcore::thumbnails::testing {

using com::ComPtr;
using com::HRESULT;

class TestImage final : public com::ComObject {};

// Numbers its requests from 100 and keeps them; Complete ends one as the
// engine would, on the main loop.
class RecordingEngine final : public ThumbnailEngine {
 public:
  struct Request {
    LoadRequest load;  // empty for a save
    SaveRequest save;
    ThumbnailCompletion* done = nullptr;
  };

  HRESULT SubmitLoad(const LoadRequest& request, ThumbnailCompletion& done, RequestNumber* number) override {
    return Submit({request, {}, &done}, number);
  }
  HRESULT SubmitSave(const SaveRequest& request, ThumbnailCompletion& done, RequestNumber* number) override {
    return Submit({{}, request, &done}, number);
  }
  void Withdraw(RequestNumber number) noexcept override { live.erase(number); }
  HRESULT WriteNow(const SaveRequest&) override { return writeAnswer; }
  HRESULT DeleteEntry(const StoreEntry& entry) override { return deleted.push_back(entry), com::S_OK; }
  bool EntryExists(const StoreEntry&) override { return false; }
  ComPtr<com::IUnknown> FallbackImage() override { return fallback; }

  // The requests under way, oldest first.
  std::vector<RequestNumber> Live() const { return {live.begin(), live.end()}; }
  const Request& operator[](RequestNumber number) const { return requests.at(number); }
  // A load completes with `image` (null: failed); a save with its status.
  void Complete(RequestNumber number, ComPtr<com::IUnknown> image, HRESULT saveResult = com::S_OK) {
    live.erase(number);
    const Request& r = requests.at(number);
    if (r.save.image) return r.done->OnSaveCompleted(number, saveResult);
    const HRESULT result = image ? com::S_OK : com::E_FAIL;
    r.done->OnLoadCompleted(number, result, std::move(image));
  }

  HRESULT submitAnswer = com::S_OK, writeAnswer = com::S_OK;
  std::vector<StoreEntry> deleted;
  ComPtr<TestImage> fallback = com::MakeObject<TestImage>();

 private:
  HRESULT Submit(Request request, RequestNumber* number) {
    if (com::Failed(submitAnswer)) return submitAnswer;
    requests[*number = next_++] = std::move(request);
    live.insert(*number);
    return com::S_OK;
  }

  RequestNumber next_ = 100;
  std::map<RequestNumber, Request> requests;
  std::set<RequestNumber> live;
};

}  // namespace albumcore::thumbnails::testing
