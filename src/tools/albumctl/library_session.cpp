#include "library_session.h"

#include <filesystem>

#include "display_text.h"
#include "exit_status.h"

namespace albumcore::tools {

namespace {

namespace fs = std::filesystem;

// The server's refusal of a catalogue file, in words.
std::string RefusalReason(com::HRESULT hr, const std::string& path) {
  std::error_code error;
  const fs::path parent = fs::path(path).parent_path();
  if (fs::is_directory(path, error)) return "it is a folder, not a library file";
  if (hr == com::MakeHresult(0x80070003) || !fs::is_directory(parent, error))
    return "the folder " + DisplayText(parent.string()) + " does not exist";
  if (hr == com::E_ACCESSDENIED) return "permission denied";
  if (com::IsJetError(hr)) return "the file is not a library catalogue, or is damaged beyond repair";
  if (hr == com::E_FAIL) return "the server could not open it; the server's log says why";
  return "the server refused it";
}

}  // namespace

std::string LibraryPath(const std::string& given) {
  std::error_code error;
  const fs::path absolute = fs::absolute(given, error);
  if (error) return given;
  const fs::path canonical = fs::weakly_canonical(absolute, error);
  return (error ? absolute.lexically_normal() : canonical).string();
}

LibrarySession::LibrarySession(const Connect& connect, const std::string& path, bool create)
    : path_(LibraryPath(path)) {
  std::error_code error;
  const bool exists = fs::exists(path_, error);
  if (!exists && !create) {
    throw LibraryNotFound("library not found: " + DisplayText(path_) + " (`albumctl library open " +
                          DisplayText(path) + "` makes a new one)");
  }
  if (fs::is_directory(path_, error)) {
    throw com::ComError(com::E_INVALIDARG, DisplayText(path_) + " is a folder, not a library file");
  }
  session_ = connect();
  factory_ = std::make_unique<client::LibFactory>(session_);
  com::ComPtr<client::RemoteObject> object;
  const com::HRESULT hr = factory_->Open(path_, &object);
  if (com::Failed(hr) || !object) {
    throw com::ComError(com::Failed(hr) ? hr : com::E_FAIL,
                        "cannot open the library " + DisplayText(path_) + ": " + RefusalReason(hr, path_));
  }
  created_ = !exists;
  library_ = std::make_unique<client::Library>(session_, std::move(object));
}

LibrarySession::~LibrarySession() {
  library_.reset();
  if (kept_ || !factory_) return;
  try {
    factory_->Close(path_);
  } catch (const client::TransportError&) {
    // The server is gone, and with it the open.
  }
}

}  // namespace albumcore::tools
