#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "../protocol/catalogue_fixture.h"
#include "core/ports/room_windows_port.h"
#include "core/rooms/room_list.h"
#include "support/recording_ports.h"
#include "wire/gbk.h"

namespace brindle::testing {

// Types each scripted password in turn; "取消" once the script runs out.
struct ScriptedRoomPassword final : ports::RoomPasswordPort {
  std::optional<std::string> ask_room_password() override {
    ++asked;
    if (typed.empty()) return std::nullopt;
    auto next = typed.front();
    typed.pop_front();
    return next;
  }
  std::deque<std::optional<std::string>> typed;
  int asked = 0;
};

// Presses "提交" with each scripted entry in turn and keeps what every showing held; "取消" when out.
struct ScriptedCreateRoomWindow final : ports::CreateRoomWindowPort {
  std::optional<ports::CreateRoomEntries> ask_new_room(const ports::CreateRoomContent& content,
                                                       const ports::CreateRoomEntries& kept) override {
    shown.push_back(content);
    kept_on_show.push_back(kept);
    if (presses.empty()) return std::nullopt;
    auto next = presses.front();
    presses.pop_front();
    return next;
  }
  std::deque<ports::CreateRoomEntries> presses;
  std::vector<ports::CreateRoomContent> shown;
  std::vector<ports::CreateRoomEntries> kept_on_show;
};

// A signed-in star member "alice" before a scripted server.
struct RoomsFixture : CatalogueFixture {
  RoomsFixture() { context.star_member = 1; }
  rooms::RoomListServices services() { return {session, messages, password, create_window}; }

  // The txtPara of exchange i, in UTF-8.
  std::string paras_of(std::size_t i) const { return para_of(transport.exchanges().at(i).body); }

  RecordingMessages messages;
  ScriptedRoomPassword password;
  ScriptedCreateRoomWindow create_window;
};

// A room line: owner, creator text, name, password, number, unused, position id and name, unused, agent.
inline std::string room_line(const std::string& owner, const std::string& creator, const std::string& name,
                             const std::string& password, int number, int position,
                             const std::string& position_name, const std::string& agent = "代理甲") {
  return owner + "|" + creator + "|" + name + "|" + password + "|" + std::to_string(number) + "|0|" +
         std::to_string(position) + "|" + position_name + "|x|" + agent;
}

}  // namespace brindle::testing
