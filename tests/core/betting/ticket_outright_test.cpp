// The outright ticket over a scripted window and server: what each tab shows, the checks of "确定"
// in their order, the confirmation, the bet and what is left afterwards.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <tuple>

#include "core/betting/outright_hall.h"
#include "core/betting/outright_ticket.h"
#include "core/net/client_context.h"
#include "hall_fixture.h"

namespace {

using namespace brindle;
using namespace brindle::betting;
using brindle::testing::kFirstDay;
using brindle::testing::match_line;

// One press of "确定": tab, choice, stake text.
using Press = std::tuple<int, int, std::string>;

// Presses "确定" as scripted until one passes; "取消" once the script runs out.
struct ScriptedOutrightWindow final : ports::OutrightTicketPort {
  bool run(const ports::OutrightTicketView& view, ports::OutrightTicketHandler& handler) override {
    shown.push_back(view);
    if (instructions_first) handler.show_instructions();
    while (!presses.empty()) {
      const auto [tab, choice, stake] = presses.front();
      presses.pop_front();
      if (handler.confirm(tab, choice, stake)) return true;
    }
    return false;
  }
  void open_page(const std::string& title, const std::string& address) override {
    pages.push_back(title + " " + address);
  }
  std::deque<Press> presses;
  bool instructions_first = false;
  std::vector<ports::OutrightTicketView> shown;
  std::vector<std::string> pages;
};

// An entry line of 5002: event, type, market closed, place, price, target, name, selection, disabled.
std::string entry(int event, int type, int place, const std::string& price, const std::string& name,
                  int selection, int disabled = 0, int closed = 0) {
  return std::to_string(event) + "|" + std::to_string(type) + "|" + std::to_string(closed) + "|" +
         std::to_string(place) + "|" + price + "|0|" + name + "|" + std::to_string(selection) + "|" +
         std::to_string(disabled);
}

struct Outright : brindle::testing::HallFixture {
  Outright() {
    context.room_number = 7;
    // Event 70 football, 71 basketball, 72 closed.
    reply({"1|ok|0", match_line(70, "世界杯", kFirstDay, "2026世界杯冠军", ""),
           match_line(71, "NBA", kFirstDay, "本赛季总冠军", "", 0, 0, 9),
           match_line(72, "英超", kFirstDay, "本赛季冠军", "", 1)});
    balance_reply();
    hall.refresh();
    frame.posted.clear();  // the refresh's own messages
  }
  void football_entries(int closed = 0) {
    reply({"1|ok", entry(70, 2, 1, "9.5", "巴西", 701, 0, closed), entry(70, 2, 2, "2.25", "阿根廷", 702),
           entry(70, 2, 3, "4", "法国", 703, 1), entry(70, 2, 44, "99", "其他", 744),
           entry(70, 2, 45, "1", "四十五", 745), entry(70, 2, 0, "1", "零", 0)});
  }
  ScriptedOutrightWindow window;
  OutrightHall hall{services(), window};
};

TEST(OutrightTicket, ChoicesShowTheirPlaceOddsAndState) {
  Outright f;
  f.football_entries();
  f.hall.click(0, OutrightHall::kMore);
  ASSERT_EQ(f.window.shown.size(), 1u);
  const auto& view = f.window.shown[0];
  EXPECT_EQ(view.event_name, "2026世界杯冠军");
  EXPECT_EQ(view.currency_label, "元整（不含小数）");
  ASSERT_EQ(view.tabs.size(), 1u);
  EXPECT_EQ(view.tabs[0].caption, "总冠军/指数");
  EXPECT_EQ(view.tabs[0].frame_title, "总冠军/指数(赔率包含本金)");
  const auto& choices = view.tabs[0].choices;
  ASSERT_EQ(choices.size(), 44u);
  EXPECT_EQ(choices[0].text, "巴西 (10.500)");
  EXPECT_TRUE(choices[0].shown && choices[0].enabled);
  // Disabled: visible, not choosable.
  EXPECT_EQ(choices[2].text, "法国 (5.000)");
  EXPECT_TRUE(choices[2].shown);
  EXPECT_FALSE(choices[2].enabled);
  EXPECT_EQ(choices[43].text, "其他 (100.000)");
  // Places 0 and 45 have no choice; empty places are hidden.
  int shown = 0;
  for (const auto& c : choices) shown += c.shown ? 1 : 0;
  EXPECT_EQ(shown, 4);
  EXPECT_FALSE(choices[3].shown);
}

TEST(OutrightTicket, BasketballEventsHaveThreeTabsFootballOne) {
  Outright f;
  f.reply({"1|ok", entry(71, 2, 1, "1.5", "湖人", 711), entry(71, 7, 1, "0.9", "总分单数", 712),
           entry(71, 7, 2, "0.9", "总分双数", 713)});
  f.hall.click(1, OutrightHall::kMore);
  ASSERT_EQ(f.window.shown.size(), 1u);
  const auto& tabs = f.window.shown[0].tabs;
  ASSERT_EQ(tabs.size(), 3u);
  EXPECT_EQ(tabs[1].caption, "篮球大小分");
  EXPECT_EQ(tabs[2].caption, "篮球单双数");
  EXPECT_EQ(tabs[0].choices[0].text, "湖人 (2.500)");
  EXPECT_FALSE(tabs[0].choices[1].shown);
  EXPECT_EQ(tabs[2].choices[0].text, "总分单数 (1.900)");
  EXPECT_EQ(tabs[2].choices[1].text, "总分双数 (1.900)");
  for (const auto& c : tabs[1].choices) EXPECT_FALSE(c.shown);
}

TEST(OutrightTicket, ConfirmChecksInTheirOrder) {
  struct Case {
    int tab;
    int choice;
    std::string stake;
    int market_closed;
    const char* message;  // nullptr: the checks pass
  };
  const Case cases[] = {
      {-1, -1, "100", 0, "请选择投注对象和赔率！"},
      {0, -1, "100", 0, "请选择投注对象和赔率！"},
      {0, 3, "100", 0, "请选择投注对象和赔率！"},  // hidden
      {0, 2, "100", 0, "请选择投注对象和赔率！"},  // disabled
      {1, 0, "100", 0, "请选择投注对象和赔率！"},  // no such tab for football
      {0, 0, "0", 1, "盘口已关闭！"},              // the market check comes before the stake's
      {0, 0, "", 0, "投注彩金不能为0！"},
      {0, 0, "0", 0, "投注彩金不能为0！"},
      {0, 0, "1", 0, "最小投注金额为10元！"},
      {0, 0, "9", 0, "最小投注金额为10元！"},
      {0, 0, "10", 0, nullptr},
      {0, 0, "1000", 0, nullptr},
      {0, 0, "1001", 0, "投注彩金不能超过可用金！"},
      {0, 0, "99999999999999999999999", 0, "投注彩金不能超过可用金！"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.choice) + " " + c.stake);
    Outright f;
    f.football_entries(c.market_closed);
    f.window.presses = {{c.tab, c.choice, c.stake}};
    f.confirmation.answers = {false};
    f.hall.click(0, OutrightHall::kMore);
    if (c.message) {
      EXPECT_EQ(f.messages.texts, (std::vector<std::string>{c.message}));
      EXPECT_TRUE(f.confirmation.shown.empty());
    } else {
      EXPECT_TRUE(f.messages.texts.empty());
      ASSERT_EQ(f.confirmation.shown.size(), 1u);
      EXPECT_EQ(f.confirmation.shown[0].stake, c.stake);
    }
  }
}

