#include "server/http/reply.h"

#include <span>
#include <utility>

#include "wire/framing.h"

namespace brindle::server {

Reply::Reply(int result_code, std::vector<std::string> header) : result_code_(result_code) {
  lines_.push_back(std::move(header));
}

Reply Reply::success(std::string message, std::vector<std::string> fields) {
  std::vector<std::string> header{std::to_string(kResultSuccess), std::move(message)};
  for (auto& field : fields) header.push_back(std::move(field));
  return Reply(kResultSuccess, std::move(header));
}

Reply Reply::failure(int result_code, std::string message) {
  return Reply(result_code, {std::to_string(result_code), std::move(message)});
}

void Reply::add_row(std::vector<std::string> fields) { lines_.push_back(std::move(fields)); }

void Reply::add_encoded_rows(std::shared_ptr<const std::string> gbk_lines) {
  if (gbk_lines && !gbk_lines->empty()) encoded_rows_.push_back(std::move(gbk_lines));
}

std::string Reply::to_gbk() const {
  std::string out;
  std::size_t encoded = 0;
  for (const auto& rows : encoded_rows_) encoded += rows->size();
  out.reserve(encoded + 64 * lines_.size());
  for (const auto& line : lines_) {
    out += wire::format_reply_line(std::span<const std::string>(line));
    out += "\r\n";
  }
  for (const auto& rows : encoded_rows_) out += *rows;
  return out;
}

}  // namespace brindle::server
