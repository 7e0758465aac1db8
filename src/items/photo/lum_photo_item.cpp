#include "items/photo/lum_photo_item.h"

#include <algorithm>
#include <cstdio>

#include "com/oadate.h"
#include "components/file_system/file_system_component.h"
#include "items/item/item_texts.h"
#include "items/item/item_types.h"
#include "items/monikers/moniker_splitter.h"
#include "items/photo/image_information.h"
#include "store/dao/stored_call.h"

namespace albumcore::items {

using com::HRESULT;
using typelib::IKivAlbumCoreEvents;

namespace {

namespace photo_columns {
constexpr std::string_view kCx = "cx";
constexpr std::string_view kCy = "cy";
constexpr std::string_view kBitDepth = "BitDepth";
constexpr std::string_view kColorSpace = "ColorSpace";
constexpr std::string_view kDpi = "dpi";
constexpr std::string_view kRotation = "Rotation";
constexpr std::string_view kAuthor = "Author";
constexpr std::string_view kGenre = "Genre";
constexpr std::string_view kPlace = "Place";
constexpr std::string_view kEvent = "Event";
}  // namespace photo_columns
namespace pc = photo_columns;

// A calendar time of the record as a date; null when it holds none.
com::Variant DateOf(const file_system::SystemTime& t) {
  const std::optional<double> date =
      com::ToOaDate({t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds});
  return date ? com::Variant::Date(*date) : com::Variant::Null();
}

}  // namespace

void LumPhotoItem::AfterConnect() {
  try {
    LoadPhotoRecord();
  } catch (const com::ComError& e) {
    // The item stays usable for reading; a photo put reports the cause.
    std::fprintf(stderr, "item %d: its photo record could not be read: %s\n", record().id, e.what());
    photo_ = PhotoRecord{};
  }
}

void LumPhotoItem::LoadPhotoRecord() {
  const int32_t id = record().id;
  auto rows = store::dao::OpenStored(db(), "GetPhotoItemRecord", {{"item_id", id}});
  if (rows->IsEOF()) {
    // The new row becomes the current one: it is read back as stored, its
    // defaults included.
    rows->AddNew();
    rows->Fields("ItemID").SetValue(id);
    rows->Update();
  }
  photo_.cx = WholeOrZero(ColumnOf(*rows, pc::kCx));
  photo_.cy = WholeOrZero(ColumnOf(*rows, pc::kCy));
  photo_.bitDepth = WholeOrZero(ColumnOf(*rows, pc::kBitDepth));
  photo_.colorSpace = WholeOrZero(ColumnOf(*rows, pc::kColorSpace));
  photo_.dpi = WholeOrZero(ColumnOf(*rows, pc::kDpi));
  photo_.rotation = WholeOrZero(ColumnOf(*rows, pc::kRotation));
  photo_.author = TextOrEmpty(ColumnOf(*rows, pc::kAuthor));
  photo_.genre = TextOrEmpty(ColumnOf(*rows, pc::kGenre));
  photo_.place = TextOrEmpty(ColumnOf(*rows, pc::kPlace));
  photo_.event = TextOrEmpty(ColumnOf(*rows, pc::kEvent));
}

void LumPhotoItem::WritePhotoColumns(std::initializer_list<ColumnValue> values) {
  WriteRow(db(), "GetPhotoItemRecord", record().id, values);
}

HRESULT LumPhotoItem::GetNumber(int32_t* out, int32_t PhotoRecord::*field) const {
  return com::CallGuard([&] { com::CheckOut(out) = photo_.*field; });
}

HRESULT LumPhotoItem::PutNumber(std::string_view column, int32_t value, int32_t PhotoRecord::*field) {
  return com::CallGuard([&] {
    WritePhotoColumns({{column, value}});
    photo_.*field = value;
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(record().id); });
  });
}

HRESULT LumPhotoItem::GetText(com::Bstr* out, std::string PhotoRecord::*field) const {
  return com::CallGuard([&] { com::CheckOut(out) = com::Bstr(photo_.*field); });
}

HRESULT LumPhotoItem::PutText(std::string_view column, const com::Bstr& value, std::string PhotoRecord::*field) {
  return com::CallGuard([&] {
    WritePhotoColumns({{column, value.str()}});
    photo_.*field = value.str();
  });
}

HRESULT LumPhotoItem::get_PhotoWidth(int32_t* p) { return GetNumber(p, &PhotoRecord::cx); }
HRESULT LumPhotoItem::put_PhotoWidth(int32_t v) { return PutNumber(pc::kCx, v, &PhotoRecord::cx); }
HRESULT LumPhotoItem::get_PhotoHeight(int32_t* p) { return GetNumber(p, &PhotoRecord::cy); }
HRESULT LumPhotoItem::put_PhotoHeight(int32_t v) { return PutNumber(pc::kCy, v, &PhotoRecord::cy); }
HRESULT LumPhotoItem::get_PhotoBitDepth(int32_t* p) { return GetNumber(p, &PhotoRecord::bitDepth); }
HRESULT LumPhotoItem::put_PhotoBitDepth(int32_t v) { return PutNumber(pc::kBitDepth, v, &PhotoRecord::bitDepth); }
HRESULT LumPhotoItem::get_PhotoColorSpace(int32_t* p) { return GetNumber(p, &PhotoRecord::colorSpace); }
HRESULT LumPhotoItem::put_PhotoColorSpace(int32_t v) { return PutNumber(pc::kColorSpace, v, &PhotoRecord::colorSpace); }
HRESULT LumPhotoItem::get_PhotoDPI(int32_t* p) { return GetNumber(p, &PhotoRecord::dpi); }
HRESULT LumPhotoItem::put_PhotoDPI(int32_t v) { return PutNumber(pc::kDpi, v, &PhotoRecord::dpi); }
HRESULT LumPhotoItem::get_PhotoRotation(int32_t* p) { return GetNumber(p, &PhotoRecord::rotation); }

