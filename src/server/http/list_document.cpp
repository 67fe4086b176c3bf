#include "server/http/list_document.h"

#include <array>
#include <span>

#include "wire/framing.h"

namespace brindle::server {

std::string list_document(const std::vector<ListEntry>& entries) {
  std::string out;
  for (const auto& entry : entries) {
    std::array<std::string, 2> fields{entry.text, std::to_string(entry.number)};
    out += wire::format_reply_line(std::span<const std::string>(fields));
    out += "\r\n";
  }
  return out;
}

}  // namespace brindle::server
