// Liveness of the clients behind an event source's sinks.
//
// Sinks are asked in subscription order; the first that answers with
// success or E_NOTIMPL makes the answer S_OK. When every sink fails the
// answer is E_FAIL; with no sinks it is S_OK. Remote sinks are asked
// asynchronously (IAsyncLivenessProbe), so `done` may run later, on the main
// loop; in-process sinks answer at once.
#pragma once

#include <functional>
#include <vector>

#include "typelib/kiv_album_core_events.h"

namespace albumcore::typelib {

void ProbeSinksAlive(std::vector<com::ComPtr<IKivAlbumCoreEvents>> sinks, std::function<void(com::HRESULT)> done);

}  // namespace albumcore::typelib
