#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/accounts/account.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::accounts {

struct StatementEntry {
  std::int64_t id = 0;
  std::int64_t time = 0;  // Unix seconds
  int type = 0;
  Cents amount = 0;
  std::string content;
  Cents balance_before = 0;  // balance + frozen before this entry
};

// The account's entries with from <= time <= to (Unix seconds), oldest first.
Result<std::vector<StatementEntry>> statement_entries(storage::Connection& connection, AccountId account,
                                                      std::int64_t from, std::int64_t to);

}  // namespace brindle::server::accounts
