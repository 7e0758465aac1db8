// Whether a file about to be recorded is already in the catalogue, by the
// identifier the file-system component keeps with the file (see
// components/file_system/file_unique_id.h): the same file under the same
// moniker, a file that moved since it was recorded, or a copy of one.
#include <sys/stat.h>

#include "components/file_system/file_system_component.h"
#include "items/collection/item_statements.h"
#include "items/collection/lum_item_collection.h"
#include "items/monikers/file_monikers.h"

namespace albumcore::items {

namespace {

// Whether the file a recorded moniker names is still there (anything at
// the path counts, so that a file that cannot be examined is not taken for
// one that moved).
bool StillThere(const std::string& moniker) {
  const std::string path = monikers::FileSystemPathOf(moniker);
  struct stat st {};
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

}  // namespace

LumItemCollection::Identity LumItemCollection::CheckIdentity(const std::string& moniker) {
  Identity answer;
  const file_system::FileSystemComponent* files = services_.files;
  if (files == nullptr) return answer;  // no identity: a new record without one

  com::Bstr fileId;
  if (files->ReadFileUniqueID(moniker, &fileId) != com::S_OK) {
    if (files->AssignFileUniqueID(moniker, &fileId) != com::S_OK) return answer;
    answer.fileUniqueId = fileId.str();
    // A file recorded before it had an identifier gets it now.
    if (const std::optional<int32_t> known = FindByMoniker(moniker)) {
      com::ComPtr<LumItem> item = Instantiate(*known);
      if (item) com::ThrowIfFailed(item->put_FileUniqueID(fileId));
      answer.makeNew = false;
      answer.existingId = *known;
    }
    return answer;
  }

  answer.fileUniqueId = fileId.str();
  auto rows = ItemStatements::Open(*statements().byFileId, fileId.str());
  if (rows->IsEOF()) return answer;
  const int32_t id = rows->Fields(item_columns::kItemId).Value().ToI4();
  const com::Variant stored = rows->Fields(item_columns::kDataMoniker).Value();
  const std::string storedMoniker = stored.vt() == com::VT_BSTR ? stored.bstr().str() : std::string();
  rows.reset();
  if (storedMoniker == moniker) {
    answer.makeNew = false;
    answer.existingId = id;
    return answer;
  }
  if (!StillThere(storedMoniker)) {
    // The file moved: its item follows it.
    com::ComPtr<LumItem> item = Instantiate(id);
    if (item) com::ThrowIfFailed(item->put_Moniker(com::Bstr(moniker)));
    answer.makeNew = false;
    answer.existingId = id;
    return answer;
  }
  // A copy carries the original's identifier; it gets one of its own.
  com::Bstr ownId;
  answer.fileUniqueId = files->AssignFileUniqueID(moniker, &ownId) == com::S_OK ? ownId.str() : std::string();
  return answer;
}

}  // namespace albumcore::items
