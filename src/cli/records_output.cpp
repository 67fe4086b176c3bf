#include "cli/records_output.h"

#include <variant>

#include "core/protocol/list_rows.h"
#include "core/protocol/single_reply.h"
#include "wire/records/reply_shapes.h"

namespace brindle::cli {
namespace {

using nlohmann::ordered_json;
using records::KindRef;

ordered_json record_json(const KindRef& kind, wire::FieldReader& reader, std::size_t capacity, bool named) {
  ordered_json out = ordered_json::object();
  if (named) out["record"] = std::string(kind.name);
  for (const auto& field : kind.read(reader, capacity)) {
    std::visit([&](const auto& value) { out[std::string(field.name)] = value; }, field.value);
  }
  return out;
}

}  // namespace

ordered_json records_json(int subject, std::span<const std::string> gbk_lines) {
  ordered_json out;
  out["subject"] = subject;
  const records::ReplyShape* shape = records::find_shape(subject);
  if (shape != nullptr && shape->layout == records::Layout::single) {
    protocol::SingleReply reply(gbk_lines);
    wire::FieldReader& fields = reply.fields();
    out["result_code"] = reply.result_code();
    out["message"] = reply.message();
    if (reply.success())
      out["records"] = {record_json(shape->row, fields, records::kSingleTextCapacity, true)};
    return out;
  }
  protocol::ListRows reply(gbk_lines);
  out["result_code"] = reply.result_code();
  out["message"] = reply.message();
  if (shape == nullptr || !reply.success()) return out;
  if (shape->header)
    out["header"] = record_json(shape->header, reply.header(), records::kRowTextCapacity, false);
  ordered_json rows = ordered_json::array();
  int block = 0;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    wire::FieldReader row = reply.row(i);
    const KindRef* kind = &shape->row;
    if (shape->layout == records::Layout::blocks) {
      const int number = row.peek_integer();
      if (i > 0 && number == block) kind = &shape->block_row;
      block = number;
    }
    rows.push_back(record_json(*kind, row, records::kRowTextCapacity, true));
  }
  out["records"] = std::move(rows);
  return out;
}

}  // namespace brindle::cli
