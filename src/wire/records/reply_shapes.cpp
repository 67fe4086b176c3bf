#include "wire/records/reply_shapes.h"

#include <algorithm>
#include <array>

#include "wire/records/market_records.h"

namespace brindle::records {
namespace {

constexpr KindRef kNone{};

const auto kShapes = std::to_array<ReplyShape>({
    {4016, "matches a market may be opened on", Layout::list, kNone, kind_ref<OpenableMatchLine>(), kNone},
    {4017, "open banker markets", Layout::blocks, kNone, kind_ref<BankerMatchLine>(),
     kind_ref<BankerOfferLine>()},
    {4027, "market list", Layout::blocks, kind_ref<MarketListHeader>(), kind_ref<MatchLine>(),
     kind_ref<OddsLine>()},
    {4028, "parlay prices", Layout::list, kNone, kind_ref<ParlayPriceLine>(), kNone},
    {4032, "suggested prices", Layout::list, kNone, kind_ref<SuggestedPriceLine>(), kNone},
    {4038, "in-play line", Layout::single, kNone, kind_ref<InPlayLineRecord>(), kNone},
    {4070, "market list of chosen leagues", Layout::blocks, kind_ref<MarketListHeader>(),
     kind_ref<MatchLine>(), kind_ref<OddsLine>()},
    {5001, "outright events", Layout::list, kNone, kind_ref<MatchLine>(), kNone},
    {5002, "outright selections", Layout::list, kNone, kind_ref<OutrightEntryLine>(), kNone},
});

}  // namespace

std::span<const ReplyShape> reply_shapes() { return kShapes; }

const ReplyShape* find_shape(int subject) {
  const auto found = std::lower_bound(kShapes.begin(), kShapes.end(), subject,
                                      [](const ReplyShape& shape, int s) { return shape.subject < s; });
  return found != kShapes.end() && found->subject == subject ? &*found : nullptr;
}

}  // namespace brindle::records