HRESULT LumPhotoItem::put_PhotoRotation(int32_t newVal) {
  return com::CallGuard([&] {
    WritePhotoColumns({{pc::kRotation, newVal}});
    const int32_t delta = static_cast<int32_t>(int64_t{newVal} - photo_.rotation);
    photo_.rotation = newVal;
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemRotated(record().id, delta); });
  });
}

HRESULT LumPhotoItem::get_PhotoAuthor(com::Bstr* p) { return GetText(p, &PhotoRecord::author); }
HRESULT LumPhotoItem::put_PhotoAuthor(const com::Bstr& v) { return PutText(pc::kAuthor, v, &PhotoRecord::author); }
HRESULT LumPhotoItem::get_PhotoGenre(com::Bstr* p) { return GetText(p, &PhotoRecord::genre); }
HRESULT LumPhotoItem::put_PhotoGenre(const com::Bstr& v) { return PutText(pc::kGenre, v, &PhotoRecord::genre); }
HRESULT LumPhotoItem::get_PhotoPlace(com::Bstr* p) { return GetText(p, &PhotoRecord::place); }
HRESULT LumPhotoItem::put_PhotoPlace(const com::Bstr& v) { return PutText(pc::kPlace, v, &PhotoRecord::place); }
HRESULT LumPhotoItem::get_PhotoEvent(com::Bstr* p) { return GetText(p, &PhotoRecord::event); }
HRESULT LumPhotoItem::put_PhotoEvent(const com::Bstr& v) { return PutText(pc::kEvent, v, &PhotoRecord::event); }

bool LumPhotoItem::IsImage(const file_system::FileInformationRecord& info) const {
  if (info.isImage == 1) return true;
  if (services().files == nullptr) return false;
  const std::string extension = UpperExtensionOf(record().dataMoniker);
  const std::vector<std::string>& images = services().files->ImageExtensions();
  return !extension.empty() && std::find(images.begin(), images.end(), extension) != images.end();
}

void LumPhotoItem::Apply(const file_system::FileInformationRecord& info) {
  if (IsImage(info)) {
    WritePhotoColumns({{pc::kCx, info.width},
                       {pc::kCy, info.height},
                       {pc::kBitDepth, info.bitDepth},
                       {pc::kColorSpace, info.colorSpace},
                       {pc::kDpi, info.dpi},
                       {pc::kRotation, 0}});
    photo_.cx = info.width;
    photo_.cy = info.height;
    photo_.bitDepth = info.bitDepth;
    photo_.colorSpace = info.colorSpace;
    photo_.dpi = info.dpi;
    photo_.rotation = 0;
  }
  const auto size = static_cast<int32_t>(info.sizeLow);
  const auto bigSize = static_cast<int32_t>(info.sizeHigh);
  const com::Variant created = DateOf(info.created);
  const com::Variant modified = DateOf(info.modified);
  WriteItemColumns({{item_columns::kSize, size},
                    {item_columns::kBigSize, bigSize},
                    {item_columns::kDateCreated, created},
                    {item_columns::kDateModified, modified}});
  ItemRecord& r = mutableRecord();
  r.size = size;
  r.bigSize = bigSize;
  r.dateCreated = created;
  r.dateModified = modified;
}

HRESULT LumPhotoItem::FillFromMoniker(int32_t) {
  return com::CallGuard([&]() -> HRESULT {
    if (record().type == kAlbumItemType) return com::S_OK;
    db();  // E_FAIL before anything is read when not connected
    if (services().files == nullptr) throw com::ComError(com::E_FAIL, "no file-system component");
    file_system::FileInformationRecord info{};
    info.recordSize = file_system::kFileInformationRecordSize;
    if (com::Failed(services().files->FillFileInformation(record().dataMoniker, &info))) return com::E_FAIL;
    Apply(info);
    Announce([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(record().id); });
    return com::S_OK;
  });
}

HRESULT LumPhotoItem::FillFromThumbnail(com::IUnknown* pThumb) {
  return com::CallGuard([&]() -> HRESULT {
    if (record().type == kAlbumItemType) return com::S_OK;
    auto image = com::QueryInterface<IImageFileInformation>(pThumb);
    if (!image) return com::E_FAIL;
    file_system::FileInformationRecord info{};
    info.recordSize = file_system::kFileInformationRecordSize;
    if (com::Failed(image->GetFileInformation(&info))) return com::E_FAIL;
    Apply(info);
    return com::S_OK;
  });
}

}  // namespace albumcore::items
