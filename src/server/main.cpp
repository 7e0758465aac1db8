// orvmediadb9: the media catalogue server.
//
//   orvmediadb9               serve on the session bus until stopped
//   orvmediadb9 /RegServer    write the registry defaults and the D-Bus
//                             activation file, then exit
//   orvmediadb9 /UnregServer  remove the activation file, then exit
//
// The machine registry is the file named by ALBUMCORE_REGISTRY, or
// $XDG_CONFIG_HOME/albumcore/machine.reg.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "dbus/server_host.h"
#include "dbus/work_queue.h"
#include "server/activation_file.h"
#include "server/class_table.h"
#include "server/command_line.h"
#include "registry/registry_path.h"
#include "server/config/config_keys.h"
#include "server/config/filter_lists.h"
#include "server/config/registration_defaults.h"
#include "server/config/server_settings.h"

namespace {

namespace ac = albumcore;

constexpr const char* kBusName = "com.orvane.AlbumCore9";

const char* const kUsage =
    "usage: orvmediadb9 [/RegServer | /UnregServer]\n"
    "  (no switch)   serve catalogues on the session bus as " "com.orvane.AlbumCore9\n"
    "  /RegServer    write the registry defaults and the D-Bus activation file\n"
    "  /UnregServer  remove the D-Bus activation file\n"
    "The machine registry is the file named by ALBUMCORE_REGISTRY (default\n"
    "$XDG_CONFIG_HOME/albumcore/machine.reg).\n";

std::string ExecutablePath() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("orvmediadb9");
}

constexpr const char* kTemplateName = "CatalogueTemplate.db";
// The resource root below the data folder: one folder of string files per
// language.
constexpr const char* kStringsFolder = "strings";

// The installed data folder when it holds `file`, else the build tree's, for
// a server run from there without being installed.
std::string DataDirectoryHolding(const std::filesystem::path& file) {
  for (const char* dir : {ALBUMCORE_DATA_DIR, ALBUMCORE_BUILD_DATA_DIR}) {
    if (std::filesystem::exists(std::filesystem::path(dir) / file)) return dir;
  }
  return ALBUMCORE_DATA_DIR;
}

int Register(ac::registry::RegistryStore& registry) {
  const std::filesystem::path someStringFile = std::filesystem::path(kStringsFolder) /
                                               std::string(ac::config::kDefaultLanguageId) /
                                               std::string(ac::config::kStartupStringFiles.front());
  const ac::config::InstallLocations install{DataDirectoryHolding(kTemplateName), kTemplateName,
                                             DataDirectoryHolding(someStringFile) + "/" + kStringsFolder};
  const auto status = ac::config::WriteRegistrationDefaults(registry, install);
  if (status != ac::registry::RegStatus::Ok) {
    std::fprintf(stderr, "orvmediadb9: cannot write the registry defaults to %s: %s\n", registry.path().c_str(),
                 registry.lastError().c_str());
    return 1;
  }
  std::string error;
  if (!ac::server::InstallActivationFile(kBusName, ExecutablePath(), &error)) {
    std::fprintf(stderr, "orvmediadb9: %s\n", error.c_str());
    return 1;
  }
  std::printf("registered: defaults in %s, activation file %s\n", registry.path().c_str(),
              ac::server::ActivationFilePath(kBusName).c_str());
  return 0;
}

int Unregister() {
  std::string error;
  if (!ac::server::RemoveActivationFile(kBusName, &error)) {
    std::fprintf(stderr, "orvmediadb9: %s\n", error.c_str());
    return 1;
  }
  std::printf("unregistered: removed %s\n", ac::server::ActivationFilePath(kBusName).c_str());
  return 0;
}

// sd-bus names a connection the bus hung up (ECONNRESET, EPIPE, ENOTCONN,
// ESHUTDOWN, ECONNABORTED) Disconnected.
bool BusClosedConnection(const sdbus::Error& e) { return e.getName() == "org.freedesktop.DBus.Error.Disconnected"; }

// The string files of the installed language; a file that fails is reported
// by the table and its keys read as themselves.
void LoadStrings(ac::components::StringTable& strings, const ac::config::ServerSettings& settings) {
  strings.Initialise(settings.resourceRoot, settings.languageId);
  if (settings.resourceRoot.empty()) {
    std::fprintf(stderr, "orvmediadb9: no resource root in the registry (run /RegServer); names read as their keys\n");
    return;
  }
  for (std::string_view file : ac::config::kStartupStringFiles) (void)strings.LoadFile(file);
}

