// The library's operations over the catalogue itself: items by ID and by
// folder, listings of one column, totals, and the maintenance of the file.
#include <strings.h>

#include <charconv>
#include <cstdio>
#include <vector>

#include "com/guid.h"
#include "items/descriptors/generic_type_descriptor.h"
#include "items/descriptors/photo_type_properties_descriptor.h"
#include "items/item/item_types.h"
#include "items/monikers/file_monikers.h"
#include "library/lum_library.h"
#include "registry/registry_store.h"
#include "server/class_ids.h"
#include "server/config/config_keys.h"
#include "sqltext/id_list.h"
#include "sqltext/sql_literal.h"
#include "store/catalogue/schema_upgrade.h"
#include "typelib/kiv_custom_init.h"

namespace albumcore::library {

using com::HRESULT;

namespace {

// Types whose thumbnail UpdateItem leaves alone.
bool KeepsThumbnailOnUpdate(int32_t type) { return (type >= 10 && type <= 13) || type == 15 || type == 16; }

// "0, 2,3" as numbers; nullopt for anything else, so that no client text
// reaches the SQL.
std::optional<std::vector<int32_t>> ReadTypeList(std::string_view text) {
  std::vector<int32_t> types;
  while (!text.empty()) {
    const size_t comma = text.find(',');
    std::string_view entry = text.substr(0, comma);
    while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
    while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
    int32_t type = 0;
    auto [end, ec] = std::from_chars(entry.data(), entry.data() + entry.size(), type);
    if (ec != std::errc() || end != entry.data() + entry.size()) return std::nullopt;
    types.push_back(type);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return types;
}

}  // namespace

HRESULT LumLibrary::GetItem(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(ppItem);
    const HRESULT hr = items().InstantiateItem(lItemID, &out);
    if (out) return com::S_OK;
    if (items().InstantiateAlbum(lItemID, &out) == com::S_OK && out) return com::S_OK;
    return hr;
  });
}

HRESULT LumLibrary::GetAlbum(int32_t lAlbumID, com::ComPtr<com::IUnknown>* ppAlbum) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(ppAlbum);
    if (lAlbumID >= 0) {
      com::ComPtr<com::IUnknown> object;
      if (items().InstantiateItem(lAlbumID, &object) == com::S_OK) {
        auto item = com::QueryInterface<typelib::IKivItem>(object);
        int32_t type = -1;
        if (item && item->get_Type(&type) == com::S_OK && type == items::kPlaylistItemType) {
          out = object;
          return com::S_OK;
        }
      }
    }
    return items().InstantiateAlbum(lAlbumID, &out);
  });
}

HRESULT LumLibrary::GetUniqueAlbum(const com::Bstr& bstrUniqueID, com::ComPtr<com::IUnknown>* ppAlbum) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(ppAlbum);
    out.reset();
    auto rows = db().OpenRecordset("SELECT ItemID FROM AlbumItems WHERE FileUniqueID = " +
                                   sqltext::QuoteSqlString(bstrUniqueID.str()));
    if (rows->IsEOF()) return com::S_FALSE;
    const int32_t id = rows->GetValue(0).ToI4();
    rows.reset();
    return GetAlbum(id, ppAlbum);
  });
}

HRESULT LumLibrary::UpdateItem(const com::Bstr& bstrMoniker) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t id = -1;
    if (items().FindItemByMoniker(bstrMoniker, &id) != com::S_OK) return com::S_OK;
    com::ComPtr<com::IUnknown> object;
    if (items().InstantiateItem(id, &object) != com::S_OK) return com::S_OK;
    auto item = com::QueryInterface<typelib::IKivItem>(object);
    int32_t type = -1;
    if (item && item->get_Type(&type) == com::S_OK && !KeepsThumbnailOnUpdate(type)) {
      const HRESULT hr = item->RefreshThumbnailMoniker(bstrMoniker);
      if (com::Failed(hr))
        std::fprintf(stderr, "library: refreshing item %d failed: %s\n", id, com::DescribeHresult(hr).c_str());
    }
    return com::S_OK;
  });
}

HRESULT LumLibrary::EnumerateFieldValues(const com::Bstr& bstrSQL, com::Variant* pValues) {
  return com::CallGuard([&] {
    com::Variant& out = com::CheckOut(pValues);
    auto rows = db().OpenRecordset(bstrSQL.str());
    std::vector<com::Variant> values;
    // The engine bounds a statement's time; the rows come from the file.
    for (; !rows->IsEOF(); rows->MoveNext()) values.push_back(rows->GetValue(0));
    out = com::Variant(com::SafeArray::FromVector(com::VT_VARIANT, std::move(values)));
  });
}

