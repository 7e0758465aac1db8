// The real server executable on a private bus: the library factory's
// registry operations, the command-line client, and the process rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "client/lib_factory.h"
#include "private_bus.h"

namespace albumcore::testing {
namespace {

using com::HRESULT;
using com::Variant;

constexpr const char* kServerName = "com.orvane.AlbumCore9";
constexpr const char* kAlbumKey = "SOFTWARE\\Orvane\\Crestkit9\\Album";

class FactoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_ = std::make_unique<PrivateBus>();
    registryPath_ = bus_->directory() + "/machine.reg";
    server_ = StartServer();
    ASSERT_TRUE(WaitForName(bus_->address(), kServerName));
    session_ = client::Session::Connect(bus_->address());
    factory_ = std::make_unique<client::LibFactory>(session_);
  }

  std::map<std::string, std::string> Env() const {
    return {{"DBUS_SESSION_BUS_ADDRESS", bus_->address()},
            {"ALBUMCORE_REGISTRY", registryPath_},
            {"XDG_DATA_HOME", bus_->directory()}};  // where a registration puts the activation file
  }
  // Reads what the server logs until a line holds `words` (true) or it has
  // been quiet for a while (false).
  bool ServerSaid(const std::string& words) {
    for (std::string line = server_->ReadLine(5000); !line.empty(); line = server_->ReadLine(5000)) {
      if (line.find(words) != std::string::npos) return true;
    }
    return false;
  }
  std::unique_ptr<ChildProcess> StartServer() {
    return std::make_unique<ChildProcess>(std::vector<std::string>{ALBUMCORE_SERVER}, Env(), true);
  }
  // Runs albumctl; returns its exit code and what it printed.
  std::pair<int, std::string> Albumctl(std::vector<std::string> args, std::map<std::string, std::string> env = {}) {
    args.insert(args.begin(), ALBUMCORE_ALBUMCTL);
    if (env.empty()) env = Env();
    ChildProcess tool(args, env, true);
    std::string out = tool.ReadAll();
    return {tool.WaitExitCode(), out};
  }
  std::string RegistryText() const {
    std::ifstream in(registryPath_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::unique_ptr<PrivateBus> bus_;
  std::string registryPath_;
  std::unique_ptr<ChildProcess> server_;
  std::shared_ptr<client::Session> session_;
  std::unique_ptr<client::LibFactory> factory_;
};

TEST_F(FactoryTest, StringsAndNumbersRoundTripThroughTheRegistryFile) {
  EXPECT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Greeting", Variant("hello \"world\" é")), com::S_OK);
  Variant text = Variant("");
  EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Greeting", text), com::S_OK);
  EXPECT_EQ(text, Variant("hello \"world\" é"));
  // Stored as plain text, without a terminating null.
  EXPECT_NE(RegistryText().find(R"("Greeting"="hello \"world\" é")"), std::string::npos) << RegistryText();

  EXPECT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Count", Variant(-2)), com::S_OK);
  Variant number = Variant(0);
  EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Count", number), com::S_OK);
  EXPECT_EQ(number, Variant(-2));
  EXPECT_NE(RegistryText().find("\"Count\"=dword:fffffffe"), std::string::npos);

  // Reads hand back at most 2080 characters; a longer value fails the read.
  const std::string longest(2080, 'x');
  ASSERT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Long", Variant(longest)), com::S_OK);
  Variant fits = Variant("");
  EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Long", fits), com::S_OK);
  EXPECT_EQ(fits, Variant(longest));
  ASSERT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Long", Variant(longest + "x")), com::S_OK);
  Variant tooLong = Variant("");
  EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Long", tooLong), com::S_FALSE);
  EXPECT_TRUE(tooLong.isEmpty());

  // An empty string is a value too.
  EXPECT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Empty", Variant("")), com::S_OK);
  Variant empty = Variant("x");
  EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Empty", empty), com::S_OK);
  EXPECT_EQ(empty, Variant(""));
}

