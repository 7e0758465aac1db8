#include "client/thumbnail_sink.h"

#include <cstdio>

#include "IKivThumbnailGeneratorEvents_adaptor.h"

namespace albumcore::client {

using GeneratedAdaptor =
    ::com::orvane::KIVALBUMCORELib::IKivThumbnailGeneratorEvents_adaptor;

class ThumbnailSink::Events final : public GeneratedAdaptor {
public:
  Events(sdbus::IObject &object, Session &session, Handler handler)
      : GeneratedAdaptor(object), session_(session),
        handler_(std::move(handler)) {}

private:
  void ThumbnailReady(const int32_t &lID, const std::string &Moniker,
                      const sdbus::ObjectPath &pImage) override {
    // Adopt first, so that the image's reference is given back even when
    // the handler fails.
    com::ComPtr<RemoteObject> image = session_.Adopt(pImage);
    try {
      handler_(lID, Moniker, std::move(image));
    } catch (const std::exception &e) {
      std::fprintf(stderr,
                   "thumbnail sink: the handler of item %d failed: %s\n", lID,
                   e.what());
    }
  }

  Session &session_;
  Handler handler_;
};

ThumbnailSink::ThumbnailSink(Session &session, Handler handler)
    : path_(session.NewLocalPath("sinks")) {
  object_ = sdbus::createObject(session.connection(), path_);
  events_ = std::make_unique<Events>(*object_, session, std::move(handler));
  object_->finishRegistration();
  session.EnsureEventLoop();
}

ThumbnailSink::~ThumbnailSink() { object_->unregister(); }

} // namespace albumcore::client
