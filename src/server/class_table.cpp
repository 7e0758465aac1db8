#include "server/class_table.h"

#include "server/class_ids.h"
#include "server/lib_factory.h"

namespace albumcore::server {

namespace {

// The limits every catalogue engine of the server is opened with: clients'
// SQL text reaches files under the listed folders only (and the open
// libraries' folders when no list is given).
store::dao::SqlLimits LimitsOf(const config::SqlConfinementSettings& sql) {
  store::dao::SqlLimits limits;
  if (sql.statementBudget) limits.statementBudget = *sql.statementBudget;
  limits.externalFiles.confined = true;
  limits.externalFiles.folders = sql.externalFolders;
  limits.externalFiles.openCatalogueFolders = sql.openLibraryFolders;
  return limits;
}

}  // namespace

void RegisterClasses(com::ClassRegistry& classes, const ServerContext& context) {
  classes.Register({std::string(kLumLibFactory.name), *com::Guid::Parse(kLumLibFactory.clsid),
                    std::string(kLumLibFactory.progId),
                    ClassDescription(kLumLibFactory), /*singleInstance=*/true,
                    [&context, &classes] {
                      library::LibraryTableSettings libraries;
                      libraries.library.registryPath = context.registryPath;
                      libraries.library.services = {context.strings, context.files};
                      libraries.library.limits = LimitsOf(context.sql);
                      libraries.library.classes = &classes;
                      libraries.library.runLong = context.runLong;
                      libraries.templatePath = context.settings.TemplatePath();
                      libraries.files = context.files;
                      return com::ComPtr<com::IUnknown>(
                          com::MakeObject<LumLibFactory>(context.registryPath, std::move(libraries)));
                    }});
}

}  // namespace albumcore::server
