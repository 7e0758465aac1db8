#include "server/registration.h"

#include "server/class_ids.h"

namespace albumcore::server {

using registry::RegStatus;

namespace {

std::string Below(std::string_view parent, std::string_view child) {
  return std::string(parent) + "\\" + std::string(child);
}

// The platform key below a type library version that names the file
// carrying the library.
constexpr std::string_view kTypeLibPlatform = "0\\linux";

}  // namespace

std::string AppIdKey() { return Below(Below(kClassesKey, "AppID"), kAppId); }

config::OwnedEntries ClassRegistration(const std::string& executable) {
  config::OwnedEntries entries;
  entries.Value(AppIdKey(), "", std::string(kAppIdName));
  entries.Value(Below(Below(kClassesKey, "AppID"), kExecutableName), "AppID", std::string(kAppId));

  const std::string typeLibKey = Below(Below(Below(kClassesKey, "TypeLib"), kTypeLibId), kTypeLibVersion);
  entries.Value(typeLibKey, "", std::string(kTypeLibName));
  entries.Value(Below(typeLibKey, kTypeLibPlatform), "", executable);
  entries.Value(Below(typeLibKey, "FLAGS"), "", "0");

  for (const ServerClass& c : kServerClasses) {
    const std::string description = ClassDescription(c);
    const std::string clsid(c.clsid);
    const std::string progId(c.progId);
    const std::string versioned = progId + std::string(kProgIdVersionSuffix);

    const std::string versionedKey = Below(kClassesKey, versioned);
    entries.Value(versionedKey, "", description);
    entries.Value(Below(versionedKey, "CLSID"), "", clsid);

    const std::string progIdKey = Below(kClassesKey, progId);
    entries.Value(progIdKey, "", description);
    entries.Value(Below(progIdKey, "CLSID"), "", clsid);
    entries.Value(Below(progIdKey, "CurVer"), "", versioned);

    const std::string classKey = Below(Below(kClassesKey, "CLSID"), clsid);
    entries.Value(classKey, "", description);
    entries.Value(classKey, "AppID", std::string(kAppId));
    entries.Value(Below(classKey, "ProgID"), "", versioned);
    entries.Value(Below(classKey, "VersionIndependentProgID"), "", progId);
    entries.Key(Below(classKey, "Programmable"));
    entries.Value(Below(classKey, "LocalServer32"), "", executable);
    entries.Value(Below(classKey, "TypeLib"), "", std::string(kTypeLibId));
  }
  return entries;
}

RegStatus WriteRegistration(registry::RegistryStore& store, const Registration& registration, RunMode mode) {
  config::OwnedEntries entries = config::RegistrationDefaults(registration.install);
  entries.Append(ClassRegistration(registration.executable));
  return store.Edit([&](registry::Hive& hive) {
    RegStatus s = entries.WriteTo(hive);
    if (s != RegStatus::Ok) return s;
    if (mode == RunMode::Service) return hive.SetString(AppIdKey(), kLocalServiceValue, kServiceName);
    s = hive.DeleteValue(AppIdKey(), kLocalServiceValue);
    return s == RegStatus::NotFound ? RegStatus::Ok : s;
  });
}

RegStatus RemoveRegistration(registry::RegistryStore& store) {
  // The install locations and the executable are not looked at when
  // entries are removed: every owned value goes, whatever it holds.
  config::OwnedEntries entries = config::RegistrationDefaults({});
  entries.Append(ClassRegistration({}));
  entries.Value(AppIdKey(), std::string(kLocalServiceValue), {});
  return store.Edit([&](registry::Hive& hive) { return entries.RemoveFrom(hive); });
}

RunMode ReadRunMode(registry::RegistryStore& store, std::string* problem) {
  std::string service;
  const RegStatus s = store.ReadString(AppIdKey(), kLocalServiceValue, service);
  if (s == RegStatus::Ok || s == RegStatus::WrongType) return RunMode::Service;  // any value counts
  if (s != RegStatus::NotFound && problem != nullptr) {
    *problem = std::string(registry::RegStatusName(s)) + (store.lastError().empty() ? "" : ": " + store.lastError());
  }
  return RunMode::LocalServer;
}

}  // namespace albumcore::server
