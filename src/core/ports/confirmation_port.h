#pragma once

#include <string>

namespace brindle::ports {

//! The Confirmation window: a caller-set title over the group "确认信息" with one text.
struct ConfirmationRequest {
  std::string title;
  std::string text;
  int font_size = 11;  //!< points
  bool bold = true;
};

class ConfirmationPort {
 public:
  virtual ~ConfirmationPort() = default;
  //! True when "确认" was pressed; "取消" and closing answer false.
  virtual bool confirm(const ConfirmationRequest& request) = 0;
};

}  // namespace brindle::ports
