#include "core/protocol/list_rows.h"

#include <string_view>

#include "wire/framing.h"
#include "wire/gbk.h"

namespace brindle::protocol {
namespace {

std::string_view cut(const std::string& line) {
  std::string_view view(line);
  if (view.size() <= ListRows::kLineBytes) return view;
  return view.substr(0, wire::gbk_prefix_length(view, ListRows::kLineBytes));
}

std::string_view first_line(std::span<const std::string> lines) {
  return lines.empty() ? std::string_view() : cut(lines.front());
}

}  // namespace

ListRows::ListRows(std::span<const std::string> gbk_lines)
    : lines_(gbk_lines), header_(first_line(gbk_lines)) {
  result_code_ = header_.integer();
  header_.next(message_, wire::FieldReader::kMaxFieldBytes + 1);
}

bool ListRows::success() const { return result_code_ == wire::kResultSuccess; }

Outcome ListRows::failure() const {
  return Outcome::failure(lines_.empty() ? std::string(kEmptyReplyMessage) : message_);
}

wire::FieldReader ListRows::row(std::size_t i) const {
  if (i + 1 >= lines_.size()) return wire::FieldReader(std::string_view());
  return wire::FieldReader(cut(lines_[i + 1]));
}

}  // namespace brindle::protocol
