#pragma once

#include <functional>
#include <optional>
#include <string>

namespace brindle::ports {

//! What the stake window "投注" shows for one bet.
struct StakeWindowContent {
  std::string header;          //!< the match in words
  std::string choice;          //!< after "您的选择："
  std::string odds;            //!< after "赔  率："
  std::string explanation;     //!< inside "投注解释"
  std::string currency_label;  //!< "元整（不含小数）"
};

//! The stake window of the single-bet tickets.
class StakeWindowPort {
 public:
  virtual ~StakeWindowPort() = default;
  //! Shows the window modally with `typed` in the stake field. Each "提交" hands `submit` the digits
  //! in the field; the window closes when it answers true and stays open, entries kept, otherwise.
  //! The digits submitted last, or nothing after "取消" or close.
  virtual std::optional<std::string> ask_stake(const StakeWindowContent& content, const std::string& typed,
                                               const std::function<bool(const std::string&)>& submit) = 0;
  //! Closes the window on show as if "取消" had been pressed (a ticket's time limit ran out).
  virtual void close_as_cancelled() {}
};

}  // namespace brindle::ports
