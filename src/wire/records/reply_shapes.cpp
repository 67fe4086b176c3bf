#include "wire/records/reply_shapes.h"

#include <algorithm>
#include <array>

#include "wire/records/account_records.h"
#include "wire/records/bet_records.h"
#include "wire/records/market_records.h"
#include "wire/records/match_records.h"

namespace brindle::records {
namespace {

constexpr KindRef kNone{};

constexpr KindRef kRecords = kind_ref<RecordsHeader>();

const auto kShapes = std::to_array<ReplyShape>({
    {1003, "star-member terms", Layout::single, kNone, kind_ref<StarTermsRecord>(), kNone},
    {1004, "rooms", Layout::list, kind_ref<RoomListHeader>(), kind_ref<RoomLine>(), kNone},
    {3006, "room made", Layout::single, kNone, kind_ref<CreatedRoomRecord>(), kNone},
    {4001, "questions", Layout::list, kNone, kind_ref<QuestionLine>(), kNone},
    {4002, "private messages", Layout::list, kNone, kind_ref<PrivateMessageLine>(), kNone},
    {4006, "room positions", Layout::list, kNone, kind_ref<RoomPositionLine>(), kNone},
    {4011, "statement", Layout::list, kNone, kind_ref<StatementLine>(), kNone},
    {4012, "account figures", Layout::single, kNone, kind_ref<AccountBalanceRecord>(), kNone},
    {4015, "settled single bets", Layout::list, kRecords, kind_ref<SettledSingleBetLine>(), kNone},
    {4016, "matches a market may be opened on", Layout::list, kNone, kind_ref<OpenableMatchLine>(), kNone},
    {4017, "open banker markets", Layout::blocks, kNone, kind_ref<BankerMatchLine>(),
     kind_ref<BankerOfferLine>()},
    {4018, "bets against bankers", Layout::list, kRecords, kind_ref<UnsettledBankerBetLine>(), kNone},
    {4019, "settled bets against bankers", Layout::list, kRecords, kind_ref<SettledBankerBetLine>(), kNone},
    {4020, "opened markets", Layout::blocks, kRecords, kind_ref<OpenedMarketLine>(),
     kind_ref<OpenedMarketBetLine>()},
    {4021, "settled opened markets", Layout::blocks, kRecords, kind_ref<SettledOpenedMarketLine>(),
     kind_ref<SettledOpenedMarketBetLine>()},
    {4022, "odds trend", Layout::list, kNone, kind_ref<TrendPointLine>(), kNone},
    {4023, "home team's past matches", Layout::list, kNone, kind_ref<HistoryLine>(), kNone},
    {4024, "away team's past matches", Layout::list, kNone, kind_ref<HistoryLine>(), kNone},
    {4025, "results and fixtures", Layout::list, kNone, kind_ref<ResultLine>(), kNone},
    {4026, "meetings of the two teams", Layout::list, kNone, kind_ref<HeadToHeadLine>(), kNone},
    {4027, "market list", Layout::blocks, kind_ref<MarketListHeader>(), kind_ref<MatchLine>(),
     kind_ref<OddsLine>()},
    {4028, "parlay prices", Layout::list, kNone, kind_ref<ParlayPriceLine>(), kNone},
    {4029, "parlays", Layout::blocks, kRecords, kind_ref<BetGroupLine>(), kind_ref<BetLegLine>()},
    {4030, "settled parlays", Layout::blocks, kRecords, kind_ref<SettledBetGroupLine>(),
     kind_ref<SettledParlayLegLine>()},
    {4032, "suggested prices", Layout::list, kNone, kind_ref<SuggestedPriceLine>(), kNone},
    {4037, "the records menu's days", Layout::list, kNone, kind_ref<SevenIntegerLine>(), kNone},
    {4038, "in-play line", Layout::single, kNone, kind_ref<InPlayLineRecord>(), kNone},
    {4040, "decided outright events", Layout::list, kNone, kind_ref<ResultLine>(), kNone},
    {4050, "outright bets", Layout::blocks, kRecords, kind_ref<BetGroupLine>(), kind_ref<BetLegLine>()},
    {4051, "settled outright bets", Layout::blocks, kRecords, kind_ref<SettledBetGroupLine>(),
     kind_ref<SettledOutrightLegLine>()},
    {4054, "single bets", Layout::list, kRecords, kind_ref<UnsettledSingleBetLine>(), kNone},
    {4061, "one text", Layout::single, kNone, kind_ref<OneTextRecord>(), kNone},
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
