// A client of the test event server that prints "ready <path>" and then
// waits to be killed or stopped: the integration tests use it to play a
// client that dies or hangs.
//
//   albumcore_test_client              subscribe a sink to Test.EventSource
//   albumcore_test_client hold PROGID  only hold a reference to PROGID's object
//   albumcore_test_client open PATH    open the catalogue PATH through the real
//                                      server's factory and subscribe a sink to it
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>

#include "client/event_sink.h"
#include "client/lib_factory.h"

int main(int argc, char** argv) {
  namespace ac = albumcore;
  const bool holdOnly = argc == 3 && std::strcmp(argv[1], "hold") == 0;
  const bool openLibrary = argc == 3 && std::strcmp(argv[1], "open") == 0;
  try {
    auto session = ac::client::Session::Connect(
        {}, openLibrary ? ac::client::kDefaultServerName : "com.orvane.AlbumCore9Test");
    ac::com::ComPtr<ac::client::RemoteObject> source;
    std::optional<ac::client::LibFactory> factory;
    if (openLibrary) {
      factory.emplace(session);
      ac::com::ThrowIfFailed(factory->Open(argv[2], &source));
    } else {
      ac::com::ThrowIfFailed(session->CreateInstance(holdOnly ? argv[2] : "Test.EventSource", &source));
    }
    std::optional<ac::client::EventSink> sink;
    std::optional<ac::client::Subscription> subscription;
    if (!holdOnly) {
      sink.emplace(*session, ac::com::MakeObject<ac::typelib::AlbumCoreEventsSink>());
      ac::com::ThrowIfFailed(subscription.emplace(source, *sink).status());
    }
    std::printf("ready %s\n", source->path().c_str());
    std::fflush(stdout);
    pause();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "albumcore_test_client: %s\n", e.what());
    return 1;
  }
  return 0;
}
