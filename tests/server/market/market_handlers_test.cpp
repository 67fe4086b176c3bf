#include "server/market/market_handlers.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "market_fixture.h"
#include "server/market/market_clock.h"
#include "server/market/reply_rows.h"
#include "wire/field_reader.h"
#include "wire/framing.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

using market::MarketType;
using testing::MarketFixture;

// One reply line read field by field as the client does.
std::vector<std::string> fields_of(const std::string& gbk_line) {
  wire::FieldReader reader(gbk_line);
  std::vector<std::string> fields;
  std::string field;
  while (reader.next(field) > 0) fields.push_back(field);
  return fields;
}

class MarketSubjects : public ::testing::Test {
 protected:
  MarketSubjects() : market_(fixture_.open_market()) {
    services_.market = market_;
    EXPECT_TRUE(add_market_handlers(dispatcher_, services_));
  }

  std::string ask(int subject, const std::string& para) {
    const std::string body = "txtLanguage=1&txtSubjectID=" + std::to_string(subject) +
                             "&txtUserName=demo&txtPwd=secret&txtPara=" + para;
    return dispatcher_.dispatch("DATA_QUERY", wire::utf8_to_gbk(body)).to_gbk();
  }

  wire::ListReply list(int subject, const std::string& para) {
    const auto lines = testing::reply_lines(ask(subject, para));
    return wire::ListReply(lines);
  }

  std::vector<std::vector<std::string>> rows(int subject, const std::string& para) {
    auto reply = list(subject, para);
    EXPECT_TRUE(reply.success()) << reply.message();
    std::vector<std::vector<std::string>> out;
    const auto lines = testing::reply_lines(ask(subject, para));
    for (std::size_t i = 1; i < lines.size(); ++i) out.push_back(fields_of(lines[i]));
    EXPECT_EQ(out.size(), reply.row_count());
    return out;
  }

  void advance(int minutes) {
    ASSERT_TRUE(market::advance_clock(fixture_.db(), std::chrono::minutes(minutes)));
    ASSERT_TRUE(market_->refresh());
  }

  MarketFixture fixture_;
  std::shared_ptr<market::Market> market_;
  ServerServices services_;
  Dispatcher dispatcher_;
};

// The layout the client reads: a match line of nine fields, then its Odds lines of ten fields
// (the first field repeats the match number).
struct ParsedList {
  std::map<int, std::vector<std::string>> matches;
  std::vector<std::vector<std::string>> odds;
};

ParsedList parse_market_list(const std::vector<std::vector<std::string>>& rows) {
  ParsedList parsed;
  std::string current;
  for (const auto& row : rows) {
    if (row.at(0) != current) {
      EXPECT_EQ(row.size(), 9u) << "match line";
      current = row[0];
      EXPECT_TRUE(parsed.matches.emplace(std::stoi(row[0]), row).second) << "a match once per list";
    } else {
      EXPECT_EQ(row.size(), 10u) << "odds line";
      parsed.odds.push_back(row);
    }
  }
  return parsed;
}

TEST_F(MarketSubjects, AsianHandicapListPairsEachMatchFirstSideFirst) {
  auto reply = list(4027, "0|1|1");
  ASSERT_TRUE(reply.success());
  auto header = testing::reply_lines(ask(4027, "0|1|1")).front();
  EXPECT_EQ(fields_of(header).at(2), "0") << "peak-hour flag";

  const auto parsed = parse_market_list(rows(4027, "0|1|1"));
  const auto s = market_->snapshot();
  ASSERT_FALSE(parsed.matches.empty());
  ASSERT_EQ(parsed.odds.size(), 2 * parsed.matches.size());
  bool saw_flagged = false;
  for (std::size_t i = 0; i < parsed.odds.size(); i += 2) {
    const auto& first = parsed.odds[i];
    const auto& second = parsed.odds[i + 1];
    EXPECT_EQ(first[1], "0");
    EXPECT_GE(std::stoi(first[4]), 1) << "first side";
    EXPECT_LT(std::stoi(second[4]), 1) << "second side";
    EXPECT_EQ(first[6], second[6]) << "one target per pair";
    EXPECT_NEAR(std::stod(first[5]) + std::stod(second[5]), std::stoi(first[6]) / 100.0, 1e-9);
    saw_flagged = saw_flagged || std::stoi(first[4]) > 1000;
    const auto* m = s->find_match(std::stoi(first[0]));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->status, market::MatchStatus::scheduled);
    const auto* line = s->find_line(std::stoi(first[3]));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(market::price_text(line->price_milli), first[5]);
  }
  EXPECT_TRUE(saw_flagged) << "some pairs are away-gives";

  const auto& [id, match] = *parsed.matches.begin();
  const auto* m = s->find_match(id);
  EXPECT_EQ(match[1], std::to_string(m->line_kind()));
  EXPECT_EQ(match[2], m->league_name);
  EXPECT_EQ(match[3], market::ole_text(m->kickoff));
  EXPECT_EQ(match[5], m->home);
  EXPECT_EQ(match[6], m->away);
}

