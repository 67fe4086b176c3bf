#include "core/betting/open_market.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/betting/single_ticket.h"
#include "core/net/client_context.h"
#include "core/notation/bet_choice.h"
#include "core/notation/currency_name.h"
#include "core/notation/market_kind.h"
#include "core/notation/odds_format.h"
#include "core/notation/totals_notation.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_data.h"

namespace brindle::betting {
namespace {

constexpr OpenMarketKindInfo kKinds[kOpenMarketTabCount] = {
    {"胜平负盘", 1, 1, 6, "胜平负盘开盘"},      {"大小球", 2, 3, 2, "大小球开盘"},
    {"比分盘", 4, 2, 26, "比分盘开盘"},         {"篮球大小分", 8, 6, 2, "篮球大小分开盘"},
    {"篮球单双数", 16, 7, 2, "篮球单双数开盘"},
};

constexpr char kConflictText[] = "开盘选项相互冲突！";
constexpr char kOfferClose[] = "）";
constexpr char kMinimumOddsText[] = "开盘赔率不能小于1.01！";
constexpr char kSideMinimumOddsText[] = "赔率不能小于1.01！";
constexpr char kScoreMinimumOddsText[] = "开盘赔率不能小于1.1！";
constexpr char kTwoDecimalsText[] = "开盘赔率最多两位小数！";
constexpr char kOneDecimalText[] = "开盘赔率最多一位小数！";
constexpr char kBandText[] = "赔率上下浮动不能超过建议赔率的20%！";
constexpr char kStakeMultipleFormat[] = "开盘彩金不能低于任意一个赔率减1乘以%d！";
constexpr char kNothingCheckedText[] = "请先选择坐庄比赛、盘口！";
constexpr char kNoSideText[] = "请先选择坐庄比赛、盘口和大小！";
constexpr char kNoOddEvenText[] = "请先选择坐庄比赛、盘口和单双数！";
constexpr char kStakeBelowOneText[] = "开盘彩金不能小于1！";
constexpr char kBankerStakeZeroText[] = "开盘彩金不能为0！";
constexpr char kGroupCaption[] = "开盘选项(赔率包含本金，上下浮动不能超过建议赔率的20%)";
constexpr char kBasketballGroupCaption[] = "开盘选项(全场总分)(赔率包含本金，上下浮动不能超过建议赔率的20%)";
constexpr int kLastScoreCode = 26;

std::string format(const char* pattern, const std::string& name, double odds) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, pattern, name.c_str(), odds);
  return buffer;
}

std::string stake_multiple_text(int k) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, kStakeMultipleFormat, k);
  return buffer;
}

// The number a box holds, nullopt when its text is not one number.
std::optional<double> odds_of(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(begin, &end);
  if (end == begin || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
  while (*end == ' ') ++end;
  if (*end != '\0') return std::nullopt;
  return value;
}

// The stake box takes a whole number that 3008's integer field can carry.
// An empty box is a stake of 0, which the kind's own stake checks then refuse by name.
std::optional<int> stake_of(const std::string& text) {
  if (text.empty()) return 0;
  if (text.size() > 10) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

// The box shows the suggested odds as a number, without trailing zeros.
std::string odds_box_text(double odds) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", odds);
  return buffer;
}

}  // namespace

const OpenMarketKindInfo& open_market_kind_info(OpenMarketKind kind) {
  return kKinds[static_cast<int>(kind)];
}

int open_market_list_code(int kind_flag) {
  switch (kind_flag) {
    case 1:
      return 1;
    case 2:
      return 3;
    case 4:
      return 2;
    case 8:
      return 6;
    case 16:
      return 7;
    case 32:
      return 8;
    case 64:
      return 9;
    default:
      return 0;
  }
}

int open_market_tab_of_flag(int kind_flag) {
  for (int t = 0; t < kOpenMarketTabCount; ++t)
    if (kKinds[t].flag == kind_flag) return t;
  return 0;
}

int open_market_stake_multiple(int currency_code) {
  return currency_code == notation::kCurrencyRenminbi || currency_code == notation::kCurrencyHongKongDollar
             ? 10
             : 1;
}