HRESULT LumLibrary::DoFilesOfTypeExist(int32_t lType, int32_t* pbExist) {
  return com::CallGuard([&] {
    int32_t& exist = com::CheckOut(pbExist);
    auto rows = db().OpenRecordset("SELECT COUNT(*) FROM AlbumItems WHERE AlbumItems.ItemType=" +
                                   std::to_string(lType) + ";");
    exist = rows->GetValue(0).ToI4() > 0 ? 1 : 0;
  });
}

std::vector<int32_t> LumLibrary::ItemsUnder(const std::string& folder) {
  auto rows = db().OpenRecordset(
      "SELECT AlbumItems.ItemID FROM AlbumItems WHERE AlbumItems.ItemDataMoniker LIKE \"" +
      sqltext::EscapeLikeText(folder) + "*\"");
  std::vector<int32_t> ids;
  for (; !rows->IsEOF(); rows->MoveNext()) ids.push_back(rows->GetValue(0).ToI4());
  return ids;
}

HRESULT LumLibrary::DeleteFilesStartedWith(const com::Bstr& bstrDirMoniker) {
  return com::CallGuard([&] {
    // What the all-files album's Destroy does for each: the item goes.
    for (int32_t id : ItemsUnder(bstrDirMoniker.str())) {
      const HRESULT hr = items().DestroyItem(id);
      if (com::Failed(hr))
        std::fprintf(stderr, "library: destroying item %d failed: %s\n", id, com::DescribeHresult(hr).c_str());
    }
  });
}

HRESULT LumLibrary::RenameFilesStartedWith(const com::Bstr& bstrOldDirMoniker, const com::Bstr& bstrNewDirMoniker) {
  return com::CallGuard([&] {
    const std::string& oldFolder = bstrOldDirMoniker.str();
    for (int32_t id : ItemsUnder(oldFolder)) {
      com::ComPtr<com::IUnknown> object;
      if (GetItem(id, &object) != com::S_OK) continue;
      auto item = com::QueryInterface<typelib::IKivItem>(object);
      com::Bstr moniker;
      if (!item || item->get_Moniker(&moniker) != com::S_OK) continue;
      const std::string& text = moniker.str();
      if (text.size() < oldFolder.size() || strncasecmp(text.c_str(), oldFolder.c_str(), oldFolder.size()) != 0)
        continue;
      const com::Bstr renamed(bstrNewDirMoniker.str() + text.substr(oldFolder.size()));
      com::ThrowIfFailed(item->put_Moniker(renamed));
      com::ThrowIfFailed(item->put_Name(com::Bstr(items::monikers::FileNameOf(renamed.str()))));
    }
  });
}

HRESULT LumLibrary::GetTotalInfo(const com::Bstr& bstrItemTypeList, int32_t* pCount, int32_t* pBigSize,
                                 int32_t* pSize) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t& count = com::CheckOut(pCount);
    int32_t& bigSize = com::CheckOut(pBigSize);
    int32_t& size = com::CheckOut(pSize);
    const std::optional<std::vector<int32_t>> types = ReadTypeList(bstrItemTypeList.str());
    if (!types) return com::E_INVALIDARG;
    std::string sql = "SELECT SearchDomain.ItemID, SearchDomain.Size, SearchDomain.BigSize FROM AlbumItems AS SearchDomain WHERE ";
    sql += types->empty() ? " (SearchDomain.ItemType < 8 OR SearchDomain.ItemType > 16)"
                          : "SearchDomain.ItemType IN " + sqltext::FormatIdList(*types);
    auto rows = db().OpenRecordset(sql);
    int64_t n = 0;
    uint64_t total = 0;
    for (; !rows->IsEOF(); rows->MoveNext(), ++n) {
      const com::Variant low = rows->GetValue(1), high = rows->GetValue(2);
      const auto lo = static_cast<uint32_t>(low.isNull() ? 0 : low.ToI4());
      const auto hi = static_cast<uint32_t>(high.isNull() ? 0 : high.ToI4());
      total += (uint64_t{hi} << 32) + lo;
    }
    count = static_cast<int32_t>(n);
    size = static_cast<int32_t>(static_cast<uint32_t>(total));
    bigSize = static_cast<int32_t>(static_cast<uint32_t>(total >> 32));
    return com::S_OK;
  });
}

