#include "components/file_system/file_system_component.h"

#include "components/file_system/file_moniker.h"
#include "components/file_system/file_unique_id.h"
#include "components/file_system/item_types.h"
#include "components/file_system/scratch_folder.h"

namespace albumcore::file_system {

namespace {

template <class Operation>
com::HRESULT AnswerId(Operation operation, std::string_view moniker, com::Bstr* id) {
  if (id == nullptr) return com::E_POINTER;
  FileId fileId;
  const com::HRESULT hr = operation(moniker, fileId);
  if (hr == com::S_OK) *id = com::Bstr(std::move(fileId.id));
  return hr;
}

}  // namespace

const FileHandler* FileSystemComponent::HandlerFor(std::string_view protocol) const {
  return protocol == kFileProtocol ? &fileHandler_ : nullptr;
}

std::string FileSystemComponent::ScratchFolder() const { return file_system::ScratchFolder(); }

std::optional<int32_t> FileSystemComponent::ItemTypeOfExtension(std::string_view extension) const {
  return file_system::ItemTypeOfExtension(extension);
}

com::HRESULT FileSystemComponent::ReadFileUniqueID(std::string_view moniker, com::Bstr* id) const {
  return AnswerId(file_system::ReadFileUniqueID, moniker, id);
}

com::HRESULT FileSystemComponent::AssignFileUniqueID(std::string_view moniker, com::Bstr* id) const {
  return AnswerId(file_system::AssignFileUniqueID, moniker, id);
}

com::HRESULT FileSystemComponent::FillFileInformation(std::string_view moniker,
                                                      FileInformationRecord* record) const {
  return file_system::FillFileInformation(moniker, record);
}

const std::vector<std::string>& FileSystemComponent::ImageExtensions() const {
  return file_system::ImageExtensions();
}

DriveKind FileSystemComponent::DriveKindOf(std::string_view path) const { return file_system::DriveKindOf(path); }

}  // namespace albumcore::file_system
