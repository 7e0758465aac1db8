// The real server on a private bus: factory registry calls, albumctl, process rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "catalogue_server_fixture.h"

namespace albumcore::testing {
namespace {

using com::HRESULT;
using com::Variant;

constexpr const char* kServerName = kCatalogueServerName;
constexpr const char* kAlbumKey = "SOFTWARE\\Orvane\\Crestkit9\\Album";

using FactoryTest = CatalogueServerFixture;

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
  for (const std::string& value : {longest, longest + "x"}) {
    ASSERT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Long", Variant(value)), com::S_OK);
    Variant back = Variant("");
    const bool fits = value.size() == longest.size();
    EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Long", back), fits ? com::S_OK : com::S_FALSE);
    EXPECT_EQ(back, fits ? Variant(value) : Variant());
  }
  // An empty string is a value, unlike a null one.
  EXPECT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Empty", Variant("")), com::S_OK);
  Variant empty = Variant("x");
  EXPECT_EQ(factory_->RegReadFromLocalMachine(kAlbumKey, "Empty", empty), com::S_OK);
  EXPECT_EQ(empty, Variant(""));
}

TEST_F(FactoryTest, FailuresAnswerSFalseAndLeaveTheVariantEmpty) {
  ASSERT_EQ(factory_->RegWriteToLocalMachine(kAlbumKey, "Count", Variant(7)), com::S_OK);

  // Nothing selected to read, a number read as a string, a missing key, a type that is neither.
  const std::pair<std::string, Variant> reads[] = {
      {kAlbumKey, Variant()}, {kAlbumKey, Variant("")}, {"SOFTWARE\\No\\Such\\Key", Variant(0)}, {kAlbumKey, Variant(1.5)}};
  for (auto [key, v] : reads) {
    EXPECT_EQ(factory_->RegReadFromLocalMachine(key, "Count", v), com::S_FALSE) << key;
    EXPECT_TRUE(v.isEmpty());
  }

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
  EXPECT_EQ(Albumctl({"reg", "write", kAlbumKey, "DBName", "--string", "main.db"}).first, 0);
  EXPECT_EQ(Albumctl({"reg", "read", kAlbumKey, "DBName"}), std::make_pair(0, std::string("main.db\n")));
  EXPECT_EQ(Albumctl({"reg", "write", kAlbumKey, "Count", "--dword", "4294967295"}).first, 0);
  EXPECT_EQ(Albumctl({"reg", "read", kAlbumKey, "Count", "--dword"}).second, "-1\n");
  ExpectAlbumctl({"reg", "read", kAlbumKey, "Nope"}, 1, "no string value \"Nope\"");
  EXPECT_EQ(Albumctl({"reg", "write", kAlbumKey, "X"}).first, 3);  // usage
  ExpectAlbumctl({"db", "version", bus_->directory() + "/missing.db"}, 4, "missing.db");

  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitExitCode(), 0);
  ExpectAlbumctl({"ping"}, 2, "not running");
  ExpectAlbumctl({"ping"}, 2, "cannot connect", {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"}});
}

std::string DeepPath(size_t levels, size_t nameLength = 1) {
  std::string path;
  for (size_t i = 0; i < levels; ++i) path += "\\" + std::string(nameLength, static_cast<char>('a' + i % 26));
  return path;
}

TEST_F(FactoryTest, HostileRegistryCallsAreRefusedAndTheServerSaysWhy) {
  EXPECT_EQ(factory_->RegWriteToLocalMachine(DeepPath(30000), "v", Variant(1)), com::S_FALSE);
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
  ExpectAlbumctl({"reg", "read", "K", "v", "--dword"}, 4, registryPath_ + ":4: bad hex digit in dword");
  ExpectAlbumctl({"reg", "write", "K", "w", "--string", "x"}, 4, registryPath_ + ":4:");
  EXPECT_EQ(RegistryText(), broken);

  // A file nobody may write is read, but not replaced.
  const std::string readOnly = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=dword:00000007\n";
  std::ofstream(registryPath_, std::ios::trunc) << readOnly;
  std::filesystem::permissions(registryPath_, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  ExpectAlbumctl({"reg", "write", "K", "v", "--dword", "8"}, 4, "read-only");
  EXPECT_EQ(RegistryText(), readOnly);

  // What the registry refuses, and what is not there, is a plain "no", with the reason.
  ExpectAlbumctl({"reg", "write", "K\\" + std::string(256, 'k'), "v", "--string", "x"}, 1,
                 "a key name longer than 255 characters");
  ExpectAlbumctl({"reg", "read", "K", "v"}, 1, "is not a string");
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
  // The hammer keeps as many hostile writes in flight as the server lets one client have waiting.
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
  // Refused calls are logged; the log is drained, else the server stops at a full pipe.
  std::thread drainLog([&] {
    while (!stop) server_->ReadLine(100);
  });

  // Counts, not milliseconds, so a busy machine cannot fail it: a call that
  // waited for the hammer's backlog would see all kInFlight answered first.
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

// A bus that closes the connection is no failure: the server ends with the session.
TEST_F(FactoryTest, TheServerEndsQuietlyWhenItsBusGoesAway) {
  factory_.reset();
  session_.reset();
  bus_.reset();
  EXPECT_EQ(server_->WaitExitCode(), 0);
  EXPECT_NE(server_->ReadAll().find("the bus closed the connection"), std::string::npos);
}

}  // namespace
}  // namespace albumcore::testing
