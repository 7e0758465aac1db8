// The thumbnail engine: what decodes, scales and writes thumbnail images for
// the generator (LumThumbnailGenerator), asynchronously. The generator keeps
// the bookkeeping (which item waits for what); the engine does the work and
// calls back.
//
// Requests are numbered by the engine; a number is never reused while the
// engine lives. A request ends in exactly one of two ways: its completion
// (ThumbnailCompletion, on the main loop, never from inside the call that
// submitted it) or its withdrawal, after which the completion never comes.
// The generator withdraws every request it still has before it goes, so the
// engine may hold the completion by pointer.
//
// Images are opaque objects of the engine; the generator passes them on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "com/unknown.h"

namespace albumcore::thumbnails {

using RequestNumber = uint32_t;

// How the engine makes the thumbnail of a load: 2 for photos, and whenever
// the item cannot be asked; 1 for other item types.
inline constexpr int32_t kLoadModePhoto = 2;
inline constexpr int32_t kLoadModeOther = 1;

struct LoadRequest {
  // The source: the item's thumbnail moniker with the thumbnail folder in
  // place of its placeholder; a temporary source is a "file::" moniker.
  std::string moniker;
  int32_t cx = 0;
  int32_t cy = 0;
  int32_t mode = kLoadModePhoto;
  // The generator's request flags; 1025 makes the engine build the
  // thumbnail again instead of answering from what it keeps.
  uint32_t flags = 0;
};

// One entry of a thumbnail store: the store file and the entry's name in it.
struct StoreEntry {
  std::string storePath;  // file-system path of the store
  std::string name;       // "i0000042.jpg"

  friend bool operator==(const StoreEntry&, const StoreEntry&) = default;
};

struct SaveRequest {
  com::ComPtr<com::IUnknown> image;
  StoreEntry entry;
};

// The generator's side: how a request ends. Called on the main loop.
class ThumbnailCompletion {
 public:
  // `image` is null when `result` is a failure.
  virtual void OnLoadCompleted(RequestNumber number, com::HRESULT result, com::ComPtr<com::IUnknown> image) = 0;
  virtual void OnSaveCompleted(RequestNumber number, com::HRESULT result) = 0;

 protected:
  ~ThumbnailCompletion() = default;
};

class ThumbnailEngine {
 public:
  virtual ~ThumbnailEngine() = default;

  // Queues a request; on success *number identifies it. A failure status
  // means nothing was queued and no completion will come.
  virtual com::HRESULT SubmitLoad(const LoadRequest& request, ThumbnailCompletion& done, RequestNumber* number) = 0;
  virtual com::HRESULT SubmitSave(const SaveRequest& request, ThumbnailCompletion& done, RequestNumber* number) = 0;
  // Unknown or finished numbers are ignored.
  virtual void Withdraw(RequestNumber number) noexcept = 0;

  // Writes the image to its entry before returning.
  virtual com::HRESULT WriteNow(const SaveRequest& request) = 0;
  // Removes an entry from its store; an entry that is not there is no
  // failure.
  virtual com::HRESULT DeleteEntry(const StoreEntry& entry) = 0;
  virtual bool EntryExists(const StoreEntry& entry) = 0;

  // The image that stands for a thumbnail that could not be made or saved
  // (the skin's unknown-thumbnail picture); null when even that fails.
  virtual com::ComPtr<com::IUnknown> FallbackImage() = 0;
};

}  // namespace albumcore::thumbnails
