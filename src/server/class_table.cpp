#include "server/class_table.h"

#include "server/class_ids.h"
#include "server/lib_factory.h"

namespace albumcore::server {

void RegisterClasses(com::ClassRegistry& classes, const ServerContext& context) {
  classes.Register({"LumLibFactory", *com::Guid::Parse(kLumLibFactoryClsid),
                    "Zeph.TovLibFactory", "LumLibFactory Class", /*singleInstance=*/true, [&context] {
                      return com::ComPtr<com::IUnknown>(com::MakeObject<LumLibFactory>(context.registryPath));
                    }});
}

}  // namespace albumcore::server
