#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace brindle::net {

// Cuts reply bytes into Reply lines as they arrive: lines end at LF or CR, white space is trimmed from
// both ends, empty lines are dropped, and a line longer than kMaxLineBytes arrives as several lines,
// each cut on a GBK character boundary.
class ReplyLineSplitter final {
 public:
  static constexpr std::size_t kMaxLineBytes = 4095;
  using LineSink = std::function<void(std::string line)>;

  explicit ReplyLineSplitter(LineSink keep) : keep_(std::move(keep)) {}

  void feed(std::string_view bytes);
  // The reply is over: a last line without a line end is kept too.
  void finish();

  // How many lines were longer than kMaxLineBytes and so arrived as several.
  std::size_t cut_lines() const { return cut_lines_; }

 private:
  void emit(std::string_view piece);

  LineSink keep_;
  std::string pending_;
  std::size_t cut_lines_ = 0;
  bool cutting_ = false;  // the line being read has already been cut
};

}  // namespace brindle::net
