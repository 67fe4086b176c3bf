#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brindle::ports {

//! The room password window "输入房间密码".
class RoomPasswordPort {
 public:
  virtual ~RoomPasswordPort() = default;
  //! The typed text after "确认"; nothing after "取消" or close.
  virtual std::optional<std::string> ask_room_password() = 0;
};

//! What the create-room window "创建房间" shows.
struct CreateRoomContent {
  std::string explanation;             //!< the one line of the group "说明"
  std::string position_label;          //!< "选择房间位置：" or "你的代理是："
  bool position_visible = true;        //!< label and drop-down list shown
  std::vector<std::string> positions;  //!< the drop-down list's entries
  bool can_submit = true;              //!< name box and "提交" enabled
};

//! What the user left in the create-room window.
struct CreateRoomEntries {
  int position = -1;  //!< the selected drop-down entry, -1 for none
  std::string name;   //!< the room name box
};

class CreateRoomWindowPort {
 public:
  virtual ~CreateRoomWindowPort() = default;
  //! Shows the window modally with `kept` in its boxes; the entries after "提交", nothing after
  //! "取消" or close.
  virtual std::optional<CreateRoomEntries> ask_new_room(const CreateRoomContent& content,
                                                        const CreateRoomEntries& kept) = 0;
};

}  // namespace brindle::ports