TEST_F(MarketSubjects, EachListCarriesItsKinds) {
  const std::map<std::string, std::set<std::string>> kinds{{"1", {"1"}}, {"2", {"2"}}, {"3", {"3", "6"}},
                                                           {"6", {"6"}}, {"7", {"7"}}, {"-1", {"1"}}};
  for (const auto& [code, allowed] : kinds) {
    SCOPED_TRACE(code);
    const auto parsed = parse_market_list(rows(4027, code + "|1|1"));
    EXPECT_FALSE(parsed.matches.empty());
    std::set<std::string> seen;
    std::map<std::string, int> per_match;
    for (const auto& odds : parsed.odds) {
      seen.insert(odds[1]);
      ++per_match[odds[0]];
    }
    EXPECT_EQ(seen, allowed);
    if (code == "2") {
      for (const auto& [match, count] : per_match) EXPECT_EQ(count, 26);
    }
  }
}

TEST_F(MarketSubjects, InPlayListShowsBothInPlayKindsWithTheRunningScore) {
  advance(30);
  const auto parsed = parse_market_list(rows(4027, "8|1|1"));
  ASSERT_FALSE(parsed.matches.empty());
  const auto s = market_->snapshot();
  std::set<std::string> kinds;
  for (const auto& odds : parsed.odds) {
    kinds.insert(odds[1]);
    const auto* m = s->find_match(std::stoi(odds[0]));
    EXPECT_EQ(m->status, market::MatchStatus::in_play);
    EXPECT_EQ(odds[7], std::to_string(m->score.home));
    EXPECT_EQ(odds[8], std::to_string(m->score.away));
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"8", "9"}));
  for (const auto& odds : parse_market_list(rows(4027, "9|1|1")).odds) EXPECT_EQ(odds[1], "9");
}

TEST_F(MarketSubjects, InPlayLineCheckGivesTheTenFieldsOfTheCurrentLine) {
  advance(30);
  const auto s = market_->snapshot();
  const market::Match* live = nullptr;
  for (const auto& m : s->matches) {
    if (m.status == market::MatchStatus::in_play && m.offers_in_play) live = &m;
  }
  ASSERT_NE(live, nullptr);
  for (const char* code : {"8", "9"}) {
    const auto lines = testing::reply_lines(ask(4038, std::to_string(live->id) + "|1|" + code + "|1|1"));
    wire::SingleRecordReply reply(lines);
    ASSERT_TRUE(reply.success()) << reply.message();
    auto& f = reply.fields();
    const int closed = f.integer();
    const int first_selection = f.integer();
    const int first_code = f.integer();
    const double first_price = f.decimal();
    const int second_selection = f.integer();
    const int second_code = f.integer();
    const double second_price = f.decimal();
    const int target = f.integer();
    EXPECT_EQ(f.integer(), live->score.home);
    EXPECT_EQ(f.integer(), live->score.away);
    const auto* first = s->find_line(first_selection);
    const auto* second = s->find_line(second_selection);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(closed, first->status == market::LineStatus::open ? 0 : 1);
    EXPECT_EQ(first_code, first->line_code);
    EXPECT_GE(first_code, 1);
    EXPECT_EQ(second_code, second->line_code);
    EXPECT_NEAR(first_price + second_price, target / 100.0, 1e-9);
  }

  const market::Match* waiting = nullptr;
  for (const auto& m : s->matches) {
    if (m.status == market::MatchStatus::scheduled) waiting = &m;
  }
  ASSERT_NE(waiting, nullptr);
  wire::SingleRecordReply closed(testing::reply_lines(ask(4038, std::to_string(waiting->id) + "|1|8|1|1")));
  ASSERT_TRUE(closed.success());
  EXPECT_EQ(closed.fields().integer(), 1) << "a match not under way is closed to in-play bets";

  EXPECT_FALSE(wire::SingleRecordReply(testing::reply_lines(ask(4038, "999999|1|8|1|1"))).success());
}

TEST_F(MarketSubjects, FilteredListKeepsOnlyTheChosenLeagues) {
  const auto s = market_->snapshot();
  const std::string league = s->matches.back().league_name;
  const auto parsed = parse_market_list(rows(4070, "0|1|1|" + league + "|0|0|0|0"));
  ASSERT_FALSE(parsed.matches.empty());
  for (const auto& [id, match] : parsed.matches) EXPECT_EQ(match[2], league);
  EXPECT_EQ(parse_market_list(rows(4070, "0|1|1|0|0|0|0|0")).matches.size(),
            parse_market_list(rows(4027, "0|1|1")).matches.size())
      << "no league chosen is the whole list";
  EXPECT_TRUE(rows(4070, "0|1|1|没有的联赛|0|0|0|0").empty());
}

