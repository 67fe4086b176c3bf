#pragma once

#include <span>
#include <string>

#include "core/protocol/list_rows.h"
#include "wire/framing.h"

namespace brindle::protocol {

// A single-record reply: every line joined, then Result code, message and the data fields.
class SingleReply final {
 public:
  explicit SingleReply(std::span<const std::string> gbk_lines)
      : reply_(gbk_lines), empty_(gbk_lines.empty()) {}

  int result_code() const { return reply_.result_code(); }
  bool success() const { return reply_.success(); }
  const std::string& message() const { return reply_.message(); }
  Outcome failure() const { return Outcome::failure(empty_ ? std::string(kEmptyReplyMessage) : message()); }
  wire::FieldReader& fields() { return reply_.fields(); }
  std::string text() { return reply_.fields().text(); }

 private:
  wire::SingleRecordReply reply_;
  bool empty_;
};

}  // namespace brindle::protocol
