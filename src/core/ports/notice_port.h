#pragma once

#include <string>

namespace brindle::ports {

//! A non-modal line of news for the user (the Main window's running line).
class NoticePort {
 public:
  virtual ~NoticePort() = default;
  virtual void notice(const std::string& utf8_text) = 0;
};

}  // namespace brindle::ports
