// The catalogue classes with their class IDs and ProgIDs, named once for the
// class registry that creates them, the registration that writes them into
// the machine hive and the registry defaults that point to them.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace albumcore::server {

struct ServerClass {
  std::string_view name;    // "LumLibFactory"
  std::string_view progId;  // version-independent; the versioned ProgID adds kProgIdVersionSuffix
  std::string_view clsid;
  // The description, when it is not the name followed by " Class".
  std::string_view description = {};
};

inline constexpr std::string_view kProgIdVersionSuffix = ".1";
inline constexpr std::string_view kClassDescriptionSuffix = " Class";

inline constexpr std::array<ServerClass, 29> kServerClasses = {{
    {"LumLibFactory", "Zeph.TovLibFactory", "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}"},
    {"LumLibrary", "Zeph.TovLibrary", "{F33866FE-D828-48DC-AEE6-9A788EB523E3}"},
    {"LumItemCollection", "Zeph.TovItemCollection", "{218B285E-5B00-4D01-B1A1-2A791E0C9281}"},
    {"LumAlbum", "Zeph.TovAlbum", "{16815AEA-AFA5-4FFA-A192-A4B499CE69EC}"},
    {"LumShoebox", "Zeph.TovShoebox", "{AD518232-B697-475E-8FF6-8D2C8F4537B4}"},
    {"LumArchive", "Zeph.TovArchive", "{F1873EEC-474D-427E-B174-97508A461A30}"},
    {"LumBin", "Zeph.TovBin", "{397B6615-810A-459C-8BE3-CA0DFE55457F}"},
    {"LumRoot", "Zeph.TovRoot", "{38905A32-D578-4E17-8E80-314B92E7AA42}"},
    {"LumMRU", "Zeph.TovMRU", "{F98188B6-FA2E-434B-9665-46070FBDB655}"},
    {"LumMRUSection", "Zeph.TovMRUSection", "{06E1EC75-166F-457D-9104-3B8AF1EFC36A}"},
    {"LumClipboard", "Zeph.TovClipboard", "{2B944077-FCE0-4566-B2F0-88749F8C652F}"},
    {"LumRecentlyImported", "Zeph.TovRecentlyImported", "{0AA8993A-9589-4DA1-96AD-CF818D540C02}"},
    {"LumSearchResults", "Zeph.TovSearchResults", "{E2F3CA10-12F0-4EDA-9F48-BCFB8DD69F4F}"},
    {"LumAllFiles", "Zeph.TovAllFiles", "{66C3ABE4-06E6-4D6E-86E9-AB4D725A3833}"},
    {"LumAllAlbumsAlbum", "Zeph.TovAllAlbumsAlbum", "{5948C752-2431-4EA2-B76F-08AC38BA2491}"},
    {"LumDevices", "Zeph.TovDevices", "{91B59F7B-14C4-453B-ADF9-C22E5C778AC5}", "TovDevices Class"},
    {"LumDeviceAlbum", "Zeph.TovDeviceAlbum", "{B2017AF7-1DA8-435C-B14B-9E2D8A7B7055}"},
    {"LumDeviceSubAlbum", "Zeph.TovDeviceSubAlbum", "{87AB0A8F-21EC-41D4-B4F1-9E7A264A49CF}"},
    {"LumDeviceItem", "Zeph.TovDeviceItem", "{EA8448FB-BD7C-4EF4-AA34-A70AC7669C9D}"},
    {"LumPhotoItem", "Zeph.TovPhotoItem", "{5DD9F375-56F8-4CB8-90C9-BB699ADE6493}"},
    {"LumUserFieldsItem", "Zeph.TovUserFieldsItem", "{00361991-A8EF-4F9C-8F7C-26752604ED35}"},
    {"LumUserFieldsAlbum", "Zeph.TovUserFieldsAlbum", "{A07C79ED-EC1F-4483-A350-76BD71D77D90}"},
    {"LumUserFieldsLibrary", "Zeph.TovUserFieldsLibrary", "{AB4F1BC1-724B-45D5-8A43-D33F7DF7853E}"},
    {"LumKeywordsLibrary", "Zeph.TovKeywordsLibrary", "{9923292E-164B-4C23-81DD-3CA8EEE6D831}"},
    {"LumKeywordsItem", "Zeph.TovKeywordsItem", "{7F1A1691-7365-42E4-8126-65EC6431AE4D}"},
    {"LumGenericTypeDescriptor", "Zeph.TovGenericTypeDescriptor", "{5FFD49D2-F585-480D-B8C5-A050D1387041}"},
    {"LumPhotoTypePropertiesDescriptor", "Zeph.TovPhotoTypePropertiesDescriptor",
     "{C4007307-BB92-4B86-B95A-818E4E3C41A9}"},
    {"LumThumbnailGenerator", "Zeph.TovThumbnailGenerator", "{6A87AB71-07DE-4F5E-BF68-D8E88D3D9812}"},
    {"LumDateEnumerator", "Zeph.TovDateEnumerator", "{1075859B-57E7-4CED-9585-5E863F84D668}"},
}};

// "LumLibFactory Class": the name and " Class" unless the table gives one.
inline std::string ClassDescription(const ServerClass& c) {
  return c.description.empty() ? std::string(c.name) + std::string(kClassDescriptionSuffix) : std::string(c.description);
}

// The entry of class `name`; a name not in the table does not compile where
// it is used in a constant expression.
consteval const ServerClass& ServerClassNamed(std::string_view name) {
  for (const ServerClass& c : kServerClasses) {
    if (c.name == name) return c;
  }
  throw "no such class";
}

inline constexpr const ServerClass& kLumLibFactory = ServerClassNamed("LumLibFactory");
inline constexpr std::string_view kLumLibFactoryClsid = kLumLibFactory.clsid;
inline constexpr std::string_view kLumLibraryClsid = ServerClassNamed("LumLibrary").clsid;
inline constexpr std::string_view kLumPhotoItemClsid = ServerClassNamed("LumPhotoItem").clsid;
inline constexpr std::string_view kLumGenericTypeDescriptorClsid = ServerClassNamed("LumGenericTypeDescriptor").clsid;
inline constexpr std::string_view kLumPhotoTypePropertiesDescriptorClsid =
    ServerClassNamed("LumPhotoTypePropertiesDescriptor").clsid;
// "No class": what the registry holds for a media type without a descriptor.
inline constexpr std::string_view kNoClassClsid = "{00000000-0000-0000-0000-000000000000}";

// The node plug-ins of the view tree shipped with the server, each with the
// request-ID prefix it serves.
struct NodePluginClass {
  std::string_view prefix;
  std::string_view clsid;
};
inline constexpr std::array<NodePluginClass, 8> kNodePluginClasses = {{
    {"Album", "{7CA52BC1-C0FD-4812-B440-2CB6C550E3D9}"},
    {"Category", "{222C24EC-1C2A-4124-A8CA-DB1AFA95DC88}"},
    {"Custom", "{5CD514DF-BC47-4F70-B7AE-571E8AFD3794}"},
    {"Date", "{0810F38F-7F48-4568-BA82-7C43C5B12952}"},
    {"Keyword", "{C46078B2-DFC9-45F6-A333-74985FF39987}"},
    {"Rated", "{F015088B-6A4A-4C28-883E-A5AE6FE8B7F9}"},
    {"SQL", "{EA22D6AE-DD6F-4BA3-AE4C-790B44272ABC}"},
    {"Audio", "{9EA4ACF3-9FC4-4FD1-80FD-0CD52C3B0B0D}"},
}};

}  // namespace albumcore::server
