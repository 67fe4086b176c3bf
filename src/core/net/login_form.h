#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/net/client_context.h"

namespace brindle::net {

inline constexpr char kLoginWindowTitle[] = "登陆";
inline constexpr char kUserNameMissingText[] = "请输入用户名！";
inline constexpr char kPasswordMissingText[] = "密码不能为空！";
inline constexpr std::size_t kUserNameLimit = 20;  // bytes
inline constexpr std::size_t kPasswordLimit = 12;
inline constexpr int kSignedInSkinSizeMode = 2;

// What the Login window shows on one showing.
struct LoginFormView {
  std::vector<std::string> servers;  // the drop-down list, in order
  int selected = -1;                 // none when no entry matches
  std::string server_text;           // the drop-down text: the chosen server
};

// The Login window's state and checks; the window itself only draws them. Lives as long as the
// window, so the remembered drop-down index carries over from one showing to the next.
class LoginForm final {
 public:
  // Every showing: reloads the settings and applies the remembered-index rule.
  LoginFormView prepare(ClientContext& context);

  // "登陆" (and "私人房间" with `private_room`): the message to show when refused; otherwise the
  // Skin size mode becomes the signed-in one and the window closes with OK.
  std::optional<std::string> sign_in(ClientContext& context, int selected_index, const std::string& user_name,
                                     const std::string& password, bool private_room);
  // "参观": closes with OK without any check.
  void visit();
  // Before "注册", "修改资料", "忘记密码" and "刷新列表": the drop-down text becomes the current server.
  void make_current(ClientContext& context, const std::string& server_text);

  bool visitor() const { return visitor_; }
  bool private_room() const { return private_room_; }
  void clear_private_room() { private_room_ = false; }

 private:
  std::optional<int> remembered_index_;
  bool visitor_ = false;
  bool private_room_ = false;
};

// True when the text fits `limit` bytes in GBK, the way the boxes count.
bool fits_byte_limit(const std::string& utf8_text, std::size_t limit);

}  // namespace brindle::net
