// The real server executable on a private bus: the library factory's
// registry operations, the command-line client, and the process rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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
    return {{"DBUS_SESSION_BUS_ADDRESS", bus_->address()}, {"ALBUMCORE_REGISTRY", registryPath_}};
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
  EXPECT_EQ(usage, 2) << uout;

  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitExitCode(), 0);
  auto [gone, gout] = Albumctl({"ping"});
  EXPECT_EQ(gone, 2);
  EXPECT_NE(gout.find("not running"), std::string::npos) << gout;

  auto [nobus, nout] = Albumctl({"ping"}, {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"}});
  EXPECT_EQ(nobus, 2);
  EXPECT_NE(nout.find("cannot connect"), std::string::npos) << nout;
}

}  // namespace
}  // namespace albumcore::testing
