// The private-room windows offscreen against a scripted HTTPS server through the real transport: the
// room list with its groups and icons, entering with the password, a hall inside the room, the
// Login window's "私人房间" path ending in a room with the super button on bt_cash, and the
// create-room window's limits. With BRINDLE_SCREENSHOT_DIR set it saves the room list, the
// create-room window and a hall inside a room (BRINDLE_SKIN_ROOT names the Program directory whose
// skin draws them).

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "../core/betting/hall_fixture.h"
#include "../core/rooms/rooms_fixture.h"
#include "gui/app/main_window.h"
#include "gui/betting/hall_page.h"
#include "gui/betting/hall_pages.h"
#include "gui/net/masked_password_box.h"
#include "gui/rooms/create_room_window.h"
#include "gui/rooms/room_list_item_model.h"
#include "gui/rooms/room_list_window.h"
#include "gui/rooms/room_password_window.h"
#include "gui/ui/bitmap_button.h"
#include "gui/ui/skinned_frame.h"
#include "gui_app.h"
#include "skin_fixture.h"
#include "support/screenshots.h"
#include "support/scripted_session.h"
#include "support/temp_dir.h"
#include "wire/gbk.h"

namespace {

using namespace brindle;
using brindle::testing::room_line;
using brindle::testing::save_screenshot;

// Runs `act` on the first modal window of type T to come up, however deep the loop it runs in.
template <typename T>
void when_modal(std::function<void(T&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
    auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
    if (window == nullptr) return;
    timer->stop();
    timer->deleteLater();
    act(*window);
  });
  timer->start();
}

// The Program directory of the screenshots' skin, or a made-up skin folder with a hall.bmp of one
// blue pixel on magenta.
struct RoomsServer : brindle::testing::ScriptedSession {
  RoomsServer() {
    brindle::testing::gui_app();
    const QByteArray root = qgetenv("BRINDLE_SKIN_ROOT");
    if (!root.isEmpty() && !qgetenv("BRINDLE_SCREENSHOT_DIR").isEmpty()) {
      program = root.toStdString();
      gui::SkinnedFrame::set_dialog_theme(program / "SkinSM" / "theme.ini");
    } else {
      program = dir.path();
      std::filesystem::create_directories(program / "skin" / "900");
      brindle::testing::write_dialog_theme(program / "skin" / "900");
      QImage hall(16, 16, QImage::Format_RGB32);
      hall.fill(QColor(255, 0, 255));
      hall.setPixelColor(8, 8, Qt::blue);
      hall.save(QString::fromStdString((program / "skin" / "900" / "hall.bmp").string()), "BMP");
    }
    context.program_directory = program;
    context.skin_size_mode = 2;
    context.currency_code = 1;
    context.balance = 1000;
  }
  ~RoomsServer() { gui::SkinnedFrame::set_dialog_theme({}); }
  std::filesystem::path skin() const { return program / "skin" / "900"; }
  void room_list() {
    reply({"1|ok|", room_line("bob", "老鲍", "鲍家茶室", "123", 31, 101, "城东大厅"),
           room_line("alice", "阿丽", "丽家", "0042", 32, 7, "七号", "代理甲"),
           room_line("carol", "卡罗", "卡家", "9", 33, 101, "城东大厅"),
           room_line("alice", "阿丽", "丽家二", "77", 34, 101, "城东大厅")});
  }

  brindle::testing::TempDir dir;
  std::filesystem::path program;
  brindle::testing::RecordingMessages messages;
  brindle::testing::ScriptedRoomPassword password;
  brindle::testing::ScriptedCreateRoomWindow create_window;
};

