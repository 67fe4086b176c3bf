// The customer-service window and the survey against a scripted HTTPS server through the real
// transport. With BRINDLE_SCREENSHOT_DIR set it saves both tabs and the survey (BRINDLE_SKIN_ROOT names
// the skin to draw them with).

#include "gui/messages/customer_service_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "gui/messages/survey_window.h"
#include "support/recording_ports.h"
#include "support/screenshots.h"
#include "support/scripted_session.h"

namespace {

using namespace brindle;
using brindle::testing::save_screenshot;
using brindle::testing::ScreenshotSkin;

struct RecordingSurvey final : messages::SurveyWindowPort {
  void run(messages::SurveyModel& survey) override { ids.push_back(survey.question_id()); }
  std::vector<std::string> ids;
};

struct ServiceFixture : brindle::testing::ScriptedSession {
  std::string subject(std::size_t i) const {
    const std::string body = server.requests().at(i).body;
    const auto at = body.find("txtSubjectID=") + 13;
    return body.substr(at, body.find('&', at) - at);
  }

  ScreenshotSkin skin;
  brindle::testing::RecordingMessages messages;
  RecordingSurvey survey;
  messages::CustomerServiceModel model{{session, messages, survey}};
};

TEST(CustomerServiceWindow, BothTabsPageSendDeleteAndOfferTheSurveyOnLeaving) {
  ServiceFixture f;
  f.reply({"1|ok", "31|系统维护通知|本周六凌晨2点至4点系统维护，<br>期间暂停投注。|46364.5|"});
  f.reply({"1|ok", "0|0|||欢迎使用客服，工作时间 9:00-24:00。|",
           "3|12|投注|走地投注为什么要等待确认？|走地投注需要数秒确认，以防赔率变动。|客服小李",
           "3|15|账户|如何修改提彩密码？||"});
  ASSERT_TRUE(f.model.open());
  gui::CustomerServiceWindow window(f.model);
  window.show();

  // Private messages waiting: their tab first, with "删除" and without "发送".
  EXPECT_EQ(window.tabs()->currentIndex(), 1);
  EXPECT_TRUE(window.delete_button()->isVisible());
  EXPECT_FALSE(window.send_button()->isVisible());
  EXPECT_EQ(window.heading_line()->text(), QStringLiteral("系统维护通知"));
  EXPECT_EQ(window.message_box()->toPlainText(),
            QStringLiteral("本周六凌晨2点至4点系统维护，\n期间暂停投注。\n\n发送时间：2026-12-08 12:00"));
  EXPECT_FALSE(window.previous_button()->isEnabled());
  EXPECT_FALSE(window.next_button()->isEnabled());
  save_screenshot(window, "customer_service_private.png");

  window.tabs()->setCurrentIndex(0);
  EXPECT_FALSE(window.delete_button()->isVisible());
  EXPECT_TRUE(window.send_button()->isVisible());
  EXPECT_EQ(window.question_box()->toPlainText(),
            QStringLiteral("系统信息：\n  欢迎使用客服，工作时间 9:00-24:00。"));
  window.next_button()->click();
  EXPECT_TRUE(window.question_box()->toPlainText().startsWith(QStringLiteral("问题：投注\n  走地投注")));
  EXPECT_TRUE(window.previous_button()->isEnabled());
  EXPECT_TRUE(window.next_button()->isEnabled());
  window.topic_box()->setEditText(QStringLiteral("意见建议"));
  window.description_box()->setPlainText(QStringLiteral("希望增加|更多\n赛事"));
  save_screenshot(window, "customer_service_questions.png");

  f.reply({"1|您的问题已提交，我们会尽快回复。"});
  window.send_button()->click();
  ASSERT_EQ(f.server.requests().size(), 3u);
  EXPECT_EQ(f.subject(2), "2001");
  EXPECT_EQ(f.para(2), "意见建议|希望增加更多赛事|");
  EXPECT_EQ(f.messages.texts.back(), "您的问题已提交，我们会尽快回复。");
  EXPECT_TRUE(window.topic_box()->currentText().isEmpty());
  EXPECT_TRUE(window.description_box()->toPlainText().isEmpty());

  // Deleting the only private message empties the page and disables its buttons.
  window.tabs()->setCurrentIndex(1);
  f.reply({"1|消息已删除"});
  window.delete_button()->click();
  EXPECT_EQ(f.para(3), "31");
  EXPECT_TRUE(window.heading_line()->text().isEmpty());
  EXPECT_TRUE(window.message_box()->toPlainText().isEmpty());
  EXPECT_FALSE(window.delete_button()->isEnabled());
  EXPECT_FALSE(window.previous_button()->isEnabled());
  EXPECT_FALSE(window.next_button()->isEnabled());

  f.reply({"1|ok"});
  window.exit_button()->click();
  EXPECT_EQ(f.subject(4), "2019");
  EXPECT_EQ(f.para(4), "12");
  EXPECT_EQ(f.survey.ids, (std::vector<std::string>{"12"}));
  EXPECT_FALSE(window.isVisible());
}

// From the Main window: a list that cannot be had is said and no window opens (a window would wait here).
TEST(CustomerServiceWindow, FromTheMainWindowAFailedListKeepsTheWindowClosed) {
  ServiceFixture f;
  f.reply({"1|ok"});
  f.reply({"0|客服系统维护中"});
  gui::run_customer_service(f.session, f.messages, nullptr);
  ASSERT_EQ(f.server.requests().size(), 2u);
  EXPECT_EQ(f.subject(0), "4002");
  EXPECT_EQ(f.subject(1), "4001");
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"客服系统维护中"}));
}

TEST(SurveyWindow, RefusesWithoutAChoiceThenSendsTheRating) {
  ServiceFixture f;
  messages::SurveyModel survey(f.session, f.messages, "12");
  gui::SurveyWindow window(survey);
  window.show();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("客户满意度调查"));

  window.send_button()->click();
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"请选择满意度！"}));
  window.choice(messages::Rating::dissatisfied)->setChecked(true);
  window.send_button()->click();
  EXPECT_EQ(f.messages.texts.back(), "内容不能为空！");
  EXPECT_TRUE(f.server.requests().empty());

  window.reason_box()->setPlainText(QStringLiteral("回复太慢，\n等了两天。"));
  save_screenshot(window, "survey.png");
  f.reply({"1|感谢您的评价！"});
  window.send_button()->click();
  ASSERT_EQ(f.server.requests().size(), 1u);
  EXPECT_EQ(f.subject(0), "2018");
  EXPECT_EQ(f.para(0), "回复太慢，等了两天。|12|2");
  EXPECT_EQ(f.messages.texts.back(), "感谢您的评价！");
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

}  // namespace
