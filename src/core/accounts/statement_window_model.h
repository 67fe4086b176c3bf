#pragma once

#include "core/ports/list_output_port.h"
#include "core/protocol/records_queries.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class MessagePort;
}

namespace brindle::accounts {

inline constexpr char kNothingToPrintText[] = "没有可以打印的记录。";

// The statement window without its widgets: the range it holds, the query with its refusals, the
// list it shows and what printing and export hand on. The window opens with an empty list and no
// summary; only a successful query replaces them.
class StatementWindowModel {
 public:
  StatementWindowModel(protocol::Session& session, ports::MessagePort& messages,
                       ports::ListOutputPort& output, const protocol::DateRange& range);

  const protocol::DateRange& range() const { return range_; }
  void set_range(const protocol::DateRange& range) { range_ = range; }

  // 查询: a refused range or a failed query is shown and changes nothing. True when the list was
  // replaced.
  bool query();

  // The list of the last successful query, titled with that query's range.
  const ports::PrintableList& list() const { return list_; }

  // 打印 and 导出: an empty list is refused with "没有可以打印的记录。".
  void print();
  void export_csv();

 private:
  bool refuse_empty();

  protocol::Session& session_;
  ports::MessagePort& messages_;
  ports::ListOutputPort& output_;
  protocol::DateRange range_;
  ports::PrintableList list_;
};

}  // namespace brindle::accounts
