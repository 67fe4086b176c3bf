#pragma once

#include <string>
#include <string_view>
#include <tuple>

#include "wire/records/record.h"

namespace brindle::records {

// The records and statement replies' lines. Money travels with two places, prices with three.

// The header field after the message of a records reply: the total staked, or won or lost; the
// banker's records leave it empty.
struct RecordsHeader {
  std::string summary;

  bool operator==(const RecordsHeader&) const = default;
};

// A single bet not yet settled (4054).
struct UnsettledSingleBetLine {
  int serial_number = 0;
  int leg_count = 0;
  double stake = 0.0;
  int fourth = 0;  // the room
  double bet_time = 0.0;
  std::string bet_place;
  std::string text;
  int choice = 0;
  std::string league;
  std::string home_team;
  std::string away_team;
  int home_score = 0;  // the score when the bet was taken
  int away_score = 0;
  int market_type = 0;
  int line_code = 0;
  double price = 0.0;
  int status = 0;

  bool operator==(const UnsettledSingleBetLine&) const = default;
};

// A single bet settled or refused (4015): the settlement's fields come before the bet's subject.
struct SettledSingleBetLine {
  int serial_number = 0;
  int leg_count = 0;
  double stake = 0.0;
  int fourth = 0;
  double bet_time = 0.0;
  std::string bet_place;
  double settlement_time = 0.0;
  double win_loss = 0.0;
  int status = 0;  // 1 = cancelled
  std::string text;
  int choice = 0;
  std::string league;
  std::string home_team;
  std::string away_team;
  int home_score = 0;
  int away_score = 0;
  int market_type = 0;
  int line_code = 0;
  double price = 0.0;
  std::string final_score;

  bool operator==(const SettledSingleBetLine&) const = default;
};

// A bet taken against a banker's market, not yet settled (4018).
struct UnsettledBankerBetLine {
  int market_type = 0;
  std::string unused;  // "0" from this server
  std::string home_team;
  std::string away_team;
  int line_code = 0;
  double price = 0.0;
  double stake = 0.0;
  double bet_time = 0.0;
  std::string banker_name;
  std::string serial_number;  // ten digits, zero-padded

  bool operator==(const UnsettledBankerBetLine&) const = default;
};

// The same once settled (4019).
struct SettledBankerBetLine {
  int market_type = 0;
  std::string unused;
  std::string home_team;
  std::string away_team;
  std::string final_score;
  int line_code = 0;
  double price = 0.0;
  double stake = 0.0;
  double bet_time = 0.0;
  std::string banker_name;
  double settlement_time = 0.0;
  double win_loss = 0.0;
  std::string serial_number;
  int status = 0;

  bool operator==(const SettledBankerBetLine&) const = default;
};

// The banker's own records (4020, 4021): a market line, then the lines under it, all starting with
// the market's number.
struct OpenedMarketLine {
  int open_market_number = 0;
  int market_type = 0;
  std::string unused;  // "0" from this server
  std::string home_team;
  std::string away_team;
  double banker_stake = 0.0;
  double open_time = 0.0;
  double cancelled_amount = 0.0;

  bool operator==(const OpenedMarketLine&) const = default;
};

struct SettledOpenedMarketLine {
  int open_market_number = 0;
  int market_type = 0;
  std::string unused;
  std::string home_team;
  std::string away_team;
  std::string final_score;
  double banker_stake = 0.0;
  double open_time = 0.0;
  double cancelled_amount = 0.0;

  bool operator==(const SettledOpenedMarketLine&) const = default;
};

// While the market is open, one per offer: what bets took of it and the liability they reserved.
struct OpenedMarketBetLine {
  int open_market_number = 0;
  int line_code = 0;
  double amount1 = 0.0;
  double amount2 = 0.0;

