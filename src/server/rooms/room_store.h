#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/accounts/account.h"
#include "server/storage/database.h"
#include "server/storage/migration.h"
#include "wire/result.h"

namespace brindle::server::rooms {

// A star member's private room. Its number is what bets placed inside it carry; its password is
// drawn by the server and, as the client compares typed passwords itself, sent with the room list.
struct Room {
  std::int64_t number = 0;
  accounts::AccountId owner = 0;
  std::string owner_name;
  std::string creator_text;  // the owner's nickname, or his user name when he has none
  std::string name;
  std::int64_t password = 0;
  int position_id = 0;
  std::string position_name;  // as it was named when the room was made
  std::int64_t created_at = 0;
};

inline constexpr std::size_t kMaxRoomNameCharacters = 16;
inline constexpr int kMaxRoomsPerOwner = 10;

inline constexpr std::string_view kRoomNameEmptyText = "房间名称不能为空！";
inline constexpr std::string_view kRoomNameTooLongText = "房间名称不能超过16个字！";
inline constexpr std::string_view kRoomNameBadText = "房间名称含有不允许的字符！";
inline constexpr std::string_view kTooManyRoomsText = "每位星级会员最多创建10个房间！";
inline constexpr std::string_view kNoSuchRoomText = "该房间不存在！";

std::span<const storage::Migration> rooms_migrations();

// 1 to 16 characters that one reply field can carry in GBK: no "|", no control characters.
Result<void> check_room_name(std::string_view name);

// Makes a room with a fresh six-digit password; refuses a bad name and an owner who already has
// kMaxRoomsPerOwner rooms. Whether the owner may make rooms at all is the caller's to check.
Result<Room> create_room(storage::Connection& connection, accounts::AccountId owner, std::string_view name,
                         int position_id, std::string_view position_name, std::int64_t now);

// Every room, those of one position together (by position id, then room number).
Result<std::vector<Room>> list_rooms(storage::Connection& connection);
Result<std::optional<Room>> find_room(storage::Connection& connection, std::int64_t number);

}  // namespace brindle::server::rooms