int decimals_in(const std::string& text) {
  const auto dot = text.find('.');
  return dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
}

OpenMarketPage::OpenMarketPage(OpenMarketServices services, OpenMarketKind kind)
    : services_(services),
      kind_(kind),
      options_(static_cast<std::size_t>(open_market_kind_info(kind).slot_count)) {
  if (kind_ == OpenMarketKind::odd_even) {
    options_[0].name = "单数";
    options_[1].name = "双数";
  }
  banner_ = kOpenMarketBannerStart;
}

void OpenMarketPage::show(const std::string& text) {
  last_message_ = text;
  services_.messages.show_message(text, false);
}

std::string OpenMarketPage::stake_label() const {
  return notation::currency_name(services_.session.context.currency_code, true) + kCurrencyLabelSuffix;
}

std::string OpenMarketPage::group_caption() const {
  return kind_ == OpenMarketKind::basketball_totals || kind_ == OpenMarketKind::odd_even
             ? kBasketballGroupCaption
             : kGroupCaption;
}

std::string OpenMarketPage::match_text() const {
  if (!row_) return {};
  const auto& m = listed_[*row_];
  return m.home_team + " vs " + m.away_team;
}

void OpenMarketPage::start() {
  all_.clear();
  leagues_.clear();
  const auto fetched =
      protocol::fetch_open_market_matches(services_.session, open_market_kind_info(kind_).list_code, all_);
  if (!fetched) {
    all_.clear();
    show(fetched.error());
  }
  for (const auto& m : all_) {
    bool held = false;  // the box's prefix search: an entry that begins with the league hides it
    for (const auto& l : leagues_)
      if (l.compare(0, m.league.size(), m.league) == 0) held = true;
    if (!held) leagues_.push_back(m.league);
  }
  choose_league(0);
}

void OpenMarketPage::choose_league(std::size_t index) {
  listed_.clear();
  league_ = index;
  if (index < leagues_.size())
    for (const auto& m : all_)
      if (m.league == leagues_[index]) listed_.push_back(m);
  select_match(std::nullopt);
}

void OpenMarketPage::clear_options() {
  for (auto& o : options_) {
    o.shown = false;
    o.checked = false;
    o.option_id = 0;
    o.code = 0;
    o.suggested = 0.0;
    o.odds_text.clear();
    if (kind_ != OpenMarketKind::odd_even) o.name.clear();
  }
  captions_[0] = captions_[1] = captions_[2] = false;
  stake_enabled_ = false;
  banner_.clear();
  match_.reset();
}

void OpenMarketPage::select_match(std::optional<std::size_t> row) {
  const bool had_match = row_.has_value();
  const std::string banner = banner_;
  clear_options();
  row_ = row && *row < listed_.size() ? row : std::nullopt;
  // Nothing selected before or after (the list filled or refilled): no selection changed, so the
  // banner keeps its text, the opening "请先点击比赛、然后进行开盘！" above all.
  if (!had_match && !row_) banner_ = banner;
  if (!row_) return;
  banner_ = "选择比赛：" + match_text();
  match_ = listed_[*row_].match_number;
  std::vector<protocol::SuggestedPriceRow> lines;
  const auto fetched = protocol::fetch_suggested_prices(services_.session, *match_, lines);
  if (!fetched) {
    show(fetched.error());
    return;
  }
  const int kind_flag = open_market_kind_info(kind_).flag;
  for (const auto& line : lines) {
    std::size_t slot = 0;
    std::string name;
    switch (kind_) {
      case OpenMarketKind::one_x_two:
      case OpenMarketKind::correct_score:
        if (line.second < 1 || line.second > static_cast<int>(options_.size())) continue;
        slot = static_cast<std::size_t>(line.second - 1);
        name = notation::bet_choice_text(kind_flag, line.second, 0);
        break;
      case OpenMarketKind::over_under:
      case OpenMarketKind::basketball_totals:
        // Code 0 names no line, so it cannot be offered.
        if (line.second == 0) continue;
        slot = line.second > 0 ? 0 : 1;
        name = notation::totals_text_with_side(line.second);
        break;
      case OpenMarketKind::odd_even:
        slot = line.second == 1 ? 0 : 1;
        name = options_[slot].name;
        break;
    }
    auto& o = options_[slot];
    o.shown = true;
    o.checked = false;
    o.option_id = line.option_code;
    o.code = line.second;
    o.suggested = std::floor((line.price + 1.0) * 1000.0 + 0.5) * 0.001;
    o.odds_text = odds_box_text(o.suggested);
    o.name = name;
    stake_enabled_ = true;
    if (kind_ == OpenMarketKind::correct_score) {
      if (line.second <= 10)
        captions_[0] = true;
      else if (line.second <= 15)
        captions_[1] = true;
      else if (line.second < kLastScoreCode)
        captions_[2] = true;
    }
  }
  if (kind_ == OpenMarketKind::basketball_totals && lines.empty()) show(kNoSuggestedOddsText);
}

