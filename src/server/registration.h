// What the registration switches write into the machine hive besides the
// configuration defaults: the class table, the application identity with
// its run-mode value, and the type library.
//
// Class keys stand where clients look classes up, below SOFTWARE\Classes:
//   <ProgID>.1                   (default) description, CLSID\(default) class ID
//   <ProgID>                     (default) description, CLSID, CurVer\(default) <ProgID>.1
//   CLSID\<class ID>             (default) description, "AppID", ProgID, VersionIndependentProgID,
//                                Programmable (empty), LocalServer32 (the executable), TypeLib
//   AppID\<application ID>       (default) "OrvMediaDB"; "LocalService" = "AlbumCore9" in service mode
//   AppID\orvmediadb9            "AppID" = the application ID
//   TypeLib\<library ID>\1.0     (default) "KIVALBUMCORELib", 0\linux (the executable), FLAGS
//
// The run mode is the "LocalService" value: present, the server runs as the
// service (a daemon on the system bus); absent, as a local server on the
// session bus.
//
// Registering and then unregistering leaves the hive as it was, as long as
// registration changed no value a person had set (owned_entries.h).
#pragma once

#include <string>
#include <string_view>

#include "registry/registry_store.h"
#include "server/config/owned_entries.h"
#include "server/config/registration_defaults.h"

namespace albumcore::server {

inline constexpr std::string_view kClassesKey = "SOFTWARE\\Classes";
inline constexpr std::string_view kAppId = "{C5AFF470-DB0E-44f3-BCE8-FAE8CEAC711E}";
inline constexpr std::string_view kAppIdName = "OrvMediaDB";
// The executable's file name, whose key names the application identity.
inline constexpr std::string_view kExecutableName = "orvmediadb9";
inline constexpr std::string_view kLocalServiceValue = "LocalService";
// The service's name, also its display name.
inline constexpr std::string_view kServiceName = "AlbumCore9";
inline constexpr std::string_view kServiceDescription = "Orvane AlbumCore Service";
inline constexpr std::string_view kTypeLibId = "{4FCD30B3-C6E7-4E60-ACA8-5F08AD6DBC67}";
inline constexpr std::string_view kTypeLibName = "KIVALBUMCORELib";
inline constexpr std::string_view kTypeLibVersion = "1.0";

// SOFTWARE\Classes\AppID\<application ID>, which holds the run-mode value.
std::string AppIdKey();

enum class RunMode { LocalServer, Service };

// The class table, application identity and type library, for a server at
// `executable` (an absolute path). The "LocalService" value is not among
// them.
config::OwnedEntries ClassRegistration(const std::string& executable);

struct Registration {
  std::string executable;
  config::InstallLocations install;
};

// RegServer (LocalServer) and Service: the defaults, the class table and,
// for Service, the "LocalService" value; RegServer removes that value. One
// replacement of the hive file.
registry::RegStatus WriteRegistration(registry::RegistryStore& store, const Registration& registration, RunMode mode);
// UnregServer: removes all of it, "LocalService" included.
registry::RegStatus RemoveRegistration(registry::RegistryStore& store);

// The run mode the hive holds; LocalServer when the hive cannot be read
// (`problem` then says why).
RunMode ReadRunMode(registry::RegistryStore& store, std::string* problem);

}  // namespace albumcore::server
