#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/betting/in_play_ticket.h"
#include "core/ports/frame_port.h"
#include "core/ports/hall_windows_port.h"
#include "core/ports/notice_port.h"
#include "core/ports/window_message.h"
#include "core/protocol/session.h"
#include "gui/betting/bet_confirmation_window.h"
#include "gui/betting/open_market_window.h"
#include "gui/betting/outright_ticket_window.h"
#include "gui/betting/parlay_windows.h"
#include "gui/betting/stake_window.h"
#include "gui/ui/qt_clock.h"

namespace brindle::net {
class ServerKeys;
class Transport;
struct ClientContext;
}  // namespace brindle::net
namespace brindle::ports {
class MessagePort;
class ProgressSink;
class ShellPort;
}  // namespace brindle::ports

namespace brindle::gui {

// Hands the Main window its messages once it exists; until then they are dropped.
class FrameRelay final : public ports::FramePort {
 public:
  void set_target(std::function<void(ports::WindowMessage, int, int)> target) { target_ = std::move(target); }
  void post(ports::WindowMessage message, int first, int second) override {
    if (target_) target_(message, first, second);
  }

 private:
  std::function<void(ports::WindowMessage, int, int)> target_;
};

// Hands the Main window's running line the notices of delayed in-play bets; dropped until it exists.
class NoticeRelay final : public ports::NoticePort {
 public:
  void set_target(std::function<void(const std::string&)> target) { target_ = std::move(target); }
  void notice(const std::string& utf8_text) override {
    if (target_) target_(utf8_text);
  }

 private:
  std::function<void(const std::string&)> target_;
};

// The windows a hall opens that belong to other features. The records window is the Main window's,
// the room list the rooms feature's, the match history, odds trend and results windows match
// information's; the in-play web window is the halls' own (HallPages sets it).
class HallWindows final : public ports::HallWindowsPort {
 public:
  void set_records_opener(std::function<void()> opener) { records_ = std::move(opener); }
  void set_results_opener(std::function<void()> opener) { results_ = std::move(opener); }
  void open_bet_records() override {
    if (records_) records_();
  }
  void open_results() override {
    if (results_) results_();
  }
  using HistoryOpener = std::function<void(int, const std::string&, const std::string&, int)>;
  using TrendOpener = std::function<void(const ports::OddsTrend&)>;
  void set_match_windows(HistoryOpener history, TrendOpener trend) {
    history_ = std::move(history);
    trend_ = std::move(trend);
  }
  void open_match_history(int match, const std::string& home, const std::string& away,
                          int line_kind) override {
    if (history_) history_(match, home, away, line_kind);
  }
  void open_odds_trend(const ports::OddsTrend& trend) override {
    if (trend_) trend_(trend);
  }
  // Without a room list the user cannot enter a room, so a hall stays public.
  void set_room_list(std::function<bool()> chooser) { room_list_ = std::move(chooser); }
  bool choose_private_room() override { return room_list_ && room_list_(); }
  void set_in_play_web(std::function<void(const std::string&)> opener) { in_play_web_ = std::move(opener); }
  void open_in_play_web(const std::string& web_token) override {
    if (in_play_web_) in_play_web_(web_token);
  }

 private:
  std::function<void()> records_;
  std::function<void()> results_;
  std::function<bool()> room_list_;
  HistoryOpener history_;
  TrendOpener trend_;
  std::function<void(const std::string&)> in_play_web_;
};

// The market halls of the Main window's page slots and what they share: the session, the ticket
// windows and the way back to the Main window.
class HallPages final {
 public:
  struct Services {
    net::ClientContext& context;
    net::Transport& transport;
    ports::ProgressSink& progress;
    ports::MessagePort& messages;
    ports::ShellPort& shell;
    std::filesystem::path skin_folder;
    bool advertisement = true;
    // The keys the requests are held to, for the embedded pages of the server.
    std::shared_ptr<net::ServerKeys> server_keys = nullptr;
  };

  explicit HallPages(Services services);

  // The hall page of a page number, opened (first refresh done), or the other-games page; nothing
  // for a page that is neither.
  QWidget* make_page(int page, QWidget* parent);
  void set_frame(std::function<void(ports::WindowMessage, int, int)> target) {
    frame_.set_target(std::move(target));
  }
  // Where the follow-up of a delayed in-play bet says how the server judged it.
  void set_notice(std::function<void(const std::string&)> target) { notices_.set_target(std::move(target)); }
  // "投注记录" in a hall opens this.
  void set_records_opener(std::function<void()> opener) { windows_.set_records_opener(std::move(opener)); }
  // The windows the tickets open are owned by this one.
  void set_owner(QWidget* owner);
  // "对战开盘" for the bankers' hall: with the notice first from its page button, at once from its
  // own button and "我要开盘"; the tab follows the hall's selected market kind flag (0 for none).
  void open_market(bool with_notice, int selected_kind_flag) {
    open_market_.open(with_notice, selected_kind_flag);
  }

 private:
  Services services_;
  protocol::Session session_;
  QWidget* owner_ = nullptr;
  FrameRelay frame_;
  HallWindows windows_;
  StakeWindowPortImpl stake_window_;
  BetConfirmationPortImpl confirmation_;
  OutrightTicketPortImpl outright_ticket_;
  ParlayWindowsPortImpl parlay_windows_;
  OpenMarketWindowPort open_market_{session_, services_.messages};
  QtClock clock_;
  NoticeRelay notices_;
  // Delayed in-play bets are followed up for as long as the Main window lives.
  betting::InPlayFollowUps follow_ups_{session_, clock_, notices_};
};

}  // namespace brindle::gui