bool OpenMarketPage::select_match_number(int match_number) {
  for (std::size_t l = 0; l < leagues_.size(); ++l)
    for (const auto& m : all_)
      if (m.match_number == match_number && m.league == leagues_[l]) {
        choose_league(l);
        for (std::size_t r = 0; r < listed_.size(); ++r)
          if (listed_[r].match_number == match_number) {
            select_match(r);
            return true;
          }
      }
  return false;
}

void OpenMarketPage::mark(std::size_t slot, bool checked) {
  if (slot < options_.size() && options_[slot].shown) options_[slot].checked = checked;
}

void OpenMarketPage::set_checked(std::size_t slot, bool checked) {
  if (slot >= options_.size() || !options_[slot].shown) return;
  if (kind_ == OpenMarketKind::one_x_two) {
    const int code = static_cast<int>(slot) + 1;
    for (std::size_t other = 0; other < options_.size(); ++other)
      if (other != slot && ((static_cast<int>(other) + 1) & code) != 0) options_[other].checked = false;
  }
  options_[slot].checked = checked;
}

void OpenMarketPage::set_odds_text(std::size_t slot, std::string text) {
  if (slot < options_.size()) options_[slot].odds_text = std::move(text);
}

void OpenMarketPage::set_stake_text(std::string text) { stake_text_ = std::move(text); }

std::optional<std::size_t> OpenMarketPage::slot_of_code(int code) const {
  std::optional<std::size_t> slot;
  switch (kind_) {
    case OpenMarketKind::one_x_two:
    case OpenMarketKind::correct_score:
      if (code >= 1 && code <= static_cast<int>(options_.size())) slot = static_cast<std::size_t>(code - 1);
      break;
    case OpenMarketKind::over_under:
    case OpenMarketKind::basketball_totals:
      if (code != 0) slot = code > 0 ? 0 : 1;
      if (slot && options_[*slot].code != code) slot.reset();
      break;
    case OpenMarketKind::odd_even:
      slot = code == 1 ? 0 : 1;
      break;
  }
  if (slot && !options_[*slot].shown) slot.reset();
  return slot;
}

std::optional<std::string> OpenMarketPage::validate() const {
  const auto stake = stake_of(stake_text_);
  if (!stake) return std::string(kStakeNotAWholeNumberText);
  for (const auto& o : options_)
    if (o.checked && !odds_of(o.odds_text)) return std::string(kOddsNotANumberText);
  const double exact_stake = static_cast<double>(*stake);
  switch (kind_) {
    case OpenMarketKind::one_x_two:
      return validate_one_x_two(exact_stake);
    case OpenMarketKind::correct_score:
      return validate_correct_score(exact_stake);
    default:
      return validate_two_sides(exact_stake);
  }
}

