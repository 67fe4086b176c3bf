#include "core/rooms/room_list.h"

#include "core/net/client_context.h"
#include "core/ports/message_port.h"
#include "core/ports/room_windows_port.h"
#include "core/protocol/rooms_messages.h"
#include "core/protocol/session.h"
#include "core/rooms/create_room.h"
#include "wire/field_reader.h"

namespace brindle::rooms {
namespace {

std::string own_room_text(const protocol::Room& room) {
  const std::string_view format = kOwnRoomFormat;
  const auto text_at = format.find("%s");
  const auto number_at = format.find("%d");
  return std::string(format.substr(0, text_at)) + room.creator_text +
         std::string(format.substr(text_at + 2, number_at - text_at - 2)) +
         std::to_string(wire::to_integer(room.password)) + std::string(format.substr(number_at + 2));
}

}  // namespace

RoomListRows group_rooms(const std::vector<protocol::Room>& rooms, const std::string& user_name) {
  RoomListRows out;
  for (std::size_t i = 0; i < rooms.size(); ++i) {
    const protocol::Room& room = rooms[i];
    if (i == 0 || room.position_id != rooms[i - 1].position_id) {
      out.groups.push_back(
          {room.position_id < kFirstOrdinaryPosition ? room.agent_text : room.position_name, {}});
    }
    RoomGroup& group = out.groups.back();
    const bool own = !user_name.empty() && room.owner_user_name == user_name;
    group.rows.push_back({room.room_name, own ? own_room_text(room) : room.creator_text, i});
    if (own) out.own_room = RoomRowIndex{out.groups.size() - 1, group.rows.size() - 1};
  }
  return out;
}

bool password_matches(std::string_view typed, const protocol::Room& room) {
  return wire::to_integer(typed) == wire::to_integer(room.password);
}

void RoomListModel::fill() {
  std::vector<protocol::Room> rooms;
  const protocol::Outcome fetched = protocol::fetch_rooms(services_.session, rooms);
  if (before_rows_) before_rows_();
  rooms_ = fetched ? std::move(rooms) : std::vector<protocol::Room>{};
  rows_ = group_rooms(rooms_, services_.session.context.user_name);
  if (after_rows_) after_rows_();
  // Shown over the emptied list.
  if (!fetched) services_.messages.show_message(fetched.error(), false);
}

const protocol::Room* RoomListModel::room(const RoomRowIndex& index) const {
  if (index.group >= rows_.groups.size()) return nullptr;
  const RoomGroup& group = rows_.groups[index.group];
  if (index.row >= group.rows.size()) return nullptr;
  return &rooms_[group.rows[index.row].room];
}

bool RoomListModel::enter(const std::optional<RoomRowIndex>& selected) {
  const protocol::Room* chosen = selected ? room(*selected) : nullptr;
  if (chosen == nullptr) {
    services_.messages.show_message(kChooseRoomFirst, false);
    return false;
  }
  const std::optional<std::string> typed = services_.password.ask_room_password();
  if (!typed) return false;
  if (!password_matches(*typed, *chosen)) {
    services_.messages.show_message(kWrongPassword, false);
    return false;
  }
  net::ClientContext& context = services_.session.context;
  context.room_star_member = chosen->owner_user_name;
  context.room_number = chosen->room_number;
  context.room_name = chosen->room_name;
  return true;
}

bool RoomListModel::create_room() {
  if (!rooms::create_room(services_.session, services_.messages, services_.create_window)) return false;
  fill();
  return true;
}

}  // namespace brindle::rooms
