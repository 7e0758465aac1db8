// Class IDs of the catalogue classes, named once for the class table that
// creates them and the registry defaults that point to them.
#pragma once

#include <array>
#include <string_view>

namespace albumcore::server {

inline constexpr std::string_view kLumLibFactoryClsid = "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}";
inline constexpr std::string_view kLumPhotoItemClsid = "{5DD9F375-56F8-4CB8-90C9-BB699ADE6493}";
inline constexpr std::string_view kLumGenericTypeDescriptorClsid = "{5FFD49D2-F585-480D-B8C5-A050D1387041}";
inline constexpr std::string_view kLumPhotoTypePropertiesDescriptorClsid = "{C4007307-BB92-4B86-B95A-818E4E3C41A9}";
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
