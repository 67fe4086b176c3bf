#include "server/web/in_play_page.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "server/market/line_pricing.h"
#include "server/storage/money.h"
#include "server/web/web_pages.h"

namespace brindle::server::web {
namespace {

using market::Line;
using market::MarketType;
using market::Match;

constexpr std::string_view kHandicapTitle = "走地亚洲盘投注";
constexpr std::string_view kTotalsTitle = "走地大小球盘投注";
constexpr std::string_view kNoMatchesText = "此时没有走地盘口提供";
constexpr std::string_view kNoLineText = "-";

constexpr std::string_view kPageStyle =
    "article{max-width:1080px;padding:16px "
    "24px}button{font-family:inherit;font-size:14px}table{width:100%;margin-top:12px}"
    "th{background:#12325c;color:#fff;font-weight:normal;white-space:nowrap}td{text-align:center}"
    "tr.league td{background:#e8eef7;color:#12325c;font-weight:bold;text-align:left}"
    "td.team{text-align:left}td.score{color:#c0392b;font-weight:bold}"
    "button.odds{min-width:64px;border:1px solid #9fb3cf;background:#fff;color:#0b1f3a;border-radius:4px;"
    "padding:3px 8px;cursor:pointer}button.odds:hover{background:#f2b441}"
    ".account{display:flex;gap:24px;align-items:center}.account form{margin-left:auto}"
    ".notice{padding:8px 12px;border-radius:4px;margin:8px 0}.ok{background:#e3f4e1;color:#1d6b22}"
    ".refused{background:#fbe3e1;color:#a1271c}"
    ".slip{border:2px solid #f2b441;border-radius:8px;padding:8px 16px;margin:12px 0;background:#fffaf0}"
    ".slip h2{font-size:18px;color:#12325c;margin:4px 0}.slip form{display:inline}"
    ".slip input{width:120px;font-size:16px}";

std::string number_text(int numerator, int denominator) {
  // Values are multiples of a quarter or a half; at most two decimals, trailing zeros dropped.
  const int hundredths = numerator * 100 / denominator;
  char text[32];
  if (hundredths % 100 == 0) {
    std::snprintf(text, sizeof text, "%d", hundredths / 100);
  } else if (hundredths % 10 == 0) {
    std::snprintf(text, sizeof text, "%d.%d", hundredths / 100, hundredths % 100 / 10);
  } else {
    std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
  }
  return text;
}

// A value counted in quarters: 0.25 and 0.75 steps are the two lines either side.
std::string quarters_text(int quarters) {
  if (quarters % 2 == 0) return number_text(quarters, 4);
  return number_text(quarters - 1, 4) + "/" + number_text(quarters + 1, 4);
}

std::string displayed_odds(int price_milli) {
  const int odds = price_milli + 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%d.%03d", odds / 1000, odds % 1000);
  return text;
}

std::string_view currency_text(accounts::Currency currency) {
  switch (currency) {
    case accounts::Currency::rmb:
      return "元";
    case accounts::Currency::usd:
      return "美元";
    case accounts::Currency::hkd:
      return "港元";
    case accounts::Currency::none:
      break;
  }
  return "";
}

std::string home_with_mark(const Match& match) {
  return match.home + (match.neutral_venue ? "(中)" : "(主)");
}

// The team a handicap side stands for, as the in-play hall names it.
std::string handicap_team(const Match& match, const Line& line) {
  return market::handicap_side_is_home(line.line_code) ? home_with_mark(match) : match.away;
}

std::string choice_of(const Match& match, const Line& line) {
  if (line.type == MarketType::in_play_over_under) {
    return std::string(line.line_code > 0 ? "大 " : "小 ") + totals_value_text(line.line_code);
  }
  const std::string value = handicap_value_text(line.line_code, match.line_kind());
  if (market::handicap_code_of(line.line_code) == 1) return handicap_team(match, line) + " 平手";
  return handicap_team(match, line) + (line.line_code > 0 ? " 让" : " 受让") + value;
}

bool offered(const Match& match, std::int64_t market_now) {
  return match.status == market::MatchStatus::in_play && match.offers_in_play && market_now < match.ends_at;
}

// The lines of one match the page shows; a side whose line is suspended or closed stays empty.
struct MatchLines {
  const Line* giving = nullptr;
  const Line* receiving = nullptr;
  const Line* over = nullptr;
  const Line* under = nullptr;
  bool any = false;
};

MatchLines lines_of(const market::MarketSnapshot& snapshot, const Match& match) {
  MatchLines lines;
  for (const Line* line : snapshot.lines_of(match.id)) {
    if (!market::is_in_play(line->type)) continue;
    lines.any = true;
    if (line->status != market::LineStatus::open) continue;
    const bool first = line->line_code > 0;
    if (line->type == MarketType::in_play_handicap) {
      (first ? lines.giving : lines.receiving) = line;
    } else {
      (first ? lines.over : lines.under) = line;
    }
  }
  return lines;
}

void hidden(std::string& html, std::string_view name, std::string_view value) {
  html += "<input type='hidden' name='";
  html += name;
  html += "' value='";
  html += html_escaped(value);
  html += "'>";
}

std::string follow_text(const std::vector<std::int64_t>& follow) {
  std::string text;
  for (const auto serial : follow) {
    if (!text.empty()) text += ',';
    text += std::to_string(serial);
  }
  return text;
}

// The fields every form of the page carries: whose page it is and which delayed bets it waits for.
void session_fields(std::string& html, const InPlayPageState& state) {
  hidden(html, "token", state.token);
  if (!state.follow.empty()) hidden(html, "follow", follow_text(state.follow));
}

void odds_cell(std::string& html, const Line* line) {
  html += "<td>";
  if (line == nullptr) {
    html += kNoLineText;
  } else {
    html += "<button class='odds' name='pick' value='" + std::to_string(line->selection_id) + "'>" +
            displayed_odds(line->price_milli) + "</button>";
  }
  html += "</td>";
}

void text_cell(std::string& html, std::string_view css, std::string_view text) {
  html += css.empty() ? "<td>" : "<td class='" + std::string(css) + "'>";
  html += html_escaped(text);
  html += "</td>";
}

void match_row(std::string& html, const Match& match, const MatchLines& lines) {
  html += "<tr>";
  text_cell(html, "", std::to_string(match.minute) + "'");
  text_cell(html, "score", std::to_string(match.score.home) + " : " + std::to_string(match.score.away));
  // The giving side stands on the left, as in the in-play hall; with no handicap line on offer, the
  // home team.
  const Line* handicap = lines.giving ? lines.giving : lines.receiving;
  const bool home_left = lines.giving      ? market::handicap_side_is_home(lines.giving->line_code)
                         : lines.receiving ? !market::handicap_side_is_home(lines.receiving->line_code)
                                           : true;
  text_cell(html, "team", home_left ? home_with_mark(match) : match.away);
  odds_cell(html, lines.giving);
  text_cell(
      html, "",
      handicap ? handicap_value_text(handicap->line_code, match.line_kind()) : std::string(kNoLineText));
  odds_cell(html, lines.receiving);
  text_cell(html, "team", home_left ? match.away : home_with_mark(match));
  odds_cell(html, lines.over);
  const Line* totals = lines.over ? lines.over : lines.under;
  text_cell(html, "", totals ? totals_value_text(totals->line_code) : std::string(kNoLineText));
  odds_cell(html, lines.under);
  html += "</tr>\n";
}

void slip_section(std::string& html, const InPlayPageState& state, const accounts::Account& account) {
  const BetSlip& slip = *state.slip;
  const Match& match = *slip.offer.match;
  const Line& line = *slip.offer.line;
  html += "<section class='slip'><h2>" + html_escaped(slip.offer.title) + "</h2>\n<p>";
  html += html_escaped(match.home + " vs " + match.away);
  html +=
      "　当前比分：" + std::to_string(match.score.home) + " : " + std::to_string(match.score.away) + "</p>\n";
  html += "<p>投注：<b>" + html_escaped(slip.offer.choice) + "</b>　赔率：<b>" +
          displayed_odds(line.price_milli) + "</b></p>\n";
  html += "<form method='post' action='/inplay/bet'>";
  session_fields(html, state);
  hidden(html, "selection", std::to_string(line.selection_id));
  hidden(html, "price", std::to_string(line.price_milli));
  hidden(html, "key", slip.form_key);
  html +=
      "投注彩金：<input name='stake' inputmode='decimal' maxlength='16' autocomplete='off' autofocus "
      "value='" +
      html_escaped(slip.stake) + "'> " + std::string(currency_text(account.currency)) +
      "　<button type='submit'>确认投注</button></form>　";
  html += "<form method='post' action='/inplay/'>";
  session_fields(html, state);
  html += "<button type='submit'>取消</button></form></section>\n";
}

}  // namespace

std::string html_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string handicap_value_text(int line_code, int line_kind) {
  const int steps = market::handicap_code_of(line_code) - 1;
  if (steps <= 0) return "0";
  return line_kind == market::kBasketballLineKind ? number_text(steps, 2) : quarters_text(steps);
}

std::string totals_value_text(int line_code) {
  const int steps = std::abs(line_code) - 1;
  return steps <= 0 ? "0" : quarters_text(steps);
}

std::optional<Offer> offer_of(const market::MarketSnapshot& snapshot, std::int64_t market_now,
                              market::SelectionId selection) {
  const Line* line = snapshot.find_line(selection);
  if (line == nullptr || !market::is_in_play(line->type) || line->status != market::LineStatus::open) {
    return std::nullopt;
  }
  const Match* match = snapshot.find_match(line->match_id);
  if (match == nullptr || !offered(*match, market_now)) return std::nullopt;
  Offer offer;
  offer.match = match;
  offer.line = line;
  offer.title = line->type == MarketType::in_play_handicap ? kHandicapTitle : kTotalsTitle;
  offer.choice = choice_of(*match, *line);
  return offer;
}

std::string in_play_page_html(const market::MarketSnapshot& snapshot, std::int64_t market_now,
                              const InPlayPageState& state) {
  const accounts::Account& account = state.account;
  std::string html;
  html.reserve(16 * 1024);
  html += "<!DOCTYPE html>\n<html><head><meta charset='GBK'><title>走地</title><style>";
  html += page_style();
  html += kPageStyle;
  html += "</style></head>\n<body><header><b>澜川国际</b>走地投注</header><article>\n";

  html += "<div class='account'><span>用户：" + html_escaped(account.user_name) + "</span><span>可用彩金：" +
          storage::money_text(account.balance) + " " + std::string(currency_text(account.currency)) +
          "</span><span>冻结彩金：" + storage::money_text(account.frozen_amount) + "</span>";
  html += "<form id='refresh' method='post' action='/inplay/'>";
  session_fields(html, state);
  html += "<button type='submit'>刷新</button></form></div>\n";

  for (const auto& notice : state.notices) {
    html += std::string("<p class='notice ") + (notice.ok ? "ok" : "refused") + "'>" +
            html_escaped(notice.text) + "</p>\n";
  }
  if (state.slip) slip_section(html, state, account);

  html += "<form method='post' action='/inplay/'>";
  session_fields(html, state);
  html +=
      "\n<table><tr><th>时间</th><th>主:客(比分)</th><th>上盘球队(名)</th><th>赔率</th><th>让球(分)</th>"
      "<th>赔率</th><th>下盘球队(名)</th><th>大球</th><th>分界线</th><th>小球</th></tr>\n";
  // One group per league, in the order the leagues first kick off, as the halls group their lines.
  std::vector<std::pair<std::string_view, std::vector<const Match*>>> leagues;
  for (const Match& match : snapshot.matches) {
    if (!offered(match, market_now) || !lines_of(snapshot, match).any) continue;
    auto group = std::find_if(leagues.begin(), leagues.end(),
                              [&](const auto& g) { return g.first == match.league_name; });
    if (group == leagues.end()) group = leagues.insert(leagues.end(), {match.league_name, {}});
    group->second.push_back(&match);
  }
  const bool any = !leagues.empty();
  for (const auto& [league, matches] : leagues) {
    html += "<tr class='league'><td colspan='10'>" + html_escaped(league) + "</td></tr>\n";
    for (const Match* match : matches) match_row(html, *match, lines_of(snapshot, *match));
  }
  if (!any) html += "<tr><td colspan='10'>" + std::string(kNoMatchesText) + "</td></tr>\n";
  html += "</table></form>\n";
  html +=
      "<p "
      "class='note'>"
      "走地让球以投注后的进球（篮球为得分）计算输赢；大小球以全场总进球数（篮球为总得分）与分界线比较。</"
      "p>\n";

  if (state.refresh_after_seconds > 0 && !state.slip) {
    html += "<script nonce='" + html_escaped(state.script_nonce) +
            "'>setTimeout(function(){document.getElementById('refresh').submit();}," +
            std::to_string(state.refresh_after_seconds * 1000) + ");</script>\n";
  }
  html += "</article></body></html>\n";
  return html;
}

std::string message_page_html(std::string_view text) {
  std::string html = "<!DOCTYPE html>\n<html><head><meta charset='GBK'><title>走地</title><style>";
  html += page_style();
  html += "</style></head>\n<body><header><b>澜川国际</b>走地投注</header><article><p class='notice'>";
  html += html_escaped(text);
  html += "</p></article></body></html>\n";
  return html;
}

}  // namespace brindle::server::web
