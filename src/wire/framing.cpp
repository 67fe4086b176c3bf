#include "wire/framing.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "wire/field_escapes.h"
#include "wire/field_reader.h"
#include "wire/gbk.h"

namespace brindle::wire {
namespace {

// A line as the line reader hands it out: without its line break.
std::string_view without_line_break(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

std::string_view cut_line(std::string_view line, std::size_t max_bytes, bool& overlong) {
  line = without_line_break(line);
  if (line.size() <= max_bytes) return line;
  overlong = true;
  return line.substr(0, gbk_prefix_length(line, max_bytes));
}

std::unique_ptr<const std::string> join_lines(std::span<const std::string> lines, bool& overlong) {
  auto text = std::make_unique<std::string>();
  std::size_t total = 0;
  for (const auto& line : lines) total += line.size();
  text->reserve(total);
  for (const auto& line : lines) text->append(cut_line(line, SingleRecordReply::kLineBytes, overlong));
  return text;
}

}  // namespace

SingleRecordReply::SingleRecordReply(std::span<const std::string> gbk_lines)
    : text_(join_lines(gbk_lines, overlong_)), reader_(*text_) {
  result_code_ = reader_.integer();
  reader_.next(message_, kFieldCapacity);
}

ListReply::ListReply(std::span<const std::string> gbk_lines) {
  if (gbk_lines.empty()) return;
  FieldReader head(cut_line(gbk_lines.front(), kLineBytes, overlong_));
  result_code_ = head.integer();
  head.next(message_, FieldReader::kMaxFieldBytes + 1);
  if (!success()) return;

  std::size_t total = 0;
  for (const auto& line : gbk_lines.subspan(1)) total += line.size();
  rows_text_.reserve(total);
  rows_.reserve(gbk_lines.size() - 1);
  for (const auto& line : gbk_lines.subspan(1)) {
    const std::string_view row = cut_line(line, kLineBytes, overlong_);
    rows_.emplace_back(rows_text_.size(), row.size());
    rows_text_.append(row);
  }
}

FieldReader ListReply::row(std::size_t i) const {
  if (i >= rows_.size()) return FieldReader(std::string_view());  // reads as a row of empty fields
  const auto [offset, length] = rows_[i];
  return FieldReader(std::string_view(rows_text_).substr(offset, length));
}

std::string format_reply_line(std::span<const std::string> utf8_fields, bool* had_unmappable) {
  std::string line;
  for (std::size_t i = 0; i < utf8_fields.size(); ++i) {
    if (i != 0) line.push_back('|');
    line.append(reply_field(utf8_fields[i]));
  }
  return utf8_to_gbk(line, had_unmappable);
}

}  // namespace brindle::wire
