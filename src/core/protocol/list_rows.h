#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "core/net/request.h"
#include "wire/field_reader.h"
#include "wire/result.h"

namespace brindle::protocol {

// What an operation hands back: the server's message on success, the text to show on failure.
using Outcome = Result<std::string>;

// A reply without lines reads as the request layer says it, whichever layer reads it.
using net::kEmptyReplyMessage;

// A list reply read in place: the header line (Result code, message, then any header fields the
// operation reads) and every further line as one row. Each line is cut to the framing's 4,094
// bytes at a character boundary and never copied, so parsing costs one pass over the bytes.
class ListRows final {
 public:
  static constexpr std::size_t kLineBytes = 4094;

  explicit ListRows(std::span<const std::string> gbk_lines);

  int result_code() const { return result_code_; }
  bool success() const;
  const std::string& message() const { return message_; }
  // The failure to hand back when the header says anything but success.
  Outcome failure() const;

  // Positioned after the message: the header's further fields.
  wire::FieldReader& header() { return header_; }

  std::size_t size() const { return lines_.empty() ? 0 : lines_.size() - 1; }
  wire::FieldReader row(std::size_t i) const;

 private:
  std::span<const std::string> lines_;
  wire::FieldReader header_;
  int result_code_ = 0;
  std::string message_;
};

}  // namespace brindle::protocol
