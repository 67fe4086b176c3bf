#include "core/betting/banker_hall.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/betting/banker_ticket.h"
#include "core/betting/hall_model.h"
#include "core/net/client_context.h"
#include "core/notation/bet_choice.h"
#include "core/notation/currency_name.h"
#include "core/notation/odds_format.h"
#include "core/ports/frame_port.h"
#include "core/ports/message_port.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/market_data.h"
#include "core/protocol/session.h"

namespace brindle::betting {
namespace {

constexpr std::size_t kLeafDepth = 4;

bool takes_no_bets(int login_mode) {
  return login_mode == net::kLoginModeVisitor || login_mode == net::kLoginModeSecondary;
}

void deselect_all(std::vector<BankerTreeItem>& items) {
  for (auto& i : items) {
    i.selected = false;
    deselect_all(i.children);
  }
}

bool find_selected(const std::vector<BankerTreeItem>& items, TreePath& path) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    path.push_back(i);
    if (items[i].selected || find_selected(items[i].children, path)) return true;
    path.pop_back();
  }
  return false;
}

BankerTreeItem tree_item(std::string text) {
  BankerTreeItem item;
  item.text = std::move(text);
  return item;
}

}  // namespace

void merge_tree_items(std::vector<BankerTreeItem>& shown, std::vector<BankerTreeItem> fresh) {
  std::vector<bool> used(shown.size(), false);
  for (auto& item : fresh) {
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (used[i] || shown[i].text != item.text) continue;
      used[i] = true;
      item.expanded = shown[i].expanded;
      item.selected = shown[i].selected;
      auto children = std::move(item.children);
      item.children = std::move(shown[i].children);
      merge_tree_items(item.children, std::move(children));
      break;
    }
  }
  shown = std::move(fresh);
}

std::vector<BankerTreeItem> banker_subtree(std::size_t kind_index,
                                           const std::vector<protocol::BankerMarketGroup>& groups) {
  const int flag = kBankerKinds[kind_index].flag;
  std::vector<BankerTreeItem> days;
  std::string day_text;
  std::string match_text;
  std::string choice_text;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const auto& group = groups[g];
    const std::string day = group.kick_off_date + " " + group.league;
    if (days.empty() || day != day_text) {
      days.push_back(tree_item(day));
      day_text = day;
      match_text.clear();
    }
    auto& matches = days.back().children;
    const std::string match = group.home_team + " vs " + group.away_team + " (" + group.kick_off_time + ")";
    bool new_match = false;
    if (matches.empty() || match != match_text) {
      matches.push_back(tree_item(match));
      match_text = match;
      new_match = true;
    }
    auto& choices = matches.back().children;
    const std::string choice = notation::bet_choice_text(flag, group.choice_code, 0);
    if (new_match || choice != choice_text) {
      BankerTreeItem leaf = tree_item(choice);
      leaf.key = static_cast<int>(kind_index) + static_cast<int>(g) * kBankerGroupStride;
      choices.push_back(std::move(leaf));
    }
    choice_text = choice;
  }
  return days;
}

// The shared buttons without a list of their own.
class BankerButtons final : public HallModel {
 public:
  using HallModel::HallModel;
  int page() const override { return kBankerMarketsPage; }
  const std::vector<HallColumn>& columns() const override {
    static const std::vector<HallColumn> none;
    return none;
  }
  std::size_t line_count() const override { return 0; }
  std::string cell_text(std::size_t, int) const override { return {}; }
  bool has_league_chooser() const override { return false; }

 protected:
  protocol::Outcome fetch(bool) override { return protocol::Outcome(std::string()); }
  void commit_fetched() override {}
  void clear_lines() override {}
  std::string group_key(std::size_t) const override { return {}; }
  std::string league_of(std::size_t) const override { return {}; }
  std::string public_location() const override { return kBankerLocation; }
  std::string private_location_prefix() const override { return kBankerLocation; }
};

BankerHall::BankerHall(BankerHallServices services)
    : services_(std::move(services)),
      ticket_{services_.hall.session, services_.hall.messages, services_.hall.stake_window,
              services_.hall.bet_confirmation, services_.hall.frame},
      odds_format_(services_.hall.session.context.odds_format),
      buttons_(std::make_unique<BankerButtons>(services_.hall)) {}

const BankerTreeItem* BankerHall::item(const TreePath& path) const {
  const std::vector<BankerTreeItem>* level = &tree_;
  const BankerTreeItem* found = nullptr;
  for (const auto index : path) {
    if (index >= level->size()) return nullptr;
    found = &(*level)[index];
    level = &found->children;
  }
  return found;
}

BankerTreeItem* BankerHall::mutable_item(const TreePath& path) {
  return const_cast<BankerTreeItem*>(item(path));
}

std::optional<TreePath> BankerHall::selected_path() const {
  TreePath path;
  if (!find_selected(tree_, path)) return std::nullopt;
  return path;
}

int BankerHall::selected_kind_flag() const {
  const auto path = selected_path();
  if (!path || path->empty()) return 0;
  return tree_[path->front()].flag;
}

