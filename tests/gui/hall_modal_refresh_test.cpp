// Every modal window a hall opens runs its own event loop, under which the Main window's timer keeps
// sending the page its timed refresh. Here each hall's windows are opened for real and, inside each
// one, the page gets a refresh that replaces its whole list with an empty one before the window is
// answered. Under AddressSanitizer a flow that held a reference into the old list fails here.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "../core/betting/hall_fixture.h"
#include "core/betting/banker_hall.h"
#include "core/betting/hall_model.h"
#include "core/betting/parlay_hall.h"
#include "core/net/client_context.h"
#include "gui/app/main_window.h"
#include "gui/betting/banker_page.h"
#include "gui/betting/hall_page.h"
#include "gui/betting/hall_pages.h"
#include "gui/betting/outright_ticket_window.h"
#include "gui/betting/parlay_windows.h"
#include "gui/betting/stake_window.h"
#include "support/temp_dir.h"

namespace {

using namespace brindle;
using brindle::testing::kFirstDay;
using brindle::testing::match_line;
using brindle::testing::odds_line;

// Team names are longer than a string keeps in itself, so that a row a refresh destroyed leaves
// freed memory behind for the sanitizer to see, not text that still reads right.
const std::string kBalance = "1|ok|0|0|10000|1|0";

// The hall pages over a scripted server, and a driver that meets each modal window as it opens:
// first the page's timed refresh to an empty list, then the window's scripted answer.
struct ModalRefresh : brindle::testing::HallFixture {
  using Answer = std::function<void(QWidget&)>;

  ModalRefresh() { context.balance = 10000; }

  QWidget* open_page(int number, const std::vector<std::vector<std::string>>& opening) {
    for (const auto& r : opening) reply(r);
    page = std::unique_ptr<QWidget>(halls.make_page(number, nullptr));
    return page.get();
  }

  // The replies of each refresh that runs inside a window, and the window's answer after it.
  void expect_window(std::vector<std::vector<std::string>> refresh_replies, Answer answer) {
    steps.push_back({std::move(refresh_replies), std::move(answer)});
  }

  // Runs `act`, meeting each modal window in turn; any window beyond the script is rejected.
  void run(const std::function<void()>& act) {
    QTimer timer;
    timer.setInterval(5);
    QWidget* handled = nullptr;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == handled) return;
      handled = modal;
      opened.push_back(modal->metaObject()->className());
      if (steps.empty()) {
        static_cast<QDialog*>(modal)->reject();
        return;
      }
      Step step = std::move(steps.front());
      steps.pop_front();
      // Two timed refreshes: a hall may keep the lines it replaced until its next fetch.
      for (int twice = 0; twice < 2; ++twice) {
        for (const auto& r : step.refresh) reply(r);
        dynamic_cast<gui::MainWindowPage&>(*page).main_window_message(
            static_cast<int>(ports::WindowMessage::refresh_account), 0, 0);
      }
      step.answer(*modal);
    });
    timer.start();
    act();
    timer.stop();
    EXPECT_TRUE(steps.empty()) << steps.size() << " scripted window(s) never opened";
    EXPECT_EQ(transport.pending(), 0u) << "a reply scripted for a refresh under a window was never asked for";
  }

  struct Step {
    std::vector<std::vector<std::string>> refresh;
    Answer answer;
  };
  brindle::testing::TempDir skin;
  gui::HallPages halls{{context, transport, progress, messages, shell, skin.path(), false}};
  std::unique_ptr<QWidget> page;
  std::deque<Step> steps;
  std::vector<std::string> opened;
};

betting::HallModel& hall_of(QWidget* page) { return static_cast<gui::HallPage*>(page)->hall(); }

void submit_stake(QWidget& window) {
  auto& stake = static_cast<gui::StakeWindow&>(window);
  stake.stake_field()->setText("100");
  stake.findChild<QPushButton*>("submit")->click();
}

void accept(QWidget& window) { static_cast<QDialog&>(window).accept(); }

const std::vector<std::string> kEmptyList{"1|ok|0"};

