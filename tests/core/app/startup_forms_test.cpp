// The Login window's and the Settings window's rules, and the exit question.

#include <gtest/gtest.h>

#include "core/app/exit_confirmation.h"
#include "core/app/settings_form.h"
#include "core/net/list_cache.h"
#include "core/net/login_form.h"
#include "core/net/settings_file.h"
#include "core/ports/message_port.h"
#include "support/temp_dir.h"

namespace {

using brindle::net::LoginForm;
using brindle::net::SettingsFile;

class Forms : public ::testing::Test {
 protected:
  void SetUp() override {
    context_.program_directory = dir_.path();
    ASSERT_TRUE(
        brindle::net::write_list_cache(dir_ / "skin.dat", {{"a.test", 1}, {"b.test", 2}, {"a.test", 3}}));
  }
  SettingsFile settings() const { return SettingsFile(dir_ / "Vantora.ini"); }
  brindle::testing::TempDir dir_;
  brindle::net::ClientContext context_;
};

TEST_F(Forms, LoginWindowSelectsTheFirstEntryEqualToTheChosenServer) {
  settings().write_text("SERVER", "Current Server", "a.test");
  LoginForm form;
  const auto view = form.prepare(context_);
  EXPECT_EQ(view.servers, (std::vector<std::string>{"a.test", "b.test", "a.test"}));
  EXPECT_EQ(view.selected, 0);
  EXPECT_EQ(view.server_text, "a.test");

  settings().write_text("SERVER", "Current Server", "typed.test");
  const auto unlisted = LoginForm().prepare(context_);
  EXPECT_EQ(unlisted.selected, -1);
  EXPECT_EQ(unlisted.server_text, "typed.test");
}

TEST_F(Forms, LoginWindowRemembersTheIndexAndResetsOneBeyondTheList) {
  settings().write_text("SERVER", "Current Server", "a.test");
  LoginForm form;
  form.prepare(context_);
  EXPECT_FALSE(form.sign_in(context_, 1, "demo", "pw", false));
  auto view = form.prepare(context_);
  EXPECT_EQ(view.selected, 1);
  EXPECT_EQ(view.server_text, "b.test");

  EXPECT_FALSE(form.sign_in(context_, 2, "demo", "pw", false));
  ASSERT_TRUE(brindle::net::write_list_cache(dir_ / "skin.dat", {{"c.test", 1}}));
  view = form.prepare(context_);
  EXPECT_EQ(view.selected, 0);
  EXPECT_EQ(view.server_text, "c.test");
}

TEST_F(Forms, LoginChecksRunInOrderAndOnlyASignInChangesTheSkinSize) {
  LoginForm form;
  EXPECT_EQ(form.sign_in(context_, 0, "", "", false), std::optional<std::string>("请输入用户名！"));
  EXPECT_EQ(form.sign_in(context_, 0, "demo", "", false), std::optional<std::string>("密码不能为空！"));
  EXPECT_EQ(context_.skin_size_mode, 0);
  EXPECT_FALSE(form.sign_in(context_, 0, "demo", "pw", true));
  EXPECT_EQ(context_.skin_size_mode, 2);
  EXPECT_TRUE(form.private_room());

  form.visit();
  EXPECT_TRUE(form.visitor());
  EXPECT_FALSE(form.private_room());
}

TEST(LoginLimits, CountGbkBytes) {
  EXPECT_TRUE(brindle::net::fits_byte_limit("abcdefghijabcdefghij", brindle::net::kUserNameLimit));
  EXPECT_FALSE(brindle::net::fits_byte_limit("abcdefghijabcdefghijk", brindle::net::kUserNameLimit));
  EXPECT_TRUE(brindle::net::fits_byte_limit("一二三四五六七八九十", brindle::net::kUserNameLimit));
  EXPECT_FALSE(brindle::net::fits_byte_limit("一二三四五六七八九十a", brindle::net::kUserNameLimit));
}

TEST_F(Forms, SettingsWindowRefuses59ResettingTheBoxAndAccepts60) {
  settings().write_text("SERVER", "Current Server", "a.test");
  settings().write_int("SYSTEM", "Asia Timer", 30);
  const auto view = brindle::app::settings_form_open(context_);
  EXPECT_EQ(view.refresh_period, 60);
  EXPECT_EQ(view.selected, 2);  // the last equal entry

  const auto refused = brindle::app::settings_form_confirm(context_, 59, "b.test");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->message, "自动刷新时间不能小于60秒!");
  EXPECT_EQ(refused->refresh_period, 300);
  EXPECT_EQ(settings().read_text("SERVER", "Current Server"), "a.test");

  EXPECT_FALSE(brindle::app::settings_form_confirm(context_, 60, "b.test"));
  EXPECT_EQ(settings().read_text("SERVER", "Current Server"), "b.test");
  EXPECT_EQ(settings().read_int("SYSTEM", "Asia Timer", 0), 60);
}

TEST_F(Forms, SettingsWindowOffersTheOddsFormatsAndWritesOnlyAnAcceptedChoice) {
  settings().write_text("SYSTEM", "Odds Format", "malay");
  const auto view = brindle::app::settings_form_open(context_);
  EXPECT_EQ(view.odds_format_texts, (std::vector<std::string>{"欧洲盘", "香港盘", "马来盘", "印尼盘"}));
  EXPECT_EQ(view.odds_format_index, 2);

  EXPECT_TRUE(
      brindle::app::settings_form_confirm(context_, 59, "b.test", brindle::net::OddsFormat::kHongKong));
  EXPECT_EQ(settings().read_text("SYSTEM", "Odds Format"), "malay");
  EXPECT_EQ(context_.odds_format, brindle::net::OddsFormat::kMalay);

  EXPECT_FALSE(
      brindle::app::settings_form_confirm(context_, 60, "b.test", brindle::net::OddsFormat::kHongKong));
  EXPECT_EQ(settings().read_text("SYSTEM", "Odds Format"), "hongkong");
  EXPECT_EQ(context_.odds_format, brindle::net::OddsFormat::kHongKong);
}

class AnsweringMessages final : public brindle::ports::MessagePort {
 public:
  explicit AnsweringMessages(int answer) : answer_(answer) {}
  int asked = 0;
  int show_message(const std::string& text, bool offer_cancel) override {
    ++asked;
    EXPECT_EQ(text, "您确定要退出吗？\n");
    EXPECT_TRUE(offer_cancel);
    return answer_;
  }

 private:
  int answer_;
};

TEST(ExitConfirmation, AsksUnlessAnAccountWithoutCurrencyLeavesDuringAPeakPeriod) {
  brindle::net::ClientContext context;
  AnsweringMessages no(brindle::ports::MessagePort::cancel);
  EXPECT_FALSE(brindle::app::may_close_main_window(context, no));
  context.peak_period = 1;
  EXPECT_TRUE(brindle::app::may_close_main_window(context, no));
  EXPECT_EQ(no.asked, 1);
  context.currency_code = 1;
  AnsweringMessages yes(brindle::ports::MessagePort::ok);
  EXPECT_TRUE(brindle::app::may_close_main_window(context, yes));
  EXPECT_EQ(yes.asked, 1);
}

}  // namespace
