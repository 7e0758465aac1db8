// LumPhotoItem: the default item class, the common item plus the photo
// columns of its PhotoItem row (IKivPhotoItem), and the filling of both
// records from the file's information record or a thumbnail image's.
//
// After Connect the object reads its PhotoItem row, adding one with only
// ItemID set when the item has none; a catalogue that cannot take the row
// (read-only) leaves the photo columns at zero, and says so on stderr.
// Photo puts write one column (the stored query "GetPhotoItemRecord",
// Edit, Update), then the copy; width, height, depth, colour space and DPI
// fire OnItemChanged, rotation fires OnItemRotated with the difference,
// the four texts fire nothing. A batch update holds the events back.
//
// Filling (FillFromMoniker, FillFromThumbnail) writes, for an image, the
// five picture columns with Rotation 0 in one update, and for any file its
// size and both dates in another; an album (type 9) is left alone. A file
// counts as an image when its extension is one the file-system component
// lists as an image, or when the record says its content is one.
//
// Linux serves every client with the server's own rights, so reading a
// file for a client needs no impersonation. Main loop only.
#pragma once

#include <string>

#include "components/file_system/file_information.h"
#include "items/item/lum_item.h"
#include "typelib/kiv_item.h"

namespace albumcore::items {

struct PhotoRecord {
  int32_t cx = 0;
  int32_t cy = 0;
  int32_t bitDepth = 0;
  int32_t colorSpace = 0;
  int32_t dpi = 0;
  int32_t rotation = 0;
  std::string author;
  std::string genre;
  std::string place;
  std::string event;
};

class LumPhotoItem final : public LumItem, public typelib::IKivPhotoItem {
 public:
  static constexpr std::string_view kClassName = "LumPhotoItem";

  explicit LumPhotoItem(ItemServices services) : LumItem(services) {}

  com::HRESULT FillFromMoniker(int32_t bInternalCall) override;

  com::HRESULT get_PhotoWidth(int32_t* pVal) override;
  com::HRESULT put_PhotoWidth(int32_t newVal) override;
  com::HRESULT get_PhotoHeight(int32_t* pVal) override;
  com::HRESULT put_PhotoHeight(int32_t newVal) override;
  com::HRESULT get_PhotoBitDepth(int32_t* pVal) override;
  com::HRESULT put_PhotoBitDepth(int32_t newVal) override;
  com::HRESULT get_PhotoColorSpace(int32_t* pVal) override;
  com::HRESULT put_PhotoColorSpace(int32_t newVal) override;
  com::HRESULT get_PhotoDPI(int32_t* pVal) override;
  com::HRESULT put_PhotoDPI(int32_t newVal) override;
  com::HRESULT get_PhotoRotation(int32_t* pVal) override;
  com::HRESULT put_PhotoRotation(int32_t newVal) override;
  com::HRESULT FillFromThumbnail(com::IUnknown* pThumb) override;
  com::HRESULT get_PhotoAuthor(com::Bstr* pVal) override;
  com::HRESULT put_PhotoAuthor(const com::Bstr& newVal) override;
  com::HRESULT get_PhotoGenre(com::Bstr* pVal) override;
  com::HRESULT put_PhotoGenre(const com::Bstr& newVal) override;
  com::HRESULT get_PhotoPlace(com::Bstr* pVal) override;
  com::HRESULT put_PhotoPlace(const com::Bstr& newVal) override;
  com::HRESULT get_PhotoEvent(com::Bstr* pVal) override;
  com::HRESULT put_PhotoEvent(const com::Bstr& newVal) override;

  const PhotoRecord& photo() const noexcept { return photo_; }

 private:
  void AfterConnect() override;
  void BeforeDisconnect() override { photo_ = PhotoRecord{}; }
  PhotoFacts Facts() const override { return {photo_.cx, photo_.cy, photo_.bitDepth, photo_.dpi}; }

  void LoadPhotoRecord();
  void WritePhotoColumns(std::initializer_list<ColumnValue> values);
  com::HRESULT GetNumber(int32_t* out, int32_t PhotoRecord::*field) const;
  com::HRESULT PutNumber(std::string_view column, int32_t value, int32_t PhotoRecord::*field);
  com::HRESULT GetText(com::Bstr* out, std::string PhotoRecord::*field) const;
  com::HRESULT PutText(std::string_view column, const com::Bstr& value, std::string PhotoRecord::*field);
  // Applies a file-information record to both records.
  void Apply(const file_system::FileInformationRecord& info);
  bool IsImage(const file_system::FileInformationRecord& info) const;

  PhotoRecord photo_;
};

}  // namespace albumcore::items