  bool operator==(const OpenedMarketBetLine&) const = default;
};

// Once settled, one per bet: its stake, its liability, and the banker's result and the bet's return.
struct SettledOpenedMarketBetLine {
  int open_market_number = 0;
  int line_code = 0;
  double amount1 = 0.0;
  double amount2 = 0.0;
  double bet_time = 0.0;
  double banker_win_loss = 0.0;
  double amount3 = 0.0;

  bool operator==(const SettledOpenedMarketBetLine&) const = default;
};

// Parlays and outright bets (4029, 4030, 4050, 4051): a group line per bet, then its legs, all
// starting with the bet's serial number.
struct BetGroupLine {
  int group_number = 0;
  int leg_count = 0;
  double stake = 0.0;  // per combination
  int combination_mask = 0;
  double bet_time = 0.0;
  std::string bet_place;

  bool operator==(const BetGroupLine&) const = default;
};

struct SettledBetGroupLine {
  int group_number = 0;
  int leg_count = 0;
  double stake = 0.0;
  int combination_mask = 0;
  double bet_time = 0.0;
  std::string bet_place;
  double settlement_time = 0.0;
  double win_loss = 0.0;
  int status = 0;

  bool operator==(const SettledBetGroupLine&) const = default;
};

// A leg of a bet not yet settled; in the outright kinds the teams are the event and the selection.
struct BetLegLine {
  int group_number = 0;
  std::string leg_text;
  int choice = 0;
  std::string league;
  std::string home_team;
  std::string away_team;
  int home_score = 0;
  int away_score = 0;
  int market_type = 0;
  int line_code = 0;
  double price = 0.0;

  bool operator==(const BetLegLine&) const = default;
};

struct SettledParlayLegLine {
  int group_number = 0;
  std::string leg_text;
  int choice = 0;
  std::string league;
  std::string home_team;
  std::string away_team;
  int home_score = 0;
  int away_score = 0;
  int market_type = 0;
  int line_code = 0;
  double price = 0.0;
  std::string leg_result;

  bool operator==(const SettledParlayLegLine&) const = default;
};

struct SettledOutrightLegLine {
  int group_number = 0;
  std::string leg_text;
  int choice = 0;
  std::string league;
  std::string home_team;
  std::string away_team;
  int home_score = 0;
  int away_score = 0;
  int market_type = 0;
  int line_code = 0;
  double price = 0.0;
  std::string extra_text1;  // the winning place
  std::string extra_text2;  // the selection
  std::string leg_result;

  bool operator==(const SettledOutrightLegLine&) const = default;
};

// An entry of the account statement (4011).
struct StatementLine {
  double time = 0.0;
  int transaction_type = 0;
  double amount = 0.0;
  std::string content;
  double balance_before = 0.0;

