#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/market/market_model.h"

namespace brindle::server::market {

class MarketSnapshot;

// One match's lines of one list, in GBK, every line ending CR LF.
struct EncodedBlock {
  std::string league_name;
  std::string gbk;
};

struct EncodedList {
  std::shared_ptr<const std::string> all;  // every block one after another
  std::vector<EncodedBlock> blocks;
};

// The market-data replies' rows, encoded once per snapshot so that a request only copies bytes.
struct EncodedLists {
  std::map<int, EncodedList> market_lists;                    // 4027 by market type code (-1 the parlay list)
  std::shared_ptr<const std::string> outright_events;         // 5001
  std::unordered_map<MatchId, std::string> outright_entries;  // 5002, by event
  std::unordered_map<MatchId, std::string> parlay_lines;      // 4028, by match
};

// The market type codes 4027 answers, -1 included.
bool is_list_code(int code);

EncodedLists encode_lists(const MarketSnapshot& snapshot);

// A net price in thousandths as decimal text: 925 is "0.925".
std::string price_text(int price_milli);
// A Unix time as the OLE automation date text of the server's local time.
std::string ole_text(std::int64_t unix_seconds);

}  // namespace brindle::server::market
