// Registry keys and values of the server's configuration, relative to
// HKEY_LOCAL_MACHINE, named once for the code that writes them (registration)
// and the code that reads them.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace albumcore::config {

inline constexpr std::string_view kSuiteRootKey = "SOFTWARE\\Orvane\\Crestkit9";
inline constexpr std::string_view kAlbumKey = "SOFTWARE\\Orvane\\Crestkit9\\Album";
inline constexpr std::string_view kFiltersKey = "SOFTWARE\\Orvane\\Crestkit9\\Album\\Filters";
inline constexpr std::string_view kFileMediaTypesKey = "SOFTWARE\\Orvane\\Crestkit9\\Album\\FileMediaTypes";
inline constexpr std::string_view kPluginsKey = "SOFTWARE\\Orvane\\Crestkit9\\Album\\Plugins";
inline constexpr std::string_view kResourcesKey = "SOFTWARE\\Orvane\\Crestkit9\\Resources";

// Keys of the suite's sister product, written by its installer: the
// language of the installed string files and the sample content.
inline constexpr std::string_view kInstalledLanguageKey = "SOFTWARE\\ORVANE\\Brightfold9\\Resources\\Installed Language";
inline constexpr std::string_view kSamplesKey = "Software\\Orvane\\Brightfold9\\Samples";

// Values of kAlbumKey: folder and file name of the template catalogue.
inline constexpr std::string_view kDbLocationValue = "DBLocation";
inline constexpr std::string_view kDbNameValue = "DBName";
inline constexpr size_t kMaxTemplatePathUnits = 780;

// Values of kAlbumKey: the substituted-drive mapping of the installation
// (target path and drive).
inline constexpr std::string_view kSubstFixFromValue = "AlbumCoreSubstFixFrom";
inline constexpr std::string_view kSubstFixToValue = "AlbumCoreSubstFixTo";
inline constexpr size_t kMaxSubstPathUnits = 260;

// Value of kResourcesKey: the folder holding one folder of string files per
// language.
inline constexpr std::string_view kResourceRootValue = "Root";
inline constexpr size_t kMaxResourceRootUnits = 1040;

// Value of kInstalledLanguageKey, and the language used when it is missing
// or empty.
inline constexpr std::string_view kLanguageIdValue = "LanguageID";
inline constexpr std::string_view kDefaultLanguageId = "1033";

// Values of kSamplesKey: folder of sample album descriptions (*.xml) and
// folder of the sample media files.
inline constexpr std::string_view kSampleXmlFolderValue = "SimpleXMLFilePath";
inline constexpr std::string_view kSampleMediaFolderValue = "SimpleMediaFilePath";

// Values of kAlbumKey that confine SQL text from clients (sql_confinement.h):
// the folders an IN "file" clause may reach, absolute paths separated by
// ':', and the milliseconds one statement run may take (0: no limit).
inline constexpr std::string_view kSqlFoldersValue = "SqlExternalFolders";
inline constexpr std::string_view kSqlBudgetValue = "SqlStatementBudgetMs";

// Values of kAlbumKey that time the server's own ending (idle_settings.h):
// the period of the service's idle tick and how long a local server waits
// once no client holds anything, in milliseconds.
inline constexpr std::string_view kIdleTickValue = "IdleTickMs";
inline constexpr std::string_view kLocalExitDelayValue = "LocalServerExitDelayMs";

// Value of kAlbumKey: the largest reply the server sends, in bytes
// (reply_limit.h).
inline constexpr std::string_view kMaxReplyBytesValue = "MaxReplyBytes";

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
// The display name of a media type is this prefix and the type number; a
// type without a name gets the "Other" name.
inline constexpr std::string_view kMediaTypeNamePrefix = "stringRef:FileMediaTypes.FileMediaType-";
inline constexpr std::string_view kMediaTypeNameOther = "stringRef:FileMediaTypes.FileMediaType-Other";
inline constexpr std::string_view kMediaTypeStringFile = "AlbumCoreStrings.XML";

// Values of kPluginsKey are named by a request-ID prefix and hold the class
// ID of its node plug-in; data longer than this is not read.
inline constexpr size_t kMaxPluginClsidUnits = 40;

// The string files loaded at start, from the language's folder below the
// resource root.
inline constexpr std::array<std::string_view, 4> kStartupStringFiles = {
    "CommonActiveXControlsStrings.xml", "AlbumCoreStrings.xml", "LumItemInfoStrings.xml", "AssetManagerStrings.xml"};

}  // namespace albumcore::config
