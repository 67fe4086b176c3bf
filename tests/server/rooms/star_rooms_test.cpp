// Star members, transfers and private rooms through the dispatcher, as the client sends them.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "../betting/bet_fixture.h"
#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/betting/match_settlement.h"
#include "server/rooms/room_store.h"
#include "server/rooms/star_handlers.h"
#include "server/storage/timestamp.h"
#include "wire/gbk.h"

namespace {

namespace accounts = brindle::server::accounts;
namespace rooms = brindle::server::rooms;
namespace server = brindle::server;
using brindle::testing::bet_form;
using brindle::testing::BetFixture;
using brindle::testing::fields_of;
using server::storage::Connection;

class StarRooms : public BetFixture {
 protected:
  void SetUp() override {
    BetFixture::SetUp();
    auto config = std::make_shared<server::ServerConfig>();
    config->star_deposit_hkd = 10000;
    config->star_deposit_usd = 1500;
    services_.config = config;
    ASSERT_TRUE(server::add_star_handlers(*dispatcher_, services_).ok());
  }

  // An account with "pw" to sign in and "wd" to transfer.
  std::int64_t member(const std::string& name, std::int64_t cents, bool star = false,
                      accounts::Currency currency = accounts::Currency::rmb) {
    auto id = services_.db->transaction([&](Connection& c) -> brindle::Result<std::int64_t> {
      accounts::NewAccount account;
      account.user_name = name;
      account.password = "pw";
      account.withdrawal_password = "wd";
      account.star_member = star;
      auto made = accounts::create_account(c, *services_.hasher, account);
      if (!made || cents == 0) return made;
      if (auto bought = accounts::credit(c, made.value(), cents, currency, "buy-in"); !bought)
        return brindle::Result<std::int64_t>::failure(bought.error());
      return made;
    });
    EXPECT_TRUE(id.ok()) << id.error();
    return id.ok() ? id.value() : 0;
  }

  brindle::wire::SingleRecordReply update(int subject, const std::string& user, const std::string& para) {
    return brindle::wire::SingleRecordReply(send("DATA_UPDATE", subject, user, para));
  }

  std::int64_t scalar(const std::string& query) {
    auto value = services_.db->read([&](Connection& c) -> brindle::Result<std::int64_t> {
      auto statement = c.prepare(query);
      if (!statement) return brindle::Result<std::int64_t>::failure(statement.error());
      auto row = statement->step();
      if (!row) return brindle::Result<std::int64_t>::failure(row.error());
      return statement->column_int64(0);
    });
    EXPECT_TRUE(value.ok()) << value.error();
    return value.ok() ? value.value() : -1;
  }

  std::int64_t entries() { return scalar("SELECT COUNT(*) FROM statement_entries"); }

  // A room of `owner` through 3006; its number.
  std::int64_t open_room(const std::string& owner, const std::string& name = "贵宾一号") {
    auto made = single(3006, owner, gbk(name + "|100"));
    EXPECT_TRUE(made.success()) << made.message();
    return scalar("SELECT MAX(id) FROM rooms");
  }

  // The body travels in GBK, as the client sends it.
  static std::string gbk(const std::string& utf8) { return brindle::wire::utf8_to_gbk(utf8); }

