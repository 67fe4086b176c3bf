#include "core/app/main_window_model.h"

#include <algorithm>
#include <cstdio>

#include "core/app/account_panel.h"
#include "core/app/exit_confirmation.h"
#include "core/app/main_window_commands.h"
#include "core/net/latest_information.h"
#include "core/net/request_gate.h"
#include "core/net/settings.h"
#include "core/ports/main_window_view.h"
#include "core/ports/message_port.h"
#include "core/ports/shell_port.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/session.h"

namespace brindle::app {

namespace {

constexpr int kFirstPrivateRoomPage = 1;
constexpr int kLastPrivateRoomPage = 4;

std::string format_one(const char* format, const std::string& text) { return format_address(format, text); }

}  // namespace

std::string in_play_countdown_text(int asia_refresh_period, unsigned refresh_counter) {
  const int period = std::max(asia_refresh_period, net::kAsiaTimerMinimum);
  const int left = period - static_cast<int>(refresh_counter % static_cast<unsigned>(period));
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, kInPlayCountdownFormat, left);
  return buffer;
}

std::string welcome_text(const std::string& user_name) { return format_one(kWelcomeFormat, user_name); }

MainWindowModel::MainWindowModel(MainWindowServices services) : services_(services) {}

void MainWindowModel::open(bool private_room) {
  for (const CommandEntry& button : main_window_buttons()) {
    if (!button_enabled(button.id, services_.context.login_mode))
      services_.view.set_button_enabled(button.id, false);
  }
  rebuild_account_panel();
  net::timer_load(services_.context);
  const std::string& latest = services_.context.latest_information;
  services_.view.set_running_text(latest.empty() ? welcome_text(services_.context.user_name) : latest);
  switch_page(1);
  // The Login window's "私人房间" takes the user from the first hall straight into the room list.
  if (private_room) handle(ports::WindowMessage::private_rooms, 1, 1);
}

void MainWindowModel::click(int control) {
  const CommandEntry* entry = find_button(control);
  if (entry == nullptr || !button_enabled(control, services_.context.login_mode)) return;
  perform(*entry, control);
}

void MainWindowModel::menu_command(int command) {
  if (const CommandEntry* entry = find_menu_command(command)) perform(*entry, command);
}

void MainWindowModel::perform(const CommandEntry& entry, int control) {
  const net::ClientContext& context = services_.context;
  const std::string& server = context.current_server;
  const std::string& game = game_text(context.other_games, entry.game);
  auto& view = services_.view;
  switch (entry.command) {
    case MainCommand::none:
      return;
    case MainCommand::open_server_address:
      services_.shell.open_address(format_address(entry.address, server));
      return;
    case MainCommand::open_game_address:
      services_.shell.open_address(
          net::is_whole_web_address(game) ? game : format_address(entry.address, server, game));
      return;
    case MainCommand::open_game_text:
      matchinfo::open_game_address(services_.shell, services_.messages, game);
      return;
    case MainCommand::start_casino_client:
      if (!game.empty() && services_.shell.file_exists(game)) {
        if (!services_.shell.start_program(game)) services_.messages.show_message(kProgramStartFailed, false);
      } else {
        matchinfo::open_game_address(services_.shell, services_.messages, context.other_games.casino1_web);
      }
      return;
    case MainCommand::show_page:
      switch_page(entry.page);
      return;
    case MainCommand::page_window:
      view.open_page_window(entry.text, format_address(entry.address, server));
      return;
    case MainCommand::pop_up_menu:
      view.pop_up_menu(control, entry.menu);
      return;
    case MainCommand::registration:
      view.open_dialog(ports::MainWindowDialog::registration);
      return;
    case MainCommand::account_information:
      view.open_dialog(ports::MainWindowDialog::account_information);
      return;
    case MainCommand::super_cash_out:
      view.open_dialog(ports::MainWindowDialog::super_cash_out);
      return;
    case MainCommand::customer_service:
      view.open_dialog(ports::MainWindowDialog::customer_service);
      return;
    case MainCommand::bet_list:
      view.open_dialog(ports::MainWindowDialog::bet_list);
      return;
    case MainCommand::bet_records:
      view.open_dialog(ports::MainWindowDialog::bet_records);
      return;
    case MainCommand::match_query:
      view.open_dialog(ports::MainWindowDialog::match_query);
      return;
    case MainCommand::settings:
      view.open_dialog(ports::MainWindowDialog::settings);
      return;
    case MainCommand::toggle_show:
      show_toggled_ = !show_toggled_;
      view.set_button_picture(kShowButton, button_bitmap_name(kShowPrefix, show_toggled_ ? 1 : 0));
      // The button reads "收起公告" and then "显示公告": it puts the notices away and brings them back.
      view.set_notices_shown(!show_toggled_);
      return;
    case MainCommand::refresh:
      refresh();
      return;
    case MainCommand::exit:
      if (confirm_exit()) view.close();
      return;
  }
}