TEST(RoomListWindow, GroupsIconsTheOwnRoomSelectedAndEnteringWithThePassword) {
  RoomsServer f;
  f.room_list();
  gui::RoomListWindow window({f.session, f.messages, f.password, f.create_window}, f.skin());
  QAbstractItemModelTester tester(window.items(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("进入私人房间"));
  EXPECT_TRUE(window.enter_button()->isDefault());

  auto* items = window.items();
  ASSERT_EQ(items->rowCount(), 3);
  EXPECT_EQ(items->headerData(0, Qt::Horizontal).toString(), QStringLiteral("房间名称"));
  EXPECT_EQ(items->headerData(1, Qt::Horizontal).toString(), QStringLiteral("创建者"));
  EXPECT_EQ(window.list()->columnWidth(0), 160);
  const QString captions[] = {QStringLiteral("城东大厅"), QStringLiteral("代理甲"),
                              QStringLiteral("城东大厅")};
  for (int group = 0; group < 3; ++group)
    EXPECT_EQ(items->index(group, 0).data().toString(), captions[group]) << group;
  const QModelIndex last = items->index(1, 1, items->index(2, 0));
  EXPECT_EQ(last.data().toString(), QStringLiteral("阿丽 - (密码：77)"));
  EXPECT_EQ(items->index(0, 1, items->index(0, 0)).data().toString(), QStringLiteral("老鲍"));
  EXPECT_EQ(window.list()->currentIndex().parent().row(), 2) << "the user's last room";
  EXPECT_EQ(window.list()->currentIndex().row(), 1);
  EXPECT_TRUE(window.list()->isExpanded(items->index(2, 0)));

  const auto icon = items->index(0, 0).data(Qt::DecorationRole).value<QPixmap>();
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.size(), QSize(16, 16));
  EXPECT_EQ(icon.toImage().pixelColor(0, 0).alpha(), 0) << "magenta is transparent";
  save_screenshot(window, "room_list.png");

  // "0123" enters bob's room, password 123, from the default button.
  window.list()->setCurrentIndex(items->index(0, 0, items->index(0, 0)));
  f.password.typed = {"0123"};
  QTest::keyClick(window.list(), Qt::Key_Return);  // the default button
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(f.context.room_number, 31);
  EXPECT_EQ(f.context.room_star_member, "bob");
  EXPECT_EQ(f.context.room_name, "鲍家茶室");
}

TEST(RoomPasswordWindow, MaskedBoxAndItsAnswer) {
  brindle::testing::gui_app();
  gui::RoomPasswordWindowPort port;
  std::optional<std::string> typed;
  QString title;
  when_modal<gui::RoomPasswordWindow>([&](gui::RoomPasswordWindow& window) {
    title = window.windowTitle();
    EXPECT_EQ(window.password_box()->echoMode(), QLineEdit::Password);
    // The modal window may be found before the window system has activated it and given the focus.
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(window.password_box()->hasFocus());
    QTest::keyClicks(window.password_box(), "0123");
    QTest::keyClick(window.password_box(), Qt::Key_Return);
  });
  typed = port.ask_room_password();
  EXPECT_EQ(title, QStringLiteral("输入房间密码"));
  EXPECT_EQ(typed, "0123");
  when_modal<gui::RoomPasswordWindow>([](gui::RoomPasswordWindow& window) { window.reject(); });
  EXPECT_EQ(port.ask_room_password(), std::nullopt);
}

TEST(CreateRoomWindow, PositionsAgentLabelAndASixteenCharacterName) {
  RoomsServer f;
  ports::CreateRoomContent content{
      "创建星级会员房间。", "选择房间位置：", true, {"城东大厅", "城西大厅"}, true};
  gui::CreateRoomWindow window(content, {1, "老地方"});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("创建房间"));
  EXPECT_EQ(window.explanation()->text(), QStringLiteral("创建星级会员房间。"));
  EXPECT_EQ(window.positions()->currentText(), QStringLiteral("城西大厅"));
  EXPECT_TRUE(window.name_box()->hasFocus());
  save_screenshot(window, "create_room.png");

  // Typed one character at a time (keyClicks knows only Latin-1 keys): the seventeenth is refused.
  window.name_box()->clear();
  for (const QChar c : QStringLiteral("一二三四五六七八九十一二三四五六七"))
    window.name_box()->insert(QString(c));
  EXPECT_EQ(window.name_box()->text(), QStringLiteral("一二三四五六七八九十一二三四五六"));
  EXPECT_EQ(window.entries().name, "一二三四五六七八九十一二三四五六");
  EXPECT_EQ(window.entries().position, 1);

  gui::CreateRoomWindow hidden({"创建星级会员房间。", "选择房间位置：", false, {"总部"}, true}, {0, ""});
  EXPECT_TRUE(hidden.positions()->isHidden());
  EXPECT_TRUE(hidden.position_label()->isHidden());
}

