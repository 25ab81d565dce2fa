#include "host/system/status.h"

namespace host {

const wchar_t* StatusName(Status status) {
  switch (status) {
    case Status::kNormal: return L"normal";
    case Status::kCancel: return L"cancel";
    case Status::kNone: return L"none";
    case Status::kError: return L"error";
  }
  return L"error";
}

}  // namespace host
