#include "server/config/server_settings.h"

#include <iostream>

#include "com/text.h"
#include "server/config/config_keys.h"

namespace albumcore::config {

namespace {

using registry::RegStatus;

// No limit of its own: the registry's bound on value data applies.
constexpr size_t kUnbounded = static_cast<size_t>(-1);

void ReportFallback(std::string_view key, std::string_view value, const std::string& reason) {
  std::cerr << "registry value " << key << "\\" << value << " ignored: " << reason << "\n";
}

// The text of a string value no longer than `maxUnits`, else empty.
std::string ReadBounded(registry::RegistryStore& store, std::string_view key, std::string_view value,
                        size_t maxUnits) {
  std::string text;
  const RegStatus status = store.ReadString(key, value, text);
  if (status == RegStatus::NotFound) return {};
  if (status != RegStatus::Ok) {
    const std::string& detail = store.lastError();
    ReportFallback(key, value, std::string(registry::RegStatusName(status)) + (detail.empty() ? "" : " (" + detail + ")"));
    return {};
  }
  if (maxUnits != kUnbounded && com::Utf16Length(text) > maxUnits) {
    ReportFallback(key, value, "longer than " + std::to_string(maxUnits) + " characters");
    return {};
  }
  return text;
}

}  // namespace

std::string ServerSettings::TemplatePath() const {
  if (templateFolder.empty() || templateName.empty()) return {};
  const char last = templateFolder.back();
  return templateFolder + (last == '/' || last == '\\' ? "" : "/") + templateName;
}

ServerSettings ReadServerSettings(registry::RegistryStore& store) {
  ServerSettings s;
  // A hive that cannot be read fails every value the same way: say so once.
  if (const RegStatus status = store.KeyExists(kSuiteRootKey);
      status == RegStatus::Malformed || status == RegStatus::IoError) {
    std::cerr << "the server's registry settings take their defaults: " << store.lastError() << "\n";
    s.languageId = kDefaultLanguageId;
    return s;
  }
  s.templateFolder = ReadBounded(store, kAlbumKey, kDbLocationValue, kMaxTemplatePathUnits);
  s.templateName = ReadBounded(store, kAlbumKey, kDbNameValue, kMaxTemplatePathUnits);
  s.substFixFrom = ReadBounded(store, kAlbumKey, kSubstFixFromValue, kMaxSubstPathUnits);
  s.substFixTo = ReadBounded(store, kAlbumKey, kSubstFixToValue, kMaxSubstPathUnits);
  s.resourceRoot = ReadBounded(store, kResourcesKey, kResourceRootValue, kMaxResourceRootUnits);
  s.languageId = ReadBounded(store, kInstalledLanguageKey, kLanguageIdValue, kUnbounded);
  if (s.languageId.empty()) s.languageId = kDefaultLanguageId;
  s.sampleXmlFolder = ReadBounded(store, kSamplesKey, kSampleXmlFolderValue, kUnbounded);
  s.sampleMediaFolder = ReadBounded(store, kSamplesKey, kSampleMediaFolderValue, kUnbounded);
  return s;
}

}  // namespace albumcore::config
