// The records window offscreen against a scripted HTTPS server through the real transport: tab 0
// fetched on opening, tab 4 on first show, the range row and the buttons by tab, the detail list
// from the "详细" cell and from the button, 撤单 of the chosen row, a settled tab over its range. With
// BRINDLE_SCREENSHOT_DIR set it saves tabs 0 and 4 and tab 7 and the two detail lists (BRINDLE_SKIN_ROOT
// names the Program directory whose dialog skin draws them).

#include "gui/accounts/records_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

#include "../core/accounts/accounts_fixture.h"
#include "gui/ui/list_table_model.h"
#include "support/screenshots.h"
#include "support/scripted_session.h"

namespace {

using namespace brindle;
using brindle::testing::save_screenshot;
using brindle::testing::ScreenshotSkin;

struct RecordsServer : brindle::testing::ScriptedSession {
  ScreenshotSkin skin;
  brindle::testing::RecordingMessages messages;
  brindle::testing::ScriptedConfirmation confirmation;
  brindle::testing::RecordingListOutput output;
};

// Runs `inspect` on the modal window that the next action opens, then closes it.
void on_next_modal(std::function<void(QWidget&)> inspect) {
  QTimer::singleShot(0, [inspect = std::move(inspect)] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    QTest::qWait(30);
    inspect(*modal);
    static_cast<QDialog*>(modal)->accept();
  });
}

QString cell(const gui::RecordsWindow& window, int row, int column) {
  return window.list_model()->index(row, column).data().toString();
}

