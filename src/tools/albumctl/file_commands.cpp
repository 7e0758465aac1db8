#include "file_commands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "components/file_system/file_information.h"
#include "components/file_system/file_unique_id.h"
#include "components/file_system/item_types.h"
#include "display_text.h"
#include "exit_status.h"

namespace albumcore::tools {

namespace {

namespace fsc = file_system;

std::string TimeText(const fsc::SystemTime& t) {
  if (t.year == 0) return "unknown";
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u UTC", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::string IdentifierText(const std::string& moniker) {
  fsc::FileId id;
  const com::HRESULT hr = fsc::ReadFileUniqueID(moniker, id);
  if (hr == com::S_FALSE) return "none yet";
  if (com::Failed(hr)) return "unreadable (" + com::DescribeHresult(hr) + ")";
  switch (id.origin) {
    case fsc::FileIdOrigin::Attached: return id.id;
    case fsc::FileIdOrigin::Carried: return id.id + " (carried here by a copy or a move to another file system)";
    case fsc::FileIdOrigin::Inode: return id.id + " (the file system keeps no attributes)";
  }
  return id.id;
}

// Prints one file; false when it could not be read.
bool PrintFile(const std::string& path) {
  std::error_code error;
  const std::string absolute = std::filesystem::absolute(path, error).lexically_normal().string();
  const std::string moniker = "file::" + absolute;
  std::cout << DisplayText(absolute) << "\n";
  if (std::filesystem::is_directory(absolute, error)) {
    std::cout << "  a folder: name the files in it\n";
    return false;
  }
  fsc::FileInformationRecord record{};
  record.recordSize = fsc::kFileInformationRecordSize;
  const com::HRESULT hr = fsc::FillFileInformation(moniker, &record);
  if (com::Failed(hr)) {
    std::cout << "  cannot be read: " << com::DescribeHresult(hr)
              << (std::filesystem::exists(absolute, error) ? "" : " (no such file)") << "\n";
    return false;
  }
  const auto type = fsc::ItemTypeOfExtension(std::filesystem::path(absolute).extension().string());
  std::cout << "  item type   " << (type ? std::to_string(*type) : "none for this extension") << "\n";
  const uint64_t size = (static_cast<uint64_t>(record.sizeHigh) << 32) | record.sizeLow;
  std::cout << "  size        " << size << " bytes\n";
  if (record.isImage != 0) {
    std::cout << "  image       " << record.width << " x " << record.height << " pixels, " << record.bitDepth
              << " bits per pixel";
    if (record.dpi != 0) std::cout << ", " << record.dpi << " dpi";
    std::cout << "\n";
  } else {
    std::cout << "  image       no (the content is not a picture the server reads)\n";
  }
  std::cout << "  created     " << TimeText(record.created) << "\n";
  std::cout << "  modified    " << TimeText(record.modified) << "\n";
  std::cout << "  identifier  " << IdentifierText(moniker) << "\n";
  return true;
}

}  // namespace

void AddFileCommands(CLI::App& app) {
  auto* file = app.add_subcommand("file", "look at media files the way the server does, without the server");
  file->require_subcommand(1);
  auto paths = std::make_shared<std::vector<std::string>>();
  auto* info = file->add_subcommand("info", "item type, size, times, image header and identifier of files");
  info->add_option("paths", *paths, "files")->required();
  info->callback([paths] {
    bool allRead = true;
    for (const std::string& path : *paths) allRead = PrintFile(path) && allRead;
    if (!allRead) throw ToldFailure();
  });
}

}  // namespace albumcore::tools
