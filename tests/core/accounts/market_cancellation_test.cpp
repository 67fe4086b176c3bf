// 撤单 of an opened market: the refusal without a row, the confirmation, and the reply shown whatever
// it says.

#include "core/accounts/market_cancellation.h"

#include <gtest/gtest.h>

#include "accounts_fixture.h"

namespace brindle::accounts {
namespace {

TEST(MarketCancellation, ConfirmationThenTheMessageWhateverTheResult) {
  const OpenedMarket market{"曼联 vs 利物浦", "胜平负盘", 42};
  struct Case {
    bool chosen;
    bool confirmed;
    std::vector<std::string> reply;
    bool sent;
    std::string message;
  };
  const Case cases[] = {
      {false, true, {}, false, kNothingToCancelText},
      {true, false, {}, false, ""},
      {true, true, {"1|撤单成功"}, true, "撤单成功"},
      {true, true, {"0|该盘口已结算"}, true, "该盘口已结算"},
  };
  for (const auto& c : cases) {
    brindle::testing::AccountsFixture f;
    f.confirmation.answer = c.confirmed;
    if (!c.reply.empty()) f.reply(c.reply);
    const bool sent = cancel_opened_market(f.session, f.messages, f.confirmation,
                                           c.chosen ? std::optional<OpenedMarket>(market) : std::nullopt);
    EXPECT_EQ(sent, c.sent);
    EXPECT_EQ(f.paras(), c.sent ? std::vector<std::string>{"42"} : std::vector<std::string>{});
    const std::vector<std::string> expected =
        c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message};
    EXPECT_EQ(f.messages.texts, expected);
    if (c.chosen) {
      ASSERT_EQ(f.confirmation.shown.size(), 1u);
      EXPECT_EQ(f.confirmation.shown[0].title, "撤单确认");
      EXPECT_EQ(f.confirmation.shown[0].text,
                "您将撤掉在比赛 曼联 vs 利物浦 中开出的 胜平负盘 "
                "中所有的盘口。\n\n撤单彩金将以最新未受注彩金为准。");
    }
  }
}

}  // namespace
}  // namespace brindle::accounts
