#include "core/betting/outright_ticket.h"

#include <cstdio>
#include <limits>

#include "core/net/client_context.h"
#include "core/notation/currency_name.h"
#include "core/notation/odds_format.h"
#include "core/ports/bet_confirmation_port.h"
#include "core/ports/frame_port.h"
#include "core/ports/message_port.h"
#include "core/protocol/market_data.h"
#include "core/protocol/parlay.h"
#include "core/protocol/session.h"

namespace brindle::betting {
namespace {

constexpr int kSingleMask = 1;
constexpr int kEventClosedValue = 1;
// Line kinds above this one are basketball events.
constexpr int kLastFootballLineKind = 8;

std::string choice_text(const protocol::OutrightEntry& entry, notation::OddsFormat format) {
  return entry.selection_name + " (" + notation::odds_text(entry.price, format) + ")";
}

// The decimal confirmation has always shown all six decimals; the other formats show three.
std::string confirmation_odds(double price, notation::OddsFormat format) {
  if (format != notation::OddsFormat::kDecimal) return notation::odds_text(price, format);
  char text[64];
  std::snprintf(text, sizeof text, "%f", price + 1.0);
  return text;
}

}  // namespace

OutrightTicket::OutrightTicket(OutrightServices services, protocol::MatchRecord event,
                               std::vector<protocol::OutrightEntry> entries)
    : services_(services), event_(std::move(event)), entries_(std::move(entries)) {
  view_.event_name = event_.home_team;
  view_.currency_label = kOutrightCurrencyLabel;
  const std::size_t tab_count = event_.line_kind > kLastFootballLineKind ? 3 : 1;
  for (std::size_t t = 0; t < tab_count; ++t) {
    ports::OutrightTabView tab{kOutrightTabs[t].caption, kOutrightFrameTitle,
                               std::vector<ports::OutrightChoiceView>(kOutrightChoiceCount)};
    std::vector<const protocol::OutrightEntry*> slots(kOutrightChoiceCount, nullptr);
    for (const auto& entry : entries_) {
      if (entry.event_number != event_.match_number || entry.market_type != kOutrightTabs[t].market_type)
        continue;
      if (entry.line_code < 1 || entry.line_code > kOutrightChoiceCount) continue;
      const auto at = static_cast<std::size_t>(entry.line_code - 1);
      slots[at] = &entry;
      tab.choices[at] = {choice_text(entry, services_.session.context.odds_format), true, entry.extra2 == 0};
    }
    view_.tabs.push_back(std::move(tab));
    slots_.push_back(std::move(slots));
  }
}

void OutrightTicket::show(const std::string& text) { services_.messages.show_message(text, false); }

const protocol::OutrightEntry* OutrightTicket::entry_at(int tab, int choice) const {
  if (tab < 0 || static_cast<std::size_t>(tab) >= slots_.size()) return nullptr;
  if (choice < 0 || choice >= kOutrightChoiceCount) return nullptr;
  return slots_[static_cast<std::size_t>(tab)][static_cast<std::size_t>(choice)];
}

bool OutrightTicket::confirm(int tab, int choice, const std::string& stake_text) {
  const protocol::OutrightEntry* entry = entry_at(tab, choice);
  // A disabled choice cannot be chosen in the window; one handed in anyway counts as no choice.
  if (entry == nullptr || entry->extra2 != 0) {
    show(kNothingChosenText);
    return false;
  }
  if (entry->third >= 1) {
    show(kOutrightMarketClosedText);
    return false;
  }
  // The edit takes digits only; what is not a number reads as 0, and a number beyond 64 bits is
  // certainly above the funds.
  const bool digits = !stake_text.empty() && stake_text.find_first_not_of("0123456789") == std::string::npos;
  const auto stake = parse_stake(stake_text);
  if (!digits || (stake && *stake == 0)) {
    show(kStakeZeroText);
    return false;
  }
  if (stake && *stake < kMinimumOutrightStake) {
    show(kMinimumStakeText);
    return false;
  }
  if (!stake || static_cast<double>(*stake) > services_.session.context.balance ||
      *stake > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
    show(kStakeAboveFundsText);
    return false;
  }
  chosen_ = protocol::SelectionEntry{entry->extra1, entry->line_code, entry->price};
  chosen_name_ = entry->selection_name;
  stake_ = static_cast<int>(*stake);
  return true;
}

void OutrightTicket::show_instructions() {
  // Put together rather than printed: a server name of any length comes through whole.
  services_.window.open_page(kInstructionsTitle,
                             "http://" + services_.session.context.current_server + "/instructions.asp");
}

TicketOutcome OutrightTicket::run() {
  chosen_.reset();
  refused_ = false;
  const TicketOutcome outcome =
      services_.window.run(view_, *this) && chosen_ ? place() : TicketOutcome::kCancelled;
  chosen_.reset();
  chosen_name_.clear();
  stake_ = 0;
  return outcome;
}

TicketOutcome OutrightTicket::place() {
  const ports::BetConfirmation confirmation{
      kOutrightTicketTitle, chosen_name_,
      confirmation_odds(chosen_->price, services_.session.context.odds_format), std::to_string(stake_),
      notation::currency_name(services_.session.context.currency_code, true)};
  if (!services_.confirmation.confirm_bet(confirmation)) return TicketOutcome::kCancelled;
  const std::vector<protocol::ParlayTypeEntry> stakes{{kSingleMask, stake_}};
  const protocol::Outcome sent =
      protocol::place_bets(services_.session, protocol::kPlaceOutrightBetsSubject, {*chosen_}, stakes);
  if (!sent) {
    refused_ = true;
    show(sent.error());
    return TicketOutcome::kCancelled;
  }
  show(sent.value() + kBetPlacedSuffix);
  services_.frame.post(ports::WindowMessage::bet_placed, 0, stake_);
  return TicketOutcome::kPlaced;
}

TicketOutcome run_outright_ticket(OutrightServices services, const protocol::MatchRecord& event,
                                  HeldOutrightEntries& held) {
  if (event.closed_value == kEventClosedValue) {
    services.messages.show_message(kEventClosedText, false);
    return TicketOutcome::kNotOpened;
  }
  auto& entries = held[event.match_number];
  if (entries.empty()) {
    const protocol::Outcome fetched =
        protocol::fetch_outright_entries(services.session, {event.match_number}, entries);
    if (!fetched) {
      entries.clear();
      services.messages.show_message(fetched.error(), false);
      return TicketOutcome::kNotOpened;
    }
  }
  OutrightTicket ticket(services, event, entries);
  const TicketOutcome outcome = ticket.run();
  if (ticket.refused()) held.erase(event.match_number);
  return outcome;
}

}  // namespace brindle::betting