int Serve(ac::registry::RegistryStore& registry) {
  // The filter lists, the confinement of SQL text, the settings, the string
  // table and the file-system component are constants of the process: read
  // or made once, before any object exists, and kept in the context every
  // object is made with. Unlike a Windows service host, the server loads its
  // strings in every run mode: a local server shows the same names.
  std::string problem;
  const ac::config::ServerSettings settings = ac::config::ReadServerSettings(registry);
  ac::components::StringTable strings;
  LoadStrings(strings, settings);
  ac::components::SuiteSettings suite;
  suite.Initialise(ac::config::kSuiteRootKey, ac::config::kSuiteRootKey);
  const ac::file_system::FileSystemComponent files;
  ac::server::ServerContext context{registry.path(), ac::config::LoadFilterLists(registry, &problem),
                                    ac::config::ReadSqlConfinement(registry), settings, suite, &strings, &files, {}};
  if (!problem.empty()) std::fprintf(stderr, "orvmediadb9: the item-type filters are empty: %s\n", problem.c_str());
  try {
    ac::dbus::ServerHost host(kBusName, /*systemBus=*/false);
    // Compactions of closed catalogues get a worker of their own, so that
    // one never waits behind another client's registry call or holds the
    // loop. Once the queue is gone (the process is ending) they run at once.
    auto compactions = std::make_shared<ac::dbus::WorkQueue>(host.loop());
    context.runLong = [queue = std::weak_ptr<ac::dbus::WorkQueue>(compactions)](std::function<void()> job) {
      auto shared = std::make_shared<std::function<void()>>(std::move(job));
      const auto q = queue.lock();
      if (!q || !q->Submit("compaction", 0, [shared] { (*shared)(); }, [] {})) (*shared)();
    };
    ac::server::RegisterClasses(host.classes(), context);
    // The factory is one object for the life of the process: keep it
    // visible on the bus even while no client holds it.
    ac::com::ComPtr<ac::com::IUnknown> factory;
    ac::com::ThrowIfFailed(host.classes().CreateInstance("Zeph.TovLibFactory", nullptr, &factory));
    host.binding().Pin(factory, "LibFactory");
    host.Run();
  } catch (const ac::dbus::NameTakenError& e) {
    std::fprintf(stderr, "orvmediadb9: %s\n", e.what());
    return 3;
  } catch (const sdbus::Error& e) {
    // The bus going away ends the server too: that is how a session bus
    // ends (dbus-run-session stops its daemon when its command is done, and
    // the server it started on demand is still running).
    if (BusClosedConnection(e)) {
      std::fprintf(stderr, "orvmediadb9: the bus closed the connection (its session ended); stopping\n");
      return 0;
    }
    std::fprintf(stderr, "orvmediadb9: stopping: %s\n", e.getMessage().c_str());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvmediadb9: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const auto commandLine = ac::server::ParseCommandLine(argc, argv);
  if (!commandLine.unknown.empty()) {
    std::fprintf(stderr, "orvmediadb9: unknown argument %s\n%s", commandLine.unknown.front().c_str(), kUsage);
    return 2;
  }
  if (!commandLine.conflicting.empty()) {
    std::fprintf(stderr, "orvmediadb9: %s asks for a second action; give one switch at a time\n%s",
                 commandLine.conflicting.front().c_str(), kUsage);
    return 2;
  }
  ac::registry::RegistryStore registry(ac::registry::ResolveRegistryPath(ac::registry::RegistryMode::LocalServer));
  switch (commandLine.action) {
    case ac::server::ServerAction::Help:
      std::fputs(kUsage, stdout);
      return 0;
    case ac::server::ServerAction::RegServer:
      return Register(registry);
    case ac::server::ServerAction::UnregServer:
      return Unregister();
    case ac::server::ServerAction::Service:
      std::fprintf(stderr, "orvmediadb9: service mode is not available yet\n");
      return 2;
    case ac::server::ServerAction::Run:
      return Serve(registry);
  }
  return 0;
}
