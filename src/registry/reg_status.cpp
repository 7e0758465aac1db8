#include "registry/reg_status.h"

namespace albumcore::registry {

const char* RegStatusName(RegStatus status) {
  switch (status) {
    case RegStatus::Ok: return "Ok";
    case RegStatus::NotFound: return "NotFound";
    case RegStatus::WrongType: return "WrongType";
    case RegStatus::Malformed: return "Malformed";
    case RegStatus::IoError: return "IoError";
    case RegStatus::InvalidArgument: return "InvalidArgument";
  }
  return "?";
}

}  // namespace albumcore::registry
