#include "server/admin/member_commands.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "server/accounts/account_store.h"
#include "server/members/member_store.h"
#include "server/services.h"
#include "support/temp_dir.h"

namespace brindle::server::admin {
namespace {

class MemberCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(add_member_commands(table_).ok());
    db_ = open_server_database(dir_.path()).value();
    auto made = db_->transaction([&](storage::Connection& c) -> Result<void> {
      const accounts::PasswordHasher hasher(1);
      for (const char* name : {"ann", "ben"}) {
        accounts::NewAccount account;
        account.user_name = name;
        account.password = "pw";
        auto id = accounts::create_account(c, hasher, account);
        if (!id) return Result<void>::failure(id.error());
        ids_.push_back(id.value());
      }
      auto asked = members::add_question(c, ids_[0], "", "门票怎么买？", 1);
      if (!asked) return Result<void>::failure(asked.error());
      question_ = std::to_string(asked.value());
      return {};
    });
    ASSERT_TRUE(made.ok()) << made.error();
  }

  int run(std::vector<std::string> words) {
    out_.str({});
    err_.str({});
    std::vector<std::string_view> args = {words[0], "--data-dir", data_};
    for (std::size_t i = 1; i < words.size(); ++i) args.push_back(words[i]);
    CommandContext context{out_, err_, nullptr, 1000};
    return table_.run(args, context);
  }

  testing::TempDir dir_;
  std::string data_ = dir_.path().string();
  std::shared_ptr<storage::Database> db_;
  std::vector<accounts::AccountId> ids_;
  std::string question_;
  SubcommandTable table_;
  std::ostringstream out_, err_;
};

TEST_F(MemberCommands, ListAnswerAndMessage) {
  ASSERT_EQ(run({"questions"}), 0) << err_.str();
  EXPECT_NE(out_.str().find(question_ + "  ann"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("1 open question"), std::string::npos);

  struct Refused {
    std::vector<std::string> words;
    int code;
  };
  const Refused refused[] = {
      {{"answer", "999", "好的"}, 1},
      {{"answer", question_, "a|b"}, 2},
      {{"answer", question_, "两行\n文字"}, 2},
      {{"answer", question_, " "}, 2},
      {{"answer", "x", "好的"}, 2},
      {{"message", "nobody", "通知", "文字"}, 1},
      {{"message", "ann", "通知", "a|b"}, 2},
      {{"message", "--all", "ann", "通知", "文字"}, 2},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(run(r.words), r.code) << r.words[1] << " " << r.words.back();
  }

  ASSERT_EQ(run({"answer", "--by", "客服小李", question_, "在柜台购买。"}), 0) << err_.str();
  EXPECT_EQ(run({"answer", question_, "再答一次"}), 1) << "answered once";
  ASSERT_EQ(run({"questions"}), 0);
  EXPECT_NE(out_.str().find("0 open questions"), std::string::npos);
  auto q =
      db_->read([&](storage::Connection& c) { return members::find_question(c, std::stoll(question_)); });
  ASSERT_TRUE(q.ok() && q.value());
  EXPECT_EQ(q.value()->reply, "在柜台购买。");
  EXPECT_EQ(q.value()->replier, "客服小李");

  ASSERT_EQ(run({"message", "--all", "通知", "第一行\r\n第二行"}), 0) << err_.str();
  ASSERT_EQ(run({"message", "ben", "提醒", "只给你"}), 0) << err_.str();
  auto ben = db_->read([&](storage::Connection& c) { return members::messages_of(c, ids_[1]); });
  ASSERT_TRUE(ben.ok());
  ASSERT_EQ(ben->size(), 2u);
  EXPECT_EQ(ben->front().content, "第一行\n第二行");
  auto ann = db_->read([&](storage::Connection& c) { return members::messages_of(c, ids_[0]); });
  EXPECT_EQ(ann->size(), 1u);
}

}  // namespace
}  // namespace brindle::server::admin
