#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/protocol/account_records.h"
#include "core/rooms/room_list.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class CreateRoomWindowPort;
class MessagePort;
}  // namespace brindle::ports

namespace brindle::rooms {

inline constexpr char kStarMembersOnly[] = "只有星级会员才可以自创房间！";
inline constexpr char kCreateRoomExplanation[] = "创建星级会员房间。";
inline constexpr char kChoosePositionLabel[] = "选择房间位置：";
inline constexpr char kAgentLabel[] = "你的代理是：";
inline constexpr char kChoosePosition[] = "请选择房间位置！";
inline constexpr char kRoomNameEmpty[] = "房间名称不能为空！";
inline constexpr char kRoomCreatedFormat[] = "创建房间%s\n房间的密码为：%s";
// Characters the name box takes; the window sets it as the box's limit.
inline constexpr std::size_t kRoomNameLimit = 16;

// The drop-down list of the create-room window as the positions reply fills it.
struct PositionChoices {
  std::string label = kChoosePositionLabel;
  bool visible = true;
  std::vector<protocol::RoomPosition> entries;
  std::optional<int> chosen;  // a position fixed in advance (none to choose, or the agent)
};

// Walks the positions in reply order: id 0 (no choice) hides label and list, an id below 100 is the
// agent; either becomes the only entry, is chosen and ends the walk. Ids from 100 up are offered.
PositionChoices position_choices(const std::vector<protocol::RoomPosition>& positions);

// The first kRoomNameLimit characters of a UTF-8 name, as the name box would have kept them.
std::string room_name_within_limit(const std::string& name);

// "自创房间" of the room list and of the star-member window: the star check, the terms when not yet
// read, the positions, then the create-room window until a room is made or the user cancels. True
// when a room was made (its password has been shown).
bool create_room(protocol::Session& session, ports::MessagePort& messages,
                 ports::CreateRoomWindowPort& window);

}  // namespace brindle::rooms