std::optional<std::string> OpenMarketPage::validate_one_x_two(double stake) const {
  const int k = open_market_stake_multiple(services_.session.context.currency_code);
  int checked_bits = 0;
  bool any = false;
  for (std::size_t slot = 0; slot < options_.size(); ++slot) {
    const auto& o = options_[slot];
    if (!o.checked) continue;
    const int code = static_cast<int>(slot) + 1;
    if ((code & checked_bits) != 0) return std::string(kConflictText);
    checked_bits |= code;
    any = true;
    const double odds = *odds_of(o.odds_text);
    if (odds < 1.01) return std::string(kMinimumOddsText);
    if (decimals_in(o.odds_text) > 2) return std::string(kTwoDecimalsText);
    const double d = (o.suggested - 1.0) * 0.2;
    if (odds < o.suggested - d || odds > o.suggested + d) return std::string(kBandText);
    if ((odds - 1.0) * k > stake) return stake_multiple_text(k);
  }
  if (!any) return std::string(kNothingCheckedText);
  if (stake < 1.0) return std::string(kStakeBelowOneText);
  return std::nullopt;
}

std::optional<std::string> OpenMarketPage::validate_two_sides(double stake) const {
  const int k = open_market_stake_multiple(services_.session.context.currency_code);
  if (!options_[0].checked && !options_[1].checked)
    return std::string(kind_ == OpenMarketKind::odd_even ? kNoOddEvenText : kNoSideText);
  if (stake == 0.0) return std::string(kBankerStakeZeroText);
  for (const auto& o : options_)
    if (o.checked && *odds_of(o.odds_text) < 1.01) return std::string(kSideMinimumOddsText);
  for (const auto& o : options_) {
    if (!o.checked) continue;
    const double odds = *odds_of(o.odds_text);
    if (decimals_in(o.odds_text) > 2) return std::string(kTwoDecimalsText);
    if (odds < 0.8 * o.suggested || odds > 1.2 * o.suggested) return std::string(kBandText);
    if ((odds - 1.0) * k > stake) return stake_multiple_text(k);
  }
  return std::nullopt;
}

std::optional<std::string> OpenMarketPage::validate_correct_score(double stake) const {
  const int k = open_market_stake_multiple(services_.session.context.currency_code);
  bool any = false;
  for (const auto& o : options_) {
    if (!o.checked) continue;
    any = true;
    const double odds = *odds_of(o.odds_text);
    if (odds < 1.1) return std::string(kScoreMinimumOddsText);
    if (decimals_in(o.odds_text) > 1) return std::string(kOneDecimalText);
    if (odds < 0.8 * o.suggested || odds > 1.2 * o.suggested) return std::string(kBandText);
    if ((odds - 1.0) * k > stake) return stake_multiple_text(k);
  }
  if (!any) return std::string(kNothingCheckedText);
  if (stake == 0.0) return std::string(kBankerStakeZeroText);
  return std::nullopt;
}

std::string OpenMarketPage::odds_box_note() const {
  if (services_.session.context.odds_format == notation::OddsFormat::kDecimal) return {};
  return notation::odds_format_note(notation::OddsFormat::kDecimal);
}

std::string OpenMarketPage::offer_list_text() const {
  std::string text;
  int written = 0;
  for (std::size_t slot = 0; slot < options_.size(); ++slot) {
    const auto& o = options_[slot];
    if (!o.checked) continue;
    const double odds = odds_of(o.odds_text).value_or(0.0);
    const std::size_t start = text.size();
    switch (kind_) {
      case OpenMarketKind::one_x_two:
        text += format(written == 0 ? "  “%s” （赔率：%.2f）" : "\n  “%s” （赔率：%.2f）", o.name, odds);
        break;
      case OpenMarketKind::over_under:
      case OpenMarketKind::basketball_totals:
        text += format(slot == 0 ? "  “%s” （赔率：%.2f）" : "\n  “%s” （赔率：%.2f）", o.name, odds);
        break;
      case OpenMarketKind::correct_score:
        text += format(written == 0       ? "  “%s”（赔率：%.1f）"
                       : written % 2 == 0 ? "\n  “%s”（赔率：%.1f）"
                                          : "  “%s”（赔率：%.1f）",
                       o.name, odds);
        break;
      case OpenMarketKind::odd_even:
        text += format(slot == 0 ? "  “%s”（赔率：%.2f）" : "\n  “%s” （赔率：%.2f）", o.name, odds);
        break;
    }
    // The typed decimal odds stay as the service checks them; another format adds its own figure.
    const notation::OddsFormat shown = services_.session.context.odds_format;
    if (shown != notation::OddsFormat::kDecimal && text.size() >= start + std::strlen(kOfferClose)) {
      text.insert(
          text.size() - std::strlen(kOfferClose),
          std::string("，") + notation::odds_format_label(shown) + notation::odds_text(odds - 1.0, shown));
    }
    ++written;
  }
  return text;
}

