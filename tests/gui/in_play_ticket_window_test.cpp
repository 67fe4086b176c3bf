// The in-play ticket in its real windows offscreen: a price cell of the in-play hall opens it, and
// the time limits close the stake window and the confirmation on a scripted clock. With
// BRINDLE_SCREENSHOT_DIR set it saves the in-play stake windows and the confirmation, drawn with the
// skin of the Program directory $BRINDLE_SKIN_ROOT when that is set.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <deque>
#include <functional>
#include <memory>

#include "../core/betting/hall_fixture.h"
#include "core/betting/in_play_hall.h"
#include "core/betting/in_play_ticket.h"
#include "core/ports/notice_port.h"
#include "gui/betting/bet_confirmation_window.h"
#include "gui/betting/hall_item_model.h"
#include "gui/betting/hall_page.h"
#include "gui/betting/stake_window.h"
#include "gui/ui/qt_clock.h"
#include "support/screenshots.h"
#include "support/scripted_clock.h"
#include "support/temp_dir.h"

namespace {

using namespace brindle;
using brindle::testing::kFirstDay;
using brindle::testing::match_line;
using brindle::testing::odds_line;
using brindle::testing::ScreenshotSkin;
using C = betting::InPlayHall::Column;

struct DroppedNotices final : ports::NoticePort {
  void notice(const std::string&) override {}
};

// Runs one step for every modal window that comes up, in turn, from inside its event loop.
class ModalScript final {
 public:
  explicit ModalScript(std::deque<std::function<void(QWidget*)>> steps) : steps_(std::move(steps)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || modal == last_ || steps_.empty()) return;
      last_ = modal;
      auto step = std::move(steps_.front());
      steps_.pop_front();
      step(modal);
    });
    poll_.start(5);
  }
  bool done() const { return steps_.empty(); }

 private:
  std::deque<std::function<void(QWidget*)>> steps_;
  QWidget* last_ = nullptr;
  QTimer poll_;
};

void save_screenshot(QWidget* window, const char* name) {
  const QByteArray out = qgetenv("BRINDLE_SCREENSHOT_DIR");
  if (out.isEmpty()) return;
  window->repaint();
  EXPECT_TRUE(window->grab().save(QString::fromUtf8(out) + "/" + name));
}

QString label(QWidget* window, const char* name) {
  auto* l = window->findChild<QLabel*>(name);
  return l ? l->text() : QString();
}

struct InPlayPage : brindle::testing::HallFixture {
  InPlayPage() {
    reply({"1|ok|0", match_line(1, "英格兰超级联赛", kFirstDay, "曼彻斯特联", "利物浦", 0, 1),
           odds_line(1, 8, 12, 3, "0.90", 190, 0, 1, 0), odds_line(1, 8, 13, -3, "1.00", 190, 0, 1, 0),
           odds_line(1, 9, 14, 9, "0.85", 190, 0, 1, 0), odds_line(1, 9, 15, -9, "1.05", 190, 0, 1, 0)});
    const betting::HallServices services{session, messages, frame, shell, windows, stake, confirm};
    page = std::make_unique<gui::HallPage>(std::make_unique<betting::InPlayHall>(services, clock, follow_ups),
                                           gui::HallPage::Options{dir.path(), 0, false});
    page->resize(1000, 500);
    page->open();
    page->show();
  }
  void click_cell(int column) {
    auto* m = page->model();
    const QModelIndex cell = m->index(0, column, m->index(0, 0));
    ASSERT_TRUE(cell.data(gui::HallItemModel::kActionCellRole).toBool());
    auto* list = page->list();
    list->scrollTo(cell);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(cell).center());
  }

  ScreenshotSkin skin;
  brindle::testing::TempDir dir;
  brindle::testing::ScriptedClock clock;
  DroppedNotices notices;
  betting::InPlayFollowUps follow_ups{session, clock, notices};
  gui::StakeWindowPortImpl stake{0, nullptr};
  gui::BetConfirmationPortImpl confirm{nullptr};
  std::unique_ptr<gui::HallPage> page;
};

TEST(InPlayTicketWindows, APriceCellOpensTheStakeWindowWhichClosesItselfAfterTwentySeconds) {
  InPlayPage f;
  f.reply({"1|ok|0|12|3|0.90|13|-3|1.00|190|2|0"});  // the score moved
  QString header;
  ModalScript script({[&](QWidget* w) {
    header = label(w, "header");
    save_screenshot(w, "in_play_stake_window_handicap.png");
    f.clock.advance_seconds(19);
    EXPECT_TRUE(w->isVisible()) << "still open at 19 s";
    f.clock.advance_seconds(1);
  }});
  f.click_cell(C::kNegativeOdds);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"盘口或赔率已变化！"}));
  EXPECT_TRUE(header.endsWith(QStringLiteral("当前比分：2 : 0"))) << header.toStdString();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(f.subjects(), (std::vector<int>{4027, 4038}));
  EXPECT_EQ(f.clock.running(), 0u);
}

TEST(InPlayTicketWindows, TheConfirmationClosesItselfAfterTenSecondsAndEndsTheTicket) {
  InPlayPage f;
  f.reply({"1|ok|0|14|9|0.85|15|-9|1.05|190|1|0"});
  QString title;
  int stake_windows = 0;
  ModalScript script({[&](QWidget* w) {
                        ++stake_windows;
                        EXPECT_EQ(label(w, "odds"), QStringLiteral("1.850"));
                        w->findChild<QLineEdit*>("stake")->setText("100");
                        save_screenshot(w, "in_play_stake_window_totals.png");
                        qobject_cast<QDialog*>(w)->accept();
                      },
                      [&](QWidget* w) {
                        title = w->windowTitle();
                        save_screenshot(w, "in_play_confirmation.png");
                        f.clock.advance_seconds(10);
                      }});
  f.click_cell(C::kOverOdds);
  EXPECT_TRUE(script.done());
  EXPECT_EQ(stake_windows, 1);
  EXPECT_EQ(title, QStringLiteral("走地大小球盘投注"));
  EXPECT_EQ(f.subjects(), (std::vector<int>{4027, 4038})) << "no bet after the time-out";
  EXPECT_TRUE(f.messages.texts.empty());
}

TEST(QtClock, TicksUntilItsHandleGoesEvenFromInsideATick) {
  gui::QtClock clock;
  int ticks = 0;
  std::unique_ptr<ports::TimerHandle> handle;
  handle = clock.every(std::chrono::milliseconds(5), [&] {
    if (++ticks == 3) handle.reset();
  });
  QTest::qWait(100);
  EXPECT_EQ(ticks, 3);
}

}  // namespace
