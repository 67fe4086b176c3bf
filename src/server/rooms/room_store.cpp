#include "server/rooms/room_store.h"

#include <openssl/rand.h>

#include <cstring>

#include "server/storage/inserted_id.h"
#include "wire/gbk.h"

namespace brindle::server::rooms {
namespace {

using storage::Connection;

constexpr std::string_view kRoomsV1 = R"sql(
CREATE TABLE rooms (
  id INTEGER PRIMARY KEY,
  owner_id INTEGER NOT NULL REFERENCES accounts (id),
  name TEXT NOT NULL,
  password INTEGER NOT NULL,
  position_id INTEGER NOT NULL,
  position_name TEXT NOT NULL,
  created_at INTEGER NOT NULL
);
CREATE INDEX rooms_by_owner ON rooms (owner_id);
)sql";

constexpr storage::Migration kMigrations[] = {{"rooms", 1, kRoomsV1}};

constexpr std::string_view kRoomColumns =
    "r.id, r.owner_id, a.user_name, COALESCE(NULLIF(d.text, ''), a.user_name), r.name, r.password,"
    " r.position_id, r.position_name, r.created_at"
    " FROM rooms r JOIN accounts a ON a.id = r.owner_id"
    " LEFT JOIN member_details d ON d.account_id = r.owner_id AND d.slot = 1";

Room read_room(const storage::Statement& row) {
  Room room;
  room.number = row.column_int64(0);
  room.owner = row.column_int64(1);
  room.owner_name = row.column_text(2);
  room.creator_text = row.column_text(3);
  room.name = row.column_text(4);
  room.password = row.column_int64(5);
  room.position_id = static_cast<int>(row.column_int64(6));
  room.position_name = row.column_text(7);
  room.created_at = row.column_int64(8);
  return room;
}

Result<std::int64_t> draw_password() {
  std::uint32_t value = 0;
  unsigned char bytes[sizeof value];
  if (RAND_bytes(bytes, sizeof bytes) != 1)
    return Result<std::int64_t>::failure("cannot draw a room password");
  std::memcpy(&value, bytes, sizeof value);
  // Six digits, never a leading zero, so the number reads the same however it is typed.
  return 100000 + static_cast<std::int64_t>(value % 900000);
}

}  // namespace

std::span<const storage::Migration> rooms_migrations() { return kMigrations; }

Result<void> check_room_name(std::string_view name) {
  if (name.empty()) return Result<void>::failure(std::string(kRoomNameEmptyText));
  std::size_t characters = 0;
  for (const char byte : name) {
    const auto c = static_cast<unsigned char>(byte);
    if ((c & 0xC0) != 0x80) ++characters;
    if (c < 0x20 || c == 0x7F || c == '|') return Result<void>::failure(std::string(kRoomNameBadText));
  }
  if (characters > kMaxRoomNameCharacters) return Result<void>::failure(std::string(kRoomNameTooLongText));
  bool unmappable = false;
  (void)wire::utf8_to_gbk(name, &unmappable);
  if (unmappable) return Result<void>::failure(std::string(kRoomNameBadText));
  return {};
}

Result<Room> create_room(Connection& connection, accounts::AccountId owner, std::string_view name,
                         int position_id, std::string_view position_name, std::int64_t now) {
  using R = Result<Room>;
  if (auto ok = check_room_name(name); !ok) return R::failure(ok.error());
  {
    auto count = connection.prepare("SELECT COUNT(*) FROM rooms WHERE owner_id = ?1");
    if (!count) return R::failure(count.error());
    count->bind(1, owner);
    auto row = count->step();
    if (!row) return R::failure(row.error());
    if (count->column_int64(0) >= kMaxRoomsPerOwner) return R::failure(std::string(kTooManyRoomsText));
  }
  auto password = draw_password();
  if (!password) return R::failure(password.error());
  auto insert = connection.prepare(
      "INSERT INTO rooms (owner_id, name, password, position_id, position_name, created_at)"
      " VALUES (?1, ?2, ?3, ?4, ?5, ?6) RETURNING id");
  if (!insert) return R::failure(insert.error());
  insert->bind(1, owner)
      .bind(2, name)
      .bind(3, password.value())
      .bind(4, position_id)
      .bind(5, position_name)
      .bind(6, now);
  auto id = inserted_id(insert.value());
  if (!id) return R::failure(id.error());
  auto made = find_room(connection, id.value());
  if (!made) return R::failure(made.error());
  if (!made.value()) return R::failure("the new room cannot be read back");
  return std::move(*made.value());
}

Result<std::vector<Room>> list_rooms(Connection& connection) {
  using R = Result<std::vector<Room>>;
  auto statement =
      connection.prepare("SELECT " + std::string(kRoomColumns) + " ORDER BY r.position_id, r.id");
  if (!statement) return R::failure(statement.error());
  std::vector<Room> rooms;
  for (;;) {
    auto row = statement->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) return rooms;
    rooms.push_back(read_room(statement.value()));
  }
}

Result<std::optional<Room>> find_room(Connection& connection, std::int64_t number) {
  using R = Result<std::optional<Room>>;
  auto statement = connection.prepare("SELECT " + std::string(kRoomColumns) + " WHERE r.id = ?1");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, number);
  auto row = statement->step();
  if (!row) return R::failure(row.error());
  if (!row.value()) return std::optional<Room>{};
  return std::optional<Room>(read_room(statement.value()));
}

}  // namespace brindle::server::rooms