  static std::string in_room(std::string form, std::int64_t room) {
    return form.substr(0, form.rfind('|') + 1) + std::to_string(room);
  }
};

TEST_F(StarRooms, TermsComeFromTheConfigurationAndTheApplicationChecksTheDepositOfTheOwnCurrency) {
  auto terms = brindle::wire::SingleRecordReply(send("DATA_ACQUIRE", 1003, "", ""));
  ASSERT_TRUE(terms.success());
  auto& f = terms.fields();
  std::vector<std::string> figures;
  for (int i = 0; i < 4; ++i) figures.push_back(f.text());
  EXPECT_EQ(figures, (std::vector<std::string>{"10000", "10000", "1500", "0.50"}));

  struct Case {
    const char* name;
    std::int64_t cents;
    accounts::Currency currency;
    bool star;
    const char* refusal;  // nullptr: accepted
  };
  const Case cases[] = {
      {"hkd_short", 999'999, accounts::Currency::hkd, false, "您的保证金不足！"},
      {"hkd_exact", 1'000'000, accounts::Currency::hkd, false, nullptr},
      {"usd_exact", 150'000, accounts::Currency::usd, false, nullptr},
      {"rmb_short", 150'000, accounts::Currency::rmb, false, "您的保证金不足！"},
      {"no_money", 0, accounts::Currency::none, false, "您的帐户尚未购买彩金，不能申请星级会员！"},
      {"already", 1'000'000, accounts::Currency::rmb, true, "您已经是星级会员了，不用再申请了！"},
  };
  for (const auto& c : cases) {
    const auto id = member(c.name, c.cents, c.star, c.currency);
    const auto before = balances_of(id);
    auto applied = update(2012, c.name, "0");
    EXPECT_EQ(applied.success(), c.refusal == nullptr) << c.name << ": " << applied.message();
    if (c.refusal) {
      EXPECT_EQ(applied.message(), c.refusal) << c.name;
    }
    EXPECT_EQ(balances_of(id), before) << c.name << ": the deposit is checked, not held";
    // Sign-in reports the star flag as the second field after the message.
    auto signed_in = single(3001, c.name, "1|00-11-22-33-44-55");
    ASSERT_TRUE(signed_in.success()) << signed_in.message();
    signed_in.fields().text();
    EXPECT_EQ(signed_in.fields().integer(), c.refusal == nullptr || c.star ? 1 : 0) << c.name;
  }
}

TEST_F(StarRooms, EveryRefusedTransferMovesNothing) {
  member("star", 100'000, true);
  member("star2", 100'000, true);
  member("alice", 50'000);
  member("bob", 50'000);
  member("usd", 50'000, false, accounts::Currency::usd);
  member("usdstar", 50'000, true, accounts::Currency::usd);
  add_account("nopw", 50'000);  // no withdrawal password
  struct Case {
    const char* sender;
    const char* para;
    const char* refusal;
  };
  const Case cases[] = {
      {"star", "wd|0.000000|alice", "拨彩金额不正确！"},
      {"star", "wd|-5.000000|alice", "拨彩金额不正确！"},
      {"star", "wd|abc|alice", "拨彩金额不正确！"},
      {"star", "wd|5.000000", "拨彩请求格式错误！"},
      {"star", "wd|5.000000|", "用户名不能为空！"},
      {"star", "wd|5.000000|star", "不能拨彩给自己！"},
      {"star", "wd|5.000000|nobody", "对方用户不存在！"},
      {"star", "wd|5.000000|Alice", "对方用户不存在！"},
      {"star", "wrong|5.000000|alice", "提彩密码错误！"},
      {"star", "pw|5.000000|alice", "提彩密码错误！"},
      {"nopw", "|5.000000|star", "您尚未设置提彩密码，请与客服联系！"},
      {"star", "wd|1000.010000|alice", "帐户彩金不足！"},
      {"alice", "wd|5.000000|bob", "非星级会员只能向星级会员兑现！"},
      {"usd", "wd|5.000000|star", "对方帐户的币种与您的不同，不能拨彩！"},
      {"star", "wd|5.000000|usdstar", "对方帐户的币种与您的不同，不能拨彩！"},
  };
  const auto before = entries();
  for (const auto& c : cases) {
    auto reply = update(2009, c.sender, c.para);
    EXPECT_FALSE(reply.success()) << c.para;
    EXPECT_EQ(reply.message(), c.refusal) << c.sender << " " << c.para;
  }
  EXPECT_EQ(entries(), before);
  EXPECT_EQ(scalar("SELECT SUM(balance) FROM accounts WHERE currency = 1"), 3 * 50'000 + 2 * 100'000);
}

TEST_F(StarRooms, ATransferAndACashOutWriteTypeEightEntriesNamingTheOtherSide) {
  const auto star = member("star", 100'000, true);
  const auto alice = member("alice", 50'000);
  auto given = update(2009, "star", "wd|300.000000|alice");
  ASSERT_TRUE(given.success()) << given.message();
  EXPECT_EQ(given.message(), "拨彩成功！");
  auto cashed = update(2009, "alice", "wd|120.000000|star");
  ASSERT_TRUE(cashed.success()) << cashed.message();
  EXPECT_EQ(cashed.message(), "兑现成功！");
  EXPECT_EQ(balances_of(star).available, 100'000 - 30'000 + 12'000);
  EXPECT_EQ(balances_of(alice).available, 50'000 + 30'000 - 12'000);
  auto statement = list(4011, "alice", range_today());
  ASSERT_TRUE(statement.success());
  ASSERT_EQ(statement.row_count(), 3u);
  EXPECT_EQ(fields_of(statement, 1, 4)[1], "8");
  EXPECT_EQ(fields_of(statement, 1, 4)[3], "star");
  EXPECT_EQ(fields_of(statement, 2, 4)[2], "-120.00");
  EXPECT_EQ(fields_of(statement, 2, 4)[3], "star");
}

TEST_F(StarRooms, ConcurrentTransfersOutOfOneAccountNeverOverdrawIt) {
  const auto star = member("star", 10'000, true);  // 100.00
  constexpr int kThreads = 4;
  constexpr int kEach = 10;
  std::vector<std::int64_t> receivers;
  for (int t = 0; t < kThreads; ++t) receivers.push_back(member("r" + std::to_string(t), 100));
  std::atomic<int> done{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        auto reply = update(2009, "star", "wd|3.000000|r" + std::to_string(t));
        if (reply.success()) ++done;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(done.load(), 33) << "100.00 covers 33 transfers of 3.00";
  EXPECT_EQ(balances_of(star).available, 100);
  std::int64_t received = 0;
  for (auto r : receivers) received += balances_of(r).available - 100;
  EXPECT_EQ(received, 33 * 300);
  auto mismatches = services_.db->read([](Connection& c) { return accounts::check_ledger(c); });
  EXPECT_TRUE(mismatches.ok() && mismatches->empty());
}

TEST_F(StarRooms, CreatingARoomIsForStarMembersWithANameOfOneToSixteenCharacters) {
  member("star", 100'000, true);
  member("alice", 50'000);
  struct Case {
    const char* user;
    std::string para;
    const char* refusal;
  };
  const Case cases[] = {
      {"alice", "我的房间|100", "只有星级会员才可以自创房间！"},
      {"star", "|100", "房间名称不能为空！"},
      {"star", "一二三四五六七八九十一二三四五六七|100", "房间名称不能超过16个字！"},
      {"star", "我的房间|5", "房间位置不正确！"},
      {"star", "我的房间|abc", "创建房间请求格式错误！"},
      {"star", "我的房间", "创建房间请求格式错误！"},
  };
  for (const auto& c : cases) {
    auto reply = single(3006, c.user, gbk(c.para));
    EXPECT_FALSE(reply.success()) << c.para;
    EXPECT_EQ(reply.message(), c.refusal) << c.para;
  }
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM rooms"), 0);

  auto made = single(3006, "star", gbk("一二三四五六七八九十一二三四五六|101"));
  ASSERT_TRUE(made.success()) << made.message();
  const std::string password = made.fields().text();
  EXPECT_EQ(password.size(), 6u);
  EXPECT_EQ(std::to_string(scalar("SELECT password FROM rooms")), password);
  const double created = made.fields().decimal();
  EXPECT_NEAR(created, server::storage::ole_from_unix(server::storage::now_unix_seconds()), 1.0 / 24);
  for (int i = 1; i < rooms::kMaxRoomsPerOwner; ++i) open_room("star");
  auto one_too_many = single(3006, "star", gbk("再开一间|100"));
  EXPECT_EQ(one_too_many.message(), "每位星级会员最多创建10个房间！");
}

TEST_F(StarRooms, TheRoomListGroupsRoomsByPositionWithTheTenFields) {
  member("star", 100'000, true);
  sql("INSERT INTO member_details (account_id, slot, text) SELECT id, 1, '星哥' FROM accounts WHERE "
      "user_name = "
      "'star'");
  ASSERT_TRUE(single(3006, "star", gbk("甲|101")).success());
  ASSERT_TRUE(single(3006, "star", gbk("乙|100")).success());
  ASSERT_TRUE(single(3006, "star", gbk("丙|101")).success());
  const auto lines = send("DATA_ACQUIRE", 1004, "", "");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "1|null|3") << "an empty message, then the number of rooms";
  brindle::wire::ListReply reply(lines);
  ASSERT_EQ(reply.row_count(), 3u);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < 3; ++i) names.push_back(fields_of(reply, i, 3)[2]);
  EXPECT_EQ(names, (std::vector<std::string>{"乙", "甲", "丙"})) << "one position's rooms together";
  const auto row = fields_of(reply, 1, 10);
  const std::string password = std::to_string(scalar("SELECT password FROM rooms WHERE name = '甲'"));
  const std::string number = std::to_string(scalar("SELECT id FROM rooms WHERE name = '甲'"));
  EXPECT_EQ(row,
            (std::vector<std::string>{"star", "星哥", "甲", password, number, "0", "101", "至尊厅", "", ""}));

  auto positions = list(4006, "star", "");
  ASSERT_TRUE(positions.success());
  ASSERT_EQ(positions.row_count(), 3u);
  EXPECT_EQ(fields_of(positions, 0, 2), (std::vector<std::string>{"100", "贵宾厅"}));
}

TEST_F(StarRooms, AStarMemberWithAnAgentPlacesHisRoomsThereOnly) {
  const auto star = member("star", 100'000, true);
  auto set =
      services_.db->transaction([&](Connection& c) { return accounts::set_agent(c, star, 5, "代理甲"); });
  ASSERT_TRUE(set.ok()) << set.error();
  auto positions = list(4006, "star", "");
  ASSERT_EQ(positions.row_count(), 1u);
  EXPECT_EQ(fields_of(positions, 0, 2), (std::vector<std::string>{"5", "代理甲"}));
  EXPECT_EQ(single(3006, "star", gbk("大厅房|100")).message(), "房间位置不正确！");
  ASSERT_TRUE(single(3006, "star", gbk("代理房|5")).success());
  brindle::wire::ListReply rooms(send("DATA_ACQUIRE", 1004, "", ""));
  ASSERT_EQ(rooms.row_count(), 1u);
  const auto row = fields_of(rooms, 0, 10);
  EXPECT_EQ(row[6], "5");
  EXPECT_EQ(row[7], "代理甲");
  EXPECT_EQ(row[9], "代理甲") << "the agent's name captions the group";
}

TEST_F(StarRooms, RoomBetsNeedTheRoomAndPayItsStarMemberOncePerSettledBet) {
  const auto star = member("star", 100'000, true);
  const auto alice = member("alice", 50'000);
  const auto room = open_room("star");
  const int match = add_match();
  const int home = add_line(match, 0, 3, 950);  // home gives half a goal

  const auto nowhere = single(3010, "alice", in_room(bet_form({home}, {950}, 1, 100), room + 1));
  EXPECT_EQ(nowhere.message(), "该房间不存在！");
  EXPECT_EQ(balances_of(alice).frozen, 0);

  ASSERT_TRUE(single(3010, "alice", in_room(bet_form({home}, {950}, 1, 100), room)).success());
  ASSERT_TRUE(single(3010, "alice", in_room(bet_form({home}, {950}, 1, 40), room)).success());
  ASSERT_TRUE(single(3010, "star", in_room(bet_form({home}, {950}, 1, 100), room)).success());
  ASSERT_TRUE(single(3010, "alice", bet_form({home}, {950}, 1, 100)).success());
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM bets WHERE room = " + std::to_string(room)), 3);
  const auto star_before = balances_of(star).available;

  EXPECT_EQ(finish(match, 0, 1), 4);
  auto again = server::betting::settle_match(*services_.db, match);
  ASSERT_TRUE(again.ok()) << again.error();
  EXPECT_EQ(again->settled, 0) << "settling again pays nothing twice";
  // 0.50% of alice's 100 and 40 in the room; nothing for the public bet or the star's own.
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM statement_entries WHERE type = 5"), 2);
  EXPECT_EQ(scalar("SELECT SUM(amount) FROM statement_entries WHERE type = 5 AND account_id = " +
                   std::to_string(star)),
            50 + 20);
  EXPECT_EQ(balances_of(star).available, star_before + 70);
  auto mismatches = services_.db->read([](Connection& c) { return accounts::check_ledger(c); });
  EXPECT_TRUE(mismatches.ok() && mismatches->empty());
}

}  // namespace
