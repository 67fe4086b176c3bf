#include "core/betting/totals_explanation.h"

#include <array>
#include <cstddef>
#include <cstdlib>
#include <string_view>

#include "core/betting/phrase_format.h"
#include "core/notation/handicap_notation.h"

namespace brindle::betting {

namespace {

// Indexed by quarter (0..3), then over (0) and under (1).
using Wordings = std::array<std::array<std::string_view, 2>, 4>;

constexpr Wordings kGoals = {{
    {"全场入球总数如果超过 %d 个。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d "
     "个，则我们将退回全部注码。如果小于 %d 个，则您将输掉整个注码。",
     "全场入球总数如果少于 %d 个。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d "
     "个，则我们将退回全部注码。如果超过 %d 个，则您将输掉整个注码。"},
    {"全场入球总数如果超过 %d 个。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d "
     "个，则我们将退回一半注码。如果小于 %d 个，则您将输掉整个注码。",
     "全场入球总数如果少于 %d 个。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d 个，则将一半注码乘以 "
     "%.3f，和全部注码退还给您。如果超过 %d 个，则您将输掉整个注码。"},
    {"全场入球总数如果超过 %d 个。则您赢回本金和赔率为 %.3f 的彩金。如果等于或小于 %d "
     "个，则您将输掉整个注码。",
     "全场入球总数如果少于 %d 个。则您赢回本金和赔率为 %.3f 的彩金。如果等于或超过 %d "
     "个，则您将输掉整个注码。"},
    {"全场入球总数如果超过 %d 个。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d 个，则将一半注码乘以 "
     "%.3f，和全部注码退还给您。如果小于 %d 个，则您将输掉整个注码。",
     "全场入球总数如果少于 %d 个。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d "
     "个，则我们将退回一半注码。如果超过 %d 个，则您将输掉整个注码。"},
}};

constexpr Wordings kPoints = {{
    {"全场得分总数如果超过 %d。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d，则我们将退回全部注码。如果小于 "
     "%d，则您将输掉整个注码。",
     "全场得分总数如果少于 %d。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d，则我们将退回全部注码。如果超过 "
     "%d，则您将输掉整个注码。"},
    {"全场得分总数如果超过 %d。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d，则我们将退回一半注码。如果小于 "
     "%d，则您将输掉整个注码。",
     "全场得分总数如果少于 %d。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d，则将一半注码乘以 "
     "%.3f，和全部注码退还给您。如果超过 %d，则您将输掉整个注码。"},
    {"全场得分总数如果超过 %d。则您赢回本金和赔率为 %.3f 的彩金。如果等于或小于 %d，则您将输掉整个注码。",
     "全场得分总数如果少于 %d。则您赢回本金和赔率为 %.3f 的彩金。如果等于或超过 %d，则您将输掉整个注码。"},
    {"全场得分总数如果超过 %d。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d，则将一半注码乘以 "
     "%.3f，和全部注码退还给您。如果小于 %d，则您将输掉整个注码。",
     "全场得分总数如果少于 %d。则您赢回本金和赔率为 %.3f 的彩金。如果等于 %d，则我们将退回一半注码。如果超过 "
     "%d，则您将输掉整个注码。"},
}};

}  // namespace

std::string totals_explanation(int code, int line_kind, double price) {
  if (code == 0) return {};
  const long long e = std::llabs(static_cast<long long>(code)) - 1;
  const long long whole = e / 4;
  const long long next = whole + 1;
  const auto quarter = static_cast<std::size_t>(e % 4);
  const bool over = code > 0;
  const std::string_view format =
      (line_kind == notation::kBasketballLineKind ? kPoints : kGoals)[quarter][over ? 0 : 1];
  switch (quarter) {
    case 0:
      return fill_phrase(format, {whole, price, whole, whole});
    case 1:
      if (over) return fill_phrase(format, {whole, price, whole, whole});
      return fill_phrase(format, {whole, price, whole, price, whole});
    case 2:
      // Over 2.5 needs more than 2; under 2.5 needs fewer than 3.
      if (over) return fill_phrase(format, {whole, price, whole});
      return fill_phrase(format, {next, price, next});
    default:
      if (over) return fill_phrase(format, {next, price, next, price, next});
      return fill_phrase(format, {next, price, next, next});
  }
}

}  // namespace brindle::betting
