#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/accounts/account.h"
#include "server/betting/bet_schema.h"
#include "server/storage/database.h"
#include "wire/result.h"

namespace brindle::server::betting {

// One reply line of UTF-8 fields, in the order the records window parses them.
using RecordLine = std::vector<std::string>;

struct RecordLines {
  std::vector<RecordLine> lines;
  std::string summary;  // the header's third field: the total stake, or the total won or lost
};

// 4054: the account's single bets not yet settled (waiting in-play bets too), 17 fields each.
Result<RecordLines> unsettled_singles(storage::Connection& connection, accounts::AccountId account);
// 4015: single bets settled (or refused) between from and to (Unix seconds), 20 fields each.
Result<RecordLines> settled_singles(storage::Connection& connection, accounts::AccountId account,
                                    std::int64_t from, std::int64_t to);
// 4029 and 4050 (settled = false), 4030 and 4051 (settled = true): a group line per bet followed
// by its leg lines. Settled parlay legs end with their result; settled outright legs with the
// winning place, the selection and the result.
Result<RecordLines> grouped_records(storage::Connection& connection, accounts::AccountId account,
                                    BetKind kind, bool settled, std::int64_t from, std::int64_t to);

// The result name of a settled leg: "赢", "赢一半", "平", "输一半", "输", "取消".
std::string_view outcome_name(int outcome);

}  // namespace brindle::server::betting
