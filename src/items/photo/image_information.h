// What an image object of the thumbnail engine tells about the picture it
// holds: the file-information record of that picture (its dimensions,
// depth, resolution, size and times), as the file-system component fills it
// for a file.
#pragma once

#include "com/unknown.h"
#include "components/file_system/file_information.h"

namespace albumcore::items {

class IImageFileInformation : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IImageFileInformation";
  // The caller zeroes the record and sets its size to 264.
  virtual com::HRESULT GetFileInformation(file_system::FileInformationRecord* record) = 0;
};

}  // namespace albumcore::items
