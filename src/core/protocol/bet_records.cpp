#include "core/protocol/bet_records.h"

namespace brindle::protocol {

std::string unsettled_status_text(int status) {
  switch (status) {
    case 0:
      return "成功";
    case 1:
      return "取消";
    default:
      return "待定";
  }
}

std::string settled_status_text(int status) { return status == 1 ? "取消" : "有效"; }

}  // namespace brindle::protocol