TEST(HallModalRefresh, AsianHandicapTicketHistoryAndTrend) {
  ModalRefresh f;
  const std::vector<std::string> list{
      "1|ok|0", match_line(1, "英超", kFirstDay, "曼彻斯特联足球俱乐部", "利物浦足球俱乐部"),
      odds_line(1, 0, 11, 3, "0.95"), odds_line(1, 0, 12, -3, "0.95")};
  QWidget* page = f.open_page(betting::kAsianHandicapPage, {list, {kBalance}});
  // The ticket: the frozen check, the stake window, the confirmation, the bet.
  f.reply({"1|ok|0"});
  f.expect_window({kEmptyList, {kBalance}}, submit_stake);
  f.expect_window({kEmptyList, {kBalance}}, [&](QWidget& w) {
    f.reply({"1|投注成功|9900|100"});
    accept(w);
  });
  f.run([&] { hall_of(page).click(0, 4); });
  EXPECT_EQ(f.messages.texts.back(), "投注成功\n请留意投注记录。");

  // The trend, after a fresh list; the history window asks its own requests on opening.
  f.reply(list);
  f.reply({kBalance});
  hall_of(page).refresh();
  f.reply({"1|ok", "45352.5|3|0.9|0"});
  f.expect_window({kEmptyList, {kBalance}}, accept);
  f.run([&] { hall_of(page).click(0, 10); });
  f.reply(list);
  f.reply({kBalance});
  hall_of(page).refresh();
  f.expect_window({kEmptyList, {kBalance}}, accept);
  f.run([&] { hall_of(page).click(0, 9); });
  EXPECT_EQ(f.opened,
            (std::vector<std::string>{"brindle::gui::StakeWindow", "brindle::gui::BetConfirmationWindow",
                                      "brindle::gui::OddsTrendWindow", "brindle::gui::MatchHistoryWindow"}));
}

TEST(HallModalRefresh, OverUnderTicket) {
  ModalRefresh f;
  QWidget* page =
      f.open_page(betting::kOverUnderPage,
                  {{"1|ok|0", match_line(1, "英超", kFirstDay, "曼彻斯特联足球俱乐部", "利物浦足球俱乐部"),
                    odds_line(1, 3, 11, 10, "0.90"), odds_line(1, 3, 12, -10, "1.00")},
                   {kBalance}});
  f.reply({"1|ok|0"});
  f.expect_window({kEmptyList, {kBalance}}, submit_stake);
  f.expect_window({kEmptyList, {kBalance}}, [&](QWidget& w) {
    f.reply({"1|投注成功|9900|100"});
    accept(w);
  });
  f.run([&] { hall_of(page).click(0, 3); });
  EXPECT_EQ(f.subjects().back(), 3010);
  EXPECT_EQ(f.opened.size(), 2u);
}

TEST(HallModalRefresh, InPlayTicket) {
  ModalRefresh f;
  QWidget* page = f.open_page(
      betting::kInPlayPage,
      {{"1|ok|0", match_line(1, "英超", kFirstDay, "曼彻斯特联足球俱乐部", "利物浦足球俱乐部", 0, 1),
        odds_line(1, 8, 12, 3, "0.90", 190, 0, 1, 0), odds_line(1, 8, 13, -3, "1.00", 190, 0, 1, 0)}});
  f.reply({"1|ok|0|12|3|0.90|13|-3|1.00|190|1|0"});
  f.expect_window({kEmptyList}, submit_stake);
  f.expect_window({kEmptyList}, [&](QWidget& w) {
    f.reply({"1|ok|0"});
    f.reply({"1|投注成功|9900|100|4711"});
    accept(w);
  });
  f.run([&] { hall_of(page).click(0, 4); });
  EXPECT_EQ(f.subjects().back(), 3020);
  EXPECT_EQ(f.opened.size(), 2u);
}

TEST(HallModalRefresh, ParlayMoreWindowAndConfirmation) {
  ModalRefresh f;
  const std::vector<std::string> list{
      "1|ok|0", match_line(1, "英超", kFirstDay, "曼彻斯特联足球俱乐部", "利物浦足球俱乐部"),
      odds_line(1, 1, 10, 1, "1.10"),
      match_line(2, "英超", kFirstDay, "阿森纳足球俱乐部", "切尔西足球俱乐部"),
      odds_line(2, 1, 20, 4, "0.90")};
  QWidget* page = f.open_page(betting::kParlayPage, {list, {kBalance}});
  auto& parlay = static_cast<betting::ParlayHall&>(hall_of(page));
  f.reply({"1|ok", "2|0|21|3|0.95|190", "2|0|22|-3|0.95|190"});
  f.expect_window({kEmptyList, {kBalance}}, [](QWidget& w) {
    auto& choice = static_cast<gui::MarketChoiceWindow&>(w);
    choice.choose(0, 0);
    choice.confirm_choice();
  });
  f.run([&] { parlay.click(1, betting::ParlayHall::kMore); });
  ASSERT_EQ(parlay.ticket().legs().size(), 1u);

  f.reply(list);
  f.reply({"1|ok", "2|0|21|3|0.95|190", "2|0|22|-3|0.95|190"});
  f.reply({kBalance});
  hall_of(page).refresh();
  parlay.click(0, betting::ParlayHall::kHomeWin);
  parlay.ticket().edit_stake(0, "30");
  f.expect_window({kEmptyList, {kBalance}}, [&](QWidget& w) {
    f.reply({"1|投注成功|9940|60"});
    accept(w);
  });
  f.run([&] { parlay.ticket().bet(); });
  EXPECT_EQ(f.subjects().back(), 3010);
  EXPECT_TRUE(parlay.ticket().legs().empty());
  EXPECT_EQ(f.opened, (std::vector<std::string>{"brindle::gui::MarketChoiceWindow",
                                                "brindle::gui::ConfirmationWindow"}));
}

