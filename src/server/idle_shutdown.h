// How the server ends by itself, on the main loop.
//
// IdleTick (service mode): every period the factory reaps the libraries
// whose clients are gone (LumLibFactory::ReapAndCleanup); when it reports
// that no library is open, the server stops, whether clients still hold
// the factory or not. Without a factory the tick does nothing. A tick that
// comes while the previous reap still waits for clients' answers is
// skipped.
//
// LocalServerExit (local-server mode): once no client holds a reference to
// any object, the server waits `delay`; if still nothing is held, the
// factory reaps and the server stops when no library is open. A library
// left open (a client that went without closing it, whose sinks still
// answer or that never subscribed) keeps it running: it tries again each
// `delay` while nothing is held. A client taking a reference calls the
// wait off.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "dbus/main_loop.h"
#include "dbus/server_binding.h"
#include "server/lib_factory.h"

namespace albumcore::server {

// The process's factory, or null while none exists.
using FactoryLookup = std::function<LumLibFactory*()>;

class IdleTick {
 public:
  IdleTick(dbus::MainLoop& loop, std::chrono::milliseconds period, FactoryLookup factory, std::function<void()> stop);
  ~IdleTick();
  IdleTick(const IdleTick&) = delete;
  IdleTick& operator=(const IdleTick&) = delete;

 private:
  struct State;
  dbus::MainLoop& loop_;
  std::shared_ptr<State> state_;
  int timer_ = 0;
};

class LocalServerExit {
 public:
  // Watches `binding` (its held observer) from now on; with nothing held
  // yet, the wait starts at once.
  LocalServerExit(dbus::MainLoop& loop, dbus::ServerBinding& binding, std::chrono::milliseconds delay,
                  FactoryLookup factory, std::function<void()> stop);
  ~LocalServerExit();
  LocalServerExit(const LocalServerExit&) = delete;
  LocalServerExit& operator=(const LocalServerExit&) = delete;

 private:
  void HeldChanged(bool held);
  void Waited();

  struct State;
  dbus::MainLoop& loop_;
  dbus::ServerBinding& binding_;
  std::chrono::milliseconds delay_;
  std::shared_ptr<State> state_;
  int timer_ = 0;  // 0: not waiting
};

}  // namespace albumcore::server
