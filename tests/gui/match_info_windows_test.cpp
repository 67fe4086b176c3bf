// The history window against a scripted HTTPS server through the real transport (each tab's requests
// once, captions, the head-to-head tab on one list, a failure shown and the list left empty) and the
// trend chart's series, labels and axes. With BRINDLE_SCREENSHOT_DIR set it saves both (BRINDLE_SKIN_ROOT
// names the skin to draw them with).

#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QValueAxis>

#include "gui/matchinfo/match_history_window.h"
#include "gui/matchinfo/odds_trend_window.h"
#include "gui/ui/list_table_model.h"
#include "support/recording_ports.h"
#include "support/screenshots.h"
#include "support/scripted_session.h"

namespace {

using namespace brindle;
using brindle::testing::save_screenshot;
using brindle::testing::ScreenshotSkin;

struct HistoryWindowFixture : brindle::testing::ScriptedSession {
  std::string request(std::size_t i) const {
    const std::string body = server.requests().at(i).body;
    return body.substr(body.find("txtSubjectID=") + 13, 4) + ":" + para(i);
  }
  QString cell(int list, int row, int column) const {
    return window->table_model(list)->index(row, column).data().toString();
  }

  ScreenshotSkin skin;
  brindle::testing::RecordingMessages messages;
  std::unique_ptr<gui::MatchHistoryWindow> window;
};

TEST(MatchHistoryWindow, FetchesEachTabOnceAndShowsItsLists) {
  HistoryWindowFixture f;
  f.reply({"1|ok", "2026-11-28|20:00|北港|1|2|1|5|0|1|0.925", "2026-11-21|19:30|西城|0|0|2|3|0|3|0.85",
           "2026-11-14|20:00|东湖|1|-1|-1|1|0|0|0.3"});
  f.reply({"1|ok", "2026-11-30|15:00|南山|0|1|1|1|1|0|0.95"});
  f.window = std::make_unique<gui::MatchHistoryWindow>(f.session, f.messages, 77, "红队", "蓝队", 1);
  f.window->show();
  QCoreApplication::processEvents();

  EXPECT_EQ(f.window->windowTitle(), QStringLiteral("历史战绩"));
  EXPECT_EQ(f.window->tabs()->count(), 3);
  EXPECT_EQ(f.window->caption(0)->text(), QStringLiteral("红队近六场比赛成绩"));
  EXPECT_EQ(f.window->caption(1)->text(), QStringLiteral("蓝队近六场比赛成绩"));
  ASSERT_EQ(f.window->table_model(0)->rowCount(), 3);
  EXPECT_EQ(f.window->table_model(0)->headerData(5, Qt::Horizontal).toString(), QStringLiteral("盘路"));
  EXPECT_GE(f.window->table(0)->columnWidth(0), 160);
  EXPECT_EQ(f.cell(0, 1, 1), QStringLiteral("西城 vs 红队"));
  EXPECT_EQ(f.cell(0, 1, 3), QStringLiteral("受让半球"));
  EXPECT_EQ(f.cell(0, 2, 2), QStringLiteral("无效比赛"));
  EXPECT_EQ(f.cell(0, 2, 4), QString());
  EXPECT_EQ(f.cell(1, 0, 5), QStringLiteral("平"));
  save_screenshot(*f.window, "match_history_window.png");

  f.reply({"0|暂无主场记录"});
  f.reply({"1|ok", "2026-11-30|15:00|南山|0|1|1|1|0|0|0.95"});
  f.window->tabs()->setCurrentIndex(1);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"暂无主场记录"}));
  EXPECT_EQ(f.window->table_model(0)->rowCount(), 0);
  EXPECT_EQ(f.cell(1, 0, 3), QStringLiteral("平手"));  // no "受让" on a level line here
  EXPECT_EQ(f.window->caption(1)->text(), QStringLiteral("蓝队近三个客场成绩"));

  f.reply({"1|ok", "46296.8125|红队|蓝队|2|1|5|0|1|0.95"});
  f.window->tabs()->setCurrentIndex(2);
  EXPECT_EQ(f.window->caption(0)->text(), QStringLiteral("两队历史交锋"));
  EXPECT_FALSE(f.window->table(1)->isVisible());
  EXPECT_FALSE(f.window->caption(1)->isVisible());
  EXPECT_EQ(f.cell(0, 0, 1), QStringLiteral("红队 vs 蓝队"));

  f.window->tabs()->setCurrentIndex(0);
  EXPECT_TRUE(f.window->table(1)->isVisible());
  EXPECT_EQ(f.window->table_model(0)->rowCount(), 3);
  ASSERT_EQ(f.server.requests().size(), 5u);
  EXPECT_EQ(f.request(0), "4023:77|1");
  EXPECT_EQ(f.request(3), "4024:77|0");
  EXPECT_EQ(f.request(4), "4026:77");
  EXPECT_EQ(f.messages.texts.size(), 1u);
}

TEST(OddsTrendWindow, DrawsTheBalancedOddsWithLabelsAxesAndTitle) {
  ScreenshotSkin skin;
  ports::OddsTrend trend{{}, "蓝队", true, 1, 190, ""};
  const double prices[] = {0.95, 0.9, 0.86, 0.92, 0.88, 0.8,  0.84, 0.9,  0.93,
                           0.97, 1.0, 0.96, 0.9,  0.85, 0.82, 0.87, 0.91, 0.95};
  int i = 0;
  for (const double price : prices) trend.points.push_back({"", i < 9 ? 5 : 3, price, i++ % 5 == 4 ? 1 : 0});
  gui::OddsTrendWindow window(trend);
  window.show();
  QCoreApplication::processEvents();

  QChart* chart = window.chart();
  EXPECT_EQ(chart->title(), QStringLiteral("蓝队队赔率走势"));
  auto* line = qobject_cast<QLineSeries*>(chart->series().at(0));
  ASSERT_NE(line, nullptr);
  ASSERT_EQ(line->count(), 16);  // the last 16 of 18
  EXPECT_EQ(line->at(0).x(), 1.0);
  EXPECT_NEAR(line->at(0).y(), 0.86 + 0.05 + 1.0, 1e-9);
  ASSERT_EQ(chart->series().size(), 17);
  auto* first_marker = qobject_cast<QScatterSeries*>(chart->series().at(1));
  ASSERT_NE(first_marker, nullptr);
  EXPECT_EQ(first_marker->pointLabelsFormat(), QStringLiteral("受让一球"));
  auto* y = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).at(0));
  auto* x = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).at(0));
  ASSERT_TRUE(x && y);
  EXPECT_EQ(y->min(), 1.4);
  EXPECT_EQ(y->max(), 2.4);
  EXPECT_DOUBLE_EQ(y->tickInterval(), 0.05);
  EXPECT_EQ(y->minorTickCount(), 1);
  EXPECT_EQ(x->max(), 17.0);
  EXPECT_DOUBLE_EQ(x->tickInterval(), 1.0);
  save_screenshot(window, "odds_trend_chart.png");
}

}  // namespace
