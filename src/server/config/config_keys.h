// Registry keys and values of the server's configuration, relative to
// HKEY_LOCAL_MACHINE, named once for the code that writes them (registration)
// and the code that reads them.
#pragma once

#include <array>
#include <string_view>

namespace albumcore::config {

inline constexpr std::string_view kSuiteRootKey = "SOFTWARE\\Orvane\\Crestkit9";
inline constexpr std::string_view kAlbumKey = "SOFTWARE\\Orvane\\Crestkit9\\Album";
inline constexpr std::string_view kFiltersKey = "SOFTWARE\\Orvane\\Crestkit9\\Album\\Filters";
inline constexpr std::string_view kFileMediaTypesKey = "SOFTWARE\\Orvane\\Crestkit9\\Album\\FileMediaTypes";

// Values of kAlbumKey: folder and file name of the template catalogue.
inline constexpr std::string_view kDbLocationValue = "DBLocation";
inline constexpr std::string_view kDbNameValue = "DBName";

// Values of kAlbumKey that confine SQL text from clients (sql_confinement.h):
// the folders an IN "file" clause may reach, absolute paths separated by
// ':', and the milliseconds one statement run may take (0: no limit).
inline constexpr std::string_view kSqlFoldersValue = "SqlExternalFolders";
inline constexpr std::string_view kSqlBudgetValue = "SqlStatementBudgetMs";

// The named item-type filters, each a key below kFiltersKey.
inline constexpr std::string_view kFilterAll = "NAX_FILTER_ALL";
inline constexpr std::string_view kFilterProjects = "NAX_FILTER_PROJECTS";
inline constexpr std::string_view kFilterItems = "NAX_FILTER_ITEMS";
inline constexpr std::array<std::string_view, 3> kFilterNames = {kFilterAll, kFilterProjects, kFilterItems};

// Values of kFileMediaTypesKey and of its per-item-type subkeys.
inline constexpr std::string_view kUiOrderValue = "TypeDescriptorObjects_UI_Order";
inline constexpr std::string_view kMediaTypeNameIdValue = "AlbumMediaTypeNameID";
inline constexpr std::string_view kMediaTypeNameXmlValue = "AlbumMediaTypeNameXML";
inline constexpr std::string_view kTypeDescriptorClsidValue = "TypeDescriptorObject_CLSID";
inline constexpr std::string_view kItemObjectClsidValue = "AlbumItemObjectCLSID";

}  // namespace albumcore::config
