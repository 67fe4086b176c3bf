#include "server/http/dispatcher.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "server/http/worker_pool.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

constexpr std::string_view kWithCredentials = "&txtUserName=u&txtPwd=p&txtPara=";

std::string body(int subject_id, std::string_view rest = {}) {
  return "txtLanguage=1&txtSubjectID=" + std::to_string(subject_id) + std::string(rest);
}

class DispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dispatcher.add(1001, [](const SubjectRequest&) { return Reply::success("info"); }).ok());
    ASSERT_TRUE(dispatcher
                    .add(4001,
                         [this](const SubjectRequest& request) {
                           seen = request;
                           return Reply::success("ok", {"x"});
                         })
                    .ok());
    ASSERT_TRUE(
        dispatcher.add(3010, [](const SubjectRequest&) -> Reply { throw std::runtime_error("disk"); }).ok());
  }

  Dispatcher dispatcher;
  std::optional<SubjectRequest> seen;
};

TEST_F(DispatcherTest, RoutesByCategoryAndSubjectId) {
  EXPECT_EQ(dispatcher.dispatch("DATA_ACQUIRE", body(1001)).lines()[0][1], "info");

  auto reply = dispatcher.dispatch("DATA_QUERY", body(4001, "&txtUserName=a&b&txtPwd=c&txtPara=1&2=3"));
  EXPECT_EQ(reply.result_code(), kResultSuccess);
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->category, RequestCategory::query);
  EXPECT_EQ(seen->form.credentials->user_name, "a&b");
  EXPECT_EQ(seen->form.credentials->para, "1&2=3");
}

TEST_F(DispatcherTest, RefusesMalformedAndMisfiledRequestsWithResultCodeZero) {
  const struct {
    std::string_view category;
    std::string body;
    std::string_view message;
  } cases[] = {
      {"DATA_OTHER", body(1001), kUnknownCategoryText},
      {"", body(1001), kUnknownCategoryText},
      {"DATA_ACQUIRE", "txtLanguage=1", kMissingSubjectIdText},
      {"DATA_ACQUIRE", "txtLanguage=1&txtSubjectID=abc", kBadSubjectIdText},
      {"DATA_QUERY", body(1001, kWithCredentials), kCategoryMismatchText},
      {"DATA_ACQUIRE", body(4001), kCategoryMismatchText},
      {"DATA_ACQUIRE", body(1006), kCategoryMismatchText},  // in no range at all
      {"DATA_QUERY", body(4001), kMissingCredentialsText},
  };
  for (const auto& c : cases) {
    auto reply = dispatcher.dispatch(c.category, c.body);
    EXPECT_EQ(reply.result_code(), kResultRefused) << c.body;
    EXPECT_EQ(reply.lines()[0][1], c.message) << c.body;
  }
  EXPECT_FALSE(seen.has_value());
}

TEST_F(DispatcherTest, UnansweredSubjectIdIsRefusedInChinese) {
  auto reply = dispatcher.dispatch("DATA_TRANS", body(3001, kWithCredentials));
  EXPECT_EQ(reply.result_code(), kResultUnsupported);
  EXPECT_EQ(reply.to_gbk(), wire::utf8_to_gbk("2|服务器暂不支持此项业务（编号3001）。\r\n"));
}

TEST_F(DispatcherTest, ThrowingHandlerBecomesAServerErrorReply) {
  auto reply = dispatcher.dispatch("DATA_TRANS", body(3010, kWithCredentials));
  EXPECT_EQ(reply.result_code(), kResultServerError);
  EXPECT_EQ(reply.lines()[0][1], kServerErrorText);
}

TEST_F(DispatcherTest, TableRefusesUnreachableAndDuplicateRows) {
  EXPECT_FALSE(dispatcher.add(1006, [](const SubjectRequest&) { return Reply::success({}); }).ok());
  EXPECT_FALSE(dispatcher.add(1001, [](const SubjectRequest&) { return Reply::success({}); }).ok());
  EXPECT_EQ(dispatcher.dispatch("DATA_ACQUIRE", body(1001)).lines()[0][1], "info");
}

