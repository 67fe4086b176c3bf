// The customer-service window and the satisfaction survey, against a scripted server.

#include "core/messages/customer_service.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include "../accounts/accounts_fixture.h"
#include "core/messages/survey.h"

namespace brindle::messages {
namespace {

using Lines = std::vector<std::string>;

const Lines kTwoMessages{"1|ok", "7|维护通知|今晚<br>维护|45000.5|x", "9|优惠|充值有礼|45001|y"};
const Lines kQuestions{"1|ok", "0|0|||系统维护中|", "3|12|投注|怎么投注|请看规则|小李",
                       "3|15|账户|忘记密码||"};

// Answers each survey with the next scripted choice and reason; "跳过" once they run out.
struct ScriptedSurvey final : SurveyWindowPort {
  void run(SurveyModel& survey) override {
    ids.push_back(survey.question_id());
    while (!answers.empty()) {
      auto [rating, reason] = answers.front();
      answers.pop_front();
      if (survey.send(rating, reason)) return;
    }
  }
  std::deque<std::pair<std::optional<Rating>, std::string>> answers;
  std::vector<std::string> ids;
};

struct ServiceFixture : testing::AccountsFixture {
  CustomerServiceModel model{{session, messages, survey}};
  ScriptedSurvey survey;
  bool open(const Lines& private_list, const Lines& questions) {
    reply(private_list);
    reply(questions);
    return model.open();
  }
};

TEST(CustomerService, OpensOnPrivateMessagesWhenThereAreAnyAndShowsItemTexts) {
  ServiceFixture f;
  ASSERT_TRUE(f.open(kTwoMessages, kQuestions));
  EXPECT_EQ(f.subjects(), (std::vector<int>{4002, 4001}));
  EXPECT_EQ(f.model.tab(), ServiceTab::private_messages);
  f.model.show_tab(ServiceTab::private_messages);
  EXPECT_EQ(f.model.heading_text(), "维护通知");
  EXPECT_EQ(f.model.item_text(), "今晚\r\n维护\r\n\r\n发送时间：2023-03-15 12:00");

  f.model.show_tab(ServiceTab::questions);
  const char* expected[] = {
      "系统信息：\r\n  系统维护中",
      "问题：投注\r\n  怎么投注\r\n\r\n回复人：小李\r\n  请看规则",
      "问题：账户\r\n  忘记密码\r\n\r\n回复：尚无回复。",
  };
  const char* ids[] = {"0", "12", "15"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(f.model.item_text(), expected[i]);
    EXPECT_EQ(f.model.current_question_id(), ids[i]);
    EXPECT_EQ(f.model.previous_enabled(), i > 0);
    EXPECT_EQ(f.model.next_enabled(), i < 2);
    f.model.next();
  }
  EXPECT_EQ(f.model.questions().cursor(), 2u);  // stays on the last item
}

TEST(CustomerService, OpeningNeedsBothListsAndFallsBackToQuestions) {
  ServiceFixture f;
  EXPECT_FALSE(f.open({"0|暂停服务"}, kQuestions));
  EXPECT_EQ(f.messages.texts, (Lines{"暂停服务"}));
  EXPECT_EQ(f.subjects(), (std::vector<int>{4002}));  // the questions are not asked after a failure

  ServiceFixture empty;
  ASSERT_TRUE(empty.open({"1|ok"}, kQuestions));
  EXPECT_EQ(empty.model.tab(), ServiceTab::questions);
  empty.model.show_tab(ServiceTab::private_messages);
  EXPECT_FALSE(empty.model.previous_enabled());
  EXPECT_FALSE(empty.model.next_enabled());
  EXPECT_FALSE(empty.model.delete_enabled());
  EXPECT_EQ(empty.model.item_text(), "");
}

TEST(CustomerService, OpenedAfterSignInFetchesTheQuestionsOnTheirFirstShowing) {
  ServiceFixture f;
  f.model.open_with({protocol::PrivateMessage{7, "维护通知", "今晚", "2023-03-15 12:00", ""}});
  EXPECT_EQ(f.model.tab(), ServiceTab::private_messages);
  EXPECT_TRUE(f.transport.exchanges().empty());
  f.reply({"0|忙"});
  f.model.show_tab(ServiceTab::questions);
  f.model.show_tab(ServiceTab::private_messages);
  f.model.show_tab(ServiceTab::questions);  // a failure is not repeated on every showing
  EXPECT_EQ(f.subjects(), (std::vector<int>{4001}));
  EXPECT_EQ(f.messages.texts, (Lines{"忙"}));
}

TEST(CustomerService, RefreshRefetchesTheShownTabAndAFailureLeavesItEmpty) {
  ServiceFixture f;
  ASSERT_TRUE(f.open(kTwoMessages, kQuestions));
  f.model.show_tab(ServiceTab::questions);
  f.model.next();
  f.reply({"1|ok", "3|20|其他|新问题||"});
  EXPECT_TRUE(f.model.refresh());
  EXPECT_EQ(f.subjects().back(), 4001);
  EXPECT_EQ(f.model.questions().cursor(), 0u);
  EXPECT_EQ(f.model.current_question_id(), "20");

  f.reply({"0|稍后再试"});
  EXPECT_FALSE(f.model.refresh());
  EXPECT_EQ(f.messages.texts.back(), "稍后再试");
  EXPECT_TRUE(f.model.questions().empty());
  EXPECT_EQ(f.model.current_question_id(), "");
  EXPECT_EQ(f.model.private_messages().items().size(), 2u);  // the other tab keeps its list
}

TEST(CustomerService, SendCleansTheDescriptionAndRefusesAnEmptyOne) {
  const struct {
    const char* description;
    const char* para;  // empty: refused before sending
  } cases[] = {
      {"a|b\r\nc", "投诉|abc|"},
      {"a|b\nc", "投诉|abc|"},
      {"", ""},
      {"\r\n|", ""},  // nothing left once cleaned
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    ServiceFixture f;
    f.reply({"1|问题已收到"});
    const bool sent = f.model.send("投诉", c.description);
    if (*c.para == '\0') {
      EXPECT_FALSE(sent);
      EXPECT_TRUE(f.transport.exchanges().empty());
      EXPECT_EQ(f.messages.texts, (Lines{kEmptyDescriptionText}));
    } else {
      EXPECT_TRUE(sent);
      EXPECT_EQ(f.subjects(), (std::vector<int>{2001}));
      EXPECT_EQ(f.last_para(), c.para);
      EXPECT_EQ(f.messages.texts, (Lines{"问题已收到"}));
    }
  }
  ServiceFixture refused;
  refused.reply({"0|请先登录"});
  EXPECT_FALSE(refused.model.send("投诉", "x"));  // the fields keep what was typed
  EXPECT_EQ(refused.messages.texts, (Lines{"请先登录"}));
}

TEST(CustomerService, DeleteMovesTheCursorAndTheLastDeletionEmptiesThePage) {
  ServiceFixture f;
  ASSERT_TRUE(f.open({"1|ok", "1|a|x|45000|", "2|b|y|45000|", "3|c|z|45000|"}, {"1|ok"}));
  f.model.show_tab(ServiceTab::private_messages);
  f.model.next();
  f.reply({"1|已删除"});
  ASSERT_TRUE(f.model.delete_current());
  EXPECT_EQ(f.last_para(), "2");
  EXPECT_EQ(f.model.heading_text(), "c");  // the next one
  f.reply({"1|已删除"});
  ASSERT_TRUE(f.model.delete_current());
  EXPECT_EQ(f.model.heading_text(), "a");  // the last went: back to the first

  f.reply({"0|不能删除"});
  EXPECT_FALSE(f.model.delete_current());
  EXPECT_EQ(f.model.private_messages().items().size(), 1u);
  EXPECT_EQ(f.messages.texts.back(), "不能删除");

  f.reply({"1|已删除"});
  ASSERT_TRUE(f.model.delete_current());
  EXPECT_EQ(f.model.heading_text(), "");
  EXPECT_EQ(f.model.item_text(), "");
  EXPECT_FALSE(f.model.delete_enabled());
  EXPECT_FALSE(f.model.previous_enabled());
  EXPECT_FALSE(f.model.next_enabled());
  EXPECT_FALSE(f.model.delete_current());  // nothing sent for an empty page
  EXPECT_EQ(f.transport.exchanges().size(), 6u);
}

TEST(CustomerService, LeavingChecksForASurveyOnlyAfterTheQuestionsWereShown) {
  const struct {
    bool questions_shown;
    Lines questions;
    Lines check;  // empty: no check expected
    bool survey;
    const char* id;
  } cases[] = {
      {false, kQuestions, {}, false, ""},
      {true, kQuestions, {"1|ok"}, true, "0"},
      {true, kQuestions, {"0|无需调查"}, false, "0"},
      {true, {"1|ok"}, {"1|ok"}, false, ""},  // no question: nothing to rate
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    ServiceFixture f;
    ASSERT_TRUE(f.open(kTwoMessages, c.questions));
    if (c.questions_shown) f.model.show_tab(ServiceTab::questions);
    f.model.show_tab(ServiceTab::private_messages);
    if (!c.check.empty()) f.reply(c.check);
    f.model.leave();
    EXPECT_EQ(f.transport.exchanges().size(), c.check.empty() ? 2u : 3u);
    if (!c.check.empty()) {
      EXPECT_EQ(f.subjects().back(), 2019);
      EXPECT_EQ(f.last_para(), c.id);
    }
    EXPECT_EQ(f.survey.ids.size(), c.survey ? 1u : 0u);
    EXPECT_TRUE(f.messages.texts.empty());
  }
}

TEST(Survey, RefusalsComeInOrderAndTheReasonIsCountedInGbkBytes) {
  std::string chinese199, chinese200;
  for (int i = 0; i < 199; ++i) chinese199 += "汉";
  chinese200 = chinese199 + "汉";
  const struct {
    std::optional<Rating> rating;
    std::string reason;
    const char* refusal;  // nullptr: sent
    const char* para;
  } cases[] = {
      {std::nullopt, "很好", kNoRatingText, nullptr},
      {Rating::dissatisfied, "", kEmptyReasonText, nullptr},
      {Rating::dissatisfied, "\r\n||", kEmptyReasonText, nullptr},
      {Rating::satisfied, "", nullptr, "||12|0"},          // a leading separator goes doubled
      {Rating::fair, chinese199 + "a", nullptr, nullptr},  // 399 bytes
      {Rating::fair, chinese200, kReasonTooLongText, nullptr},
      {Rating::dissatisfied, std::string(399, 'x') + "|\r\n", nullptr, nullptr},
      {Rating::dissatisfied, std::string(400, 'x'), kReasonTooLongText, nullptr},
      {Rating::dissatisfied, "太慢|了\r\n", nullptr, "太慢了|12|2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason.size());
    testing::AccountsFixture f;
    SurveyModel survey(f.session, f.messages, "12");
    f.reply({"1|谢谢您的评价"});
    const bool closed = survey.send(c.rating, c.reason);
    if (c.refusal != nullptr) {
      EXPECT_FALSE(closed);
      EXPECT_EQ(f.messages.texts, (Lines{c.refusal}));
      EXPECT_TRUE(f.transport.exchanges().empty());
    } else {
      EXPECT_TRUE(closed);
      EXPECT_EQ(f.subjects(), (std::vector<int>{2018}));
      if (c.para != nullptr) {
        EXPECT_EQ(f.last_para(), c.para);
      }
      EXPECT_EQ(f.messages.texts, (Lines{"谢谢您的评价"}));
    }
  }
}

TEST(Survey, AFailedRatingIsShownAndKeepsTheSurveyOpen) {
  testing::AccountsFixture f;
  SurveyModel survey(f.session, f.messages, "12");
  f.reply({"0|已评价过"});
  EXPECT_FALSE(survey.send(Rating::satisfied, ""));
  EXPECT_EQ(f.messages.texts, (Lines{"已评价过"}));
}

}  // namespace
}  // namespace brindle::messages
