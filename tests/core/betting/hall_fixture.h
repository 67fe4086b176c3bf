#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "../protocol/catalogue_fixture.h"
#include "core/betting/hall_model.h"
#include "core/ports/bet_confirmation_port.h"
#include "core/ports/frame_port.h"
#include "core/ports/hall_view_port.h"
#include "core/ports/hall_windows_port.h"
#include "core/ports/parlay_windows_port.h"
#include "core/ports/shell_port.h"
#include "core/ports/stake_window_port.h"
#include "support/recording_ports.h"
#include "wire/gbk.h"

namespace brindle::testing {

// Answers the stake window from a script ("取消" once it runs out) and keeps what each showing held.
// An answer that the window's own check refuses stays in the same showing, as the real window does.
struct ScriptedStakeWindow final : ports::StakeWindowPort {
  std::optional<std::string> ask_stake(const ports::StakeWindowContent& content, const std::string& typed,
                                       const std::function<bool(const std::string&)>& submit) override {
    shown.push_back(content);
    typed_on_show.push_back(typed);
    if (on_show) on_show();
    while (!answers.empty()) {
      auto next = answers.front();
      answers.pop_front();
      if (!next || submit(*next)) return next;
      refused_in_place.push_back(*next);
    }
    return std::nullopt;
  }
  void close_as_cancelled() override { ++closed; }
  std::deque<std::optional<std::string>> answers;
  std::vector<ports::StakeWindowContent> shown;
  std::vector<std::string> typed_on_show;
  std::vector<std::string> refused_in_place;  // submits the window's check turned away
  std::function<void()> on_show;
  int closed = 0;  // closings by a time limit
};

struct ScriptedBetConfirmation final : ports::BetConfirmationPort {
  bool confirm_bet(const ports::BetConfirmation& c) override {
    shown.push_back(c);
    if (on_show) on_show();
    if (answers.empty()) return true;
    const bool next = answers.front();
    answers.pop_front();
    return next;
  }
  void close_as_cancelled() override { ++closed; }
  std::deque<bool> answers;
  std::vector<ports::BetConfirmation> shown;
  std::function<void()> on_show;
  int closed = 0;  // closings by a time limit
};

struct RecordingFrame final : ports::FramePort {
  void post(ports::WindowMessage m, int first, int second) override { posted.emplace_back(m, first, second); }
  std::vector<std::tuple<ports::WindowMessage, int, int>> posted;
};

struct RecordingShell final : ports::ShellPort {
  void open_address(const std::string& address) override { opened.push_back(address); }
  bool file_exists(const std::string&) override { return false; }
  bool start_program(const std::string&) override { return false; }
  std::vector<std::string> opened;
};

struct RecordingWindows final : ports::HallWindowsPort {
  void open_bet_records() override { ++records; }
  void open_results() override { ++results; }
  void open_match_history(int match, const std::string& home, const std::string& away, int) override {
    if (on_open) on_open();
    histories.push_back(std::to_string(match) + " " + home + " " + away);
  }
  void open_odds_trend(const ports::OddsTrend& trend) override {
    if (on_open) on_open();
    trends.push_back(trend.points.size());
    last_trend = trend;
  }
  // Enters room 9 of "star" under the scripted name, as the room list does on a right password.
  bool choose_private_room() override {
    ++room_lists;
    if (!room_to_enter || context == nullptr) return false;
    context->room_number = 9;
    context->room_star_member = "star";
    context->room_name = *room_to_enter;
    return true;
  }
  void open_in_play_web(const std::string& token) override { web_tokens.push_back(token); }
  int records = 0;
  int results = 0;
  int room_lists = 0;
  std::optional<std::string> room_to_enter;
  net::ClientContext* context = nullptr;
  std::vector<std::string> histories;
  std::vector<std::size_t> trends;
  ports::OddsTrend last_trend;
  std::vector<std::string> web_tokens;
  std::function<void()> on_open;  // runs inside a window's own event loop, before it reads its arguments
};

// Presses "确认" with each scripted item in turn until the ticket takes one; cancels when out.
struct ScriptedParlayWindows final : ports::ParlayWindowsPort {
  std::optional<ports::MarketChoice> choose_market(
      const ports::MarketChoiceContent& content,
      const std::function<bool(std::optional<ports::MarketChoice>)>& confirm) override {
    shown.push_back(content);
    if (on_show) on_show();
    while (!presses.empty()) {
      const auto press = presses.front();
      presses.pop_front();
      if (confirm(press)) return press;
    }
    return std::nullopt;
  }
  bool confirm_overview(const std::string& title, const std::string& text) override {
    overviews.push_back(title + "|" + text);
    if (on_show) on_show();
    return confirm_answer;
  }
  std::function<void()> on_show;  // runs inside either window's event loop
  std::deque<std::optional<ports::MarketChoice>> presses;
  std::vector<ports::MarketChoiceContent> shown;
  std::vector<std::string> overviews;
  bool confirm_answer = true;
};

struct RecordingView final : ports::HallViewPort {
  void lines_about_to_change() override { events.push_back("about"); }
  void lines_changed() override { events.push_back("changed"); }
  void room_changed() override { events.push_back("room"); }
  std::vector<std::string> events;
};

// A signed-in funded member, a scripted server and every port of a hall.
struct HallFixture : CatalogueFixture {
  HallFixture() {
    context.currency_code = 1;
    context.balance = 1000;
    windows.context = &context;
  }
  betting::HallServices services() {
    return {session, messages, frame, shell, windows, stake_window, confirmation};
  }
  void balance_reply(int currency = 1, double balance = 1000) {
    reply({"1|ok|0|0|" + std::to_string(balance) + "|" + std::to_string(currency) + "|0"});
  }

