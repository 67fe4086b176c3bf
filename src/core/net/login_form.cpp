#include "core/net/login_form.h"

#include <algorithm>

#include "core/net/settings.h"
#include "wire/gbk.h"

namespace brindle::net {

LoginFormView LoginForm::prepare(ClientContext& context) {
  settings_load(context);
  visitor_ = false;

  LoginFormView view;
  for (const ListEntry& entry : context.server_list) view.servers.push_back(entry.text);
  const int count = static_cast<int>(view.servers.size());
  if (remembered_index_) {
    if (*remembered_index_ >= count) remembered_index_ = 0;
    if (count > 0) context.chosen_server = view.servers[static_cast<std::size_t>(*remembered_index_)];
    view.selected = count > 0 ? *remembered_index_ : -1;
  } else {
    const auto match = std::find(view.servers.begin(), view.servers.end(), context.chosen_server);
    if (match != view.servers.end()) view.selected = static_cast<int>(match - view.servers.begin());
  }
  view.server_text = context.chosen_server;
  return view;
}

std::optional<std::string> LoginForm::sign_in(ClientContext& context, int selected_index,
                                              const std::string& user_name, const std::string& password,
                                              bool private_room) {
  if (private_room) private_room_ = true;
  // A text typed into the drop-down selects no entry: nothing to remember then.
  remembered_index_ = selected_index >= 0 ? std::optional<int>(selected_index) : std::nullopt;
  if (user_name.empty()) return std::string(kUserNameMissingText);
  if (password.empty()) return std::string(kPasswordMissingText);
  context.skin_size_mode = kSignedInSkinSizeMode;
  visitor_ = false;
  return std::nullopt;
}

void LoginForm::visit() {
  private_room_ = false;
  visitor_ = true;
}

void LoginForm::make_current(ClientContext& context, const std::string& server_text) {
  set_current_server(context, server_text);
}

bool fits_byte_limit(const std::string& utf8_text, std::size_t limit) {
  return wire::gbk_byte_length(utf8_text) <= limit;
}

}  // namespace brindle::net