// With a pool, a request that needs a full password check or a hashing handler waits there; a
// remembered credential is answered at once even while the pool is busy.
TEST_F(DispatcherTest, OnlyWorkThatHashesWaitsForTheWorkerPool) {
  auto pool = std::make_shared<WorkerPool>(1);
  dispatcher.set_worker_pool(pool);
  ASSERT_TRUE(
      dispatcher
          .add(
              3002, [](const SubjectRequest&) { return Reply::success("hashed"); }, HandlerCost::hashes)
          .ok());
  dispatcher.set_authentication([](const AuthenticationAttempt& attempt) {
    AuthenticationOutcome outcome;
    if (attempt.credentials.user_name == "known" || attempt.may_hash) outcome.account.emplace();
    return outcome;
  });
  std::promise<void> release;
  pool->post([ready = release.get_future().share()] { ready.wait(); });  // the pool is busy

  std::vector<std::string> answers;
  std::mutex mutex;
  auto done = [&](Reply reply) {
    std::lock_guard lock(mutex);
    answers.push_back(reply.lines()[0][1]);
  };
  dispatcher.dispatch_async("DATA_QUERY", body(4001, "&txtUserName=known&txtPwd=p&txtPara="), "1.2.3.4",
                            done);
  dispatcher.dispatch_async("DATA_QUERY", body(4001, "&txtUserName=new&txtPwd=p&txtPara="), "1.2.3.4", done);
  dispatcher.dispatch_async("DATA_TRANS", body(3002, "&txtUserName=known&txtPwd=p&txtPara="), "1.2.3.4",
                            done);
  {
    std::lock_guard lock(mutex);
    EXPECT_EQ(answers, std::vector<std::string>{"ok"});
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->peer, "1.2.3.4");
  }
  release.set_value();
  pool->stop();  // the queued two may run or be dropped: a stopping server answers no more
  pool = std::make_shared<WorkerPool>(1);
  dispatcher.set_worker_pool(pool);
  std::promise<std::string> hashed;
  dispatcher.dispatch_async("DATA_TRANS", body(3002, "&txtUserName=new&txtPwd=p&txtPara="), {},
                            [&](Reply reply) { hashed.set_value(reply.lines()[0][1]); });
  EXPECT_EQ(hashed.get_future().get(), "hashed");
}

TEST(Reply, WritesEscapedGbkLines) {
  auto reply = Reply::success({}, {"a b", "x&y"});
  reply.add_row({"中", ""});
  EXPECT_EQ(reply.to_gbk(), "1|null|a^sb|x^ey\r\n\xD6\xD0|null\r\n");
  EXPECT_EQ(Reply::failure(0, "no").to_gbk(), "0|no\r\n");
}

}  // namespace
}  // namespace brindle::server

namespace brindle::server {
namespace {

TEST(DispatcherAccess, OpenSubjectsSkipTheAuthenticatorAndGetNoAccount) {
  Dispatcher dispatcher;
  int checked = 0;
  dispatcher.set_authenticator([&](const Credentials&, accounts::AuthenticatedAccount&) {
    ++checked;
    return std::optional<AuthenticationFailure>(AuthenticationFailure{4, "wrong"});
  });
  std::optional<SubjectRequest> seen;
  const auto handler = [&](const SubjectRequest& request) {
    seen = request;
    return Reply::success("ok");
  };
  ASSERT_TRUE(dispatcher.add(2022, handler, Dispatcher::Access::open).ok());
  ASSERT_TRUE(dispatcher.add(2004, handler).ok());

  EXPECT_EQ(dispatcher.dispatch("DATA_UPDATE", body(2022, kWithCredentials)).result_code(), kResultSuccess);
  ASSERT_TRUE(seen.has_value());
  EXPECT_FALSE(seen->account.has_value());
  EXPECT_EQ(checked, 0);
  EXPECT_EQ(dispatcher.dispatch("DATA_UPDATE", body(2022)).result_code(), kResultRefused)
      << "still a request with sign-in fields";

  seen.reset();
  EXPECT_EQ(dispatcher.dispatch("DATA_UPDATE", body(2004, kWithCredentials)).result_code(), 4);
  EXPECT_FALSE(seen.has_value());
  EXPECT_EQ(checked, 1);
}

}  // namespace
}  // namespace brindle::server