ports::ConfirmationRequest OpenMarketPage::confirmation() const {
  const char* pattern = nullptr;
  ports::ConfirmationRequest request;
  request.title = open_market_kind_info(kind_).confirmation_title;
  switch (kind_) {
    case OpenMarketKind::one_x_two:
      pattern =
          "您将在 %s 的比赛中开出如下盘口：\n\n%s\n\n您的开盘彩金为 %d "
          "%s。如果比赛结果符合所开盘口，您将输，否则赢。";
      break;
    case OpenMarketKind::over_under:
      pattern =
          "您将对 %s 的比赛中的全场总进球数开出如下盘口：\n\n%s\n\n您的开盘彩金为 %d "
          "%s。如果比赛结果符合所开盘口，您将输，否则赢。";
      break;
    case OpenMarketKind::correct_score:
      pattern =
          "您将在 %s 的比赛中开出如下盘口：\n%s\n您的开盘彩金为 %d "
          "%s。如果比赛结果符合所开盘口，您将输，否则赢。";
      request.font_size = 11;
      request.bold = false;
      break;
    case OpenMarketKind::basketball_totals:
    case OpenMarketKind::odd_even:
      pattern =
          "您将对 %s 的比赛中的全场总分数开出如下盘口：\n\n%s\n\n您的开盘彩金为 %d "
          "%s。如果比赛结果符合所开盘口，您将输，否则赢。";
      break;
  }
  const std::string list = offer_list_text();
  const std::string match = match_text();
  const std::string currency = notation::currency_name(services_.session.context.currency_code, true);
  const int stake = stake_of(stake_text_).value_or(0);
  const int size = std::snprintf(nullptr, 0, pattern, match.c_str(), list.c_str(), stake, currency.c_str());
  std::string text(static_cast<std::size_t>(size) + 1, '\0');
  std::snprintf(text.data(), text.size(), pattern, match.c_str(), list.c_str(), stake, currency.c_str());
  text.resize(static_cast<std::size_t>(size));
  request.text = std::move(text);
  return request;
}

void OpenMarketPage::reset_after_open() {
  stake_text_ = "0";
  if (kind_ == OpenMarketKind::odd_even) return;
  for (auto& o : options_) o.checked = false;
}

OpenMarketPage::Result OpenMarketPage::open_now() {
  last_message_.clear();
  if (const auto refusal = validate()) {
    show(*refusal);
    return Result::refused;
  }
  if (!services_.confirmation.confirm(confirmation())) return Result::cancelled;
  std::vector<protocol::MarketOption> chosen;
  for (const auto& o : options_)
    if (o.checked) chosen.push_back({o.option_id, *odds_of(o.odds_text) - 1.0});
  std::string serial;
  const auto sent =
      protocol::open_market(services_.session, match_.value_or(0), *stake_of(stake_text_), chosen, serial);
  if (!sent) {
    show(sent.error());
    return Result::failed;
  }
  serial_ = serial;
  show(sent.value() + "\n您的开盘流水号为：" + serial);
  reset_after_open();
  return Result::opened;
}

void open_market_from_hall(ports::ConfirmationPort& confirmation, ports::OpenMarketPort& window,
                           bool with_notice, int selected_kind_flag) {
  if (with_notice && !confirmation.confirm({kOpenMarketNoticeTitle, kOpenMarketNoticeText, 10, false}))
    return;
  window.open_market_window(open_market_tab_of_flag(selected_kind_flag));
}

}  // namespace brindle::betting
