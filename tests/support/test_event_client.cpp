// A client that subscribes to the test event source, prints "ready" and then
// waits to be killed or stopped: the integration tests use it to play a
// client that dies or hangs while subscribed. With "hold", it also keeps a
// reference to the source and prints its path.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "client/event_sink.h"


int main() {
  namespace ac = albumcore;
  try {
    auto session = ac::client::Session::Connect({}, "com.orvane.AlbumCore9Test");
    ac::com::ComPtr<ac::client::RemoteObject> source;
    ac::com::ThrowIfFailed(session->CreateInstance("Test.EventSource", &source));
    ac::client::EventSink sink(*session, ac::com::MakeObject<ac::typelib::AlbumCoreEventsSink>());
    ac::client::Subscription subscription(source, sink);
    ac::com::ThrowIfFailed(subscription.status());
    std::printf("ready %s\n", source->path().c_str());
    std::fflush(stdout);
    pause();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "albumcore_test_client: %s\n", e.what());
    return 1;
  }
  return 0;
}