// The file.

// Repair and compaction use an engine of their own with the library's
// limits: neither touches the session, so the job may run on any thread.

typelib::ILibraryFileJobs::Job LumLibrary::RepairJob(const com::Bstr& bstrName) {
  return [limits = context_.limits, name = bstrName.str()] {
    return com::CallGuard([&] {
      auto engine = com::MakeObject<store::dao::DBEngine>();
      engine->SetLimits(limits);
      const store::dao::RepairReport report = engine->RepairDatabase(name);
      if (report.damaged)
        std::fprintf(stderr, "library: %s was repaired: %lld rows kept, %lld lost; the damaged file is %s\n",
                     name.c_str(), static_cast<long long>(report.rowsKept()),
                     static_cast<long long>(report.rowsLost()), report.damagedCopy.c_str());
    });
  };
}

typelib::ILibraryFileJobs::Job LumLibrary::CompactJob(const com::Bstr& bstrSource, const com::Bstr& bstrTarget) {
  return [limits = context_.limits, source = bstrSource.str(), target = bstrTarget.str()] {
    return com::CallGuard([&] {
      auto engine = com::MakeObject<store::dao::DBEngine>();
      engine->SetLimits(limits);
      engine->CompactDatabase(source, target);
    });
  };
}

HRESULT LumLibrary::RepairDatabase(const com::Bstr& bstrName) {
  return com::CallGuard([&] { return RepairJob(bstrName)(); });
}

HRESULT LumLibrary::CompactDatabase(const com::Bstr& bstrSource, const com::Bstr& bstrTarget) {
  return com::CallGuard([&] { return CompactJob(bstrSource, bstrTarget)(); });
}

HRESULT LumLibrary::get_OpenDatabaseVersion(int32_t* pVal) {
  return com::CallGuard([&] { return store::catalogue::OpenDatabaseVersion(db(), pVal); });
}

HRESULT LumLibrary::CreateGenericTypeDescriptor(com::ComPtr<com::IUnknown>* ppDescriptor) {
  return com::CallGuard([&] {
    com::CheckOut(ppDescriptor) = com::ComPtr<com::IUnknown>(
        com::MakeObject<items::LumGenericTypeDescriptor>(context_.registryPath, context_.services.strings));
  });
}

HRESULT LumLibrary::CreateObjectTypeDescriptor(int32_t TypeID, com::ComPtr<com::IUnknown>* ppDescriptor) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(ppDescriptor);
    registry::RegistryStore registry(context_.registryPath);
    std::string classId;
    const std::string key = std::string(config::kFileMediaTypesKey) + "\\" + std::to_string(TypeID);
    if (registry.ReadString(key, config::kTypeDescriptorClsidValue, classId) != registry::RegStatus::Ok)
      return com::REGDB_E_CLASSNOTREG;
    const std::optional<com::Guid> wanted = com::Guid::Parse(classId);
    if (wanted && wanted == com::Guid::Parse(server::kLumPhotoTypePropertiesDescriptorClsid)) {
      out = com::ComPtr<com::IUnknown>(com::MakeObject<items::LumPhotoTypePropertiesDescriptor>());
      return com::S_OK;
    }
    if (wanted && wanted == com::Guid::Parse(server::kLumGenericTypeDescriptorClsid))
      return CreateGenericTypeDescriptor(ppDescriptor);
    return com::REGDB_E_CLASSNOTREG;  // the all-zero class among them
  });
}

HRESULT LumLibrary::InitObject(const com::Bstr& bstrInitParam, const com::Bstr& bstrGUID) {
  return com::CallGuard([&]() -> HRESULT {
    if (context_.classes == nullptr) return com::REGDB_E_CLASSNOTREG;
    com::ComPtr<com::IUnknown> object;
    const HRESULT made = context_.classes->CreateInstance(bstrGUID.str(), nullptr, &object);
    if (com::Failed(made)) return made;
    if (auto init = com::QueryInterface<typelib::IKivCustomInit>(object)) {
      const HRESULT ran = init->Run(bstrInitParam, static_cast<typelib::IKivLibrary*>(this));
      if (com::Failed(ran))
        std::fprintf(stderr, "library: %s did not run: %s\n", bstrGUID.c_str(), com::DescribeHresult(ran).c_str());
    }
    return made;
  });
}

}  // namespace albumcore::library
