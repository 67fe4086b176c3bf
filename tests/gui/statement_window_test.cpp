// The statement window against a scripted HTTPS server through the real transport: the opening
// range, a query filling the list and the three boxes, and print and export handing on that list. With
// BRINDLE_SCREENSHOT_DIR set it saves the window with its rows and boxes (BRINDLE_SKIN_ROOT names the skin to
// draw it with).

#include "gui/accounts/statement_window.h"

#include <gtest/gtest.h>

#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "gui/ui/list_table_model.h"
#include "support/recording_ports.h"
#include "support/screenshots.h"
#include "support/scripted_session.h"

namespace {

using namespace brindle;
using brindle::testing::save_screenshot;
using brindle::testing::ScreenshotSkin;

struct StatementWindowFixture : brindle::testing::ScriptedSession {
  QString cell(int row, int column) const {
    return window.table_model()->index(row, column).data().toString();
  }

  ScreenshotSkin skin;
  brindle::testing::RecordingMessages messages;
  brindle::testing::RecordingListOutput output;
  gui::StatementWindow window{session, messages, output, nullptr,
                              QDateTime(QDate(2026, 12, 8), QTime(15, 30, 12, 500))};
};

TEST(StatementWindow, QueriesAndShowsRowsAndBoxes) {
  StatementWindowFixture f;
  f.window.show();
  EXPECT_EQ(f.window.start_edit()->dateTime(), QDateTime(QDate(2026, 12, 2), QTime(0, 0)));
  EXPECT_EQ(f.window.end_edit()->dateTime(), QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59)));
  EXPECT_EQ(f.window.table_model()->rowCount(), 0);
  EXPECT_EQ(f.window.table_model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("本期结存"));
  EXPECT_EQ(f.window.table()->columnWidth(4), 220);

  f.reply({"1|ok", "46358.5|1|1000|网银入款|0", "46359.25|50|-10|0000000042|1000", "46360.75|8|-200|bob|990",
           "46361.1|23|500|授信|790"});
  f.window.query_button()->click();
  ASSERT_EQ(f.server.requests().size(), 1u);
  EXPECT_EQ(f.para(0), "20261202000000|20261208235959|0");
  ASSERT_EQ(f.window.table_model()->rowCount(), 4);
  EXPECT_EQ(f.cell(1, 1), QStringLiteral("投注亏损"));
  EXPECT_EQ(f.cell(1, 3), QStringLiteral("990.00"));
  EXPECT_EQ(f.cell(2, 4), QStringLiteral("拨出用户：bob"));
  EXPECT_EQ(f.window.summary_box(0)->text(), QStringLiteral("买彩：1000.00\n提彩：-200.00"));
  EXPECT_EQ(f.window.summary_box(1)->text(), QStringLiteral("盈利：0.00\n亏损：-10.00"));
  EXPECT_EQ(f.window.summary_box(2)->text(), QStringLiteral("受信：500.00\n返彩：0.00"));

  save_screenshot(f.window, "statement_window.png");

  f.window.print_button()->click();
  f.window.export_button()->click();
  ASSERT_EQ(f.output.printed.size(), 1u);
  EXPECT_EQ(f.output.printed[0].title, "交易记录(2026/12/02 - 2026/12/08)");
  EXPECT_EQ(f.output.printed[0].rows.size(), 4u);
  EXPECT_EQ(f.output.exported.size(), 1u);
}

}  // namespace
