// The file-system component: what the catalogue server asks of the files it
// catalogues, behind one object that the server creates at start and holds
// for the life of the process (and that an item or the thumbnail engine may
// create where first needed; it holds no state of its own but the handler).
//
// Every operation may be called from any thread. Statuses: see each piece's
// header (file_handler.h, file_unique_id.h, file_information.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/guid.h"
#include "com/hresult.h"
#include "com/text.h"
#include "components/file_system/drive_kind.h"
#include "components/file_system/file_handler.h"
#include "components/file_system/file_information.h"

namespace albumcore::file_system {

// {F8FE3967-D4E1-47B7-B89E-CB3426199E34}
inline constexpr std::string_view kFileSystemComponentClassId = "{F8FE3967-D4E1-47B7-B89E-CB3426199E34}";

class FileSystemComponent {
 public:
  // The handler of a protocol: "file::" has one, any other protocol none.
  const FileHandler* HandlerFor(std::string_view protocol) const;

  // The folder whose "*.kxsf;dat" files go after a catalogue is created.
  std::string ScratchFolder() const;

  // The item type of a new item for a file extension (item_types.h).
  std::optional<int32_t> ItemTypeOfExtension(std::string_view extension) const;

  // The file's identifier (file_unique_id.h): S_OK and *id; S_FALSE when it
  // has none; E_POINTER for a null `id`.
  com::HRESULT ReadFileUniqueID(std::string_view moniker, com::Bstr* id) const;
  // Attaches a new identifier: S_OK and *id.
  com::HRESULT AssignFileUniqueID(std::string_view moniker, com::Bstr* id) const;

  com::HRESULT FillFileInformation(std::string_view moniker, FileInformationRecord* record) const;

  // Upper case, without dot.
  const std::vector<std::string>& ImageExtensions() const;

  DriveKind DriveKindOf(std::string_view path) const;

 private:
  FileHandler fileHandler_;
};

}  // namespace albumcore::file_system