TEST(CreateRoomWindow, TheWholeSequenceFromItsEntryPoint) {
  RoomsServer f;
  f.context.star_member = 1;
  f.reply({"1|ok|10000|12000|1500|3"});
  f.reply({"1|ok", "5|代理甲", "101|城东大厅"});
  f.reply({"1|新房|8812|45352.75"});
  QString label;
  int entries = 0;
  when_modal<gui::CreateRoomWindow>([&](gui::CreateRoomWindow& window) {
    label = window.position_label()->text();
    entries = window.positions()->count();
    window.name_box()->insert(QStringLiteral("新房"));
    window.submit_button()->click();
  });
  EXPECT_TRUE(gui::create_room(f.session, f.messages, nullptr));
  EXPECT_EQ(label, QStringLiteral("你的代理是："));
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(f.subjects(), (std::vector<int>{1003, 4006, 3006}));
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"创建房间新房\n房间的密码为：8812"}));
}

std::vector<std::string> one_match() {
  using brindle::testing::match_line;
  using brindle::testing::odds_line;
  return {"1|ok|0", match_line(1, "英格兰超级联赛", brindle::testing::kFirstDay, "曼彻斯特联", "利物浦"),
          odds_line(1, 0, 11, 3, "0.95"), odds_line(1, 0, 12, -3, "0.95")};
}

// The Login window's "私人房间": the Main window opens on the Asian handicap hall, the room list comes
// up once it shows, the password enters the room; the hall's line names the room and the super button
// shows cash-out.
TEST(PrivateRoomPath, FromTheLoginWindowIntoARoomWithTheSuperButtonOnCashOut) {
  RoomsServer f;
  brindle::testing::RecordingShell shell;
  f.reply(one_match());
  f.reply({"1|ok|0|0|1000|1|0"});
  f.room_list();
  gui::HallPages halls({f.context, f.transport, f.progress, f.messages, shell, f.skin(), false});
  auto hall_page = [&halls](int page, QWidget* parent) { return halls.make_page(page, parent); };
  gui::MainWindow window({f.context, f.transport, f.progress, f.messages, shell, hall_page, {}, {}});
  halls.set_owner(&window);
  halls.set_frame(
      [&window](ports::WindowMessage m, int first, int second) { window.model().handle(m, first, second); });

  when_modal<gui::RoomListWindow>([](gui::RoomListWindow& list) {
    auto* items = list.items();
    list.list()->setCurrentIndex(items->index(0, 0, items->index(0, 0)));
    when_modal<gui::RoomPasswordWindow>([](gui::RoomPasswordWindow& password) {
      QTest::keyClicks(password.password_box(), "123ab");
      password.accept();
    });
    list.enter();
  });
  window.open(true);
  EXPECT_EQ(f.context.room_number, 0) << "the room list waits until the Main window shows";
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_TRUE(QTest::qWaitFor([&] { return f.context.room_number != 0; }));
  EXPECT_EQ(f.subjects(), (std::vector<int>{4027, 4012, 1004}));
  EXPECT_EQ(f.context.room_number, 31);
  auto* page = window.page(1);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->findChild<QLabel*>("locationText")->text(),
            QStringLiteral(" 您现在的位置：亚洲让球盘私人房间 — 鲍家茶室"));
  auto* super = dynamic_cast<gui::BitmapButton*>(window.button(5));
  ASSERT_NE(super, nullptr);
  EXPECT_EQ(super->prefix(), "bt_cash");
  EXPECT_EQ(window.model().cash_out_mode(), 1);
  save_screenshot(*page, "hall_in_room.png");

  // "公共房间" leaves: the room values go and the button is bt_super again.
  f.reply({"1|ok|0|0|1000|1|0"});
  static_cast<gui::HallPage*>(page)->hall().private_room_command();
  EXPECT_EQ(f.context.room_number, 0);
  EXPECT_EQ(f.context.room_name, "");
  EXPECT_EQ(super->prefix(), "bt_super");
  EXPECT_EQ(page->findChild<QLabel*>("locationText")->text(),
            QStringLiteral(" 您现在的位置：亚洲让球盘 — 公共房间"));
}

}  // namespace
