#pragma once

#include <string>

namespace brindle::ports {

//! The application's Message window as the flows see it.
class MessagePort {
 public:
  enum Answer { ok = 1, cancel = 2 };
  virtual ~MessagePort() = default;
  //! Shows the text modally with "确认" (and "取消" when offered); 1 for OK, 2 for Cancel or close.
  virtual int show_message(const std::string& utf8_text, bool offer_cancel) = 0;
};

}  // namespace brindle::ports