TEST(OutrightTicket, RefusalsKeepTheWindowOpenUntilAPressPasses) {
  Outright f;
  f.football_entries();
  f.window.presses = {{0, -1, "50"}, {0, 0, "9"}, {0, 1, "10"}};
  f.reply({"1|投注成功|990|0"});
  f.hall.click(0, OutrightHall::kMore);
  EXPECT_EQ(f.window.shown.size(), 1u);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"请选择投注对象和赔率！", "最小投注金额为10元！",
                                                        "投注成功\n请留意投注记录。"}));
  ASSERT_EQ(f.confirmation.shown.size(), 1u);
  EXPECT_EQ(f.confirmation.shown[0].choice, "阿根廷");
  EXPECT_EQ(f.confirmation.shown[0].odds, "3.250000");
}

TEST(OutrightTicket, PlacedBetSendsTheSelectionOneStakeAndTheRoom) {
  Outright f;
  f.football_entries();
  f.window.presses = {{0, 0, "120"}};
  f.reply({"1|投注成功|880|120"});
  f.hall.click(0, OutrightHall::kMore);
  ASSERT_EQ(f.confirmation.shown.size(), 1u);
  const auto& shown = f.confirmation.shown[0];
  EXPECT_EQ(shown.title, "总冠军投注");
  EXPECT_EQ(shown.choice, "巴西");
  EXPECT_EQ(shown.odds, "10.500000");
  EXPECT_EQ(shown.stake, "120");
  EXPECT_EQ(shown.currency, "元");
  EXPECT_EQ(f.subjects().back(), 3050);
  EXPECT_EQ(f.paras().back(), "1|0000000701|00009500|1|00000001|000120|7");
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"投注成功\n请留意投注记录。"}));
  EXPECT_EQ(
      f.frame.posted,
      (std::vector<std::tuple<ports::WindowMessage, int, int>>{{ports::WindowMessage::bet_placed, 0, 120}}));
  EXPECT_DOUBLE_EQ(f.context.balance, 880);
}

