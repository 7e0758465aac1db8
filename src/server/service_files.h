// The files that install the server as a service on Linux, below a root
// folder ("/" on a real system; tests and packagers give another):
//
//   etc/systemd/system/albumcore9.service              the unit: a daemon
//       of type dbus, started on demand only (no [Install] section), as
//       root, reading the machine hive named in its environment
//   usr/share/dbus-1/system-services/<bus name>.service
//       system-bus activation: the bus asks the service manager to start
//       the unit when a client calls the name (SystemdService=)
//   etc/dbus-1/system.d/<bus name>.conf
//       system-bus policy: only root (the service) may own the name; root
//       and members of the service group may call it; root may send the
//       events of the type library to clients' sinks
//
// Paths written inside the files are those the running system sees: the
// root folder is a staging area, like a package's destination folder. The
// service group is created by nobody: an administrator who wants people to
// use the service creates it (groupadd albumcore) and adds them to it.
#pragma once

#include <string>
#include <string_view>

namespace albumcore::server {

inline constexpr std::string_view kDefaultServiceGroup = "albumcore";

struct ServiceFilePaths {
  std::string unit;
  std::string activation;
  std::string policy;
};

// The three paths below `root` ("" is "/").
ServiceFilePaths ServiceFilesUnder(const std::string& root, const std::string& busName);

struct ServiceSetup {
  std::string busName;
  std::string executable;    // absolute
  std::string registryPath;  // the hive the service reads, absolute
  std::string group = std::string(kDefaultServiceGroup);
};

std::string UnitFileText(const ServiceSetup& setup);
std::string SystemActivationText(const ServiceSetup& setup);
std::string BusPolicyText(const ServiceSetup& setup);

// A name a group may have (letters, digits, '_', '-', '.', not starting
// with a digit, '-' or '.'; at most 32 characters), so that it can stand in
// the policy file as it is.
bool IsValidGroupName(std::string_view name);

// Writes or removes the three files; false with `error` naming the file
// that failed (files already written stay).
bool InstallServiceFiles(const std::string& root, const ServiceSetup& setup, std::string* error);
bool RemoveServiceFiles(const std::string& root, const std::string& busName, std::string* error);
// Whether the unit file exists below `root`.
bool ServiceInstalled(const std::string& root, const std::string& busName);

}  // namespace albumcore::server
