#include "watch_command.h"

#include <signal.h>

#include <cstdio>
#include <iostream>
#include <mutex>
#include <sstream>

#include "client/event_sink.h"
#include "display_text.h"
#include "exit_status.h"
#include "typelib/kiv_album_core_events.h"

namespace albumcore::tools {

namespace {

// How often a quiet watch checks that the server is still there.
constexpr int kServerCheckSeconds = 2;

void Append(std::ostream& out, int32_t v) { out << ' ' << v; }
void Append(std::ostream& out, uint32_t v) { out << ' ' << v; }
void Append(std::ostream& out, const com::Bstr& v) { out << " \"" << DisplayText(v.str()) << '"'; }
void Append(std::ostream& out, const com::Variant& v) { out << ' ' << DisplayText(v.ToString()); }
void Append(std::ostream& out, const com::Variant* v) { out << ' ' << (v ? DisplayText(v->ToString()) : "null"); }

// Prints each event as its name and arguments, a whole line at a time (the
// events arrive on the session's own thread).
class PrintingSink final : public com::ComObject, public typelib::IKivAlbumCoreEvents {
 public:
#define KIV_PRINT_EVENT(name, params, args) \
  com::HRESULT name params override { return Print(#name KIV_PRINT_TAIL args); }
#define KIV_PRINT_TAIL(...) __VA_OPT__(, ) __VA_ARGS__
  KIV_ALBUM_CORE_EVENTS_ONE_WAY(KIV_PRINT_EVENT)
#undef KIV_PRINT_EVENT
#undef KIV_PRINT_TAIL
  com::HRESULT OnIsAlive() override { return com::S_OK; }

 private:
  template <class... A>
  com::HRESULT Print(const char* name, const A&... args) {
    std::ostringstream line;
    line << name;
    (Append(line, args), ...);
    line << '\n';
    std::lock_guard lock(mutex_);
    std::cout << line.str() << std::flush;
    return com::S_OK;
  }
  std::mutex mutex_;
};

}  // namespace

void AddWatchCommand(CLI::App& app, const LibrarySession::Connect& connect) {
  auto path = std::make_shared<std::string>();
  auto* watch = app.add_subcommand("watch", "print every change to a library as it happens, until Ctrl-C");
  watch->add_option("--library", *path, "the library's catalogue file (opened for this run)")
      ->required()
      ->envname("ALBUMCTL_LIBRARY");
  watch->footer("One line per event: its name and arguments, e.g. `OnItemCreated 12` or "
                "`OnItemNameChanged 12 \"beach.jpg\"`.");
  watch->callback([path, connect] {
    // The signals that end the watch are taken by sigtimedwait below, so
    // they are blocked before the session starts its thread.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    LibrarySession session(connect, *path);
    client::EventSink sink(session.session(), com::MakeObject<PrintingSink>());
    client::Subscription subscription(session.library().object(), sink);
    if (com::Failed(subscription.status()))
      throw com::ComError(subscription.status(), "the server refused to send the library's events");
    std::cerr << "watching " << DisplayText(session.path()) << "; Ctrl-C ends\n";

    const timespec wait{kServerCheckSeconds, 0};
    while (sigtimedwait(&stop, nullptr, &wait) < 0) {
      // A cheap call: raises TransportError once the server is gone.
      std::string moniker;
      session.library().Moniker(moniker);
    }
  });
}

}  // namespace albumcore::tools
