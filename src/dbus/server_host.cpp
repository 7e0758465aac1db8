#include "dbus/server_host.h"

#include <csignal>

#include "dbus/standard_interfaces.h"

namespace albumcore::dbus {

namespace {

MainLoop* g_signalledLoop = nullptr;

extern "C" void OnTerminationSignal(int) {
  if (g_signalledLoop != nullptr) g_signalledLoop->QuitFromSignal();
}

}  // namespace

ServerHost::ServerHost(const std::string& busName, bool systemBus) : busName_(busName) {
  connection_ = systemBus ? sdbus::createSystemBusConnection() : sdbus::createSessionBusConnection();
  try {
    connection_->requestName(busName_);
  } catch (const sdbus::Error& e) {
    throw NameTakenError("cannot own the bus name " + busName_ + " (is another server running?): " + e.getMessage());
  }
  loop_ = std::make_unique<MainLoop>(*connection_);
  binding_ = std::make_unique<ServerBinding>(*connection_, *loop_, classes_);
  RegisterStandardInterfaces(*binding_);
  // From here on a termination signal is not lost: it ends Run() at once,
  // even when it arrives while the caller is still setting up.
  g_signalledLoop = loop_.get();
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

ServerHost::~ServerHost() {
  g_signalledLoop = nullptr;
  binding_.reset();
  try {
    connection_->releaseName(busName_);
  } catch (const sdbus::Error&) {
    // The bus is gone already.
  }
}

void ServerHost::Run() {
  binding_->Start();
  loop_->Run();
}

}  // namespace albumcore::dbus
