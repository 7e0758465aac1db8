// Class IDs of the catalogue classes, named once for the class table that
// creates them and the registry defaults that point to them.
#pragma once

#include <string_view>

namespace albumcore::server {

inline constexpr std::string_view kLumLibFactoryClsid = "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}";
inline constexpr std::string_view kLumPhotoItemClsid = "{5DD9F375-56F8-4CB8-90C9-BB699ADE6493}";
inline constexpr std::string_view kLumGenericTypeDescriptorClsid = "{5FFD49D2-F585-480D-B8C5-A050D1387041}";
inline constexpr std::string_view kLumPhotoTypePropertiesDescriptorClsid = "{C4007307-BB92-4B86-B95A-818E4E3C41A9}";
// "No class": what the registry holds for a media type without a descriptor.
inline constexpr std::string_view kNoClassClsid = "{00000000-0000-0000-0000-000000000000}";

}  // namespace albumcore::server