TEST_F(FactoryTest, FailuresAnswerSFalseAndLeaveTheVariantEmpty) {
  ASSERT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Count", Variant(7)), com::S_OK);

  Variant v;  // VT_EMPTY selects nothing to read
  EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Count", v), com::S_FALSE);
  EXPECT_TRUE(v.isEmpty());
  v = Variant("");  // a number read as a string
  EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Count", v), com::S_FALSE);
  EXPECT_TRUE(v.isEmpty());
  v = Variant(0);
  EXPECT_EQ(factory_->RegReadFromLocalMachine("SOFTWARE\\No\\Such\\Key", "Count", v), com::S_FALSE);
  EXPECT_TRUE(v.isEmpty());
  v = Variant(1.5);  // neither a number nor a string
  EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Count", v), com::S_FALSE);
  EXPECT_TRUE(v.isEmpty());

  // Types other than VT_I4 and VT_BSTR, and a null string, write nothing.
  const std::string before = RegistryText();
  EXPECT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Real", Variant(1.5)), com::S_FALSE);
  EXPECT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Null", Variant(com::Bstr::Null())), com::S_FALSE);
  EXPECT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Flag", Variant::Bool(true)), com::S_FALSE);
  EXPECT_EQ(RegistryText(), before);
  EXPECT_EQ(factory_->PauseWebSharesCleanup(true), com::S_OK);
}

TEST_F(FactoryTest, TheFactoryIsOneObject) {
  com::ComPtr<client::RemoteObject> again;
  ASSERT_EQ(session_->CreateInstance("{5efbb572-1cbd-47da-8bba-5bab9cadd108}", &again), com::S_OK);
  EXPECT_EQ(again->path(), factory_->object()->path());
  com::ComPtr<client::RemoteObject> versioned;
  ASSERT_EQ(session_->CreateInstance("Zeph.TovLibFactory.1", &versioned), com::S_OK);
  EXPECT_EQ(versioned->path(), factory_->object()->path());
}

TEST_F(FactoryTest, ASecondServerRefusesToStart) {
  auto second = StartServer();
  const std::string said = second->ReadAll();
  EXPECT_EQ(second->WaitExitCode(), 3);
  EXPECT_NE(said.find("another server"), std::string::npos) << said;
  // The first one is undisturbed.
  Variant v = Variant(0);
  EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Nothing", v), com::S_FALSE);
}

TEST_F(FactoryTest, AlbumctlReadsAndWritesAndExplainsFailures) {
  auto [w, wout] = Albumctl({"reg", "write", kAlbumKey, "DBName", "--string", "main.db"});
  EXPECT_EQ(w, 0) << wout;
  auto [r, rout] = Albumctl({"reg", "read", kAlbumKey, "DBName"});
  EXPECT_EQ(r, 0);
  EXPECT_EQ(rout, "main.db\n");
  auto [d, dout] = Albumctl({"reg", "write", kAlbumKey, "Count", "--dword", "4294967295"});
  EXPECT_EQ(d, 0) << dout;
  auto [dr, drout] = Albumctl({"reg", "read", kAlbumKey, "Count", "--dword"});
  EXPECT_EQ(drout, "-1\n");

  auto [missing, mout] = Albumctl({"reg", "read", kAlbumKey, "Nope"});
  EXPECT_EQ(missing, 1);
  EXPECT_NE(mout.find("no string value \"Nope\""), std::string::npos) << mout;

  auto [usage, uout] = Albumctl({"reg", "write", kAlbumKey, "X"});
  EXPECT_EQ(usage, 3) << uout;
  auto [failure, fout] = Albumctl({"db", "version", bus_->directory() + "/missing.db"});
  EXPECT_EQ(failure, 4) << fout;
  EXPECT_NE(fout.find("missing.db"), std::string::npos) << fout;

  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitExitCode(), 0);
  auto [gone, gout] = Albumctl({"ping"});
  EXPECT_EQ(gone, 2);
  EXPECT_NE(gout.find("not running"), std::string::npos) << gout;

  auto [nobus, nout] = Albumctl({"ping"}, {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"}});
  EXPECT_EQ(nobus, 2);
  EXPECT_NE(nout.find("cannot connect"), std::string::npos) << nout;
}

std::string DeepPath(size_t levels, size_t nameLength = 1) {
  std::string path;
  for (size_t i = 0; i < levels; ++i) path += "\\" + std::string(nameLength, static_cast<char>('a' + i % 26));
  return path;
}

TEST_F(FactoryTest, HostileRegistryCallsAreRefusedAndTheServerSaysWhy) {
  EXPECT_EQ(factory_->RegWriteToLocalMachine(DeepPath(30000), "v", Variant(1)), com::S_FALSE);
  EXPECT_EQ(factory_->RegWriteToLocalMachine(DeepPath(10000), "v", Variant(1)), com::S_FALSE);
  EXPECT_EQ(factory_->RegWriteToLocalMachine(DeepPath(512, 255), "v", Variant(1)), com::S_FALSE);
  EXPECT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Big", Variant(std::string(10 << 20, 'x'))), com::S_FALSE);
  EXPECT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, std::string(16384, 'n'), Variant("x")), com::S_FALSE);
  Variant v = Variant(0);
  EXPECT_EQ(factory_->RegReadFromLocalMachine(DeepPath(30000), "v", v), com::S_FALSE);

  // None of it reached the file; what the limits allow still works.
  EXPECT_FALSE(std::filesystem::exists(registryPath_));
  EXPECT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Largest", Variant(std::string(32768, 'x'))), com::S_OK);
  EXPECT_LT(std::filesystem::file_size(registryPath_), 40000u);

  // The statuses stay S_FALSE; the server's log tells why.
  EXPECT_TRUE(ServerSaid("a key path deeper than 512 levels"));
  EXPECT_TRUE(ServerSaid("past 1048576 bytes"));
  EXPECT_TRUE(ServerSaid("value data over 65536 bytes"));
  EXPECT_TRUE(ServerSaid("a value name longer than 16383 characters"));
}

