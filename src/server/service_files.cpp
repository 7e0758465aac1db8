#include "server/service_files.h"

#include <cctype>
#include <filesystem>

#include "server/installed_files.h"
#include "server/registration.h"

namespace albumcore::server {

namespace fs = std::filesystem;

namespace {

// Outgoing interfaces whose calls the service sends to clients' sinks: the
// system bus refuses method calls nobody allowed, events included.
constexpr std::string_view kSinkInterfaces[] = {"com.orvane.KIVALBUMCORELib.IKivAlbumCoreEvents",
                                                "com.orvane.KIVALBUMCORELib.IKivThumbnailGeneratorEvents"};

std::string UnitName() {
  std::string name(kServiceName);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name + ".service";
}

fs::path Under(const std::string& root, const char* path) { return fs::path(root.empty() ? "/" : root) / path; }

// A word of a unit file's ExecStart= or Environment= line: in double
// quotes, with '\' and '"' escaped, and '%' and '$' doubled so that the
// service manager expands nothing in it.
std::string UnitWord(std::string_view text) {
  std::string word = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') word += '\\';
    if (c == '%' || c == '$') word += c;
    word += c;
  }
  return word + "\"";
}

}  // namespace

ServiceFilePaths ServiceFilesUnder(const std::string& root, const std::string& busName) {
  return {(Under(root, "etc/systemd/system") / UnitName()).string(),
          (Under(root, "usr/share/dbus-1/system-services") / (busName + ".service")).string(),
          (Under(root, "etc/dbus-1/system.d") / (busName + ".conf")).string()};
}

std::string UnitFileText(const ServiceSetup& setup) {
  return "[Unit]\n"
         "Description=" + std::string(kServiceDescription) + "\n"
         "Requires=dbus.service\n"
         "After=dbus.service\n"
         "\n"
         "[Service]\n"
         "Type=dbus\n"
         "BusName=" + setup.busName + "\n"
         "ExecStart=" + UnitWord(setup.executable) + "\n"
         "Environment=" + UnitWord("ALBUMCORE_REGISTRY=" + setup.registryPath) + "\n";
}

std::string SystemActivationText(const ServiceSetup& setup) {
  // The service manager starts it; the bus never runs Exec= itself.
  return "[D-BUS Service]\n"
         "Name=" + setup.busName + "\n"
         "Exec=/bin/false\n"
         "User=root\n"
         "SystemdService=" + UnitName() + "\n";
}

std::string BusPolicyText(const ServiceSetup& setup) {
  std::string sinks;
  for (std::string_view sink : kSinkInterfaces) {
    sinks += "    <allow send_type=\"method_call\" send_interface=\"" + std::string(sink) + "\"/>\n";
  }
  return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
         " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
         "<busconfig>\n"
         "  <policy user=\"root\">\n"
         "    <allow own=\"" + setup.busName + "\"/>\n"
         "    <allow send_destination=\"" + setup.busName + "\"/>\n" + sinks +
         "  </policy>\n"
         "  <policy group=\"" + setup.group + "\">\n"
         "    <allow send_destination=\"" + setup.busName + "\"/>\n"
         "  </policy>\n"
         "  <policy context=\"default\">\n"
         "    <deny own=\"" + setup.busName + "\"/>\n"
         "    <deny send_destination=\"" + setup.busName + "\"/>\n"
         "  </policy>\n"
         "</busconfig>\n";
}

bool IsValidGroupName(std::string_view name) {
  if (name.empty() || name.size() > 32) return false;
  if (std::isdigit(static_cast<unsigned char>(name[0])) || name[0] == '-' || name[0] == '.') return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.') return false;
  }
  return true;
}

bool InstallServiceFiles(const std::string& root, const ServiceSetup& setup, std::string* error) {
  const ServiceFilePaths paths = ServiceFilesUnder(root, setup.busName);
  return WriteFileAtomically(paths.unit, UnitFileText(setup), error) &&
         WriteFileAtomically(paths.activation, SystemActivationText(setup), error) &&
         WriteFileAtomically(paths.policy, BusPolicyText(setup), error);
}

bool RemoveServiceFiles(const std::string& root, const std::string& busName, std::string* error) {
  const ServiceFilePaths paths = ServiceFilesUnder(root, busName);
  // The policy goes last: while the unit may still be started, only the
  // service may own its name.
  return RemoveInstalledFile(paths.unit, error) && RemoveInstalledFile(paths.activation, error) &&
         RemoveInstalledFile(paths.policy, error);
}

bool ServiceInstalled(const std::string& root, const std::string& busName) {
  std::error_code ec;
  return fs::exists(ServiceFilesUnder(root, busName).unit, ec);
}

}  // namespace albumcore::server
