#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "server/market/demo_generator.h"
#include "server/market/market.h"
#include "server/storage/database.h"
#include "support/temp_dir.h"

namespace brindle::testing {

// A migrated database in a temporary folder, optionally with the demo market seeded at a fixed
// moment (2025-03-01 12:00 UTC).
class MarketFixture {
 public:
  static constexpr std::int64_t kNow = 1'740'830'400;
  static constexpr std::uint64_t kSeed = 20250301;

  explicit MarketFixture(bool seeded = true, server::market::DemoOptions options = {});

  server::storage::Database& db() { return *db_; }
  std::shared_ptr<server::storage::Database> shared_db() { return db_; }
  // The market as the server would hold it, without its feed thread.
  std::shared_ptr<server::market::Market> open_market();
  server::market::MarketSnapshot snapshot();

  // Runs SQL of the test's own, for rows the demo does not make.
  void exec(std::string_view sql);

 private:
  TempDir dir_;
  std::shared_ptr<server::storage::Database> db_;
};

std::chrono::system_clock::time_point at_unix(std::int64_t seconds);

// The lines of a reply, without their CR LF.
std::vector<std::string> reply_lines(std::string_view gbk);

}  // namespace brindle::testing
