// The real server in its two run modes: the service's idle tick, the local
// server's exit once nobody holds anything, and registration undone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "client/event_sink.h"
#include "client/lib_factory.h"
#include "private_bus.h"
#include "registry/registry_store.h"

namespace albumcore::testing {
namespace {

namespace fs = std::filesystem;
using registry::RegStatus;

constexpr const char* kServerName = "com.orvane.AlbumCore9";
constexpr const char* kAlbumKey = "SOFTWARE\\Orvane\\Crestkit9\\Album";
constexpr const char* kAppIdKey = "SOFTWARE\\Classes\\AppID\\{C5AFF470-DB0E-44f3-BCE8-FAE8CEAC711E}";
// Long enough for a client to open its first library before the first tick.
constexpr int kTickMs = 800;

// A sink that counts the liveness probes it answers: each tick of a service
// asks the first listening sink of every library once.
class ProbeCounter final : public typelib::AlbumCoreEventsSink {
 public:
  com::HRESULT OnIsAlive() override {
    std::lock_guard lock(mutex_);
    ++probes_;
    changed_.notify_all();
    return com::S_OK;
  }
  // Waits for `more` probes beyond those answered so far.
  bool WaitForMore(int more) {
    std::unique_lock lock(mutex_);
    const int wanted = probes_ + more;
    return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return probes_ >= wanted; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int probes_ = 0;
};

// Every regular file below `folder` with its bytes.
std::map<std::string, std::string> FilesBelow(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    files[entry.path().string()] = text.str();
  }
  return files;
}

class RunModesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/albumcore-modes-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    root_ = dir_ + "/root";
    registryPath_ = dir_ + "/machine.reg";
  }
  void TearDown() override {
    factory_.reset();
    session_.reset();
    server_.reset();
    bus_.reset();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::map<std::string, std::string> Env() const {
    std::map<std::string, std::string> env = {{"ALBUMCORE_REGISTRY", registryPath_},
                                              {"XDG_DATA_HOME", dir_ + "/data"}};
    if (bus_) {
      env["DBUS_SESSION_BUS_ADDRESS"] = bus_->address();
      env["DBUS_SYSTEM_BUS_ADDRESS"] = bus_->address();
    }
    return env;
  }
  // Runs the server with a registration switch; its exit code.
  int Registration(std::vector<std::string> args) {
    args.insert(args.begin(), ALBUMCORE_SERVER);
    ChildProcess run(args, Env(), true);
    said_ += run.ReadAll();
    return run.WaitExitCode();
  }
  void WriteDword(const char* name, uint32_t value) {
    registry::RegistryStore store(registryPath_);
    ASSERT_EQ(store.WriteDword(kAlbumKey, name, value), RegStatus::Ok) << store.lastError();
  }

  // Registers as the service and starts it on a private bus that refuses
  // what the installed policy does not allow (when this runs as root, whom
  // the policy names), with no session bus to fall back on.
  void StartService(int tickMs) {
    ASSERT_EQ(Registration({"/Service", "--root", root_}), 0) << said_;
    WriteDword("IdleTickMs", static_cast<uint32_t>(tickMs));
    bus_ = std::make_unique<PrivateBus>(::geteuid() == 0 ? root_ + "/etc/dbus-1/system.d" : "");
    auto env = Env();
    env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=/nonexistent/session-bus";
    StartServer(env);
    ASSERT_TRUE(WaitForLine("serving on the system bus"));
  }
  void StartLocalServer(int exitDelayMs) {
    ASSERT_EQ(Registration({"/RegServer"}), 0) << said_;
    WriteDword("LocalServerExitDelayMs", static_cast<uint32_t>(exitDelayMs));
    bus_ = std::make_unique<PrivateBus>();
    StartServer(Env());
  }
  void StartServer(const std::map<std::string, std::string>& env) {
    server_ = std::make_unique<ChildProcess>(std::vector<std::string>{ALBUMCORE_SERVER}, env, true);
    ASSERT_TRUE(WaitForName(bus_->address(), kServerName));
  }
  void Connect() {
    session_ = client::Session::Connect(bus_->address());
    factory_ = std::make_unique<client::LibFactory>(session_);
  }
  // A test client that opened `library` and listens to it.
  std::unique_ptr<ChildProcess> StartClient(const std::string& library) {
    auto child = std::make_unique<ChildProcess>(
        std::vector<std::string>{ALBUMCORE_TEST_CLIENT, "open", library},
        std::map<std::string, std::string>{{"DBUS_SESSION_BUS_ADDRESS", bus_->address()}}, true);
    EXPECT_EQ(child->ReadLine().rfind("ready", 0), 0u);
    return child;
  }
  // Reads the server's log until a line holds `words` (true) or it has
  // been quiet for `quietMs` (false); every line read is kept in said_.
  bool WaitForLine(const std::string& words, int quietMs = 5000) {
    for (std::string line = server_->ReadLine(quietMs); !line.empty(); line = server_->ReadLine(quietMs)) {
      said_ += line + "\n";
      if (line.find(words) != std::string::npos) return true;
    }
    return false;
  }
  bool Said(const std::string& words) const { return said_.find(words) != std::string::npos; }
  // A call the server answers while it runs.
  bool ServerAnswers() {
    com::Variant v = com::Variant(0);
    return factory_->RegReadFromLocalMachine(kAlbumKey, "Nothing", v) == com::S_FALSE;
  }
  std::string Library(const std::string& name) const { return dir_ + "/" + name + ".db"; }

  std::string dir_, root_, registryPath_;
  std::string said_;
  std::unique_ptr<PrivateBus> bus_;
  std::unique_ptr<ChildProcess> server_;
  std::shared_ptr<client::Session> session_;
  std::unique_ptr<client::LibFactory> factory_;
};

TEST_F(RunModesTest, TheServiceStopsAtTheTickAfterItsLastLibraryClosesWhileTheFactoryIsHeld) {
  StartService(kTickMs);
  Connect();
  com::ComPtr<client::RemoteObject> library;
  ASSERT_EQ(factory_->Open(Library("main"), &library), com::S_OK);
  auto counter = com::MakeObject<ProbeCounter>();
  client::EventSink counting(*session_, counter);
  client::Subscription subscription(library, counting);
  ASSERT_EQ(subscription.status(), com::S_OK);

  // Ticks come and go while the library is open.
  ASSERT_TRUE(counter->WaitForMore(2));
  EXPECT_TRUE(ServerAnswers());

  ASSERT_EQ(factory_->Close(Library("main")), com::S_OK);
  EXPECT_TRUE(WaitForLine("no library is open; stopping")) << said_;
  EXPECT_EQ(server_->WaitExitCode(), 0);
}

TEST_F(RunModesTest, AServiceWhoseFactoryOpensNothingStopsAtItsFirstTick) {
  StartService(100);
  EXPECT_TRUE(WaitForLine("no library is open; stopping")) << said_;
  EXPECT_EQ(server_->WaitExitCode(), 0);
}

TEST_F(RunModesTest, AKilledClientsLibraryIsReapedAtTheNextTickUnlessALiveClientListens) {
  StartService(kTickMs);
  Connect();
  com::ComPtr<client::RemoteObject> shared;
  ASSERT_EQ(factory_->Open(Library("shared"), &shared), com::S_OK);
  auto counter = com::MakeObject<ProbeCounter>();
  client::EventSink sink(*session_, counter);
  client::Subscription listening(shared, sink);
  ASSERT_EQ(listening.status(), com::S_OK);

  auto alsoShared = StartClient(Library("shared"));
  auto alone = StartClient(Library("alone"));
  alsoShared->Signal(SIGKILL);
  alone->Signal(SIGKILL);
  alsoShared->Wait();
  alone->Wait();

  EXPECT_TRUE(WaitForLine("library " + Library("alone") + ": every client is gone; closing it")) << said_;
  // The shared library outlives more ticks: this client still listens.
  ASSERT_TRUE(counter->WaitForMore(2));
  EXPECT_TRUE(ServerAnswers());
  EXPECT_FALSE(Said(Library("shared") + ": every client is gone"));

  // Without its listener, only the dead client's sink is left: reaped, and
  // with no library open the service stops.
  EXPECT_EQ(listening.Unadvise(), com::S_OK);
  EXPECT_TRUE(WaitForLine("library " + Library("shared") + ": every client is gone; closing it")) << said_;
  EXPECT_TRUE(WaitForLine("no library is open; stopping")) << said_;
  EXPECT_EQ(server_->WaitExitCode(), 0);
}

TEST_F(RunModesTest, TheLocalServerStopsAWhileAfterItsLastClientLeaves) {
  StartLocalServer(150);
  Connect();
  auto other = StartClient(Library("main"));
  // Held by both: it does not stop.
  EXPECT_FALSE(WaitForLine("stopping", 300)) << said_;
  factory_.reset();
  session_.reset();
  EXPECT_FALSE(WaitForLine("stopping", 300)) << said_;

  // The last client dies holding its library open: its references go, and
  // the reap finds nobody listening.
  other->Signal(SIGKILL);
  other->Wait();
  EXPECT_TRUE(WaitForLine("no client holds anything and no library is open; stopping")) << said_;
  EXPECT_TRUE(Said("library " + Library("main") + ": every client is gone; closing it")) << said_;
  EXPECT_EQ(server_->WaitExitCode(), 0);
}

TEST_F(RunModesTest, RegistrationThenUnregistrationLeavesTheRegistryAndFilesAsTheyWere) {
  // What a person has there already: values in the hive, other files where
  // registration writes.
  {
    registry::RegistryStore store(registryPath_);
    ASSERT_EQ(store.WriteDword(kAlbumKey, "SqlStatementBudgetMs", 100), RegStatus::Ok);
    ASSERT_EQ(store.WriteString("SOFTWARE\\Classes\\.jpg", "", "jpegfile"), RegStatus::Ok);
  }
  fs::create_directories(root_ + "/etc/dbus-1/system.d");
  std::ofstream(root_ + "/etc/dbus-1/system.d/other.conf") << "<busconfig/>\n";
  fs::create_directories(dir_ + "/data/dbus-1/services");
  std::ofstream(dir_ + "/data/dbus-1/services/other.service") << "[D-BUS Service]\n";
  const auto before = FilesBelow(dir_);

  registry::RegistryStore store(registryPath_);
  std::string mode;
  ASSERT_EQ(Registration({"/RegServer"}), 0) << said_;
  EXPECT_TRUE(fs::exists(dir_ + "/data/dbus-1/services/com.orvane.AlbumCore9.service"));
  EXPECT_EQ(store.ReadString(kAppIdKey, "LocalService", mode), RegStatus::NotFound);

  ASSERT_EQ(Registration({"/Service", "--root", root_, "--group", "media"}), 0) << said_;
  ASSERT_EQ(store.ReadString(kAppIdKey, "LocalService", mode), RegStatus::Ok);
  EXPECT_EQ(mode, "AlbumCore9");
  std::ifstream policy(root_ + "/etc/dbus-1/system.d/com.orvane.AlbumCore9.conf");
  std::stringstream policyText;
  policyText << policy.rdbuf();
  EXPECT_NE(policyText.str().find("<policy group=\"media\">"), std::string::npos) << policyText.str();
  EXPECT_TRUE(fs::exists(root_ + "/etc/systemd/system/albumcore9.service"));
  EXPECT_TRUE(fs::exists(root_ + "/usr/share/dbus-1/system-services/com.orvane.AlbumCore9.service"));

  // RegServer turns the run mode back to the local server.
  ASSERT_EQ(Registration({"/RegServer"}), 0) << said_;
  EXPECT_EQ(store.ReadString(kAppIdKey, "LocalService", mode), RegStatus::NotFound);

  ASSERT_EQ(Registration({"/UnregServer", "--root", root_}), 0) << said_;
  EXPECT_EQ(FilesBelow(dir_), before);

  // Options that do not go with the switch, or a group that could not be one.
  EXPECT_EQ(Registration({"/RegServer", "--root", root_}), 2);
  EXPECT_EQ(Registration({"/Service", "--group", "a\"b"}), 2);
  EXPECT_EQ(Registration({"/Service", "--root"}), 2);
  EXPECT_EQ(FilesBelow(dir_), before);
}

}  // namespace
}  // namespace albumcore::testing
