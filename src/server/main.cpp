// orvmediadb9: the media catalogue server.
//
//   orvmediadb9               serve until idle or stopped: as the service (a
//                             daemon on the system bus) when the registry's
//                             run-mode value says so, else as a local server
//                             on the session bus
//   orvmediadb9 /RegServer    register for the session bus: the registry
//                             (defaults, classes) and the activation file
//   orvmediadb9 /Service      register as the service: the registry with the
//                             run-mode value, the unit, the system-bus
//                             activation and policy files
//   orvmediadb9 /UnregServer  remove what either registration wrote
//
// The machine registry is the file named by ALBUMCORE_REGISTRY, else
// $XDG_CONFIG_HOME/albumcore/machine.reg (/Service: /var/lib/albumcore/
// machine.reg below --root). Exit statuses: server/exit_status.h.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "dbus/server_host.h"
#include "dbus/work_queue.h"
#include "registry/registry_path.h"
#include "server/activation_file.h"
#include "server/class_table.h"
#include "server/command_line.h"
#include "server/config/config_keys.h"
#include "server/config/filter_lists.h"
#include "server/config/idle_settings.h"
#include "server/config/registration_defaults.h"
#include "server/config/reply_limit.h"
#include "server/config/server_settings.h"
#include "server/exit_status.h"
#include "server/idle_shutdown.h"
#include "server/registration.h"
#include "server/service_files.h"

