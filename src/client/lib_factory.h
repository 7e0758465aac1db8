// IKivLibFactory as a client sees it.
#pragma once

#include "client/session.h"
#include "com/variant.h"

namespace albumcore::client {

class LibFactory {
 public:
  ~LibFactory();
  // Creates (or finds: there is one per server) the factory. Raises
  // TransportError when the server cannot be reached, ComError when it
  // refuses.
  explicit LibFactory(std::shared_ptr<Session> session);

  // Opens the catalogue at `path` (made from the template when missing; an
  // absolute path, as the server compares paths exactly);
  // every Open is matched by a Close.
  com::HRESULT Open(const std::string& path, com::ComPtr<RemoteObject>* library);
  com::HRESULT Close(const std::string& path);

  com::HRESULT RegWriteToLocalMachine(const std::string& keyPath, const std::string& valueName,
                                      const com::Variant& value);
  // The type of `value` on entry selects what is read.
  com::HRESULT RegReadFromLocalMachine(const std::string& keyPath, const std::string& valueName, com::Variant& value);
  com::HRESULT PauseWebSharesCleanup(bool pause);

  const com::ComPtr<RemoteObject>& object() const { return object_; }

 private:
  class Proxy;
  std::shared_ptr<Session> session_;
  com::ComPtr<RemoteObject> object_;
  std::unique_ptr<Proxy> proxy_;
};

}  // namespace albumcore::client