TEST(RecordsWindow, TabsFetchedOnFirstShowDetailsCancellationAndARangeQuery) {
  RecordsServer f;
  f.reply({"1|ok", "42|1|10|0|45352.75|网上|t|0|英超|曼彻斯特联|利物浦|0|0|1|1|0.9|0",
           "43|1|25.5|0|45352.8|网上|t|2|西甲|皇家马德里|巴塞罗那|0|0|3|10|0.95|5",
           "44|2|50|0|45352.8|网上|t|1|意甲|米兰|国米|0|0|1|0|0.8|0"});
  gui::RecordsWindow window(f.session, f.messages, f.confirmation, f.output);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("投注记录"));
  EXPECT_EQ(window.tabs()->count(), 10);
  ASSERT_EQ(window.list_model()->rowCount(), 2);  // the two-leg record is counted only
  EXPECT_EQ(cell(window, 0, 0), QStringLiteral("曼彻斯特联 vs 利物浦"));
  EXPECT_EQ(cell(window, 1, 7), QStringLiteral("待定"));
  EXPECT_EQ(window.summary()->text(), QStringLiteral("共3笔投注，总资金：35.50。"));
  // An unsettled tab has no range, but its 查询 fetches it again.
  EXPECT_FALSE(window.start_edit()->isVisible());
  EXPECT_TRUE(window.query_button()->isVisible());
  EXPECT_FALSE(window.cancel_button()->isVisible());
  save_screenshot(window, "records_tab0.png");
  f.reply({"1|ok", "42|1|10|0|45352.75|网上|t|0|英超|曼彻斯特联|利物浦|0|0|1|1|0.9|0"});
  window.query_button()->click();
  EXPECT_EQ(f.subjects(), (std::vector<int>{4054, 4054}));
  EXPECT_EQ(window.list_model()->rowCount(), 1);

  // A settled tab shows its range (seven days back to the end of today) and waits for 查询.
  window.tabs()->setCurrentIndex(1);
  EXPECT_TRUE(window.start_edit()->isVisible());
  EXPECT_EQ(window.start_edit()->dateTime().daysTo(window.end_edit()->dateTime()), 7);
  EXPECT_EQ(window.list_model()->rowCount(), 0);
  EXPECT_TRUE(window.summary()->text().isEmpty());

  f.reply({"1|ok|", "77|1|0|曼彻斯特联|利物浦|1000|45352.75|200", "77|1|300|255", "77|3|100|85",
           "78|3|0|皇家马德里|巴塞罗那|500|45352.8|0", "78|-10|50|45"});
  window.tabs()->setCurrentIndex(4);
  EXPECT_EQ(f.subjects(), (std::vector<int>{4054, 4054, 4020}));
  ASSERT_EQ(window.list_model()->rowCount(), 2);
  EXPECT_EQ(cell(window, 0, 2), QStringLiteral("1000.00(200.00)"));
  EXPECT_EQ(window.summary()->text(), QStringLiteral("共2场开盘，占用资金：1300.00。"));
  EXPECT_TRUE(window.cancel_button()->isVisible());
  EXPECT_TRUE(window.detail_button()->isVisible());
  save_screenshot(window, "records_tab4.png");

  // A click on the 详细 cell opens the market's bets.
  QString title;
  int rows = 0;
  on_next_modal([&](QWidget& detail) {
    title = detail.windowTitle();
    rows = static_cast<gui::RecordDetailWindow&>(detail).table()->model()->rowCount();
    save_screenshot(detail, "records_detail.png");
  });
  const QRect detail_cell = window.table()->visualRect(window.list_model()->index(0, 5));
  QTest::mouseClick(window.table()->viewport(), Qt::LeftButton, {}, detail_cell.center());
  EXPECT_EQ(title, QStringLiteral("曼彻斯特联 vs 利物浦 胜平负盘 详细清单"));
  EXPECT_EQ(rows, 2);

  // 撤单 of the chosen row: the confirmation, 2014 with its number, the reply, then the list again.
  window.table()->selectRow(1);
  f.reply({"1|撤单成功"});
  f.reply({"1|ok|", "77|1|0|曼彻斯特联|利物浦|1000|45352.75|200", "77|1|300|255"});
  window.cancel_button()->click();
  EXPECT_EQ(f.subjects(), (std::vector<int>{4054, 4054, 4020, 2014, 4020}));
  EXPECT_EQ(f.messages.texts.back(), "撤单成功");
  EXPECT_EQ(window.list_model()->rowCount(), 1);
  EXPECT_EQ(f.para(3), "78");

  // A settled tab queries over its range.
  window.tabs()->setCurrentIndex(7);
  window.start_edit()->setDateTime(QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
  window.end_edit()->setDateTime(QDateTime(QDate(2024, 3, 3), QTime(12, 0)));
  f.reply({"1|ok|", "901|3|10|6|45352.75|网上|45353.5|86.5|0",
           "901|t|0|英超|曼彻斯特联|利物浦|0|0|1|1|0.9|赢",
           "901|t|0|西甲|皇家马德里|巴塞罗那|0|0|3|10|0.95|输", "901|t|0|意甲|米兰|国米|0|0|1|3|1.2|赢",
           "902|2|20|2|45352.8|网上|45353.5|-20|0", "902|t|0|德甲|拜仁|多特蒙德|0|0|1|2|2.1|输",
           "902|t|0|法甲|巴黎|里昂|0|0|1|1|0.7|赢"});
  window.query_button()->click();
  EXPECT_EQ(f.subjects(), (std::vector<int>{4054, 4054, 4020, 2014, 4020, 4030}));
  ASSERT_EQ(window.list_model()->rowCount(), 2);
  EXPECT_TRUE(window.table()->isColumnHidden(0));
  EXPECT_EQ(cell(window, 0, 2), QStringLiteral("三串四"));
  EXPECT_EQ(window.summary()->text(), QStringLiteral("共2笔投注，盈利：86.50，亏损：-20.00。"));
  save_screenshot(window, "records_tab7.png");

  on_next_modal([&](QWidget& detail) {
    title = detail.windowTitle();
    rows = static_cast<gui::RecordDetailWindow&>(detail).table()->model()->rowCount();
    save_screenshot(detail, "records_tab7_detail.png");
  });
  window.table()->selectRow(0);
  window.detail_button()->click();
  EXPECT_EQ(title, QStringLiteral("三串四 详细清单"));
  EXPECT_EQ(rows, 3);

  // 详细 with no row chosen says so and opens nothing.
  window.table()->clearSelection();
  f.messages.texts.clear();
  window.detail_button()->click();
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"请选择您要查看详细清单的记录。"}));
}

}  // namespace
