#include "typelib/album_core_liveness.h"

#include <memory>

namespace albumcore::typelib {

namespace {

bool CountsAsAlive(com::HRESULT hr) { return com::Succeeded(hr) || hr == com::E_NOTIMPL; }

struct Probe : std::enable_shared_from_this<Probe> {
  std::vector<com::ComPtr<IKivAlbumCoreEvents>> sinks;
  std::function<void(com::HRESULT)> done;
  size_t next = 0;

  void AskNext() {
    if (next == sinks.size()) {
      done(sinks.empty() ? com::S_OK : com::E_FAIL);
      return;
    }
    auto sink = sinks[next++];
    if (auto async = com::QueryInterface<com::IAsyncLivenessProbe>(sink)) {
      async->ProbeAlive([self = shared_from_this()](com::HRESULT hr) { self->Answer(hr); });
    } else {
      Answer(com::CallGuard([&] { return sink->OnIsAlive(); }));
    }
  }

  void Answer(com::HRESULT hr) {
    if (CountsAsAlive(hr)) {
      done(com::S_OK);
    } else {
      AskNext();
    }
  }
};

}  // namespace

void ProbeSinksAlive(std::vector<com::ComPtr<IKivAlbumCoreEvents>> sinks, std::function<void(com::HRESULT)> done) {
  auto probe = std::make_shared<Probe>();
  probe->sinks = std::move(sinks);
  probe->done = std::move(done);
  probe->AskNext();
}

}  // namespace albumcore::typelib