TEST(HallModalRefresh, OutrightTicket) {
  ModalRefresh f;
  const std::vector<std::string> list{"1|ok|0", match_line(70, "世界杯", kFirstDay, "2026世界杯冠军", "")};
  QWidget* page = f.open_page(betting::kOutrightPage, {list, {kBalance}});
  f.reply({"1|ok", "70|2|0|1|9.5|0|巴西|701|0", "70|2|0|2|2.25|0|阿根廷|702|0"});
  f.expect_window({kEmptyList, {kBalance}}, [](QWidget& w) {
    auto& ticket = static_cast<gui::OutrightTicketWindow&>(w);
    ticket.choice(0, 1)->setChecked(true);
    ticket.stake_field()->setText("100");
    ticket.findChild<QPushButton*>("ok")->click();
  });
  f.expect_window({kEmptyList, {kBalance}}, [&](QWidget& w) {
    f.reply({"1|投注成功|9900|100"});
    accept(w);
  });
  f.run([&] { hall_of(page).click(0, 3); });
  EXPECT_EQ(f.messages.texts.back(), "投注成功\n请留意投注记录。");
  EXPECT_EQ(f.opened.size(), 2u);
}

TEST(HallModalRefresh, BankerTicket) {
  ModalRefresh f;
  const std::vector<std::string> list{"1|ok", "9001|45352.75|45352.75|英超|曼联|利物浦",
                                      "9001|1|0|501|1|1000|0.85|300|庄家甲|1"};
  QWidget* page = f.open_page(betting::kBankerMarketsPage, {list, {kBalance}});
  auto& banker = static_cast<gui::BankerPage*>(page)->hall();
  banker.select({0, 0, 0, 0});
  ASSERT_EQ(banker.offers().size(), 1u);
  f.expect_window({{"1|ok"}, {kBalance}}, submit_stake);
  f.expect_window({{"1|ok"}, {kBalance}}, [&](QWidget& w) {
    f.reply({"1|成功|9900|100|20260001"});
    accept(w);
  });
  f.run([&] { banker.click(0, betting::kBankerBetColumn); });
  EXPECT_EQ(f.paras().back(), "501|100");
  EXPECT_EQ(f.opened.size(), 2u);
}

// The category tree's selection runs queued; a refresh that rebuilds the tree before it runs must not
// leave it an index into the old nodes.
TEST(BankerPageSelection, ARefreshBeforeTheQueuedSelectionRunsLeavesNoStaleIndex) {
  ModalRefresh f;
  const std::vector<std::string> two{
      "1|ok", "9001|45352.75|45352.75|英超|曼联|利物浦", "9001|1|0|501|1|1000|0.85|300|庄家甲|1",
      "9002|45353.75|45353.75|西甲|皇马|巴萨", "9002|1|0|502|1|500|0.9|0|庄家乙|1"};
  QWidget* page = f.open_page(betting::kBankerMarketsPage, {two, {kBalance}});
  auto& banker = *static_cast<gui::BankerPage*>(page);
  auto* model = banker.tree_model();
  const QModelIndex second_match = model->index(0, 0, model->index(1, 0, model->index(0, 0)));
  ASSERT_TRUE(second_match.isValid());
  banker.tree()->setCurrentIndex(model->index(0, 0, second_match));
  f.reply({"1|ok"});
  f.reply({kBalance});
  banker.main_window_message(static_cast<int>(ports::WindowMessage::refresh_account), 0, 0);
  QCoreApplication::processEvents();
  EXPECT_TRUE(banker.hall().offers().empty());
}

// Page 7's in-play button runs the same check as the halls': a member in the in-play web mode whose
// account is frozen is told so and stays where he is.
TEST(OtherGamesPageInPlayButton, RunsTheHallsInPlayCheck) {
  ModalRefresh f;
  std::vector<std::tuple<ports::WindowMessage, int, int>> posted;
  f.halls.set_frame([&](ports::WindowMessage m, int a, int b) { posted.emplace_back(m, a, b); });
  QWidget* page = f.open_page(betting::kOtherGamesPage, {});
  f.context.member_details.in_play_web_mode = 1;
  f.reply({"1|ok|1"});
  page->findChild<QAbstractButton*>("digun")->click();
  EXPECT_EQ(f.subjects(), (std::vector<int>{3033}));
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"账户被冻结！"}));
  EXPECT_TRUE(posted.empty());

  f.context.member_details.in_play_web_mode = 0;
  page->findChild<QAbstractButton*>("digun")->click();
  EXPECT_EQ(posted, (std::vector{std::make_tuple(ports::WindowMessage::go_to_page, 3, 0)}));
}

}  // namespace
