#include "thumbnails/lum_thumbnail_generator.h"

#include "typelib/kiv_library.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "items/monikers/file_monikers.h"
#include "items/monikers/thumbnail_monikers.h"
#include "thumbnails/store_entries.h"
#include "typelib/kiv_item.h"

namespace albumcore::thumbnails {

using com::HRESULT;
using typelib::IKivThumbnailGeneratorEvents;
namespace monikers = items::monikers;

namespace {

constexpr std::string_view kUnknownThumbnailMoniker = "skin::UnknownThumbnail.png";

// Types whose thumbnail the engine makes as of a photo.
bool LoadsAsPhoto(int32_t type) { return type == 0 || type == 3 || type == -2; }

// Types whose file properties a save does not read again.
bool KeepsFileProperties(int32_t type) {
  return type == 10 || type == 11 || type == 12 || type == 13 || type == 16;
}

void Log(const char* what, HRESULT hr) {
  std::fprintf(stderr, "thumbnails: %s: %s\n", what, com::DescribeHresult(hr).c_str());
}

}  // namespace

LumThumbnailGenerator::LumThumbnailGenerator() : events_(com::MakeObject<typelib::ThumbnailGeneratorEventsPoint>()) {
  AddConnectionPoint(events_);
}

LumThumbnailGenerator::~LumThumbnailGenerator() { WithdrawAll(); }

bool LumThumbnailGenerator::HasEngine() {
  if (engine_) return true;
  if (!toldNoEngine_) {
    std::fprintf(stderr,
                 "thumbnails: no thumbnail engine is installed; thumbnails are neither loaded, saved nor deleted\n");
    toldNoEngine_ = true;
  }
  return false;
}

void LumThumbnailGenerator::SetEngine(std::shared_ptr<ThumbnailEngine> engine) {
  WithdrawAll();
  loads_.clear();
  saves_.clear();
  engine_ = std::move(engine);
}

void LumThumbnailGenerator::SetLibraryPath(std::string_view catalogueFile) {
  folder_ = monikers::ThumbnailFolderOf(catalogueFile);
}

void LumThumbnailGenerator::WithdrawAll() {
  if (!engine_) return;
  for (const auto& [id, load] : loads_) engine_->Withdraw(load.number);
  for (const auto& [id, save] : saves_) engine_->Withdraw(save.number);
}

void LumThumbnailGenerator::WithdrawSave(int32_t itemID) {
  auto it = saves_.find(itemID);
  if (it == saves_.end()) return;
  engine_->Withdraw(it->second.number);
  saves_.erase(it);
}

std::string LumThumbnailGenerator::SourceOf(std::string_view moniker) const {
  std::string source =
      monikers::IsTemporaryThumbnailSource(moniker) ? monikers::FileMonikerOf(moniker) : std::string(moniker);
  return monikers::FillThumbnailFolder(std::move(source), folder_);
}

int32_t LumThumbnailGenerator::LoadModeOf(int32_t itemID) const {
  if (collection_ == nullptr) return kLoadModePhoto;
  com::ComPtr<com::IUnknown> unknown;
  if (collection_->InstantiateItem(itemID, &unknown) != com::S_OK) return kLoadModePhoto;
  const com::ComPtr<typelib::IKivItem> item = com::QueryInterface<typelib::IKivItem>(unknown);
  int32_t type = 0;
  if (!item || com::Failed(item->get_Type(&type))) return kLoadModePhoto;
  return LoadsAsPhoto(type) ? kLoadModePhoto : kLoadModeOther;
}

com::ComPtr<com::IUnknown> LumThumbnailGenerator::FallbackImage() const {
  return engine_ ? engine_->FallbackImage() : nullptr;
}

void LumThumbnailGenerator::FireReady(int32_t itemID, const std::string& moniker, com::IUnknown* image) {
  const com::Bstr text(moniker);
  events_->Fire([&](IKivThumbnailGeneratorEvents& sink) { return sink.ThumbnailReady(itemID, text, image); });
}

void LumThumbnailGenerator::FailLoad(int32_t itemID, const std::string& moniker) {
  FireReady(itemID, moniker, FallbackImage().get());
}

void LumThumbnailGenerator::DeleteEntry(const StoreEntry& entry) {
  const HRESULT hr = engine_->DeleteEntry(entry);
  if (com::Failed(hr)) Log(("deleting " + entry.name + " from " + entry.storePath).c_str(), hr);
}

HRESULT LumThumbnailGenerator::LoadThumbnail(int32_t lID, const com::Bstr& Moniker, int32_t cx, int32_t cy,
                                             com::ComPtr<com::IUnknown>* ppImage) {
  return com::CallGuard([&]() -> HRESULT {
    com::CheckOut(ppImage).reset();
    if (!HasEngine()) return com::E_NOTIMPL;
    if (loads_.contains(lID) || saves_.contains(lID)) return com::S_OK;
    LoadRequest request{SourceOf(Moniker), cx, cy, LoadModeOf(lID), flags_};
    RequestNumber number = 0;
    const HRESULT hr = engine_->SubmitLoad(request, *this, &number);
    if (com::Failed(hr)) {
      Log(("the engine refused to load " + request.moniker).c_str(), hr);
      return com::E_FAIL;
    }
    loads_.insert_or_assign(lID, LoadEntry{number, std::move(request)});
    return com::S_OK;
  });
}

HRESULT LumThumbnailGenerator::LoadThumbnailWithOverride(int32_t lID, const com::Bstr& Moniker, int32_t cx,
                                                         int32_t cy, com::ComPtr<com::IUnknown>* ppImage) {
  return com::CallGuard([&]() -> HRESULT {
    if (engine_) {
      const std::string source = SourceOf(Moniker);
      std::erase_if(loads_, [&](const auto& entry) {
        if (entry.second.request.moniker != source) return false;
        engine_->Withdraw(entry.second.number);
        return true;
      });
    }
    const uint32_t previous = std::exchange(flags_, kOverrideFlags);
    const HRESULT hr = LoadThumbnail(lID, Moniker, cx, cy, ppImage);  // raises nothing
    flags_ = previous;
    return hr;
  });
}

LumThumbnailGenerator::SaveEntry LumThumbnailGenerator::PlanSave(int32_t itemID, com::IUnknown* image,
                                                                 const com::Bstr& previousMoniker) {
  // The store the item's entry is in stays its store; the moniker keeps the
  // placeholder as the item had it.
  std::string store = DefaultStoreMoniker();
  std::optional<StoreEntry> previous = EntryOf(monikers::FillThumbnailFolder(previousMoniker.str(), folder_));
  if (previous) store = monikers::SplitStoreMoniker(previousMoniker.str()).store;
  const std::string storePath = monikers::FileSystemPathOf(monikers::FillThumbnailFolder(store, folder_));

  ThumbnailEngine& engine = *engine_;
  std::string name = ChooseEntryName(itemID, previous ? std::string_view(previous->name) : std::string_view(),
                                     [&](std::string_view candidate) {
                                       return engine.EntryExists(StoreEntry{storePath, std::string(candidate)});
                                     });
  SaveEntry save;
  save.moniker = store + "|" + name;
  save.request = SaveRequest{com::ComPtr<com::IUnknown>(image), StoreEntry{storePath, std::move(name)}};
  save.previous = std::move(previous);
  return save;
}

com::Bstr LumThumbnailGenerator::ReadItemForSave(int32_t itemID) {
  com::Bstr thumbnailMoniker;
  if (collection_ == nullptr) return thumbnailMoniker;
  com::ComPtr<com::IUnknown> unknown;
  if (com::ThrowIfFailed(collection_->InstantiateItem(itemID, &unknown)) != com::S_OK)
    throw com::ComError(com::E_INVALIDARG, "no item " + std::to_string(itemID));
  const com::ComPtr<typelib::IKivItem> item = com::QueryInterfaceOrThrow<typelib::IKivItem>(unknown);
  int32_t type = 0;
  com::ThrowIfFailed(item->get_Type(&type));
  if (!KeepsFileProperties(type)) {
    const HRESULT hr = item->FillFromMoniker(1);
    if (com::Failed(hr)) Log(("reading the file of item " + std::to_string(itemID)).c_str(), hr);
  }
  com::ThrowIfFailed(item->get_ThumbnailMoniker(&thumbnailMoniker));
  return thumbnailMoniker;
}

HRESULT LumThumbnailGenerator::SaveThumbnail(int32_t lID, com::IUnknown* pImage, int32_t bSync) {
  return com::CallGuard([&]() -> HRESULT {
    if (pImage == nullptr) return com::E_POINTER;
    if (!HasEngine()) return com::E_NOTIMPL;
    const com::Bstr previousMoniker = ReadItemForSave(lID);
    WithdrawSave(lID);
    SaveEntry save = PlanSave(lID, pImage, previousMoniker);
    if (bSync != 0) {
      const HRESULT hr = engine_->WriteNow(save.request);
      FinishSave(lID, save, hr);
      return com::Failed(hr) ? hr : com::S_OK;
    }
    const HRESULT hr = engine_->SubmitSave(save.request, *this, &save.number);
    if (com::Failed(hr)) {
      Log(("the engine refused to save " + save.request.entry.name).c_str(), hr);
      return com::E_FAIL;
    }
    saves_.insert_or_assign(lID, std::move(save));
    return com::S_OK;
  });
}

void LumThumbnailGenerator::FinishSave(int32_t itemID, const SaveEntry& save, HRESULT result) {
  if (com::Failed(result)) {
    Log(("saving " + save.request.entry.name + " in " + save.request.entry.storePath).c_str(), result);
    FireReady(itemID, std::string(kUnknownThumbnailMoniker), FallbackImage().get());
    return;
  }
  if (save.previous && *save.previous != save.request.entry) DeleteEntry(*save.previous);
  if (const auto setter = com::QueryInterface<IItemThumbnailMonikerSetter>(collection_)) {
    const HRESULT hr = setter->SetItemThumbnailMoniker(itemID, com::Bstr(save.moniker));
    if (com::Failed(hr)) Log(("recording " + save.moniker + " with item " + std::to_string(itemID)).c_str(), hr);
  }
  FireReady(itemID, save.moniker, save.request.image.get());
}

HRESULT LumThumbnailGenerator::DeleteThumbnail(const com::Bstr& Moniker) {
  return com::CallGuard([&]() -> HRESULT {
    if (Moniker.empty()) return com::S_OK;
    const std::string filled = monikers::FillThumbnailFolder(Moniker.str(), folder_);
    if (!monikers::IsThumbnailStoreMoniker(filled)) return com::S_OK;
    if (!HasEngine()) return com::E_NOTIMPL;
    if (const std::optional<StoreEntry> entry = EntryOf(filled)) DeleteEntry(*entry);
    return com::S_OK;
  });
}

HRESULT LumThumbnailGenerator::PutLibrary(com::IUnknown* pLib) {
  return com::CallGuard([&] {
    library_ = com::ComPtr<com::IUnknown>(pLib);
    // The thumbnail folder lies beside the library's catalogue file.
    com::Bstr moniker;
    if (auto library = com::QueryInterface<typelib::IKivLibrary>(pLib);
        library && library->get_LibMoniker(&moniker) == com::S_OK && !moniker.empty())
      SetLibraryPath(moniker.str());
  });
}

HRESULT LumThumbnailGenerator::IsPending(int32_t lID, int32_t* lRet) {
  return com::CallGuard([&] {
    int32_t& pending = com::CheckOut(lRet);
    pending = saves_.contains(lID) ? 2 : loads_.contains(lID) ? 1 : 0;
  });
}

HRESULT LumThumbnailGenerator::GetItemCountInQueue(int32_t* plItems) {
  return com::CallGuard([&] { com::CheckOut(plItems) = static_cast<int32_t>(loads_.size() + saves_.size()); });
}

HRESULT LumThumbnailGenerator::Pause() {
  WithdrawAll();
  return com::S_OK;
}

HRESULT LumThumbnailGenerator::Resume() {
  return com::CallGuard([&] {
    if (!engine_) return;
    // A sink may call back while the failures are announced, so they are
    // announced once both tables are settled; the generator stays alive
    // meanwhile even if a sink lets go of it.
    const com::ComPtr<LumThumbnailGenerator> self(this);
    std::vector<std::pair<int32_t, std::string>> failedLoads;
    std::vector<std::pair<int32_t, SaveEntry>> failedSaves;
    for (auto it = loads_.begin(); it != loads_.end();) {
      engine_->Withdraw(it->second.number);
      if (com::Succeeded(engine_->SubmitLoad(it->second.request, *this, &it->second.number))) {
        ++it;
      } else {
        failedLoads.emplace_back(it->first, std::move(it->second.request.moniker));
        it = loads_.erase(it);
      }
    }
    for (auto it = saves_.begin(); it != saves_.end();) {
      engine_->Withdraw(it->second.number);
      if (com::Succeeded(engine_->SubmitSave(it->second.request, *this, &it->second.number))) {
        ++it;
      } else {
        failedSaves.emplace_back(it->first, std::move(it->second));
        it = saves_.erase(it);
      }
    }
    for (const auto& [id, moniker] : failedLoads) FailLoad(id, moniker);
    for (const auto& [id, save] : failedSaves) FinishSave(id, save, com::E_FAIL);
  });
}

HRESULT LumThumbnailGenerator::CancelAll() {
  WithdrawAll();
  loads_.clear();
  saves_.clear();
  return com::S_OK;
}

void LumThumbnailGenerator::OnLoadCompleted(RequestNumber number, HRESULT result, com::ComPtr<com::IUnknown> image) {
  (void)com::CallGuard([&] {
    auto it = std::find_if(loads_.begin(), loads_.end(), [&](const auto& e) { return e.second.number == number; });
    if (it == loads_.end()) return;
    const com::ComPtr<LumThumbnailGenerator> self(this);
    const int32_t id = it->first;
    const std::string moniker = std::move(it->second.request.moniker);
    loads_.erase(it);
    if (com::Failed(result) || !image) {
      if (com::Failed(result)) Log(("loading " + moniker).c_str(), result);
      FailLoad(id, moniker);
    } else {
      FireReady(id, moniker, image.get());
    }
  });
}

void LumThumbnailGenerator::OnSaveCompleted(RequestNumber number, HRESULT result) {
  (void)com::CallGuard([&] {
    auto it = std::find_if(saves_.begin(), saves_.end(), [&](const auto& e) { return e.second.number == number; });
    if (it == saves_.end()) return;
    const com::ComPtr<LumThumbnailGenerator> self(this);
    const int32_t id = it->first;
    const SaveEntry save = std::move(it->second);
    saves_.erase(it);
    FinishSave(id, save, result);
  });
}

}  // namespace albumcore::thumbnails
