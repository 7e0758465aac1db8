#include "server/class_table.h"

#include "server/lib_factory.h"

namespace albumcore::server {

void RegisterClasses(com::ClassRegistry& classes, ServerContext& context) {
  classes.Register({"LumLibFactory", *com::Guid::Parse("{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}"),
                    "Zeph.TovLibFactory", "LumLibFactory Class", /*singleInstance=*/true, [&context] {
                      return com::ComPtr<com::IUnknown>(com::MakeObject<LumLibFactory>(context.registry));
                    }});
}

}  // namespace albumcore::server
