#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/protocol/account_records.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class CreateRoomWindowPort;
class MessagePort;
class RoomPasswordPort;
}  // namespace brindle::ports

namespace brindle::rooms {

inline constexpr char kRoomNameColumn[] = "房间名称";
inline constexpr char kCreatorColumn[] = "创建者";
inline constexpr int kRoomNameColumnWidth = 160;
inline constexpr int kCreatorColumnWidth = 180;
inline constexpr char kOwnRoomFormat[] = "%s - (密码：%d)";
inline constexpr char kChooseRoomFirst[] = "请先选择房间！";
inline constexpr char kWrongPassword[] = "密码错误！";
// Position ids below this one name the star member's agent; the group shows the room's agent text.
inline constexpr int kFirstOrdinaryPosition = 100;

// A room row of the list: what its two columns show and which room of the reply it stands for.
struct RoomRow {
  std::string name;     // "房间名称"
  std::string creator;  // "创建者"
  std::size_t room = 0;
};

struct RoomGroup {
  std::string caption;
  std::vector<RoomRow> rows;
};

// Where a room row sits in the list.
struct RoomRowIndex {
  std::size_t group = 0;
  std::size_t row = 0;
  bool operator==(const RoomRowIndex&) const = default;
};

struct RoomListRows {
  std::vector<RoomGroup> groups;
  std::optional<RoomRowIndex> own_room;  // the signed-in user's last room, selected after filling
};

// The list of a room reply in reply order: a group row whenever a room's position differs from the
// previous room's (so one caption may head two groups), the owner's rows showing the password.
RoomListRows group_rooms(const std::vector<protocol::Room>& rooms, const std::string& user_name);

// The typed text read as a decimal integer (blanks, an optional sign, the leading digits; no digits
// read 0) against the room's password.
bool password_matches(std::string_view typed, const protocol::Room& room);

struct RoomListServices {
  protocol::Session& session;
  ports::MessagePort& messages;
  ports::RoomPasswordPort& password;
  ports::CreateRoomWindowPort& create_window;
};

// The room list window "进入私人房间": its rows, entering a room with its password and creating one.
class RoomListModel final {
 public:
  explicit RoomListModel(RoomListServices services) : services_(services) {}
  // Called just before and just after the rows are replaced, so that a view resets around it.
  void set_row_observers(std::function<void()> before, std::function<void()> after) {
    before_rows_ = std::move(before);
    after_rows_ = std::move(after);
  }

  // Reads the list anew (opening and "刷新列表"); a failure shows its message and leaves it empty.
  void fill();
  const RoomListRows& rows() const { return rows_; }
  const protocol::Room* room(const RoomRowIndex& index) const;

  // "进入房间" on the selected room row (nothing for no selection or a group row). True when the
  // password matched: the session room values are set and the window closes with OK.
  bool enter(const std::optional<RoomRowIndex>& selected);
  // "自创房间"; the list is read again after a room was made. True when one was.
  bool create_room();

 private:
  RoomListServices services_;
  std::vector<protocol::Room> rooms_;
  RoomListRows rows_;
  std::function<void()> before_rows_;
  std::function<void()> after_rows_;
};

}  // namespace brindle::rooms
