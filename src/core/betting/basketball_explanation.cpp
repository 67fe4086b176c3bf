#include "core/betting/basketball_explanation.h"

#include "core/betting/phrase_format.h"

namespace brindle::betting {

namespace {

constexpr std::string_view kGivingWhole =
    "您将投注于 %s: 如果 %s 以%d分以上赢得比赛，则您赢回本金和赔率为 %.3f的彩金。如果 %s "
    "以%d分以下赢得比赛或输掉比赛，则您将输掉整个注码。如果 %s 以%d分赢得比赛，则我们将退回全部注码。";
constexpr std::string_view kGivingHalf =
    "您将投注于 %s: 如果 %s 以%.1f分以上赢得比赛，则您赢回本金和赔率为 %.3f的彩金。如果 %s "
    "以%.1f分以下赢得比赛或输掉比赛，则您将输掉整个注码。";
constexpr std::string_view kReceivingWhole =
    "您将投注于 %s: 如果 %s 赢得比赛或以%d分以下输掉比赛，则您赢回本金和赔率为 %.3f的彩金。如果 %s "
    "以%d分以上输掉比赛，则您将输掉整个注码。如果 %s 以%d分输掉比赛，则我们将退回全部注码。";
constexpr std::string_view kReceivingHalf =
    "您将投注于 %s: 如果 %s 赢得比赛或以%.1f分以下输掉比赛，则您赢回本金和赔率为 %.3f的彩金。如果 %s "
    "以%.1f分以上输掉比赛，则您将输掉整个注码。";

}  // namespace

std::string basketball_handicap_explanation(int code, std::string_view giving, std::string_view receiving,
                                            double price, notation::HandicapSide side) {
  if (code < 1) return {};
  const std::string_view team = side == notation::HandicapSide::kGiving ? giving : receiving;
  if (code % 2 == 1) {
    const int points = (code - 1) / 2;
    return fill_phrase(side == notation::HandicapSide::kGiving ? kGivingWhole : kReceivingWhole,
                       {team, team, points, price, team, points, team, points});
  }
  const double points = (static_cast<double>(code) - 1.0) * 0.5;
  return fill_phrase(side == notation::HandicapSide::kGiving ? kGivingHalf : kReceivingHalf,
                     {team, team, points, price, team, points});
}

}  // namespace brindle::betting
