// The room list: groups by position in reply order, the owner's rows with the password, the selected
// own room, entering with the password read as a decimal integer.

#include "core/rooms/room_list.h"

#include <gtest/gtest.h>

#include "core/net/client_context.h"
#include "rooms_fixture.h"

namespace {

using namespace brindle;
using namespace brindle::rooms;
using brindle::testing::room_line;

// Two rooms at 大厅 around one at the agent's position: two groups captioned "大厅".
const std::vector<std::string> kReply = {
    "1|ok|说明",
    room_line("bob", "老鲍", "鲍家", "123", 31, 101, "大厅"),
    room_line("alice", "阿丽", "丽家", "0042", 32, 7, "七号", "代理甲"),
    room_line("carol", "卡罗", "卡家", "9", 33, 101, "大厅"),
    room_line("alice", "阿丽", "丽家二", "77", 34, 101, "大厅"),
};

TEST(RoomList, GroupsByPositionChangeAndTheOwnerSeesThePassword) {
  brindle::testing::RoomsFixture f;
  RoomListModel model(f.services());
  f.reply(kReply);
  model.fill();
  EXPECT_EQ(f.subjects(), (std::vector<int>{1004}));
  EXPECT_EQ(f.context.room_list_text, "说明");

  const auto& groups = model.rows().groups;
  ASSERT_EQ(groups.size(), 3u);
  struct Case {
    std::size_t group, row;
    const char* caption;
    const char* name;
    const char* creator;
  };
  const Case cases[] = {
      {0, 0, "大厅", "鲍家", "老鲍"},
      {1, 0, "代理甲", "丽家", "阿丽 - (密码：42)"},  // agent position: the agent text heads it
      {2, 0, "大厅", "卡家", "卡罗"},
      {2, 1, "大厅", "丽家二", "阿丽 - (密码：77)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(groups[c.group].caption, c.caption) << c.name;
    EXPECT_EQ(groups[c.group].rows.at(c.row).name, c.name);
    EXPECT_EQ(groups[c.group].rows.at(c.row).creator, c.creator);
  }
  EXPECT_EQ(groups[0].rows.size(), 1u);
  EXPECT_EQ(model.rows().own_room, (RoomRowIndex{2, 1})) << "the user's last room";

  // Another user sees only the creator texts and has no room to select.
  protocol::Room room;
  room.owner_user_name = "alice";
  room.creator_text = "阿丽";
  room.password = "42";
  room.position_id = 101;
  const auto others = group_rooms({room}, "dave");
  EXPECT_EQ(others.groups.at(0).rows.at(0).creator, "阿丽");
  EXPECT_FALSE(others.own_room);
}

TEST(RoomList, AFailedListShowsTheMessageAndIsEmpty) {
  brindle::testing::RoomsFixture f;
  RoomListModel model(f.services());
  f.reply(kReply);
  model.fill();
  f.reply({"0|房间列表暂停"});
  model.fill();
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"房间列表暂停"}));
  EXPECT_TRUE(model.rows().groups.empty());
  EXPECT_FALSE(model.rows().own_room);
  EXPECT_FALSE(model.enter(RoomRowIndex{0, 0}));
  EXPECT_EQ(f.messages.texts.back(), "请先选择房间！");
}

TEST(RoomList, EnteringReadsThePasswordAsADecimalInteger) {
  struct Case {
    std::optional<std::string> typed;
    bool entered;
    const char* message;  // nothing when empty
  };
  const Case cases[] = {
      {"123", true, ""},
      {"0123", true, ""},
      {"123ab", true, ""},
      {"  +123", true, ""},
      {"12 3", false, "密码错误！"},
      {"ab123", false, "密码错误！"},
      {"", false, "密码错误！"},
      {"-123", false, "密码错误！"},
      {std::nullopt, false, ""},  // "取消" stays in the list
  };
  for (const auto& c : cases) {
    brindle::testing::RoomsFixture f;
    RoomListModel model(f.services());
    f.reply({"1|ok|", room_line("bob", "老鲍", "鲍家", "123", 31, 101, "大厅")});
    model.fill();
    f.password.typed.push_back(c.typed);
    EXPECT_EQ(model.enter(RoomRowIndex{0, 0}), c.entered) << c.typed.value_or("(cancel)");
    EXPECT_EQ(f.messages.texts.empty() ? "" : f.messages.texts.back(), std::string(c.message));
    EXPECT_EQ(f.context.room_number, c.entered ? 31 : 0);
    EXPECT_EQ(f.context.room_star_member, c.entered ? "bob" : "");
    EXPECT_EQ(f.context.room_name, c.entered ? "鲍家" : "");
  }
}

TEST(RoomList, NoRoomRowChosenAsksNoPassword) {
  brindle::testing::RoomsFixture f;
  RoomListModel model(f.services());
  f.reply(kReply);
  model.fill();
  for (const auto& selected : {std::optional<RoomRowIndex>{}, std::optional(RoomRowIndex{5, 0}),
                               std::optional(RoomRowIndex{0, 3})}) {
    EXPECT_FALSE(model.enter(selected));
  }
  EXPECT_EQ(f.messages.texts, std::vector<std::string>(3, "请先选择房间！"));
  EXPECT_EQ(f.password.asked, 0);
}

TEST(RoomList, ARoomMadeFromTheListReadsTheListAgain) {
  brindle::testing::RoomsFixture f;
  RoomListModel model(f.services());
  f.reply({"1|ok|"});
  model.fill();
  f.reply({"1|ok|1|2|3|4"});
  f.reply({"1|ok", "101|大厅"});
  f.reply({"1|已创建|5566|45352.75"});
  f.reply({"1|ok|", room_line("alice", "阿丽", "新房", "5566", 40, 101, "大厅")});
  f.create_window.presses.push_back({0, "新房"});
  EXPECT_TRUE(model.create_room());
  EXPECT_EQ(f.subjects(), (std::vector<int>{1004, 1003, 4006, 3006, 1004}));
  ASSERT_EQ(model.rows().groups.size(), 1u);
  EXPECT_EQ(model.rows().groups[0].rows[0].creator, "阿丽 - (密码：5566)");
}

}  // namespace