std::string BankerHall::cell_text(std::size_t row, int column) const {
  if (row >= offers_.size()) return {};
  const auto& offer = offers_[row];
  const std::string currency = notation::currency_name(offer.currency_code, false);
  char buffer[512];
  switch (column) {
    case 0:
      return offer.kick_off_time;
    case 1:
      return offer.banker_nickname;
    case 2:
      return banker_odds_text(offer, odds_format_);
    case 3:
      std::snprintf(buffer, sizeof buffer, "%.2f ", offer.banker_stake);
      return buffer + currency;
    case 4: {
      // Truncated toward zero: the taker may stake only whole units. A market taken in full can
      // come out a hair below zero, which must not read "-0".
      const double acceptable = std::max(0.0, std::trunc(acceptable_stake(offer))) + 0.0;
      std::snprintf(buffer, sizeof buffer, "%.0f ", acceptable);
      return buffer + currency;
    }
    default:
      return {};
  }
}

std::string BankerHall::location_text() const {
  if (odds_format_ == net::OddsFormat::kDecimal) return kBankerLocation;
  return kBankerLocation + notation::odds_format_note(odds_format_);
}

std::string BankerHall::column_title(std::size_t column) const {
  if (column >= kBankerColumns.size()) return {};
  if (column == kBankerOddsColumn) return notation::odds_title(kBankerColumns[column].title, odds_format_);
  return kBankerColumns[column].title;
}

std::vector<std::string> BankerHall::context_menu() const {
  if (takes_no_bets(ticket_.session.context.login_mode)) return {kMenuRefresh};
  return {kMenuRefresh, kMenuRecords, kMenuOpenMarket};
}

bool BankerHall::own_button_visible() const { return !takes_no_bets(ticket_.session.context.login_mode); }

void BankerHall::open() {
  tree_.clear();
  for (const auto& kind : kBankerKinds) {
    BankerTreeItem top = tree_item(kind.name);
    top.flag = kind.flag;
    tree_.push_back(std::move(top));
  }
  tree_.front().selected = true;
  if (tree_changed) tree_changed();
  load(0);
}

void BankerHall::select(const TreePath& path) {
  BankerTreeItem* target = mutable_item(path);
  if (target == nullptr) return;
  deselect_all(tree_);
  target->selected = true;
  if (!loaded_[path.front()]) {
    load(path.front());
  } else {
    fill_offers();
  }
}

void BankerHall::set_expanded(const TreePath& path, bool expanded) {
  if (BankerTreeItem* target = mutable_item(path)) target->expanded = expanded;
}

void BankerHall::refresh() {
  const auto path = selected_path();
  load(path ? path->front() : 0);
}

void BankerHall::load(std::size_t kind_index) {
  if (kind_index >= kBankerKindCount || tree_.size() != kBankerKindCount) return;
  protocol::Session& session = ticket_.session;
  const BankerKind& kind = kBankerKinds[kind_index];
  std::vector<protocol::BankerMarketGroup> groups;
  if (const auto fetched = protocol::fetch_banker_markets(session, kind.list_code, groups); !fetched) {
    ticket_.messages.show_message(fetched.error(), false);
    groups.clear();
  }

  for (auto it = store_.begin(); it != store_.end();) {
    it = it->first.first == kind.flag ? store_.erase(it) : std::next(it);
  }
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const int key = static_cast<int>(kind_index) + static_cast<int>(g) * kBankerGroupStride;
    store_[{kind.flag, key}] = groups[g].rows;
  }
  merge_tree_items(tree_[kind_index].children, banker_subtree(kind_index, groups));
  loaded_[kind_index] = true;
  if (tree_changed) tree_changed();
  fill_offers();

  protocol::AccountBalance balance;
  if (const auto fetched = protocol::fetch_balance(session, balance); !fetched) {
    ticket_.messages.show_message(fetched.error(), false);
  }
  ticket_.frame.post(ports::WindowMessage::rebuild_account_panel, 0, 0);
}

void BankerHall::fill_offers() {
  offers_.clear();
  odds_format_ = ticket_.session.context.odds_format;
  offers_flag_ = 0;
  const auto path = selected_path();
  if (path && path->size() == kLeafDepth) {
    const BankerTreeItem* leaf = item(*path);
    const int flag = tree_[path->front()].flag;
    if (const auto found = store_.find({flag, leaf->key}); found != store_.end()) {
      offers_ = found->second;
      offers_flag_ = flag;
    }
  }
  if (offers_changed) offers_changed();
}

void BankerHall::menu_command(const std::string& command) {
  if (command == kMenuRefresh) {
    refresh();
  } else if (takes_no_bets(ticket_.session.context.login_mode)) {
    return;
  } else if (command == kMenuRecords) {
    buttons_->records_button();
  } else if (command == kMenuOpenMarket) {
    own_button();
  }
}

void BankerHall::click(std::size_t row, int column) {
  if (column != kBankerBetColumn || row >= offers_.size() || offers_flag_ == 0) return;
  if (takes_no_bets(ticket_.session.context.login_mode)) return;
  // The ticket keeps its own copy: a refresh under it must not change what is being bet on.
  const protocol::BankerMarketRow offer = offers_[row];
  run_banker_ticket(ticket_, offers_flag_, offer);
}

void BankerHall::own_button() {
  if (takes_no_bets(ticket_.session.context.login_mode)) return;
  if (services_.open_market) services_.open_market(selected_kind_flag());
}

void BankerHall::page_button() {
  if (services_.open_market_with_notice) services_.open_market_with_notice(selected_kind_flag());
}

}  // namespace brindle::betting
