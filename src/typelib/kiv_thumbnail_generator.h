// IKivThumbnailGenerator: asks the thumbnail engine for images of items,
// keeps the requests under way (a load table and a save table, keyed by
// item ID), stores images clients hand in, and announces each image through
// _IKivThumbnailGeneratorEvents::ThumbnailReady. Images are opaque objects
// of the engine; the generator only passes them on.
#pragma once

#include <cstdint>

#include "com/connection_point.h"
#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

class IKivThumbnailGenerator : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivThumbnailGenerator";

  // *ppImage is null on return; the image arrives through ThumbnailReady.
  virtual HRESULT LoadThumbnail(int32_t lID, const com::Bstr& Moniker, int32_t cx, int32_t cy,
                                com::ComPtr<com::IUnknown>* ppImage) = 0;
  virtual HRESULT SaveThumbnail(int32_t lID, com::IUnknown* pImage, int32_t bSync) = 0;
  virtual HRESULT DeleteThumbnail(const com::Bstr& Moniker) = 0;
  virtual HRESULT PutLibrary(com::IUnknown* pLib) = 0;
  virtual HRESULT LoadThumbnailWithOverride(int32_t lID, const com::Bstr& Moniker, int32_t cx, int32_t cy,
                                            com::ComPtr<com::IUnknown>* ppImage) = 0;
  // *lRet: 0 in neither table, 1 in the load table, 2 in the save table.
  virtual HRESULT IsPending(int32_t lID, int32_t* lRet) = 0;
  virtual HRESULT GetItemCountInQueue(int32_t* plItems) = 0;
  virtual HRESULT Pause() = 0;
  virtual HRESULT Resume() = 0;
  virtual HRESULT CancelAll() = 0;
};

class IKivThumbnailGeneratorEvents : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "_IKivThumbnailGeneratorEvents";

  virtual HRESULT ThumbnailReady(int32_t lID, const com::Bstr& Moniker, com::IUnknown* pImage) = 0;
};

using ThumbnailGeneratorEventsPoint = com::ConnectionPoint<IKivThumbnailGeneratorEvents>;

}  // namespace albumcore::typelib