  RecordingMessages messages;
  RecordingFrame frame;
  RecordingShell shell;
  RecordingWindows windows;
  ScriptedStakeWindow stake_window;
  ScriptedBetConfirmation confirmation;
  RecordingView view;
};

// OLE dates of the fixtures: 2024-03-01 18:00 and 2024-03-02 12:00.
inline constexpr const char* kFirstDay = "45352.75";
inline constexpr const char* kSecondDay = "45353.5";

// A match line: number, line kind, league, kick-off, end, home, away, neutral venue, in play.
inline std::string match_line(int number, const std::string& league, const std::string& day,
                              const std::string& home, const std::string& away, int neutral = 0,
                              int in_play = 0, int line_kind = 0) {
  return std::to_string(number) + "|" + std::to_string(line_kind) + "|" + league + "|" + day + "|0|" + home +
         "|" + away + "|" + std::to_string(neutral) + "|" + std::to_string(in_play);
}

// An Odds line whose prices already meet the target, so that balancing leaves them as written.
inline std::string odds_line(int match, int type, int selection, int code, const std::string& price,
                             int target = 190, int status = 0, int extra1 = 0, int extra2 = 0) {
  return std::to_string(match) + "|" + std::to_string(type) + "|" + std::to_string(status) + "|" +
         std::to_string(selection) + "|" + std::to_string(code) + "|" + price + "|" + std::to_string(target) +
         "|" + std::to_string(extra1) + "|" + std::to_string(extra2) + "|0";
}

// A banker hall's match line (4031): number, kick-off twice, league, home, away.
inline std::string banker_match_line(int match, const std::string& league, const std::string& home,
                                     const std::string& away, const std::string& day = kFirstDay) {
  return std::to_string(match) + "|" + day + "|" + day + "|" + league + "|" + home + "|" + away;
}

// A banker's offer on that match: group, offer id, choice, stake, price, taken, the banker's nick name.
inline std::string banker_offer_line(int match, int group, int id, int choice, const std::string& stake,
                                     const std::string& price, const std::string& taken,
                                     const std::string& nick, int currency = 1) {
  return std::to_string(match) + "|" + std::to_string(group) + "|0|" + std::to_string(id) + "|" +
         std::to_string(choice) + "|" + stake + "|" + price + "|" + taken + "|" + nick + "|" +
         std::to_string(currency);
}

}  // namespace brindle::testing
