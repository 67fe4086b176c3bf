// An outright bet through the hall's "更多", the ticket and its confirmation against the seeded
// reference server: the stake leaves the balance, the bet is in the unsettled outrights (4050),
// and a basketball event's ticket shows the server's side markets at the prices sent.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <tuple>

#include "core/betting/outright_hall.h"
#include "core/betting/outright_ticket.h"
#include "core/protocol/records_queries.h"
#include "seeded_market.h"

namespace {

using namespace brindle;

// Chooses the first choosable selection of the first tab with the stake given, once.
struct FirstChoiceWindow final : ports::OutrightTicketPort {
  bool run(const ports::OutrightTicketView& view, ports::OutrightTicketHandler& handler) override {
    shown.push_back(view);
    if (stake.empty()) return false;
    for (int i = 0; i < static_cast<int>(view.tabs[0].choices.size()); ++i) {
      const auto& c = view.tabs[0].choices[static_cast<std::size_t>(i)];
      if (c.shown && c.enabled) return handler.confirm(0, i, stake);
    }
    return false;
  }
  void open_page(const std::string&, const std::string&) override {}
  std::string stake;
  std::vector<ports::OutrightTicketView> shown;
};

class OutrightBetAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    if (!start_signed_in()) return;
    ASSERT_NO_FATAL_FAILURE(refresh_quietly(hall_));
    ASSERT_GT(hall_.line_count(), 0u);
    frame_.posted.clear();
  }

  FirstChoiceWindow window_;
  betting::OutrightHall hall_{services(), window_};
};

TEST_F(OutrightBetAgainstServer, APlacedOutrightBetDebitsTheStakeAndShowsIn4050) {
  const double before = context_.balance;
  ASSERT_GE(before, 100);
  window_.stake = "100";
  // The demo closes one event and the market of another: the first open one takes the bet.
  std::size_t placed_on = hall_.line_count();
  for (std::size_t line = 0; line < hall_.line_count() && placed_on == hall_.line_count(); ++line) {
    messages_.texts.clear();
    hall_.click(line, betting::OutrightHall::kMore);
    if (!frame_.posted.empty()) placed_on = line;
  }
  ASSERT_LT(placed_on, hall_.line_count()) << "no outright event took the bet";
  ASSERT_EQ(confirmation_.shown.size(), 1u);
  EXPECT_EQ(confirmation_.shown[0].title, "总冠军投注");
  EXPECT_EQ(confirmation_.shown[0].stake, "100");
  ASSERT_EQ(messages_.texts.size(), 1u);
  const std::string suffix = betting::kBetPlacedSuffix;
  ASSERT_GE(messages_.texts[0].size(), suffix.size());
  EXPECT_EQ(messages_.texts[0].substr(messages_.texts[0].size() - suffix.size()), suffix)
      << messages_.texts[0];
  EXPECT_EQ(frame_.posted.back(), std::make_tuple(ports::WindowMessage::bet_placed, 0, 100));
  EXPECT_DOUBLE_EQ(context_.balance, before - 100);

  std::vector<protocol::GroupedBetRecord> records;
  const auto fetched = protocol::fetch_unsettled_outrights(session_, records);
  ASSERT_TRUE(fetched) << fetched.error();
  ASSERT_EQ(records.size(), 1u);
  // The record names the event with its league, as the hall's group heading does.
  const auto& event = hall_.matches()[placed_on];
  EXPECT_EQ(records[0].home_team, event.league + " " + event.home_team);
  EXPECT_EQ(records[0].away_team, confirmation_.shown[0].choice);
  EXPECT_DOUBLE_EQ(records[0].stake, 100);
}

TEST_F(OutrightBetAgainstServer, BasketballEventsShowTheSideMarketsAtTheirPrices) {
  bool basketball = false;
  for (std::size_t line = 0; line < hall_.line_count(); ++line) {
    const auto& event = hall_.matches()[line];
    if (event.neutral_venue) continue;
    const auto shown = window_.shown.size();
    hall_.click(line, betting::OutrightHall::kMore);
    ASSERT_EQ(window_.shown.size(), shown + 1) << event.home_team;
    const auto& tabs = window_.shown.back().tabs;
    if (event.line_kind != 9) {
      EXPECT_EQ(tabs.size(), 1u);
      continue;
    }
    basketball = true;
    ASSERT_EQ(tabs.size(), 3u);
    // The bands come through the client's pairing of totals sides unchanged.
    EXPECT_EQ(tabs[1].choices[0].text, "总决赛总分199分或以下 (3.400)");
    EXPECT_EQ(tabs[1].choices[1].text, "总决赛总分200至219分 (2.350)");
    EXPECT_EQ(tabs[1].choices[2].text, "总决赛总分220分或以上 (2.900)");
    EXPECT_FALSE(tabs[1].choices[3].shown);
    EXPECT_EQ(tabs[2].choices[0].text, "总决赛总分单数 (1.900)");
    EXPECT_EQ(tabs[2].choices[1].text, "总决赛总分双数 (1.900)");
  }
  EXPECT_TRUE(basketball);
  EXPECT_TRUE(confirmation_.shown.empty());
}

}  // namespace
