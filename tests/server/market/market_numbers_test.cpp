#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "market_fixture.h"
#include "server/market/market_store.h"

namespace brindle::server::market {
namespace {

using storage::Connection;
using testing::MarketFixture;

constexpr std::int64_t kLastNumber = std::numeric_limits<std::int32_t>::max();

std::int64_t counter(MarketFixture& fixture, const std::string& key) {
  auto value = fixture.db().read([&](Connection& c) -> Result<std::int64_t> {
    auto s = c.prepare("SELECT value FROM market_meta WHERE key = ?1");
    if (!s) return Result<std::int64_t>::failure(s.error());
    s->bind(1, key);
    auto row = s->step();
    if (!row) return Result<std::int64_t>::failure(row.error());
    if (!row.value()) return Result<std::int64_t>::failure("no counter " + key);
    return s->column_int64(0);
  });
  EXPECT_TRUE(value.ok()) << value.error();
  return value.ok() ? value.value() : -1;
}

TEST(MarketNumbers, EachCounterHandsOutEveryNumberOnceInOrder) {
  MarketFixture fixture(false);
  auto first = fixture.db().transaction([](Connection& c) -> Result<std::vector<std::int64_t>> {
    std::vector<std::int64_t> taken;
    for (int i = 0; i < 3; ++i) {
      auto selection = allocate_selection_id(c);
      if (!selection) return Result<std::vector<std::int64_t>>::failure(selection.error());
      taken.push_back(selection.value());
    }
    auto match = allocate_match_id(c);
    if (!match) return Result<std::vector<std::int64_t>>::failure(match.error());
    taken.push_back(match.value());
    return taken;
  });
  ASSERT_TRUE(first.ok()) << first.error();
  EXPECT_EQ(first.value(), (std::vector<std::int64_t>{100001, 100002, 100003, 20001}));

  // The next transaction goes on where the last one stopped; a rolled-back one gives its numbers back.
  auto next = fixture.db().transaction([](Connection& c) { return allocate_selection_id(c); });
  ASSERT_TRUE(next.ok()) << next.error();
  EXPECT_EQ(next.value(), 100004);
  auto undone = fixture.db().transaction([](Connection& c) -> Result<SelectionId> {
    auto taken = allocate_selection_id(c);
    if (!taken) return taken;
    return Result<SelectionId>::failure("given up");
  });
  EXPECT_FALSE(undone.ok());
  EXPECT_EQ(counter(fixture, "next_selection"), 100005);
  EXPECT_EQ(counter(fixture, "next_match"), 20002);
}

TEST(MarketNumbers, ACounterAtTheLastNumberTheWireCarriesRefusesAndStaysThere) {
  MarketFixture fixture(false);
  fixture.exec("UPDATE market_meta SET value = " + std::to_string(kLastNumber - 1) +
               " WHERE key = 'next_match'");
  auto last = fixture.db().transaction([](Connection& c) { return allocate_match_id(c); });
  ASSERT_TRUE(last.ok()) << last.error();
  EXPECT_EQ(last.value(), kLastNumber - 1);

  auto beyond = fixture.db().transaction([](Connection& c) { return allocate_match_id(c); });
  ASSERT_FALSE(beyond.ok());
  EXPECT_EQ(beyond.error(), "market numbers exhausted: next_match");
  EXPECT_EQ(counter(fixture, "next_match"), kLastNumber) << "never past the 32-bit numbers";
  // The selections' counter is another one and goes on.
  auto selection = fixture.db().transaction([](Connection& c) { return allocate_selection_id(c); });
  ASSERT_TRUE(selection.ok()) << selection.error();
  EXPECT_EQ(selection.value(), 100001);
}

TEST(MarketNumbers, AMissingCounterIsNamedNotTakenForExhausted) {
  MarketFixture fixture(false);
  fixture.exec("DELETE FROM market_meta WHERE key = 'next_selection'");
  auto taken = fixture.db().transaction([](Connection& c) { return allocate_selection_id(c); });
  ASSERT_FALSE(taken.ok());
  EXPECT_EQ(taken.error(), "market table has no next_selection");
}

}  // namespace
}  // namespace brindle::server::market
