#include "core/accounts/statement_window_model.h"

#include <utility>
#include <vector>

#include "core/accounts/query_range.h"
#include "core/accounts/statement_rows.h"
#include "core/ports/message_port.h"
#include "core/protocol/session.h"

namespace brindle::accounts {

StatementWindowModel::StatementWindowModel(protocol::Session& session, ports::MessagePort& messages,
                                           ports::ListOutputPort& output, const protocol::DateRange& range)
    : session_(session), messages_(messages), output_(output), range_(range) {
  list_.columns = statement_columns();
}

bool StatementWindowModel::query() {
  if (const auto refusal = range_refusal(range_, kStatementHourLimit)) {
    messages_.show_message(*refusal, false);
    return false;
  }
  std::vector<protocol::StatementEntry> entries;
  const protocol::Outcome fetched = protocol::fetch_statement(session_, range_, entries);
  if (!fetched) {
    messages_.show_message(fetched.error(), false);
    return false;
  }
  list_ = statement_list(entries, range_);
  return true;
}

bool StatementWindowModel::refuse_empty() {
  if (!list_.rows.empty()) return false;
  messages_.show_message(kNothingToPrintText, false);
  return true;
}

void StatementWindowModel::print() {
  if (!refuse_empty()) output_.print(list_);
}

void StatementWindowModel::export_csv() {
  if (!refuse_empty()) output_.export_csv(list_);
}

}  // namespace brindle::accounts
