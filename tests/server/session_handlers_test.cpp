#include "server/accounts/session_handlers.h"

#include <gtest/gtest.h>

#include <memory>

namespace brindle::server {
namespace {

Dispatcher dispatcher_with(ServerConfig config) {
  Dispatcher dispatcher;
  auto added = add_session_handlers(dispatcher, std::make_shared<const ServerConfig>(std::move(config)));
  EXPECT_TRUE(added.ok()) << added.error();
  return dispatcher;
}

TEST(SessionHandlers, AnswerWithTheConfiguredTextsInGbk) {
  ServerConfig config;
  config.version = 205;
  config.login_notice = "欢迎";
  config.latest_information = "今日 开盘";
  config.second_information = "走地*";
  auto dispatcher = dispatcher_with(config);

  const struct {
    int subject_id;
    std::string_view gbk_reply;
  } cases[] = {
      {13002, "1|\xBB\xB6\xD3\xAD|205\r\n"},
      {1001, "1|null|\xBD\xF1\xC8\xD5^s\xBF\xAA\xC5\xCC\r\n"},
      {1005, "1|null|\xD7\xDF\xB5\xD8^x\r\n"},
  };
  for (const auto& c : cases) {
    auto reply =
        dispatcher.dispatch("DATA_ACQUIRE", "txtLanguage=1&txtSubjectID=" + std::to_string(c.subject_id));
    EXPECT_EQ(reply.to_gbk(), c.gbk_reply) << c.subject_id;
  }
}

TEST(SessionHandlers, EmptyTextsGoOutAsNull) {
  ServerConfig config;
  config.login_notice.clear();
  config.latest_information.clear();
  auto dispatcher = dispatcher_with(config);
  EXPECT_EQ(dispatcher.dispatch("DATA_ACQUIRE", "txtLanguage=1&txtSubjectID=13002").to_gbk(),
            "1|null|100\r\n");
  EXPECT_EQ(dispatcher.dispatch("DATA_ACQUIRE", "txtLanguage=1&txtSubjectID=1001").to_gbk(),
            "1|null|null\r\n");
}

TEST(SessionHandlers, AreFiledUnderDataAcquireOnly) {
  auto dispatcher = dispatcher_with({});
  auto reply =
      dispatcher.dispatch("DATA_QUERY", "txtLanguage=1&txtSubjectID=13002&txtUserName=u&txtPwd=p&txtPara=");
  EXPECT_EQ(reply.result_code(), kResultRefused);
}

}  // namespace
}  // namespace brindle::server
