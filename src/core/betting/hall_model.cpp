#include "core/betting/hall_model.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_set>

#include "core/net/account_status.h"
#include "core/net/client_context.h"
#include "core/notation/odds_format.h"
#include "core/ports/frame_port.h"
#include "core/ports/hall_view_port.h"
#include "core/ports/hall_windows_port.h"
#include "core/ports/message_port.h"
#include "core/ports/shell_port.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/market_data.h"
#include "core/protocol/session.h"

namespace brindle::betting {
namespace {

constexpr int kInPlayWebModeOn = 1;
constexpr char kOddsColumnWord[] = "赔率";

bool may_use_rooms(int login_mode) {
  return login_mode == net::kLoginModeMember || login_mode == net::kLoginModeSecondary;
}

}  // namespace

HallModel::HallModel(HallServices services)
    : services_(services), odds_format_(services.session.context.odds_format) {}

HallModel::~HallModel() = default;

void HallModel::show(const std::string& text) { services_.messages.show_message(text, false); }

std::string HallModel::location_text() const {
  std::string text;
  if (room_ == HallRoom::kPublic) {
    text = public_location();
  } else if (!shows_room_name()) {
    text = private_location_prefix();
  } else {
    text = private_location_prefix() + services_.session.context.room_name;
  }
  if (odds_format_ != net::OddsFormat::kDecimal) {
    text += notation::odds_format_note(odds_format_);
  }
  return text;
}

std::string HallModel::column_title(int column) const {
  const auto& all = columns();
  if (column < 0 || static_cast<std::size_t>(column) >= all.size()) return {};
  const std::string title = all[static_cast<std::size_t>(column)].title;
  const std::size_t word = title.find(kOddsColumnWord);
  if (word == std::string::npos || odds_format_ == net::OddsFormat::kDecimal) return title;
  // A hall's price column is as narrow as its figures: the format's name takes the place of "赔率"
  // ("香港盘", "香港盘（大）"), which fits where "赔率(香港盘)" is cut.
  std::string named = title;
  named.replace(word, std::string_view(kOddsColumnWord).size(), notation::odds_format_label(odds_format_));
  return named;
}

std::string HallModel::odds_text(double net_price) const {
  return notation::odds_text(net_price, odds_format_);
}

std::vector<std::string> HallModel::context_menu() const {
  if (services_.session.context.login_mode == net::kLoginModeVisitor) return {kMenuRefresh};
  return {kMenuRefresh, kMenuRecords, room_ == HallRoom::kPublic ? kMenuPrivateRoom : kMenuPublicRoom};
}

PriceMove HallModel::price_move(std::size_t line, int column) const {
  const auto now = cell_price(line, column);
  if (!now) return PriceMove::kNone;
  const auto before = previous_prices_.find(now->first);
  if (before == previous_prices_.end() || before->second == now->second) return PriceMove::kNone;
  return now->second > before->second ? PriceMove::kUp : PriceMove::kDown;
}

void HallModel::remember_prices() {
  previous_prices_.clear();
  const auto column_count = static_cast<int>(columns().size());
  for (std::size_t line = 0; line < line_count(); ++line) {
    for (int column = 0; column < column_count; ++column) {
      if (auto price = cell_price(line, column)) previous_prices_[price->first] = price->second;
    }
  }
}

void HallModel::run_refresh(bool filtered) {
  const protocol::Outcome fetched = fetch(filtered);
  if (!fetched) {
    show(fetched.error());
    return;
  }
  const net::ClientContext& context = services_.session.context;
  if (view_) view_->lines_about_to_change();
  remember_prices();
  commit_fetched();
  odds_format_ = context.odds_format;
  if (context.currency_code == 0 && context.peak_period != 0) {
    empty_text_ = kPeakTimeNotice;
    clear_lines();
  } else {
    empty_text_ = kNoMarketsText;
  }
  list_.rebuild(line_count(), [this](std::size_t line) { return group_key(line); });
  if (view_) view_->lines_changed();
  refreshed();

  if (!fetches_balance()) return;
  protocol::AccountBalance balance;
  if (const auto fetched_balance = protocol::fetch_balance(services_.session, balance); !fetched_balance) {
    show(fetched_balance.error());
  }
  services_.frame.post(ports::WindowMessage::rebuild_account_panel, 0, 0);
}

std::vector<std::string> HallModel::league_choices() const {
  std::vector<std::string> choices{protocol::kAllLeaguesText};
  std::unordered_set<std::string> seen;
  const std::size_t looked_at = std::min(line_count(), kLeagueChooserLines);
  for (std::size_t line = 0; line < looked_at; ++line) {
    std::string league = league_of(line);
    if (league.empty() || !seen.insert(league).second) continue;
    choices.push_back(std::move(league));
  }
  return choices;
}

void HallModel::choose_league(const std::string& league) {
  services_.session.context.league_filter.front() = league;
  filtered_ = league != protocol::kAllLeaguesText;
  run_refresh(filtered_);
}

void HallModel::click(std::size_t line, int column) {
  const auto& all = columns();
  if (column < 0 || static_cast<std::size_t>(column) >= all.size() || line >= line_count()) return;
  const HallColumn& c = all[static_cast<std::size_t>(column)];
  if (c.bet_cell) {
    bet_click(line, column);
    return;
  }
  switch (c.kind) {
    case CellKind::kHistoryButton:
      history_click(line);
      return;
    case CellKind::kTrendButton:
      trend_click(line);
      return;
    case CellKind::kMoreButton:
      more_click(line);
      return;
    case CellKind::kText:
    case CellKind::kBetButton:
      return;
  }
}

void HallModel::bet_click(std::size_t, int) {}
void HallModel::history_click(std::size_t) {}
void HallModel::trend_click(std::size_t) {}
void HallModel::more_click(std::size_t) {}

std::optional<std::pair<int, double>> HallModel::cell_price(std::size_t, int) const { return std::nullopt; }

void HallModel::private_room_command() {
  if (!may_use_rooms(services_.session.context.login_mode)) {
    show(private_room_refusal());
    return;
  }
  const HallRoom before = room_;
  switch_room(room_ == HallRoom::kPublic ? HallRoom::kPrivate : HallRoom::kPublic);
  // A cancelled room list still tells the frame where the user is; a change has told it already.
  if (room_ == before) post_room();
}

// The frame's super button follows the room the hall ends up in (a cancelled room list leaves it
// public), not the room it left.
void HallModel::post_room() {
  services_.frame.post(ports::WindowMessage::private_rooms, room_ == HallRoom::kPrivate ? 1 : 0, 0);
}

void HallModel::switch_room(HallRoom wanted) {
  if (room_ == wanted) return;
  net::ClientContext& context = services_.session.context;
  if (wanted == HallRoom::kPublic) {
    context.leave_room();
  } else if (context.room_number == 0 && !services_.windows.choose_private_room()) {
    return;
  }
  room_ = wanted;
  if (view_) view_->room_changed();
  // Every way into or out of a room (the command, the Main window's 0x505, following the user)
  // swaps the frame's super button.
  post_room();
}

void HallModel::became_visible() {
  const HallRoom user_room =
      services_.session.context.room_number != 0 ? HallRoom::kPrivate : HallRoom::kPublic;
  if (user_room != room_) private_room_command();
}

void HallModel::page_button(int page) {
  if (page == kInPlayPage) {
    in_play_button();
    return;
  }
  services_.frame.post(ports::WindowMessage::go_to_page, page, 0);
}

void press_in_play_button(protocol::Session& session, ports::MessagePort& messages, ports::FramePort& frame,
                          ports::HallWindowsPort& windows) {
  net::ClientContext& context = session.context;
  if (context.member_details.in_play_web_mode != kInPlayWebModeOn) {
    frame.post(ports::WindowMessage::go_to_page, kInPlayPage, 0);
    return;
  }
  bool frozen = false;
  std::string error;
  if (!net::account_status_request(context, session.transport, session.progress, frozen, error)) {
    messages.show_message(error, false);
    return;
  }
  if (frozen) {
    messages.show_message(net::kAccountFrozenText, false);
    return;
  }
  protocol::WebToken token;
  if (const auto fetched = protocol::fetch_web_token(session, token); !fetched) {
    messages.show_message(fetched.error(), false);
    return;
  }
  windows.open_in_play_web(token.usable() ? token.text : std::string());
  frame.post(ports::WindowMessage::go_to_page, kAsianHandicapPage, 0);
}

void HallModel::in_play_button() {
  press_in_play_button(services_.session, services_.messages, services_.frame, services_.windows);
}

void HallModel::mobile_button() {
  char address[512];
  std::snprintf(address, sizeof address, kMobileAddressFormat,
                services_.session.context.current_server.c_str());
  services_.shell.open_address(address);
}

void HallModel::records_button() { services_.windows.open_bet_records(); }
void HallModel::results_button() { services_.windows.open_results(); }

std::string HallModel::advertisement_address() const {
  return "http://" + services_.session.context.current_server + kAdvertisementPath;
}

}  // namespace brindle::betting