  bool operator==(const StatementLine&) const = default;
};

template <>
struct Schema<RecordsHeader> {
  using R = RecordsHeader;
  static constexpr std::string_view name = "records_header";
  static constexpr auto fields = std::make_tuple(text("header_text", &R::summary));
};

template <>
struct Schema<UnsettledSingleBetLine> {
  using R = UnsettledSingleBetLine;
  static constexpr std::string_view name = "unsettled_single_bet";
  static constexpr auto fields = std::make_tuple(
      integer("serial_number", &R::serial_number), integer("leg_count", &R::leg_count),
      decimal("stake", &R::stake, 2), integer("fourth", &R::fourth), ole_date("bet_time", &R::bet_time),
      text("bet_place", &R::bet_place), text("text", &R::text), integer("choice", &R::choice),
      text("league", &R::league), text("home_team", &R::home_team), text("away_team", &R::away_team),
      integer("home_score", &R::home_score), integer("away_score", &R::away_score),
      integer("market_type", &R::market_type), integer("line_code", &R::line_code),
      decimal("price", &R::price, 3), integer("status", &R::status));
};

template <>
struct Schema<SettledSingleBetLine> {
  using R = SettledSingleBetLine;
  static constexpr std::string_view name = "settled_single_bet";
  static constexpr auto fields = std::make_tuple(
      integer("serial_number", &R::serial_number), integer("leg_count", &R::leg_count),
      decimal("stake", &R::stake, 2), integer("fourth", &R::fourth), ole_date("bet_time", &R::bet_time),
      text("bet_place", &R::bet_place), ole_date("settlement_time", &R::settlement_time),
      decimal("win_loss", &R::win_loss, 2), integer("status", &R::status), text("text", &R::text),
      integer("choice", &R::choice), text("league", &R::league), text("home_team", &R::home_team),
      text("away_team", &R::away_team), integer("home_score", &R::home_score),
      integer("away_score", &R::away_score), integer("market_type", &R::market_type),
      integer("line_code", &R::line_code), decimal("price", &R::price, 3),
      text("final_score", &R::final_score));
};

template <>
struct Schema<UnsettledBankerBetLine> {
  using R = UnsettledBankerBetLine;
  static constexpr std::string_view name = "unsettled_banker_bet";
  static constexpr auto fields = std::make_tuple(
      integer("market_type", &R::market_type), text("unused", &R::unused), text("home_team", &R::home_team),
      text("away_team", &R::away_team), integer("line_code", &R::line_code), decimal("price", &R::price, 3),
      decimal("stake", &R::stake, 2), ole_date("bet_time", &R::bet_time),
      text("banker_name", &R::banker_name), text("serial_number", &R::serial_number));
};

template <>
struct Schema<SettledBankerBetLine> {
  using R = SettledBankerBetLine;
  static constexpr std::string_view name = "settled_banker_bet";
  static constexpr auto fields = std::make_tuple(
      integer("market_type", &R::market_type), text("unused", &R::unused), text("home_team", &R::home_team),
      text("away_team", &R::away_team), text("final_score", &R::final_score),
      integer("line_code", &R::line_code), decimal("price", &R::price, 3), decimal("stake", &R::stake, 2),
      ole_date("bet_time", &R::bet_time), text("banker_name", &R::banker_name),
      ole_date("settlement_time", &R::settlement_time), decimal("win_loss", &R::win_loss, 2),
      text("serial_number", &R::serial_number), integer("status", &R::status));
};

template <>
struct Schema<OpenedMarketLine> {
  using R = OpenedMarketLine;
  static constexpr std::string_view name = "opened_market";
  static constexpr auto fields = std::make_tuple(
      integer("open_market_number", &R::open_market_number), integer("market_type", &R::market_type),
      text("unused", &R::unused), text("home_team", &R::home_team), text("away_team", &R::away_team),
      decimal("banker_stake", &R::banker_stake, 2), ole_date("open_time", &R::open_time),
      decimal("cancelled_amount", &R::cancelled_amount, 2));
};

template <>
struct Schema<SettledOpenedMarketLine> {
  using R = SettledOpenedMarketLine;
  static constexpr std::string_view name = "settled_opened_market";
  static constexpr auto fields = std::make_tuple(
      integer("open_market_number", &R::open_market_number), integer("market_type", &R::market_type),
      text("unused", &R::unused), text("home_team", &R::home_team), text("away_team", &R::away_team),
      text("final_score", &R::final_score), decimal("banker_stake", &R::banker_stake, 2),
      ole_date("open_time", &R::open_time), decimal("cancelled_amount", &R::cancelled_amount, 2));
};

template <>
struct Schema<OpenedMarketBetLine> {
  using R = OpenedMarketBetLine;
  static constexpr std::string_view name = "opened_market_bet";
  static constexpr auto fields = std::make_tuple(
      integer("open_market_number", &R::open_market_number), integer("line_code", &R::line_code),
      decimal("amount1", &R::amount1, 2), decimal("amount2", &R::amount2, 2));
};

template <>
struct Schema<SettledOpenedMarketBetLine> {
  using R = SettledOpenedMarketBetLine;
  static constexpr std::string_view name = "settled_opened_market_bet";
  static constexpr auto fields =
      std::make_tuple(integer("open_market_number", &R::open_market_number),
                      integer("line_code", &R::line_code), decimal("amount1", &R::amount1, 2),
                      decimal("amount2", &R::amount2, 2), ole_date("bet_time", &R::bet_time),
                      decimal("banker_win_loss", &R::banker_win_loss, 2), decimal("amount3", &R::amount3, 2));
};

template <>
struct Schema<BetGroupLine> {
  using R = BetGroupLine;
  static constexpr std::string_view name = "bet_group";
  static constexpr auto fields =
      std::make_tuple(integer("group_number", &R::group_number), integer("leg_count", &R::leg_count),
                      decimal("stake", &R::stake, 2), integer("combination_mask", &R::combination_mask),
                      ole_date("bet_time", &R::bet_time), text("bet_place", &R::bet_place));
};

template <>
struct Schema<SettledBetGroupLine> {
  using R = SettledBetGroupLine;
  static constexpr std::string_view name = "settled_bet_group";
  static constexpr auto fields =
      std::make_tuple(integer("group_number", &R::group_number), integer("leg_count", &R::leg_count),
                      decimal("stake", &R::stake, 2), integer("combination_mask", &R::combination_mask),
                      ole_date("bet_time", &R::bet_time), text("bet_place", &R::bet_place),
                      ole_date("settlement_time", &R::settlement_time), decimal("win_loss", &R::win_loss, 2),
                      integer("status", &R::status));
};

template <>
struct Schema<BetLegLine> {
  using R = BetLegLine;
  static constexpr std::string_view name = "bet_leg";
  static constexpr auto fields = std::make_tuple(
      integer("group_number", &R::group_number), text("leg_text", &R::leg_text),
      integer("choice", &R::choice), text("league", &R::league), text("home_team", &R::home_team),
      text("away_team", &R::away_team), integer("home_score", &R::home_score),
      integer("away_score", &R::away_score), integer("market_type", &R::market_type),
      integer("line_code", &R::line_code), decimal("price", &R::price, 3));
};

template <>
struct Schema<SettledParlayLegLine> {
  using R = SettledParlayLegLine;
  static constexpr std::string_view name = "settled_parlay_leg";
  static constexpr auto fields =
      std::make_tuple(integer("group_number", &R::group_number), text("leg_text", &R::leg_text),
                      integer("choice", &R::choice), text("league", &R::league),
                      text("home_team", &R::home_team), text("away_team", &R::away_team),
                      integer("home_score", &R::home_score), integer("away_score", &R::away_score),
                      integer("market_type", &R::market_type), integer("line_code", &R::line_code),
                      decimal("price", &R::price, 3), text("leg_result", &R::leg_result));
};

template <>
struct Schema<SettledOutrightLegLine> {
  using R = SettledOutrightLegLine;
  static constexpr std::string_view name = "settled_outright_leg";
  static constexpr auto fields =
      std::make_tuple(integer("group_number", &R::group_number), text("leg_text", &R::leg_text),
                      integer("choice", &R::choice), text("league", &R::league),
                      text("home_team", &R::home_team), text("away_team", &R::away_team),
                      integer("home_score", &R::home_score), integer("away_score", &R::away_score),
                      integer("market_type", &R::market_type), integer("line_code", &R::line_code),
                      decimal("price", &R::price, 3), text("extra_text1", &R::extra_text1),
                      text("extra_text2", &R::extra_text2), text("leg_result", &R::leg_result));
};

template <>
struct Schema<StatementLine> {
  using R = StatementLine;
  static constexpr std::string_view name = "statement_entry";
  static constexpr auto fields =
      std::make_tuple(ole_date("time", &R::time), integer("transaction_type", &R::transaction_type),
                      decimal("amount", &R::amount, 2), text("content", &R::content),
                      decimal("balance_before", &R::balance_before, 2));
};

}  // namespace brindle::records
