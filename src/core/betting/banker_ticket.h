#pragma once

#include <string>

#include "core/betting/single_ticket.h"
#include "core/protocol/market_records.h"

namespace brindle::betting {

inline constexpr char kCurrencyMismatchText[] = "您的帐号币种同庄家不符，不能投注！";
inline constexpr char kBankerStakeAboveFundsText[] = "投注彩金不能为超过可用金！";
inline constexpr char kAboveAcceptableText[] = "投注彩金不能为超过庄家可接投注！";
inline constexpr char kBankerSerialFormat[] = "\n您的投注流水号为：";
inline constexpr char kAnyTeamFiveGoalsText[] = "任何一队进五球以上";
inline constexpr char kBankerExplanation[] =
    "如果比赛结果不符合庄家开出的盘口，您将输掉全部投注。如果比赛结果符合庄家开出的盘口，您将赢。"
    "除拿回本金外，并赢得投注x(赔率-1)的彩金。";

// The most a taker may still stake against an offer: what the banker's stake has left to pay out,
// in the taker's stake.
double acceptable_stake(const protocol::BankerMarketRow& offer);
// The offer's price in an odds format; decimal is "%.3f" of price + 1.
std::string banker_odds_text(const protocol::BankerMarketRow& offer, notation::OddsFormat format);
// What "您的选择：" reads in the ticket for an offer of a kind (flag 1, 2, 4, 8, 16).
std::string banker_ticket_choice(int kind_flag, int choice_code);
// The confirmation window's title for a kind.
std::string banker_confirmation_title(int kind_flag);

// A bet against one offer: the currency checks, the ticket with its stake checks in order, the
// confirmation and 3009. Whatever the server answered, the frame is asked to refresh.
TicketOutcome run_banker_ticket(TicketServices& services, int kind_flag,
                                const protocol::BankerMarketRow& offer);

}  // namespace brindle::betting
