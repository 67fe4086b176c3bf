#include "core/accounts/star_member.h"

#include <gtest/gtest.h>

#include <deque>

#include "accounts_fixture.h"
#include "core/ports/frame_port.h"

namespace brindle::accounts {
namespace {

using ports::CashOutEntries;
using ports::TransferEntries;
using ports::WindowMessage;

struct AnsweringConfirmation final : ports::ConfirmationPort {
  bool confirm(const ports::ConfirmationRequest& r) override {
    shown.push_back(r);
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<bool> answers;
  std::vector<ports::ConfirmationRequest> shown;
};

struct RecordingFrame final : ports::FramePort {
  void post(WindowMessage m, int first, int second) override { posted.push_back({m, first, second}); }
  struct Post {
    WindowMessage message;
    int first, second;
    bool operator==(const Post&) const = default;
  };
  std::vector<Post> posted;
};

// Answers each opening with the next scripted entries, then "取消"; keeps what each opening showed.
struct ScriptedTransferWindow final : ports::TransferWindowPort {
  std::optional<TransferEntries> ask_transfer(const TransferEntries& typed) override {
    shown.push_back(typed);
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<TransferEntries> answers;
  std::vector<TransferEntries> shown;
};

struct ScriptedCashOutWindow final : ports::SuperCashOutWindowPort {
  std::optional<CashOutEntries> ask_cash_out(const std::string& line, const CashOutEntries& typed) override {
    lines.push_back(line);
    shown.push_back(typed);
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<CashOutEntries> answers;
  std::vector<std::string> lines;
  std::vector<CashOutEntries> shown;
};

struct StarFixture : testing::AccountsFixture {
  StarFixture() {
    context.balance = 500;
    context.currency_code = 3;
    context.star_member_terms = {"8000", "10000", "1500", "0.5"};
  }
  StarMemberServices services() { return {session, messages, answers, frame}; }
  AnsweringConfirmation answers;
  RecordingFrame frame;
};

const RecordingFrame::Post kFiguresChanged{WindowMessage::refresh_account, 0, 0};

TEST(StarMemberWindow, TermsAreFetchedOnceAndAFailureClosesTheWindow) {
  StarFixture f;
  f.context.star_member_terms = {};
  f.reply({"0|暂停申请"});
  StarMemberWindowModel model(f.services());
  EXPECT_FALSE(model.start());
  EXPECT_EQ(f.messages.texts, std::vector<std::string>{"暂停申请"});

  f.reply({"1|ok|8000|10000|1500|0.5"});
  EXPECT_TRUE(model.start());
  EXPECT_TRUE(StarMemberWindowModel(f.services()).start());  // a second opening asks nothing
  EXPECT_EQ(f.subjects(), (std::vector<int>{1003, 1003}));
  EXPECT_EQ(model.deposit_line(), "2)港币/人民币: 10000元  美元: 1500元。");
}

TEST(StarMemberWindow, ApplicationIsOfferedInTheOrdinarySignInOnly) {
  for (const int mode : {0, 2, 3}) {
    StarFixture f;
    f.context.login_mode = mode;
    EXPECT_EQ(StarMemberWindowModel(f.services()).apply_enabled(), mode == 0) << mode;
  }
}

TEST(StarMemberApplication, DepositOfTheAccountsCurrencyAgainstTheBalance) {
  struct Case {
    int currency;
    double balance;
    int star;
    const char* refusal;  // nullptr: reaches the confirmation
  } cases[] = {
      {3, 9999.99, 0, kDepositShortText},
      {3, 10000, 0, nullptr},
      {0, 10000, 0, nullptr},  // no currency yet: the HKD deposit
      {1, 7999, 0, kDepositShortText},
      {1, 8000, 0, nullptr},
      {2, 1500, 0, nullptr},  // USD against its own deposit, not the HKD one
      {2, 1499.5, 0, kDepositShortText},
      {3, 1e6, 1, kAlreadyStarMemberText},
  };
  for (const auto& c : cases) {
    StarFixture f;
    f.context.currency_code = c.currency;
    f.context.balance = c.balance;
    f.context.star_member = c.star;
    EXPECT_FALSE(StarMemberWindowModel(f.services()).apply());  // the confirmation is cancelled
    EXPECT_TRUE(f.transport.exchanges().empty());
    if (c.refusal) {
      EXPECT_EQ(f.messages.texts, std::vector<std::string>{c.refusal}) << c.currency << " " << c.balance;
      EXPECT_TRUE(f.answers.shown.empty());
    } else {
      EXPECT_TRUE(f.messages.texts.empty()) << c.currency << " " << c.balance;
      ASSERT_EQ(f.answers.shown.size(), 1u);
      EXPECT_EQ(f.answers.shown[0].title, "申请星级会员");
      EXPECT_EQ(f.answers.shown[0].text, "您选择了申请为星级会员，请确认。");
    }
  }
}

TEST(StarMemberApplication, AcceptedSetsTheFlagRefusedKeepsIt) {
  StarFixture f;
  f.context.balance = 20000;
  f.answers.answers = {true, true};
  f.reply({"0|审核中"});
  StarMemberWindowModel model(f.services());
  EXPECT_FALSE(model.apply());
  EXPECT_EQ(f.context.star_member, 0);
  EXPECT_TRUE(f.frame.posted.empty());

  f.reply({"1|申请成功"});
  EXPECT_TRUE(model.apply());
  EXPECT_EQ(f.paras(), (std::vector<std::string>{"0", "0"}));
  EXPECT_EQ(f.context.star_member, 1);
  EXPECT_EQ(f.frame.posted, std::vector<RecordingFrame::Post>{kFiguresChanged});
  EXPECT_EQ(f.messages.texts,
            (std::vector<std::string>{"审核中",
                                      "申请成功\n您已经可以创建房间或拨彩了，待审核通过后开始计算返彩！"}));
}

TEST(StarMemberWindow, PrivateRoomsAreAskedOfTheMainWindow) {
  StarFixture f;
  StarMemberWindowModel(f.services()).enter_private_room();
  EXPECT_EQ(f.frame.posted, (std::vector<RecordingFrame::Post>{{WindowMessage::private_rooms, 1, 1}}));
}

TEST(TransferFlow, RefusalsInOrderReopenTheWindowWithTheEntries) {
  struct Case {
    TransferEntries typed;
    const char* refusal;
  } cases[] = {
      {{"", "", "0", ""}, kTransferNameEmptyText},
      {{"bob", "", "0", ""}, kTransferAmountZeroText},
      {{"bob", "", "", "pw"}, kTransferAmountZeroText},
      {{"bob", "", "501", "pw"}, kTransferOverBalanceText},
      {{"bob", "Bob", "500", "pw"}, kTransferNameMismatchText},  // letter case counts
      {{"bob", "bob", "500", "p|w"}, "输入的内容不能包含“|”！"},
  };
  for (const auto& c : cases) {
    StarFixture f;
    f.context.star_member = 1;
    ScriptedTransferWindow window;
    window.answers = {c.typed};
    EXPECT_FALSE(run_transfer(f.services(), window));
    EXPECT_EQ(f.messages.texts, std::vector<std::string>{c.refusal}) << c.typed.user_name;
    ASSERT_EQ(window.shown.size(), 2u);
    EXPECT_EQ(window.shown[1], c.typed);
    EXPECT_TRUE(f.answers.shown.empty());
    EXPECT_TRUE(f.transport.exchanges().empty());
  }
}

TEST(TransferFlow, OnlyStarMembersSeeTheWindow) {
  StarFixture f;
  ScriptedTransferWindow window;
  EXPECT_FALSE(run_transfer(f.services(), window));
  EXPECT_TRUE(window.shown.empty());
  EXPECT_EQ(f.messages.texts, std::vector<std::string>{"只有星级会员才可拨彩！"});
}

TEST(TransferFlow, CancelledConfirmationReopensThenOneRequestWhateverTheAnswer) {
  for (const bool accepted : {true, false}) {
    StarFixture f;
    f.context.star_member = 1;
    const TransferEntries typed{"bob", "bob", "500", "wd"};  // exactly the balance passes
    ScriptedTransferWindow window;
    window.answers = {typed, typed, typed};
    f.answers.answers = {false, true};
    f.reply({accepted ? "1|拨彩成功" : "0|提彩密码错误"});
    EXPECT_TRUE(run_transfer(f.services(), window));
    EXPECT_EQ(window.shown.size(), 2u);  // no second try after the server's answer
    ASSERT_EQ(f.answers.shown.size(), 2u);
    EXPECT_EQ(f.answers.shown[0].title, "拨彩确认");
    EXPECT_EQ(f.answers.shown[0].text, "您准备向用户bob拨彩，彩金为 500.00 港元。");
    EXPECT_EQ(f.paras(), std::vector<std::string>{"wd|500.000000|bob"});
    EXPECT_EQ(f.messages.texts, std::vector<std::string>{accepted ? "拨彩成功" : "提彩密码错误"});
    EXPECT_EQ(f.frame.posted, std::vector<RecordingFrame::Post>{kFiguresChanged});
  }
}

TEST(SuperCashOut, WithOneselfIsRefusedBeforeTheWindow) {
  StarFixture f;
  ScriptedCashOutWindow window;
  EXPECT_FALSE(run_super_cash_out(f.services(), window, "alice"));
  EXPECT_TRUE(window.shown.empty());
  EXPECT_EQ(f.messages.texts, std::vector<std::string>{"自己不能同自己进行超级兑现！"});
}

TEST(SuperCashOut, TheButtonCashesOutOnlyInAnotherStarMembersRoom) {
  StarFixture f;
  auto& context = f.context;
  EXPECT_FALSE(button_cashes_out(context));  // the public room
  context.room_number = 7;
  context.room_star_member = "bob";
  EXPECT_TRUE(button_cashes_out(context));
  context.room_star_member = context.user_name;  // his own room: the star-member window, with 拨彩
  EXPECT_FALSE(button_cashes_out(context));
}

TEST(SuperCashOut, RefusalsReopenTheWindow) {
  struct Case {
    CashOutEntries typed;
    const char* refusal;
  } cases[] = {
      {{"", "wd"}, kCashOutAmountZeroText},
      {{"0", "wd"}, kCashOutAmountZeroText},
      {{"501", "wd"}, kCashOutOverBalanceText},
      {{std::string(400, '9'), "wd"}, kCashOutOverBalanceText},  // too long for a double
  };
  for (const auto& c : cases) {
    StarFixture f;
    ScriptedCashOutWindow window;
    window.answers = {c.typed};
    EXPECT_FALSE(run_super_cash_out(f.services(), window, "star"));
    EXPECT_EQ(f.messages.texts, std::vector<std::string>{c.refusal}) << c.typed.amount;
    ASSERT_EQ(window.shown.size(), 2u);
    EXPECT_EQ(window.shown[1], c.typed);
    EXPECT_TRUE(f.transport.exchanges().empty());
  }
}

TEST(SuperCashOut, ServerRefusalReturnsToTheWindowSuccessEnds) {
  StarFixture f;
  f.context.currency_code = 1;
  const CashOutEntries typed{"120", "wd"};
  ScriptedCashOutWindow window;
  window.answers = {typed, typed, typed, typed};
  f.answers.answers = {false, true, true};
  f.reply({"0|提彩密码错误"});
  f.reply({"1|兑现成功"});
  EXPECT_TRUE(run_super_cash_out(f.services(), window, "star"));
  EXPECT_EQ(window.lines, std::vector<std::string>(3, "您将要跟星级会员star兑现"));
  ASSERT_EQ(f.answers.shown.size(), 3u);
  EXPECT_EQ(f.answers.shown[0].title, "兑现确认");
  EXPECT_EQ(f.answers.shown[0].text, "您将要跟星级会员star兑现，彩金为 120.00 元。");
  EXPECT_EQ(f.paras(), std::vector<std::string>(2, "wd|120.000000|star"));
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"提彩密码错误", "兑现成功"}));
  EXPECT_EQ(f.frame.posted, std::vector<RecordingFrame::Post>{kFiguresChanged});
}

}  // namespace
}  // namespace brindle::accounts
