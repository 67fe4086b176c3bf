#include "core/notation/result_name.h"

namespace brindle::notation {

std::string result_name(int code, bool other_side) {
  if (other_side) {
    if (code == kResultWin)
      code = kResultLose;
    else if (code == kResultHalfWin)
      code = kResultHalfLose;
    else if (code == kResultLose)
      code = kResultWin;
    else if (code == kResultHalfLose)
      code = kResultHalfWin;
  }
  switch (code) {
    case kResultPush:
      return "平";
    case kResultWin:
      return "赢";
    case kResultHalfWin:
      return "赢一半";
    case kResultLose:
      return "输";
    case kResultHalfLose:
      return "输一半";
    default:
      return {};
  }
}

}  // namespace brindle::notation
