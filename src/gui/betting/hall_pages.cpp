#include "gui/betting/hall_pages.h"

#include <QTimer>
#include <memory>

#include "core/betting/asian_handicap_hall.h"
#include "core/betting/banker_hall.h"
#include "core/betting/in_play_hall.h"
#include "core/betting/outright_hall.h"
#include "core/betting/over_under_hall.h"
#include "core/betting/parlay_hall.h"
#include "core/net/client_context.h"
#include "gui/betting/banker_page.h"
#include "gui/betting/hall_page.h"
#include "gui/betting/in_play_web_window.h"
#include "gui/betting/parlay_ticket_panel.h"
#include "gui/matchinfo/match_history_window.h"
#include "gui/matchinfo/odds_trend_window.h"
#include "gui/matchinfo/other_games_page.h"
#include "gui/matchinfo/results_window.h"
#include "gui/rooms/room_list_window.h"

namespace brindle::gui {

HallPages::HallPages(Services services)
    : services_(std::move(services)),
      session_{services_.transport, services_.progress, services_.context},
      stake_window_(services_.context.skin_size_mode, nullptr),
      confirmation_(nullptr),
      outright_ticket_(services_.context.skin_size_mode, nullptr),
      parlay_windows_(nullptr) {
  windows_.set_room_list(
      [this] { return choose_private_room(session_, services_.messages, services_.skin_folder, owner_); });
  windows_.set_match_windows(
      [this](int match, const std::string& home, const std::string& away, int line_kind) {
        MatchHistoryWindow window(session_, services_.messages, match, home, away, line_kind, owner_);
        window.exec();
      },
      [this](const ports::OddsTrend& trend) {
        OddsTrendWindow window(trend, services_.context.odds_format, owner_);
        if (!trend.error.empty()) {
          // Over the open window, which stays open with its empty chart.
          QTimer::singleShot(0, &window,
                             [this, &trend] { services_.messages.show_message(trend.error, false); });
        }
        window.exec();
      });
  windows_.set_results_opener([this] { run_results_window(session_, services_.messages, owner_); });
  windows_.set_in_play_web([this](const std::string& token) {
    InPlayWebWindow window(services_.context.current_server, token, services_.advertisement,
                           services_.server_keys, owner_);
    window.exec();
  });
}

void HallPages::set_owner(QWidget* owner) {
  owner_ = owner;
  stake_window_.set_owner(owner);
  confirmation_.set_owner(owner);
  outright_ticket_.set_owner(owner);
  parlay_windows_.set_owner(owner);
  open_market_.set_owner(owner);
}

QWidget* HallPages::make_page(int page, QWidget* parent) {
  const betting::HallServices hall{session_, services_.messages, frame_,       services_.shell,
                                   windows_, stake_window_,      confirmation_};
  std::unique_ptr<betting::HallModel> model;
  switch (page) {
    case betting::kAsianHandicapPage:
      model = std::make_unique<betting::AsianHandicapHall>(hall);
      break;
    case betting::kOverUnderPage:
      model = std::make_unique<betting::OverUnderHall>(hall);
      break;
    case betting::kInPlayPage:
      model = std::make_unique<betting::InPlayHall>(hall, clock_, follow_ups_);
      break;
    case betting::kParlayPage:
      model = std::make_unique<betting::ParlayHall>(hall, parlay_windows_);
      break;
    case betting::kBankerMarketsPage: {
      betting::BankerHallServices banker{hall, [this](int flag) { open_market(false, flag); },
                                         [this](int flag) { open_market(true, flag); }};
      auto* banker_page = new BankerPage(std::move(banker), services_.skin_folder, parent);
      banker_page->open();
      return banker_page;
    }
    case betting::kOutrightPage:
      model = std::make_unique<betting::OutrightHall>(hall, outright_ticket_);
      break;
    case betting::kOtherGamesPage: {
      auto* games = new OtherGamesPage(
          {services_.context,
           services_.shell,
           services_.messages,
           services_.skin_folder,
           // The in-play button runs the halls' in-play check from this page too.
           [this](int target) {
             if (target == betting::kInPlayPage) {
               betting::press_in_play_button(session_, services_.messages, frame_, windows_);
             } else {
               frame_.post(ports::WindowMessage::go_to_page, target, 0);
             }
           },
           [this] { windows_.open_bet_records(); },
           [this] { windows_.open_results(); },
           {},
           services_.advertisement,
           services_.server_keys},
          parent);
      games->open();
      return games;
    }
    default:
      return nullptr;
  }
  auto* parlay = dynamic_cast<betting::ParlayHall*>(model.get());
  auto* widget = new HallPage(
      std::move(model), {services_.skin_folder, services_.context.skin_size_mode, services_.advertisement},
      parent);
  if (parlay) widget->add_lower_panel(new ParlayTicketPanel(parlay->ticket(), services_.skin_folder));
  widget->open();
  return widget;
}

}  // namespace brindle::gui