void MainWindowModel::switch_page(int page, int argument) {
  if (page < 0 || page >= kPageCount) return;
  if (current_page_ == page) return;
  current_page_ = page;
  if (page == 0) {
    services_.view.show_home();
    return;
  }
  auto index = static_cast<std::size_t>(page);
  if (!created_[index]) {
    created_[index] = true;
    services_.view.create_page(page);  // a page that cannot be made stays blank; the switch goes on
  }
  services_.view.show_page(page, argument);
  if (page == kInPlayPage) show_second_information(services_.context.second_information.empty());
}

void MainWindowModel::tick() {
  // A tick that comes while a Request waits behind the Progress window is left for the next one.
  if (net::RequestGate::in_flight()) return;
  ++tick_counter_;
  ++refresh_counter_;
  if (hall_showing()) {
    const bool information_due = tick_counter_ % kInformationTicks == 0;
    if (*current_page_ == kInPlayPage) {
      services_.view.set_location_text(
          kInPlayPage, in_play_countdown_text(services_.context.asia_refresh_period, refresh_counter_));
      if (information_due) show_second_information(true);
    } else if (information_due) {
      fetch_latest_information();
    }
  }
  if (refresh_counter_ % static_cast<unsigned>(refresh_period()) == 0) refresh();
}

void MainWindowModel::refresh() {
  handle(ports::WindowMessage::refresh_account);
  if (hall_showing()) {
    services_.view.send_to_page(*current_page_, static_cast<int>(ports::WindowMessage::refresh_account), 0,
                                0);
  }
  refresh_counter_ = 0;
}

void MainWindowModel::handle(ports::WindowMessage message, int first, int second) {
  switch (message) {
    case ports::WindowMessage::bank_client_notice:
      if (second == 0) services_.messages.show_message(kBankClientNotice, false);
      return;
    case ports::WindowMessage::go_home:
      switch_page(0);
      return;
    case ports::WindowMessage::bet_placed:
    case ports::WindowMessage::rebuild_account_panel:
      rebuild_account_panel();
      return;
    case ports::WindowMessage::refresh_account:
      refresh_account();
      return;
    case ports::WindowMessage::private_rooms:
      if (second != 0) {
        const int mode = services_.context.login_mode;
        if (mode != net::kLoginModeMember && mode != net::kLoginModeSecondary) {
          services_.messages.show_message(kPrivateRoomsRefused, false);
        } else if (current_page_ && *current_page_ >= kFirstPrivateRoomPage &&
                   *current_page_ <= kLastPrivateRoomPage) {
          services_.view.send_to_page(*current_page_, static_cast<int>(ports::WindowMessage::private_rooms),
                                      first, 0);
        }
        return;
      }
      cash_out_mode_ = first;
      // In the star member's own room the button stays his star-member window (see button_cashes_out).
      services_.view.set_button_bitmaps(
          kSuperButton, first != 0 && services_.context.room_star_member != services_.context.user_name
                            ? kCashPrefix
                            : kSuperPrefix);
      return;
    case ports::WindowMessage::go_to_page:
      switch_page(first, second);
      return;
  }
}

bool MainWindowModel::confirm_exit() { return may_close_main_window(services_.context, services_.messages); }

void MainWindowModel::rebuild_account_panel() {
  services_.view.set_account_text(account_panel_text(services_.context));
}

void MainWindowModel::refresh_account() {
  if (services_.context.login_mode != net::kLoginModeVisitor) {
    protocol::Session session{services_.transport, services_.progress, services_.context};
    protocol::AccountBalance balance;
    if (auto outcome = protocol::fetch_balance(session, balance); !outcome) {
      services_.messages.show_message(outcome.error(), false);
    }
  }
  rebuild_account_panel();
  if (current_page_ == kInPlayPage) show_second_information(true);
}

void MainWindowModel::show_second_information(bool fetch) {
  if (fetch) {
    protocol::Session session{services_.transport, services_.progress, services_.context};
    if (!protocol::fetch_second_information(session)) return;  // the line keeps what it showed
  }
  services_.view.set_running_text(services_.context.second_information);
}

void MainWindowModel::fetch_latest_information() {
  std::string error;
  if (!net::latest_information_request(services_.context, services_.transport, services_.progress, error))
    return;
  const std::string& latest = services_.context.latest_information;
  services_.view.set_running_text(latest.empty() ? welcome_text(services_.context.user_name) : latest);
}

int MainWindowModel::refresh_period() const {
  return std::max(services_.context.asia_refresh_period, net::kAsiaTimerMinimum);
}

}  // namespace brindle::app
