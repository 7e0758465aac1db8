// A client's sink for a thumbnail generator's ThumbnailReady, exported on
// the session's connection. Subscribe it with a Subscription under
// kThumbnailEventsPoint. The handler runs on the session's event thread and
// receives the image as a RemoteObject, which holds the reference the server
// counted for it (null when the load gave no image).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "client/session.h"

namespace albumcore::client {

inline constexpr const char *kThumbnailEventsPoint =
    "_IKivThumbnailGeneratorEvents";

class ThumbnailSink {
public:
  using Handler = std::function<void(int32_t itemId, const std::string &moniker,
                                     com::ComPtr<RemoteObject> image)>;

  ThumbnailSink(Session &session, Handler handler);
  ~ThumbnailSink();
  ThumbnailSink(const ThumbnailSink &) = delete;
  ThumbnailSink &operator=(const ThumbnailSink &) = delete;

  const std::string &path() const { return path_; }

private:
  class Events;
  std::string path_;
  std::unique_ptr<sdbus::IObject> object_;
  std::unique_ptr<Events> events_;
};

} // namespace albumcore::client