namespace {

namespace ac = albumcore;
namespace fs = std::filesystem;
using ac::server::RunMode;

constexpr const char* kBusName = "com.orvane.AlbumCore9";

const char* const kUsage =
    "usage: orvmediadb9 [/RegServer | /Service [--root DIR] [--group NAME] | /UnregServer [--root DIR]]\n"
    "  (no switch)   serve catalogues as com.orvane.AlbumCore9: on the system bus when\n"
    "                registered as the service, else on the session bus\n"
    "  /RegServer    write the registry defaults, the class table and the D-Bus activation\n"
    "                file of the session bus\n"
    "  /Service      the same in the service's registry, marked as the service; install the\n"
    "                systemd unit and the system bus's activation and policy files\n"
    "  /UnregServer  remove what /RegServer and /Service wrote\n"
    "  --root DIR    the folder the service's files go below (default /)\n"
    "  --group NAME  the group whose members may call the service (default albumcore)\n"
    "The machine registry is the file named by ALBUMCORE_REGISTRY (default\n"
    "$XDG_CONFIG_HOME/albumcore/machine.reg; for /Service, /var/lib/albumcore/machine.reg).\n";

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

bool RegistryPathFromEnvironment() {
  const char* path = std::getenv(ac::registry::kRegistryPathVariable);
  return path != nullptr && *path != '\0';
}

// The hive /Service writes and the service reads: ALBUMCORE_REGISTRY, else
// the service's own below the root. `atRunTime` is the path the running
// service sees (without the root).
std::string ServiceRegistryPath(const std::string& root, bool atRunTime) {
  if (RegistryPathFromEnvironment()) {
    return fs::absolute(ac::registry::ResolveRegistryPath(ac::registry::RegistryMode::Service)).string();
  }
  if (atRunTime || root.empty()) return ac::registry::kServiceRegistryPath;
  return (fs::path(root) / fs::path(ac::registry::kServiceRegistryPath).relative_path()).string();
}

ac::server::Registration RegistrationOfThisExecutable() {
  const fs::path someStringFile = fs::path(kStringsFolder) / std::string(ac::config::kDefaultLanguageId) /
                                  std::string(ac::config::kStartupStringFiles.front());
  return {ExecutablePath(),
          {DataDirectoryHolding(kTemplateName), kTemplateName,
           DataDirectoryHolding(someStringFile) + "/" + kStringsFolder}};
}

int RegistryFailure(const char* what, ac::registry::RegistryStore& registry) {
  std::fprintf(stderr, "orvmediadb9: cannot %s %s: %s\n", what, registry.path().c_str(), registry.lastError().c_str());
  return ac::server::kExitRegistration;
}

int FileFailure(const std::string& error) {
  std::fprintf(stderr, "orvmediadb9: %s\n", error.c_str());
  return ac::server::kExitRegistration;
}

// /RegServer: the local server, started by the session bus on demand.
int Register() {
  ac::registry::RegistryStore registry(ac::registry::ResolveRegistryPath(ac::registry::RegistryMode::LocalServer));
  if (ac::server::WriteRegistration(registry, RegistrationOfThisExecutable(), RunMode::LocalServer) !=
      ac::registry::RegStatus::Ok) {
    return RegistryFailure("write the registration to", registry);
  }
  std::string error;
  if (!ac::server::InstallActivationFile(kBusName, ExecutablePath(), &error)) return FileFailure(error);
  std::printf("registered: defaults and classes in %s, activation file %s\n", registry.path().c_str(),
              ac::server::ActivationFilePath(kBusName).c_str());
  return ac::server::kExitOk;
}

// /Service: the daemon, started by the service manager when a client calls
// its name on the system bus.
int RegisterService(const std::string& root, const std::string& group) {
  if (!ac::server::IsValidGroupName(group)) {
    std::fprintf(stderr, "orvmediadb9: \"%s\" cannot be a group name\n%s", group.c_str(), kUsage);
    return ac::server::kExitUsage;
  }
  ac::registry::RegistryStore registry(ServiceRegistryPath(root, /*atRunTime=*/false));
  if (ac::server::WriteRegistration(registry, RegistrationOfThisExecutable(), RunMode::Service) != ac::registry::RegStatus::Ok) {
    return RegistryFailure("write the registration to", registry);
  }
  const ac::server::ServiceSetup setup{kBusName, ExecutablePath(), ServiceRegistryPath(root, /*atRunTime=*/true), group};
  std::string error;
  if (!ac::server::InstallServiceFiles(root, setup, &error)) return FileFailure(error);
  const auto files = ac::server::ServiceFilesUnder(root, kBusName);
  std::printf("registered as the service %s: defaults and classes in %s; %s, %s, %s\n",
              std::string(ac::server::kServiceName).c_str(), registry.path().c_str(), files.unit.c_str(),
              files.activation.c_str(), files.policy.c_str());
  if (root.empty()) std::printf("the service manager sees a new unit after 'systemctl daemon-reload'\n");
  return ac::server::kExitOk;
}

// /UnregServer: whatever either registration wrote. The service's hive and
// files are looked at when the service is installed below the root.
int Unregister(const std::string& root) {
  ac::registry::RegistryStore registry(ac::registry::ResolveRegistryPath(ac::registry::RegistryMode::LocalServer));
  if (ac::server::RemoveRegistration(registry) != ac::registry::RegStatus::Ok) {
    return RegistryFailure("remove the registration from", registry);
  }
  std::string error;
  if (!ac::server::RemoveActivationFile(kBusName, &error)) return FileFailure(error);
  std::printf("unregistered: %s, %s\n", registry.path().c_str(), ac::server::ActivationFilePath(kBusName).c_str());
  if (!ac::server::ServiceInstalled(root, kBusName)) return ac::server::kExitOk;

  ac::registry::RegistryStore serviceRegistry(ServiceRegistryPath(root, /*atRunTime=*/false));
  if (serviceRegistry.path() != registry.path() &&
      ac::server::RemoveRegistration(serviceRegistry) != ac::registry::RegStatus::Ok) {
    return RegistryFailure("remove the registration from", serviceRegistry);
  }
  if (!ac::server::RemoveServiceFiles(root, kBusName, &error)) return FileFailure(error);
  const auto files = ac::server::ServiceFilesUnder(root, kBusName);
  std::printf("unregistered the service %s: %s, %s, %s, %s\n", std::string(ac::server::kServiceName).c_str(),
              serviceRegistry.path().c_str(), files.unit.c_str(), files.activation.c_str(), files.policy.c_str());
  return ac::server::kExitOk;
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

int Serve() {
  ac::registry::RegistryStore registry(ac::registry::ResolveRegistryPath(ac::registry::RegistryMode::LocalServer));
  // The registry decides the run mode; a service's unit names its hive in
  // ALBUMCORE_REGISTRY.
  std::string problem;
  const RunMode mode = ac::server::ReadRunMode(registry, &problem);
  if (!problem.empty()) {
    std::fprintf(stderr, "orvmediadb9: cannot read the run mode from %s (%s); serving as a local server\n",
                 registry.path().c_str(), problem.c_str());
    problem.clear();
  }
  const bool service = mode == RunMode::Service;
  const ac::config::IdleSettings idle = ac::config::ReadIdleSettings(registry);

  // The filter lists, the confinement of SQL text, the settings, the string
  // table and the file-system component are constants of the process: read
  // or made once, before any object exists, and kept in the context every
  // object is made with. Unlike a Windows service host, the server does
  // this in both run modes: a local server shows the same names. The
  // substituted-drive mapping is read but not applied: Linux has no drive
  // letters, and a service sees the same mounts as the user who installed
  // it.
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
    ac::dbus::ServerHost host(kBusName, /*systemBus=*/service);
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
    // visible on the bus even while no client holds it. Since it exists
    // from the start, a service that no client opens a library with stops
    // at its first tick.
    ac::com::ComPtr<ac::com::IUnknown> factory;
    ac::com::ThrowIfFailed(
        host.classes().CreateInstance(ac::server::kLumLibFactory.progId, nullptr, &factory));
    host.binding().Pin(factory, "LibFactory");
    host.binding().SetMaxReplyBytes(ac::config::ReadMaxReplyBytes(registry));
    auto* lumFactory = dynamic_cast<ac::server::LumLibFactory*>(factory.get());
    const ac::server::FactoryLookup findFactory = [lumFactory] { return lumFactory; };
    auto stop = [&host](const char* why) {
      std::fprintf(stderr, "orvmediadb9: %s; stopping\n", why);
      host.loop().Quit();
    };

    std::optional<ac::server::IdleTick> tick;
    std::optional<ac::server::LocalServerExit> localExit;
    if (service) {
      std::fprintf(stderr, "orvmediadb9: serving on the system bus as the service %s (idle tick %lld ms)\n",
                   std::string(ac::server::kServiceName).c_str(), static_cast<long long>(idle.tick.count()));
      tick.emplace(host.loop(), idle.tick, findFactory, [stop] { stop("no library is open"); });
    } else {
      localExit.emplace(host.loop(), host.binding(), idle.localExitDelay, findFactory,
                        [stop] { stop("no client holds anything and no library is open"); });
    }
    host.Run();
  } catch (const ac::dbus::NameTakenError& e) {
    std::fprintf(stderr, "orvmediadb9: %s\n", e.what());
    return ac::server::kExitNameTaken;
  } catch (const sdbus::Error& e) {
    // The bus going away ends the server too: that is how a session bus
    // ends (dbus-run-session stops its daemon when its command is done, and
    // the server it started on demand is still running).
    if (BusClosedConnection(e)) {
      std::fprintf(stderr, "orvmediadb9: the bus closed the connection (its session ended); stopping\n");
      return ac::server::kExitOk;
    }
    std::fprintf(stderr, "orvmediadb9: stopping: %s\n", e.getMessage().c_str());
    return ac::server::kExitServeFailed;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvmediadb9: %s\n", e.what());
    return ac::server::kExitServeFailed;
  }
  return ac::server::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  const auto commandLine = ac::server::ParseCommandLine(argc, argv);
  const auto usageError = [](const std::string& what) {
    std::fprintf(stderr, "orvmediadb9: %s\n%s", what.c_str(), kUsage);
    return ac::server::kExitUsage;
  };
  if (!commandLine.unknown.empty()) return usageError("unknown argument " + commandLine.unknown.front());
  if (!commandLine.conflicting.empty()) {
    return usageError(commandLine.conflicting.front() + " asks for a second action; give one switch at a time");
  }
  if (!commandLine.missingValue.empty()) return usageError(commandLine.missingValue.front() + " needs a value");
  using ac::server::ServerAction;
  const ServerAction action = commandLine.action;
  if (commandLine.root && action != ServerAction::Service && action != ServerAction::UnregServer) {
    return usageError("--root goes with /Service or /UnregServer");
  }
  if (commandLine.group && action != ServerAction::Service) return usageError("--group goes with /Service");
  // "/" and nothing are the real root; files then go where the system looks.
  std::string root = commandLine.root.value_or("");
  if (root == "/") root.clear();
  if (!root.empty()) root = fs::absolute(root).string();

  switch (action) {
    case ServerAction::Help:
      std::fputs(kUsage, stdout);
      return ac::server::kExitOk;
    case ServerAction::RegServer:
      return Register();
    case ServerAction::UnregServer:
      return Unregister(root);
    case ServerAction::Service:
      return RegisterService(root, commandLine.group.value_or(std::string(ac::server::kDefaultServiceGroup)));
    case ServerAction::Run:
      return Serve();
  }
  return ac::server::kExitOk;
}
