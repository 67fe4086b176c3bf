// Creating a room: the star check, the terms read once, the position rules, the checks on "提交" and
// the window reopened with its entries after a refusal.

#include "core/rooms/create_room.h"

#include <gtest/gtest.h>

#include "core/net/client_context.h"
#include "rooms_fixture.h"
#include "wire/gbk.h"

namespace {

using namespace brindle;
using namespace brindle::rooms;

std::vector<protocol::RoomPosition> positions(std::initializer_list<std::pair<int, const char*>> list) {
  std::vector<protocol::RoomPosition> out;
  for (const auto& [id, name] : list) out.push_back({id, name});
  return out;
}

TEST(CreateRoomPositions, AgentOrNoChoiceEndTheWalkAsTheOnlyEntry) {
  struct Case {
    const char* what;
    std::vector<protocol::RoomPosition> reply;
    const char* label;
    bool visible;
    std::vector<std::string> entries;
    std::optional<int> chosen;
  };
  const Case cases[] = {
      {"ordinary", positions({{101, "大厅"}, {102, "二厅"}}), "选择房间位置：", true, {"大厅", "二厅"}, {}},
      {"agent first",
       positions({{5, "代理甲"}, {101, "大厅"}, {0, "无"}}),
       "你的代理是：",
       true,
       {"代理甲"},
       5},
      {"agent after ordinary",
       positions({{101, "大厅"}, {5, "代理甲"}, {102, "二厅"}}),
       "你的代理是：",
       true,
       {"代理甲"},
       5},
      {"no choice", positions({{0, "总部"}, {101, "大厅"}}), "选择房间位置：", false, {"总部"}, 0},
      {"none", {}, "选择房间位置：", true, {}, {}},
  };
  for (const auto& c : cases) {
    const PositionChoices choices = position_choices(c.reply);
    EXPECT_EQ(choices.label, c.label) << c.what;
    EXPECT_EQ(choices.visible, c.visible) << c.what;
    std::vector<std::string> names;
    for (const auto& e : choices.entries) names.push_back(e.name);
    EXPECT_EQ(names, c.entries) << c.what;
    EXPECT_EQ(choices.chosen, c.chosen) << c.what;
  }
}

TEST(CreateRoomName, KeepsSixteenCharactersAsTheNameBoxDoes) {
  const std::string sixteen = "一二三四五六七八九十abcdef";
  EXPECT_EQ(room_name_within_limit(sixteen), sixteen);
  EXPECT_EQ(room_name_within_limit(sixteen + "g"), sixteen);
  EXPECT_EQ(room_name_within_limit(sixteen + "十七"), sixteen);
  EXPECT_EQ(room_name_within_limit(""), "");
}

TEST(CreateRoom, OnlyStarMembersAndNothingElse) {
  brindle::testing::RoomsFixture f;
  f.context.star_member = 0;
  EXPECT_FALSE(create_room(f.session, f.messages, f.create_window));
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"只有星级会员才可以自创房间！"}));
  EXPECT_TRUE(f.transport.exchanges().empty());
  EXPECT_TRUE(f.create_window.shown.empty());
}

TEST(CreateRoom, FailedTermsOrPositionsCloseTheWindowWithTheirMessage) {
  {
    brindle::testing::RoomsFixture f;
    f.reply({"0|条款暂缺"});
    EXPECT_FALSE(create_room(f.session, f.messages, f.create_window));
    EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"条款暂缺"}));
    EXPECT_EQ(f.subjects(), (std::vector<int>{1003}));
  }
  {
    brindle::testing::RoomsFixture f;
    f.context.star_member_terms = {"10000", "12000", "1500", "3"};  // read before: not again
    f.reply({"0|位置暂缺"});
    EXPECT_FALSE(create_room(f.session, f.messages, f.create_window));
    EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"位置暂缺"}));
    EXPECT_EQ(f.subjects(), (std::vector<int>{4006}));
    EXPECT_TRUE(f.create_window.shown.empty());
  }
}

TEST(CreateRoom, AgentPositionGivesOneEntryWhateverTheUserSelects) {
  brindle::testing::RoomsFixture f;
  f.context.star_member_terms = {"10000", "12000", "1500", "3"};
  f.reply({"1|ok", "5|代理甲", "101|大厅", "102|二厅"});
  f.reply({"1|房间A|8812|45352.75"});
  f.create_window.presses.push_back({-1, "房间A"});
  EXPECT_TRUE(create_room(f.session, f.messages, f.create_window));
  ASSERT_EQ(f.create_window.shown.size(), 1u);
  const auto& shown = f.create_window.shown[0];
  EXPECT_EQ(shown.explanation, "创建星级会员房间。");
  EXPECT_EQ(shown.position_label, "你的代理是：");
  EXPECT_EQ(shown.positions, (std::vector<std::string>{"代理甲"}));
  EXPECT_EQ(f.create_window.kept_on_show[0].position, 0) << "the first entry is selected";
  EXPECT_EQ(f.last_para(), "房间A|5");
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"创建房间房间A\n房间的密码为：8812"}));
}

TEST(CreateRoom, RefusalsReopenTheWindowWithTheEntriesKept) {
  brindle::testing::RoomsFixture f;
  f.reply({"1|ok|10000|12000|1500|3"});
  f.reply({"1|ok", "101|大厅", "102|二厅"});
  f.reply({"0|房间名已存在"});
  f.reply({"1|%s好|123|45352.75"});
  const std::string seventeen = "一二三四五六七八九十一二三四五六七";
  f.create_window.presses = {{-1, "甲"}, {1, ""}, {1, "甲|乙"}, {1, seventeen}, {1, "老地方"}};
  EXPECT_TRUE(create_room(f.session, f.messages, f.create_window));
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{
                                  "请选择房间位置！",
                                  "房间名称不能为空！",
                                  "输入的内容不能包含“|”！",
                                  "房间名已存在",
                                  "创建房间%s好\n房间的密码为：123",
                              }));
  EXPECT_EQ(f.subjects(), (std::vector<int>{1003, 4006, 3006, 3006}));
  // The seventeenth character never reaches the server, as the name box would not take it.
  EXPECT_EQ(f.paras_of(2), seventeen.substr(0, seventeen.size() - 3) + "|102");
  EXPECT_EQ(f.context.star_member_terms[1], "12000");
  ASSERT_EQ(f.create_window.kept_on_show.size(), 5u);
  EXPECT_EQ(f.create_window.kept_on_show[3].name, "甲|乙");
  EXPECT_EQ(f.create_window.kept_on_show[4].name, seventeen.substr(0, seventeen.size() - 3));
  EXPECT_EQ(f.create_window.kept_on_show[4].position, 1);
}

TEST(CreateRoom, CancelEndsWithoutARoom) {
  brindle::testing::RoomsFixture f;
  f.context.star_member_terms = {"10000", "12000", "1500", "3"};
  f.reply({"1|ok", "0|总部"});
  EXPECT_FALSE(create_room(f.session, f.messages, f.create_window));
  ASSERT_EQ(f.create_window.shown.size(), 1u);
  EXPECT_FALSE(f.create_window.shown[0].position_visible);
  EXPECT_TRUE(f.messages.texts.empty());
}

}  // namespace
