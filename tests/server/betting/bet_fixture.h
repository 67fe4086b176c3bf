#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "server/accounts/ledger.h"
#include "server/http/dispatcher.h"
#include "server/services.h"
#include "support/temp_dir.h"
#include "wire/framing.h"

namespace brindle::testing {

// A server's database, market and bet subjects in-process: requests go through the dispatcher
// with authentication, exactly as the listener hands them over, without TLS in between.
class BetFixture : public ::testing::Test {
 protected:
  void SetUp() override;

  // An account with the password "pw" and `cents` bought in RMB (none for 0 with no currency).
  std::int64_t add_account(const std::string& name, std::int64_t cents, bool frozen = false,
                           bool no_currency = false);
  // A football or basketball match kicking off in an hour (or in play since ten minutes).
  int add_match(bool in_parlay = true, bool in_play = false, bool basketball = false);
  // A priced side: market type, line code, price in thousandths, line status.
  int add_line(int match, int type, int line_code, int price_milli, int status = 0);
  int add_event();
  int add_outright_selection(int event, int place, int price_milli, bool disabled = false,
                             int market_type = 2);
  void set_score(int match, int home, int away);
  void set_delays(int match, int handicap_seconds, int totals_seconds);
  void set_line(int selection, int line_code, int price_milli);
  void advance_clock(int seconds);
  // Records the result and settles the match's bets; the number settled.
  int finish(int match, int home, int away);
  void sql(const std::string& statement);

  std::vector<std::string> send(std::string_view category, int subject, const std::string& user,
                                const std::string& para);
  wire::SingleRecordReply single(int subject, const std::string& user, const std::string& para);
  wire::ListReply list(int subject, const std::string& user, const std::string& para);
  server::accounts::Balances balances_of(std::int64_t account);
  std::string range_today() const;

  TempDir dir_;
  server::ServerServices services_;
  std::unique_ptr<server::Dispatcher> dispatcher_;
  int next_id_ = 1;
};

// "%.10d" selection numbers and "%.8d" prices, as a ticket writes them.
std::string ten(std::int64_t value);
std::string eight(std::int64_t value);
std::string six(std::int64_t value);
// The general form with one combination entry.
std::string bet_form(const std::vector<int>& selections, const std::vector<int>& prices, std::uint32_t mask,
                     int stake_units);

// Every field of a list row, read as the client reads them.
std::vector<std::string> fields_of(const wire::ListReply& reply, std::size_t row, std::size_t count);

}  // namespace brindle::testing