TEST_F(FactoryTest, ABrokenRegistryFileIsExplainedWhileTheStatusStaysSFalse) {
  const std::string broken = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=dword:xyz\n";
  std::ofstream(registryPath_) << broken;
  Variant v = Variant(0);
  EXPECT_EQ(factory_->RegReadFromLocalMachine("K", "v", v), com::S_FALSE);
  EXPECT_TRUE(ServerSaid(registryPath_ + ":4: bad hex digit in dword"));

  // albumctl finds the same cause in the same file, and it is a failure.
  auto [read, rout] = Albumctl({"reg", "read", "K", "v", "--dword"});
  EXPECT_EQ(read, 4) << rout;
  EXPECT_NE(rout.find(registryPath_ + ":4: bad hex digit in dword"), std::string::npos) << rout;
  auto [write, wout] = Albumctl({"reg", "write", "K", "w", "--string", "x"});
  EXPECT_EQ(write, 4) << wout;
  EXPECT_NE(wout.find(registryPath_ + ":4:"), std::string::npos) << wout;
  EXPECT_EQ(RegistryText(), broken);

  // A file nobody may write is read, but not replaced.
  const std::string readOnly = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=dword:00000007\n";
  std::ofstream(registryPath_, std::ios::trunc) << readOnly;
  std::filesystem::permissions(registryPath_, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  auto [kept, kout] = Albumctl({"reg", "write", "K", "v", "--dword", "8"});
  EXPECT_EQ(kept, 4) << kout;
  EXPECT_NE(kout.find("read-only"), std::string::npos) << kout;
  EXPECT_EQ(RegistryText(), readOnly);
  auto [number, nout] = Albumctl({"reg", "read", "K", "v", "--dword"});
  EXPECT_EQ(number, 0);
  EXPECT_EQ(nout, "7\n");

  // What the registry refuses, and what is not there, is a plain "no", with the reason.
  auto [refused, refout] = Albumctl({"reg", "write", "K\\" + std::string(256, 'k'), "v", "--string", "x"});
  EXPECT_EQ(refused, 1) << refout;
  EXPECT_NE(refout.find("a key name longer than 255 characters"), std::string::npos) << refout;
  auto [other, oout] = Albumctl({"reg", "read", "K", "v"});
  EXPECT_EQ(other, 1) << oout;
  EXPECT_NE(oout.find("is not a string"), std::string::npos) << oout;
}

TEST_F(FactoryTest, FilterListsAreReadAtStartAndAnUnreadableRegistryIsReported) {
  server_->Signal(SIGTERM);
  ASSERT_EQ(server_->WaitExitCode(), 0);
  std::ofstream(registryPath_) << "Windows Registry Editor Version 5.00\n\nnot a key\n";
  server_ = StartServer();
  EXPECT_TRUE(ServerSaid("the item-type filters are empty: " + registryPath_ + ":3:"));
}

TEST_F(FactoryTest, ConflictingSwitchesAreRefusedWithTheUsage) {
  const std::string activation = bus_->directory() + "/dbus-1/services/com.orvane.AlbumCore9.service";
  ChildProcess both({ALBUMCORE_SERVER, "/RegServer", "-unregserver"}, Env(), true);
  const std::string said = both.ReadAll();
  EXPECT_EQ(both.WaitExitCode(), 2);
  EXPECT_NE(said.find("-unregserver asks for a second action"), std::string::npos) << said;
  EXPECT_NE(said.find("usage: orvmediadb9"), std::string::npos) << said;
  EXPECT_FALSE(std::filesystem::exists(activation));
  EXPECT_FALSE(std::filesystem::exists(registryPath_));

  // The same switch twice is one action.
  ChildProcess twice({ALBUMCORE_SERVER, "/RegServer", "/REGSERVER"}, Env(), true);
  const std::string registered = twice.ReadAll();
  EXPECT_EQ(twice.WaitExitCode(), 0) << registered;
  EXPECT_TRUE(std::filesystem::exists(activation));
}

TEST_F(FactoryTest, ASecondClientIsAnsweredPromptlyWhileAnotherHammersTheRegistry) {
  // The hammer keeps as many calls in flight on one connection as the server
  // lets one client have waiting: deep paths, long names, 64 KiB values
  // under many names (the file soon reaches its limit).
  auto connection = sdbus::createSessionBusConnectionWithAddress(bus_->address());
  auto proxy = sdbus::createProxy(*connection, kServerName, factory_->object()->path());
  const std::vector<std::string> keys = {DeepPath(30000), DeepPath(512, 255), "SOFTWARE\\Hammer"};
  const auto big = dbus::EncodeVariant(Variant(std::string(32768, 'h')), nullptr);
  constexpr int kInFlight = 16;
  std::atomic<bool> stop{false};
  std::atomic<int> inFlight{0};
  std::atomic<int> answered{0};
  std::function<void(int)> send = [&](int i) {
    ++inFlight;
    proxy->callMethodAsync("RegWriteToLocalMachine")
        .onInterface("com.orvane.KIVALBUMCORELib.IKivLibFactory")
        .withArguments(keys[i % keys.size()], "v" + std::to_string(i % 64), big)
        .uponReplyInvoke([&, i](const sdbus::Error*, uint32_t) {
          ++answered;
          if (!stop) send(i + kInFlight);  // on the hammer's own event loop thread
          --inFlight;
        });
  };
  for (int i = 0; i < kInFlight; ++i) send(i);
  connection->enterEventLoopAsync();
  // Every refused call is logged; a server whose log nobody reads would
  // stop at a full pipe, so the log is read as the journal would.
  std::thread drainLog([&] {
    while (!stop) server_->ReadLine(100);
  });

  // Meanwhile this client reads the registry and asks for the factory,
  // counting how many hostile calls are answered while it waits. Counts,
  // not milliseconds, so that a machine busy with other work cannot fail
  // the test: a call that waited for the hammer's backlog would see all
  // kInFlight of them answered first; one served in turn sees the call
  // under way and little more.
  std::vector<int> hostileDuring;
  const auto start = std::chrono::steady_clock::now();
  auto elapsed = [&] { return std::chrono::steady_clock::now() - start; };
  while ((answered < 4 * kInFlight || elapsed() < std::chrono::seconds(1)) && elapsed() < std::chrono::seconds(10)) {
    const int before = answered;
    Variant v = Variant("");
    factory_->RegReadFromLocalMachine(kAlbumKey, "Nothing", v);
    const int between = answered;
    com::ComPtr<client::RemoteObject> again;
    EXPECT_EQ(session_->CreateInstance("Zeph.TovLibFactory", &again), com::S_OK);
    hostileDuring.push_back(between - before);
    hostileDuring.push_back(answered - between);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  stop = true;
  for (int i = 0; i < 500 && inFlight > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  connection->leaveEventLoop();
  drainLog.join();

  EXPECT_GE(answered.load(), kInFlight);  // the hammer was at work
  std::sort(hostileDuring.begin(), hostileDuring.end());
  EXPECT_LE(hostileDuring[hostileDuring.size() * 9 / 10], kInFlight / 2)
      << hostileDuring.size() << " answers, the most hostile calls answered during one: " << hostileDuring.back()
      << ", of " << answered << " in all";
  EXPECT_LE(std::filesystem::file_size(registryPath_), 1048576u);
}

// A server the session bus started ends with the session, as one that ran
// its course: a bus that closes the connection is no failure.
TEST_F(FactoryTest, TheServerEndsQuietlyWhenItsBusGoesAway) {
  factory_.reset();
  session_.reset();
  bus_.reset();
  EXPECT_EQ(server_->WaitExitCode(), 0);
  EXPECT_NE(server_->ReadAll().find("the bus closed the connection"), std::string::npos);
}

}  // namespace
}  // namespace albumcore::testing
