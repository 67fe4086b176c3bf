// The star member's windows offscreen against a scripted HTTPS server through the real transport:
// the star-member window with its terms, the application, a transfer typed into the transfer window
// and a super cash-out typed into its window. With BRINDLE_SCREENSHOT_DIR set it saves the three
// windows (BRINDLE_SKIN_ROOT names the Program directory whose dialog skin draws them).

#include "gui/accounts/star_member_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "../core/accounts/accounts_fixture.h"
#include "core/app/main_window_commands.h"
#include "core/ports/frame_port.h"
#include "core/ports/shell_port.h"
#include "gui/accounts/super_cash_out_window.h"
#include "gui/accounts/transfer_window.h"
#include "gui/app/main_window.h"
#include "gui/net/masked_password_box.h"
#include "support/screenshots.h"
#include "support/scripted_session.h"
#include "support/temp_dir.h"
#include "wire/gbk.h"

namespace {

using namespace brindle;
using brindle::testing::save_screenshot;
using brindle::testing::ScreenshotSkin;

struct RecordingFrame final : ports::FramePort {
  void post(ports::WindowMessage m, int first, int second) override {
    posted.push_back({static_cast<int>(m), first, second});
  }
  std::vector<std::array<int, 3>> posted;
};

struct StarServer : brindle::testing::ScriptedSession {
  StarServer() {
    context.currency_code = 3;
    context.balance = 12000;
  }
  accounts::StarMemberServices flows() { return {session, messages, confirmation, frame}; }

  ScreenshotSkin skin;
  brindle::testing::RecordingMessages messages;
  brindle::testing::ScriptedConfirmation confirmation;
  RecordingFrame frame;
};

// Runs `fill` on the modal window that the next action opens, then submits or cancels it.
void on_next_modal(std::function<void(QWidget&)> fill, bool submit = true) {
  QTimer::singleShot(0, [fill = std::move(fill), submit] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    // Focus comes with activation, which the window system may give a moment after showing.
    (void)QTest::qWaitForWindowActive(modal);
    fill(*modal);
    if (submit) {
      static_cast<QDialog*>(modal)->accept();
    } else {
      static_cast<QDialog*>(modal)->reject();
    }
  });
}

TEST(StarMemberWindow, TermsApplicationAndATypedTransfer) {
  StarServer f;
  gui::TransferWindowPortImpl transfer_port(nullptr);
  int rooms_created = 0;
  gui::StarMemberWindow window({f.flows(), transfer_port, [&] { ++rooms_created; }});
  f.reply({"1|ok|8000|10000|1500|0.5"});
  ASSERT_TRUE(window.start());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("星级会员"));
  EXPECT_EQ(window.deposit_label()->text(), QStringLiteral("2)港币/人民币: 10000元  美元: 1500元。"));
  EXPECT_TRUE(window.apply_button()->isEnabled());
  EXPECT_TRUE(window.transfer_button()->isDefault());
  EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_TRUE(window.transfer_button()->hasFocus());
  save_screenshot(window, "star_member_window.png");

  f.reply({"1|申请成功"});
  window.apply_button()->click();
  EXPECT_EQ(f.context.star_member, 1);
  EXPECT_EQ(f.messages.texts.back(), "申请成功\n您已经可以创建房间或拨彩了，待审核通过后开始计算返彩！");

  // The transfer window opens on the receiving user's box; the password box shows stars only.
  on_next_modal([&](QWidget& modal) {
    auto& transfer = static_cast<gui::TransferWindow&>(modal);
    EXPECT_EQ(transfer.windowTitle(), QStringLiteral("拨彩"));
    EXPECT_TRUE(transfer.user_name_box()->hasFocus());
    QTest::keyClicks(transfer.user_name_box(), "bob");
    QTest::keyClicks(transfer.confirmed_user_name_box(), "bob");
    QTest::keyClicks(transfer.amount_box(), "3x00");  // the box takes digits only
    QTest::keyClicks(transfer.password_box(), "wd9");
    EXPECT_EQ(transfer.password_box()->displayText(), QStringLiteral("***"));
    save_screenshot(transfer, "transfer_window.png");
  });
  f.reply({"1|拨彩成功"});
  window.transfer_button()->click();
  EXPECT_EQ(f.subjects(), (std::vector<int>{1003, 2012, 2009}));
  EXPECT_EQ(f.para(2), "wd9|300.000000|bob");
  EXPECT_EQ(f.confirmation.shown.back().text, "您准备向用户bob拨彩，彩金为 300.00 港元。");
  EXPECT_EQ(f.messages.texts.back(), "拨彩成功");

  window.create_room_button()->click();
  EXPECT_EQ(rooms_created, 1);
  window.enter_room_button()->click();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(f.frame.posted.back(), (std::array<int, 3>{0x505, 1, 1}));
}

TEST(StarMemberWindow, ApplicationClosedToOtherSignIns) {
  StarServer f;
  f.context.login_mode = net::kLoginModeSecondary;
  f.context.star_member_terms = {"8000", "10000", "1500", "0.5"};  // kept from an earlier opening
  gui::TransferWindowPortImpl transfer_port(nullptr);
  gui::StarMemberWindow window({f.flows(), transfer_port, {}});
  ASSERT_TRUE(window.start());
  EXPECT_FALSE(window.apply_button()->isEnabled());
  EXPECT_TRUE(f.server.requests().empty());
  window.create_room_button()->click();  // nothing to open yet, and nothing breaks
}

TEST(SuperCashOutWindow, TypedAmountGoesToTheStarMember) {
  StarServer f;
  gui::SuperCashOutWindowPortImpl port(nullptr);
  on_next_modal([&](QWidget& modal) {
    auto& cash_out = static_cast<gui::SuperCashOutWindow&>(modal);
    EXPECT_EQ(cash_out.windowTitle(), QStringLiteral("超级兑现"));
    EXPECT_EQ(cash_out.star_member_label()->text(), QStringLiteral("您将要跟星级会员star兑现"));
    EXPECT_TRUE(cash_out.amount_box()->hasFocus());
    QTest::keyClicks(cash_out.amount_box(), "120");
    QTest::keyClicks(cash_out.password_box(), "wd");
    save_screenshot(cash_out, "super_cash_out_window.png");
  });
  f.reply({"1|兑现成功"});
  EXPECT_TRUE(accounts::run_super_cash_out(f.flows(), port, "star"));
  EXPECT_EQ(f.para(0), "wd|120.000000|star");
  EXPECT_EQ(f.messages.texts, std::vector<std::string>{"兑现成功"});
}

struct NoShell final : ports::ShellPort {
  void open_address(const std::string&) override {}
  bool file_exists(const std::string&) override { return false; }
  bool start_program(const std::string&) override { return false; }
};

TEST(SuperButton, StarMemberWindowOutsideARoomCashOutInside) {
  StarServer f;
  brindle::testing::TempDir dir;
  f.context.program_directory = dir.path();
  f.context.star_member_terms = {"8000", "10000", "1500", "0.5"};
  NoShell shell;
  gui::MainWindow main({f.context, f.transport, f.progress, f.messages, shell, {}, {}, {}});
  main.open(false);
  const auto press_super = [&](const char* expected_title) {
    QString title;
    on_next_modal([&](QWidget& modal) { title = modal.windowTitle(); }, false);
    main.button(app::kSuperButton)->click();
    EXPECT_EQ(title, QString::fromUtf8(expected_title));
  };
  press_super("星级会员");
  f.context.room_number = 17;
  press_super("超级兑现");
}

}  // namespace
