#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "wire/field_reader.h"

namespace brindle::wire {

// The Result code every reply starts with.
inline constexpr int kResultSuccess = 1;

// A reply whose lines are joined into one text: Result code, message, then the data fields.
// Each line contributes at most its first 1,022 bytes (cut at a character boundary); a line break
// at the end of a line is not part of it.
class SingleRecordReply final {
 public:
  static constexpr std::size_t kLineBytes = 1022;
  static constexpr std::size_t kFieldCapacity = 1024;

  explicit SingleRecordReply(std::span<const std::string> gbk_lines);

  int result_code() const { return result_code_; }
  bool success() const { return result_code_ == kResultSuccess; }
  const std::string& message() const { return message_; }  // UTF-8

  // Positioned after the message; read the data fields with capacity 1,024.
  FieldReader& fields() { return reader_; }

  // True when a line was longer than the framing carries, so its end was lost.
  bool had_overlong_line() const { return overlong_; }

 private:
  bool overlong_ = false;                    // first: set while text_ is built
  std::unique_ptr<const std::string> text_;  // on the heap so the reader's view survives a move
  FieldReader reader_;
  int result_code_ = 0;
  std::string message_;
};

// A reply whose first line is code|message and whose every further line is one row. Rows are kept
// only on success; each is cut to its first 4,094 bytes (at a character boundary).
class ListReply final {
 public:
  static constexpr std::size_t kLineBytes = 4094;

  explicit ListReply(std::span<const std::string> gbk_lines);

  int result_code() const { return result_code_; }
  bool success() const { return result_code_ == kResultSuccess; }
  const std::string& message() const { return message_; }  // UTF-8

  std::size_t row_count() const { return rows_.size(); }
  // A reader over row i alone; past the last row, a reader whose every field is empty.
  FieldReader row(std::size_t i) const;

  // True when a line was longer than the framing carries, so its end was lost.
  bool had_overlong_line() const { return overlong_; }

 private:
  int result_code_ = 0;
  std::string message_;
  std::string rows_text_;                                  // every row one after another
  std::vector<std::pair<std::size_t, std::size_t>> rows_;  // offset and length in rows_text_
  bool overlong_ = false;
};

// One reply line for the server: every UTF-8 field through reply_field, joined by "|", in GBK.
// Sets *had_unmappable when a character had no GBK form and went out as "?".
std::string format_reply_line(std::span<const std::string> utf8_fields, bool* had_unmappable = nullptr);

}  // namespace brindle::wire
