#include "server/idle_shutdown.h"

namespace albumcore::server {

// What a reap's completion needs; it may arrive after its owner is gone
// (the loop ends while a client's answer is awaited), so it holds this
// weakly.
struct IdleTick::State {
  FactoryLookup factory;
  std::function<void()> stop;
  bool reaping = false;
};

IdleTick::IdleTick(dbus::MainLoop& loop, std::chrono::milliseconds period, FactoryLookup factory,
                   std::function<void()> stop)
    : loop_(loop), state_(std::make_shared<State>(State{std::move(factory), std::move(stop)})) {
  timer_ = loop_.AddTimer(period, [weak = std::weak_ptr<State>(state_)] {
    auto ticking = weak.lock();
    if (!ticking || ticking->reaping) return;
    LumLibFactory* current = ticking->factory();
    if (current == nullptr) return;
    ticking->reaping = true;
    current->ReapAndCleanup([weak](bool anyOpen) {
      auto state = weak.lock();
      if (!state) return;
      state->reaping = false;
      if (!anyOpen) state->stop();
    });
  });
}

IdleTick::~IdleTick() { loop_.RemoveTimer(timer_); }

struct LocalServerExit::State {
  FactoryLookup factory;
  std::function<void()> stop;
  bool reaping = false;
};

LocalServerExit::LocalServerExit(dbus::MainLoop& loop, dbus::ServerBinding& binding, std::chrono::milliseconds delay,
                                 FactoryLookup factory, std::function<void()> stop)
    : loop_(loop),
      binding_(binding),
      delay_(delay),
      state_(std::make_shared<State>(State{std::move(factory), std::move(stop)})) {
  binding_.SetHeldObserver([this](bool held) { HeldChanged(held); });
  HeldChanged(binding_.AnyClientReference());
}

LocalServerExit::~LocalServerExit() {
  binding_.SetHeldObserver(nullptr);
  if (timer_ != 0) loop_.RemoveTimer(timer_);
}

void LocalServerExit::HeldChanged(bool held) {
  if (held && timer_ != 0) {
    loop_.RemoveTimer(timer_);
    timer_ = 0;
  } else if (!held && timer_ == 0) {
    timer_ = loop_.AddTimer(delay_, [this] { Waited(); });
  }
}

void LocalServerExit::Waited() {
  if (state_->reaping) return;
  LumLibFactory* factory = state_->factory();
  auto finish = [weak = std::weak_ptr<State>(state_), &binding = binding_](bool anyOpen) {
    auto state = weak.lock();
    if (!state) return;
    state->reaping = false;
    // A client may have come while the sinks were asked.
    if (!anyOpen && !binding.AnyClientReference()) state->stop();
  };
  if (factory == nullptr) return finish(false);
  state_->reaping = true;
  factory->ReapAndCleanup(finish);
}

}  // namespace albumcore::server
