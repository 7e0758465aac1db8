// The paths and names the server reads from the machine hive at start: the
// template catalogue's location, the substituted-drive mapping of the
// installation, the resource root and language of the string files, and the
// sample content folders.
//
// Every value falls back to its default when it is missing, of another type,
// longer than its limit (counted in UTF-16 units) or when the hive cannot be
// read: empty text, and "1033" for the language. Every fallback other than a
// plain missing value is reported on stderr with the key, the value and the
// reason. Reading never fails.
#pragma once

#include <string>

#include "registry/registry_store.h"

namespace albumcore::config {

struct ServerSettings {
  std::string templateFolder;   // DBLocation
  std::string templateName;     // DBName
  std::string substFixFrom;     // target path of the substituted drive
  std::string substFixTo;       // the substituted drive
  std::string resourceRoot;     // folder of the per-language string folders
  std::string languageId;       // never empty
  std::string sampleXmlFolder;  // sample album descriptions
  std::string sampleMediaFolder;

  // The template catalogue's path: the folder, a separator unless it ends
  // in one, and the name; empty when either is missing.
  std::string TemplatePath() const;
};

ServerSettings ReadServerSettings(registry::RegistryStore& store);

}  // namespace albumcore::config