TEST_F(MarketSubjects, OutrightListAndEntriesFollowTheClientsLayout) {
  const auto events = rows(5001, "2|1|1");
  const auto s = market_->snapshot();
  ASSERT_EQ(events.size(), s->events.size());
  std::string numbers;
  for (const auto& e : events) {
    ASSERT_EQ(e.size(), 9u);
    const auto* event = s->find_event(std::stoi(e[0]));
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(e[2], event->competition);
    EXPECT_EQ(e[5], event->name);
    EXPECT_EQ(e[7], event->closed ? "1" : "0");
    char padded[16];
    std::snprintf(padded, sizeof padded, "%.10d", event->id);
    numbers += padded;
  }
  const auto entries = rows(5002, std::to_string(events.size()) + "|" + numbers + "|1|1");
  std::size_t selections = 0;
  std::set<std::string> companions;  // events that sent the second side of their totals bands
  for (const auto& entry : entries) {
    if (entry[3] == "0") {
      // The one second side of an event's basketball totals bands: seven fields, no selection.
      ASSERT_EQ(entry.size(), 7u);
      EXPECT_EQ(entry[1], "6");
      EXPECT_TRUE(companions.insert(entry[0]).second);
      continue;
    }
    ++selections;
    ASSERT_EQ(entry.size(), 9u);
    const auto* selection = s->find_outright_selection(std::stoi(entry[7]));
    ASSERT_NE(selection, nullptr);
    EXPECT_EQ(entry[0], std::to_string(selection->event_id));
    EXPECT_EQ(entry[1], std::to_string(static_cast<int>(selection->type)));
    if (selection->type == market::MarketType::basketball_totals) {
      // Target = band + second side, in hundredths: the pair is balanced already.
      EXPECT_EQ(std::stoi(entry[5]), (selection->price_milli + 500) / 10);
    } else {
      EXPECT_EQ(entry[5], "0");
    }
    EXPECT_EQ(entry[2], s->find_event(selection->event_id)->market_closed ? "1" : "0");
    EXPECT_EQ(entry[3], std::to_string(selection->place));
    EXPECT_EQ(entry[6], selection->name);
    EXPECT_EQ(entry[8], selection->disabled ? "1" : "0");
  }
  EXPECT_EQ(selections, s->outright_selections.size());
  EXPECT_FALSE(companions.empty());
}

TEST_F(MarketSubjects, ParlayRefreshSendsEveryOpenLineOfTheChosenMatches) {
  const auto s = market_->snapshot();
  const market::Match* football = nullptr;
  for (const auto& m : s->matches) {
    if (m.status == market::MatchStatus::scheduled && m.sport == market::Sport::football) football = &m;
  }
  ASSERT_NE(football, nullptr);
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, "%.10d%.10d", football->id, 999999);
  const auto lines = rows(4028, std::string("2|") + numbers + "|1|1");
  // Handicap pair, totals pair, six outcome sets, 26 scores.
  ASSERT_EQ(lines.size(), 2u + 2u + 6u + 26u);
  std::string previous_type;
  for (const auto& line : lines) {
    ASSERT_EQ(line.size(), 6u);
    EXPECT_EQ(line[0], std::to_string(football->id));
    const auto* found = s->find_line(std::stoi(line[2]));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(line[3], std::to_string(found->line_code));
    EXPECT_EQ(line[4], market::price_text(found->price_milli));
  }
  EXPECT_GE(std::stoi(lines[0][3]), 1) << "first side before second side";
}

TEST_F(MarketSubjects, MalformedParametersAreRefusedInWords) {
  const std::pair<int, std::string> bad[] = {
      {4027, ""},
      {4027, "0|1"},
      {4027, "x|1|1"},
      {4027, "4|1|1"},
      {4027, "0|1|1|1"},
      {4027, "99999999999|1|1"},
      {4070, "0|1|1"},
      {5001, "3|1|1"},
      {5002, "0||1|1"},
      {5002, "1|123|1|1"},
      {5002, "2|0000000001|1|1"},
      {5002, "1|00000000-1|1|1"},
      {4028, "101|" + std::string(1010, '1') + "|1|1"},
      {4028, "-1||1|1"},
      {4038, "1|1|0|1|1"},
      {4038, "1|1|8|1"},
  };
  for (const auto& [subject, para] : bad) {
    SCOPED_TRACE(std::to_string(subject) + " " + para);
    auto reply = list(subject, para);
    EXPECT_FALSE(reply.success());
    EXPECT_FALSE(reply.message().empty());
  }
}

TEST_F(MarketSubjects, AtPeakTimesAccountsWithoutCreditGetTheFlagAndNoRows) {
  market_->set_peak_period(true);
  accounts::Currency currency = accounts::Currency::none;
  dispatcher_.set_authenticator([&](const Credentials&, accounts::AuthenticatedAccount& account) {
    account.currency = currency;
    return std::optional<AuthenticationFailure>();
  });
  auto lines = testing::reply_lines(ask(4027, "0|1|1"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(fields_of(lines[0]).at(2), "1");
  currency = accounts::Currency::rmb;
  lines = testing::reply_lines(ask(4027, "0|1|1"));
  EXPECT_GT(lines.size(), 1u);
  EXPECT_EQ(fields_of(lines[0]).at(2), "1");
}

}  // namespace
}  // namespace brindle::server
