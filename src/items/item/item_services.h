// What items and the item collection use of the process around them: the
// display texts and the file-system component. Both belong to the process
// entry and outlive every item; either may be null where a caller needs
// neither (texts then come out as their references, and reading a file
// answers E_FAIL).
#pragma once

namespace albumcore::components {
class StringTable;
}
namespace albumcore::file_system {
class FileSystemComponent;
}

namespace albumcore::items {

struct ItemServices {
  const components::StringTable* strings = nullptr;
  const file_system::FileSystemComponent* files = nullptr;
};

}  // namespace albumcore::items
