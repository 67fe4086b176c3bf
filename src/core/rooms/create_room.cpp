#include "core/rooms/create_room.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "core/net/client_context.h"
#include "core/ports/message_port.h"
#include "core/ports/room_windows_port.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/rooms_messages.h"
#include "core/protocol/session.h"

namespace brindle::rooms {
namespace {

constexpr int kStarMember = 1;
constexpr int kNoPositionChoice = 0;

// Each "%s" of `format` in turn replaced by the next text; the texts are the server's, so they are
// never read as formats themselves.
std::string fill_texts(std::string_view format, std::initializer_list<std::string_view> texts) {
  std::string out;
  auto next = texts.begin();
  for (std::size_t at = 0;;) {
    const auto mark = format.find("%s", at);
    if (mark == std::string_view::npos || next == texts.end()) {
      out.append(format.substr(at));
      return out;
    }
    out.append(format.substr(at, mark - at)).append(*next++);
    at = mark + 2;
  }
}

bool terms_cached(const net::ClientContext& context) {
  return std::any_of(context.star_member_terms.begin(), context.star_member_terms.end(),
                     [](const std::string& term) { return !term.empty(); });
}

}  // namespace

PositionChoices position_choices(const std::vector<protocol::RoomPosition>& positions) {
  PositionChoices out;
  for (const protocol::RoomPosition& position : positions) {
    if (position.number < kFirstOrdinaryPosition) {
      if (position.number == kNoPositionChoice) {
        out.visible = false;
      } else {
        out.label = kAgentLabel;
      }
      out.entries = {position};
      out.chosen = position.number;
      break;
    }
    out.label = kChoosePositionLabel;
    out.entries.push_back(position);
  }
  return out;
}

std::string room_name_within_limit(const std::string& name) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    // A character starts at every byte that is not a UTF-8 continuation byte.
    if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80 && characters++ == kRoomNameLimit)
      return name.substr(0, i);
  }
  return name;
}

bool create_room(protocol::Session& session, ports::MessagePort& messages,
                 ports::CreateRoomWindowPort& window) {
  net::ClientContext& context = session.context;
  const auto show = [&messages](const std::string& text) { messages.show_message(text, false); };
  if (context.star_member != kStarMember) {
    show(kStarMembersOnly);
    return false;
  }
  if (!terms_cached(context)) {
    protocol::StarMemberTerms terms;
    if (const auto fetched = protocol::fetch_star_member_terms(session, terms); !fetched) {
      show(fetched.error());
      return false;
    }
  }
  std::vector<protocol::RoomPosition> positions;
  if (const auto fetched = protocol::fetch_room_positions(session, positions); !fetched) {
    show(fetched.error());
    return false;
  }
  const PositionChoices choices = position_choices(positions);
  ports::CreateRoomContent content{kCreateRoomExplanation, choices.label, choices.visible, {}, true};
  for (const auto& entry : choices.entries) content.positions.push_back(entry.name);
  ports::CreateRoomEntries entries{choices.entries.empty() ? -1 : 0, {}};

  for (;;) {
    std::optional<ports::CreateRoomEntries> typed = window.ask_new_room(content, entries);
    if (!typed) return false;
    entries = std::move(*typed);
    entries.name = room_name_within_limit(entries.name);
    int position = 0;
    if (choices.chosen) {
      position = *choices.chosen;
    } else if (entries.position >= 0 && static_cast<std::size_t>(entries.position) < choices.entries.size()) {
      position = choices.entries[static_cast<std::size_t>(entries.position)].number;
    } else {
      show(kChoosePosition);
      continue;
    }
    if (entries.name.empty()) {
      show(kRoomNameEmpty);
      continue;
    }
    protocol::CreatedRoom room;
    const protocol::Outcome created = protocol::create_room(session, entries.name, position, room);
    if (!created) {
      show(created.error());
      continue;
    }
    show(fill_texts(kRoomCreatedFormat, {created.value(), room.password}));
    return true;
  }
}

}  // namespace brindle::rooms
