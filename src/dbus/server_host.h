// Everything a server process needs to serve objects on a bus: the
// connection with its well-known name, the main loop, the class registry
// and the binding. Used by the catalogue server and by test servers built
// from the same pieces.
#pragma once

#include <memory>
#include <string>

#include "com/class_registry.h"
#include "dbus/main_loop.h"
#include "dbus/server_binding.h"

namespace albumcore::dbus {

class NameTakenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ServerHost {
 public:
  // Connects to the session bus (the system bus when `systemBus`) and
  // requests `busName`, then catches SIGINT and SIGTERM: one that arrives
  // before Run() makes Run() return at once. Raises NameTakenError when
  // another process owns the name, sdbus::Error when there is no bus.
  ServerHost(const std::string& busName, bool systemBus);
  ~ServerHost();

  com::ClassRegistry& classes() { return classes_; }
  ServerBinding& binding() { return *binding_; }
  MainLoop& loop() { return *loop_; }

  // Exports the entry point and serves until SIGINT, SIGTERM or Quit().
  void Run();

 private:
  std::string busName_;
  std::unique_ptr<sdbus::IConnection> connection_;
  com::ClassRegistry classes_;
  std::unique_ptr<MainLoop> loop_;
  std::unique_ptr<ServerBinding> binding_;
};

}  // namespace albumcore::dbus
