#include "server/accounts/statement.h"

namespace brindle::server::accounts {

Result<std::vector<StatementEntry>> statement_entries(storage::Connection& connection, AccountId account,
                                                      std::int64_t from, std::int64_t to) {
  using R = Result<std::vector<StatementEntry>>;
  auto statement = connection.prepare(
      "SELECT id, time, type, amount, content, balance_before FROM statement_entries"
      " WHERE account_id = ?1 AND time BETWEEN ?2 AND ?3 ORDER BY time, id");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, account).bind(2, from).bind(3, to);
  std::vector<StatementEntry> entries;
  for (;;) {
    auto row = statement->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) return entries;
    entries.push_back(StatementEntry{statement->column_int64(0), statement->column_int64(1),
                                     static_cast<int>(statement->column_int64(2)), statement->column_int64(3),
                                     statement->column_text(4), statement->column_int64(5)});
  }
}

}  // namespace brindle::server::accounts
