// LumGenericTypeDescriptor: the media types of the machine's media-type
// table (config_keys.h, kFileMediaTypesKey), in the display order of its
// kUiOrderValue list, with their display names.
//
// The table is read on first use and kept for the object's life: the order
// list, then for each type its kMediaTypeNameIdValue ("stringRef:..."),
// resolved through the string table. A type without a name gets the "Other"
// name. Whatever cannot be read (the hive, the list, an entry of the list
// that is no type number, a name that is no string) is reported on stderr
// and left out: a missing list is a table of no types.
//
// Positions outside the list answer S_OK with an empty name and type -1.
// There are no common properties. Statuses: S_OK; E_POINTER for a null
// out-pointer. Runs on the main loop.
#pragma once

#include <string>
#include <vector>

#include "com/unknown.h"
#include "components/string_table/string_table.h"
#include "registry/registry_store.h"
#include "typelib/ki_type_descriptors.h"

namespace albumcore::items {

class LumGenericTypeDescriptor final : public com::ComObject, public typelib::IKiGenericTypeDescriptor {
 public:
  static constexpr std::string_view kClassName = "LumGenericTypeDescriptor";

  // `registryPath`: the machine hive file. `strings` must outlive the object;
  // without it names are the references as stored.
  LumGenericTypeDescriptor(std::string registryPath, const components::StringTable* strings);

  com::HRESULT GetMediaTypesCount(int32_t* pCount) override;
  com::HRESULT GetMediaTypeName(int32_t index, com::Bstr* pName) override;
  com::HRESULT GetCommonPropertiesCount(int32_t* pCount) override;
  com::HRESULT GetCommonPropertyInfo(int32_t index, com::Bstr* pFieldName, int32_t* pType) override;
  com::HRESULT GetMediaType(int32_t index, int32_t* pMediaType) override;

 private:
  struct MediaType {
    int32_t type = -1;
    std::string name;  // resolved
  };

  // Reads the table unless it is loaded.
  void Load();
  std::string ReadName(int32_t type);
  // The entry at `index`, or null past either end.
  const MediaType* At(int32_t index);

  registry::RegistryStore registry_;
  const components::StringTable* strings_;
  bool loaded_ = false;
  std::vector<MediaType> types_;
};

}  // namespace albumcore::items