TEST(OutrightTicket, EveryOtherEndLeavesNoBetAndDoesNotReopen) {
  struct Case {
    const char* name;
    bool confirm;
    std::vector<std::string> server;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"confirmation cancelled", false, {}, {}},
      {"refused", true, {"0|赛事已开始"}, {"赛事已开始"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Outright f;
    f.football_entries();
    f.window.presses = {{0, 0, "100"}};
    f.confirmation.answers = {c.confirm};
    if (!c.server.empty()) f.reply(c.server);
    const auto requests = f.transport.exchanges().size();
    f.hall.click(0, OutrightHall::kMore);
    EXPECT_EQ(f.window.shown.size(), 1u);
    EXPECT_EQ(f.messages.texts, c.messages);
    EXPECT_TRUE(f.frame.posted.empty());
    EXPECT_EQ(f.transport.exchanges().size(), requests + (c.server.empty() ? 0 : 1) + 1);
  }
}

TEST(OutrightTicket, ARefusedBetFetchesTheEntriesAgainNextTime) {
  Outright f;
  f.football_entries();
  f.window.presses = {{0, 0, "100"}};
  f.reply({"0|赔率已变化"});
  f.hall.click(0, OutrightHall::kMore);
  f.football_entries();
  f.hall.click(0, OutrightHall::kMore);
  f.hall.click(0, OutrightHall::kMore);  // a cancel keeps what is held
  int fetches = 0;
  for (int s : f.subjects()) fetches += s == 5002 ? 1 : 0;
  EXPECT_EQ(fetches, 2);
  EXPECT_EQ(f.window.shown.size(), 3u);
}

TEST(OutrightTicket, ChosenSelectionIsClearedWhateverHappens) {
  Outright f;
  protocol::MatchRecord event;
  event.match_number = 70;
  OutrightTicket ticket({f.session, f.messages, f.confirmation, f.frame, f.window}, event,
                        {protocol::OutrightEntry{70, 2, 0, 1, 9.5, 0, "巴西", 701, 0}});
  EXPECT_TRUE(ticket.confirm(0, 0, "100"));
  EXPECT_TRUE(ticket.chosen().has_value());
  f.confirmation.answers = {false};
  f.window.presses = {{0, 0, "100"}};
  EXPECT_EQ(ticket.run(), TicketOutcome::kCancelled);
  EXPECT_FALSE(ticket.chosen().has_value());
}

// Only the closed value 1 closes an event; the label beside the stake is fixed whatever the currency.
TEST(OutrightTicket, OnlyTheClosedValueOneClosesAndTheLabelIsFixed) {
  Outright f;
  f.context.currency_code = 2;
  f.reply({"1|ok|0", match_line(73, "世界杯", kFirstDay, "最佳射手", "", 2)});
  f.balance_reply();
  f.hall.refresh();
  f.reply({"1|ok", entry(73, 2, 1, "9.5", "某甲", 731)});
  f.hall.click(0, OutrightHall::kMore);
  EXPECT_TRUE(f.messages.texts.empty()) << f.messages.texts.front();
  ASSERT_EQ(f.window.shown.size(), 1u);
  EXPECT_EQ(f.window.shown[0].currency_label, "元整（不含小数）");
}

TEST(OutrightTicket, ClosedEventFailedFetchAndHeldEntries) {
  {
    Outright f;
    const auto requests = f.transport.exchanges().size();
    f.hall.click(2, OutrightHall::kMore);
    EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"赛事已关闭！"}));
    EXPECT_EQ(f.transport.exchanges().size(), requests);
    EXPECT_TRUE(f.window.shown.empty());
  }
  {
    Outright f;
    f.reply({"0|数据错误"});
    f.hall.click(0, OutrightHall::kMore);
    EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"数据错误"}));
    EXPECT_TRUE(f.window.shown.empty());
    // Nothing held after a failure: the next opening asks again.
    f.football_entries();
    f.hall.click(0, OutrightHall::kMore);
    EXPECT_EQ(f.window.shown.size(), 1u);
  }
  {
    Outright f;
    f.football_entries();
    f.hall.click(0, OutrightHall::kMore);
    f.hall.click(0, OutrightHall::kMore);
    EXPECT_EQ(f.window.shown.size(), 2u);
    int fetches = 0;
    for (int s : f.subjects()) fetches += s == 5002 ? 1 : 0;
    EXPECT_EQ(fetches, 1);
  }
}

TEST(OutrightTicket, InstructionsOpenThePageOfTheServer) {
  Outright f;
  f.football_entries();
  f.window.instructions_first = true;
  f.hall.click(0, OutrightHall::kMore);
  EXPECT_EQ(f.window.pages, (std::vector<std::string>{"玩法说明 http://srv.example:8443/instructions.asp"}));
}

}  // namespace
