// The exact bytes every catalogue operation sends, and the Request settings it sends them with.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "core/net/progress_texts.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_data.h"
#include "core/protocol/market_type.h"
#include "core/protocol/match_information.h"
#include "core/protocol/records_queries.h"
#include "core/protocol/rooms_messages.h"
#include "core/protocol/subject_table.h"

namespace {

using namespace brindle;
using protocol::Session;

struct QuestionsIgnored final : protocol::QuestionInserter {
  void clear() override {}
  void insert_question(const protocol::Question&) override {}
  void insert_notice(const protocol::Question&) override {}
};

const protocol::DateRange kRange{{2024, 3, 1, 0, 0, 1}, {2024, 3, 31, 23, 59, 59}};

struct BodyCase {
  const char* name;
  int subject_id;
  std::function<void(Session&)> call;
  const char* txt_para;  // null for a category-1 request, which carries none
};

std::vector<BodyCase> body_cases() {
  using namespace protocol;
  std::vector<BodyCase> cases = {
      {"second_information", 1005, [](Session& s) { (void)fetch_second_information(s); }, nullptr},
      {"star_member_terms", 1003,
       [](Session& s) {
         StarMemberTerms t;
         (void)fetch_star_member_terms(s, t);
       },
       nullptr},
      {"rooms", 1004,
       [](Session& s) {
         std::vector<Room> r;
         (void)fetch_rooms(s, r);
       },
       nullptr},
      {"send_question", 2001, [](Session& s) { (void)send_question(s, "充值\r\n问题", "a|b\nc"); },
       "充值问题|abc|"},
      {"delete_message", 2002, [](Session& s) { (void)delete_private_message(s, 42); }, "42"},
      {"change_profile", 2004,
       [](Session& s) {
         (void)change_profile(s, "alice", {"1", "2", "3", "4", "5", "6", "7"},
                              {{{"", "b", ""}, {"d", "e", "f"}, {"", "", ""}, {"j", "", "l"}}});
       },
       "alice|1|2|3|4|5|6|7||b||d|e|f||||j||l"},
      {"transfer", 2009, [](Session& s) { (void)transfer_funds(s, "wd", 100, "bob"); }, "wd|100.000000|bob"},
      {"star_application", 2012, [](Session& s) { (void)apply_for_star_membership(s); }, "0"},
      {"cancel_opened", 2014, [](Session& s) { (void)cancel_opened_markets(s, 77); }, "77"},
      {"retrieve_password", 2016, [](Session& s) { (void)retrieve_password(s, "typed"); }, ""},
      {"rating", 2018, [](Session& s) { (void)send_rating(s, "a|b\r\n", "Q12", 2); }, "ab|Q12|2"},
      {"survey_check", 2019, [](Session& s) { (void)survey_check(s, "Q12"); }, "Q12"},
      {"user_name_check", 2020, [](Session& s) { (void)check_user_name_free(s, "newbie"); }, "newbie|0"},
      {"nickname_check", 2021, [](Session& s) { (void)check_nickname_free(s, "小明"); }, "小明|1"},
      {"create_room", 3006,
       [](Session& s) {
         CreatedRoom r;
         (void)create_room(s, "我的房间", 3, r);
       },
       "我的房间|3"},
      {"open_market", 3008,
       [](Session& s) {
         std::string text;
         (void)open_market(s, 9001, 500, {{1, 1.85}, {123, 0.9}}, text);
       },
       "9001|2|500|00000000010000000123|00018500000900"},
      {"bet_against_banker", 3009,
       [](Session& s) {
         BankerMarketRow row;
         row.offer_id = 555;
         std::string text;
         (void)bet_against_banker(s, row, 30, text);
       },
       "555|30"},
      {"place_bets", 3010,
       [](Session& s) {
         (void)place_bets(s, kPlaceBetsSubject, {{123, 3, 0.925}, {456, -3, 0.9995}},
                          {{1, 50}, {2, 0}, {3, 20}});
       },
       "2|00000001230000000456|0000092500001000|2|0000000100000003|000050000020|7"},
      {"in_play_delay", 3016, [](Session& s) { (void)fetch_in_play_delay(s, 9001, 8); }, "9001|8"},
      {"in_play_bet", 3020, [](Session& s) { (void)place_in_play_bet(s, 321, 0.875, 100, 2); },
       "321|0.875000|100.000000|2"},
      {"outright_bets", 3050,
       [](Session& s) {
         (void)place_bets(s, kPlaceOutrightBetsSubject, {{88, 1, 4.5}}, {{1, 10}});
       },
       "1|0000000088|00004500|1|00000001|000010|7"},
      {"questions", 4001,
       [](Session& s) {
         QuestionsIgnored q;
         (void)fetch_questions(s, q);
       },
       ""},
      {"messages", 4002,
       [](Session& s) {
         std::vector<PrivateMessage> m;
         (void)fetch_private_messages(s, m);
       },
       ""},
      {"positions", 4006,
       [](Session& s) {
         std::vector<RoomPosition> p;
         (void)fetch_room_positions(s, p);
       },
       ""},
      {"statement", 4011,
       [](Session& s) {
         std::vector<StatementEntry> e;
         (void)fetch_statement(s, kRange, e);
       },
       "20240301000001|20240331235959|0"},
      {"balance", 4012,
       [](Session& s) {
         AccountBalance b;
         (void)fetch_balance(s, b);
       },
       ""},
      {"settled_singles", 4015,
       [](Session& s) {
         std::vector<SingleBetRecord> r;
         (void)fetch_settled_single_bets(s, kRange, r);
       },
       "20240301000001|20240331235959"},
      {"open_market_matches", 4016,
       [](Session& s) {
         std::vector<MatchRecord> m;
         (void)fetch_open_market_matches(s, 3, m);
       },
       "3"},
      {"banker_markets", 4017,
       [](Session& s) {
         std::vector<BankerMarketGroup> g;
         (void)fetch_banker_markets(s, 1, g);
       },
       "1"},
      {"unsettled_banker_bets", 4018,
       [](Session& s) {
         std::vector<BankerBetRecord> r;
         (void)fetch_unsettled_banker_bets(s, r);
       },
       ""},
      {"settled_banker_bets", 4019,
       [](Session& s) {
         std::vector<BankerBetRecord> r;
         (void)fetch_settled_banker_bets(s, kRange, r);
       },
       "20240301000001|20240331235959"},
      {"unsettled_opened", 4020,
       [](Session& s) {
         std::vector<OpenedMarketRecord> r;
         (void)fetch_unsettled_opened_markets(s, r);
       },
       ""},
      {"settled_opened", 4021,
       [](Session& s) {
         std::vector<OpenedMarketRecord> r;
         (void)fetch_settled_opened_markets(s, kRange, r);
       },
       "20240301000001|20240331235959"},
      {"odds_trend", 4022,
       [](Session& s) {
         std::vector<TrendPoint> p;
         (void)fetch_odds_trend(s, 9001, true, p);
       },
       "9001|1"},
      {"recent_matches", 4023,
       [](Session& s) {
         std::vector<HistoryItem> h;
         (void)fetch_recent_matches(s, 9001, false, h);
       },
       "9001|0"},
      {"home_away_matches", 4024,
       [](Session& s) {
         std::vector<HistoryItem> h;
         (void)fetch_home_away_matches(s, 9001, true, h);
       },
       "9001|1"},
      {"results", 4025,
       [](Session& s) {
         std::vector<ResultItem> r;
         (void)fetch_results(s, kRange, r);
       },
       "20240301000001|20240331235959"},
      {"fixtures", 4025,
       [](Session& s) {
         std::vector<ResultItem> r;
         (void)fetch_fixtures(s, r);
       },
       "-1|-1"},
      {"head_to_head", 4026,
       [](Session& s) {
         std::vector<HeadToHeadItem> h;
         (void)fetch_head_to_head(s, 9001, h);
       },
       "9001"},
      {"market_list", 4027,
       [](Session& s) {
         std::vector<MatchRecord> m;
         std::vector<OddsLine> o;
         (void)fetch_market_list(s, kTypeParlayList, m, o);
       },
       "-1|11|22"},
      {"parlay_prices", 4028,
       [](Session& s) {
         std::vector<OddsLine> o;
         (void)refresh_parlay_prices(s, {5, 1234567}, o);
       },
       "2|00000000050001234567|11|22"},
      {"unsettled_parlays", 4029,
       [](Session& s) {
         std::vector<GroupedBetRecord> r;
         (void)fetch_unsettled_parlays(s, r);
       },
       ""},
      {"settled_parlays", 4030,
       [](Session& s) {
         std::vector<GroupedBetRecord> r;
         (void)fetch_settled_parlays(s, kRange, r);
       },
       "20240301000001|20240331235959"},
      {"suggested_prices", 4032,
       [](Session& s) {
         std::vector<SuggestedPriceRow> r;
         (void)fetch_suggested_prices(s, 9001, r);
       },
       "9001"},
      {"seven_integers", 4037,
       [](Session& s) {
         std::vector<SevenIntegerRow> r;
         (void)fetch_seven_integer_list(s, r);
       },
       ""},
      {"in_play_line", 4038,
       [](Session& s) {
         InPlayLine l;
         (void)check_in_play_line(s, 9001, 4, 8, l);
       },
       "9001|4|8|11|22"},
      {"outright_results", 4040,
       [](Session& s) {
         std::vector<ResultItem> r;
         (void)fetch_outright_results(s, kRange, r);
       },
       "20240301000001|20240331235959"},
      {"unsettled_outrights", 4050,
       [](Session& s) {
         std::vector<GroupedBetRecord> r;
         (void)fetch_unsettled_outrights(s, r);
       },
       ""},
      {"settled_outrights", 4051,
       [](Session& s) {
         std::vector<GroupedBetRecord> r;
         (void)fetch_settled_outrights(s, kRange, r);
       },
       "20240301000001|20240331235959"},
      {"unsettled_singles", 4054,
       [](Session& s) {
         std::vector<SingleBetRecord> r;
         (void)fetch_unsettled_single_bets(s, r);
       },
       ""},
      {"web_token", 4061,
       [](Session& s) {
         WebToken t;
         (void)fetch_web_token(s, t);
       },
       ""},
      {"filtered_market_list", 4070,
       [](Session& s) {
         s.context.league_filter = {"英超", "0", "0", "0", "0"};
         std::vector<MatchRecord> m;
         std::vector<OddsLine> o;
         (void)fetch_filtered_market_list(s, 3, m, o);
       },
       "3|11|22|英超|0|0|0|0"},
      {"outright_list", 5001,
       [](Session& s) {
         std::vector<MatchRecord> m;
         std::vector<OddsLine> o;
         (void)fetch_outright_list(s, m, o);
       },
       "2|11|22"},
      {"outright_entries", 5002,
       [](Session& s) {
         std::vector<OutrightEntry> e;
         (void)fetch_outright_entries(s, {7}, e);
       },
       "1|0000000007|11|22"},
  };
  return cases;
}

class RequestBody : public ::testing::TestWithParam<BodyCase> {};

TEST_P(RequestBody, IsSentByteForByteToItsCategory) {
  const BodyCase& c = GetParam();
  brindle::testing::CatalogueFixture f;
  f.context.room_number = 7;
  f.context.user_proxy = true;
  f.reply({"0|refused"});
  c.call(f.session);
  ASSERT_EQ(f.transport.exchanges().size(), 1u);
  const auto& sent = f.transport.exchanges().front();
  const std::string category = net::category_name(net::category_for_subject(c.subject_id));
  EXPECT_EQ(sent.url, "https://srv.example:8443/betengine/VTServer220.dll?" + category);
  std::string expected = "txtLanguage=1&txtSubjectID=" + std::to_string(c.subject_id);
  if (c.txt_para != nullptr) {
    std::string para = c.txt_para;
    if (!para.empty() && para.front() == '|') para.insert(0, "|");
    expected += "&txtUserName=" + std::string(c.subject_id == 2016 ? "typed" : "alice") +
                "&txtPwd=pw&txtPara=" + para;
  }
  EXPECT_EQ(sent.body, wire::utf8_to_gbk(expected));

  const protocol::SubjectEntry* entry = protocol::find_subject(c.subject_id);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(sent.use_proxy, entry->use_proxy);
  EXPECT_EQ(sent.name_not_resolved_wording, entry->name_not_resolved_wording);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, RequestBody, ::testing::ValuesIn(body_cases()),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(RequestBody, EveryCatalogueSubjectHasACategory) {
  for (const auto& entry : protocol::catalogue_subjects()) {
    EXPECT_NE(net::category_for_subject(entry.subject_id), net::RequestCategory::none) << entry.subject_id;
  }
  EXPECT_EQ(protocol::find_subject(4041), nullptr);
  EXPECT_EQ(protocol::find_subject(2015), nullptr);
  EXPECT_EQ(net::category_for_subject(4041), net::RequestCategory::none);
  EXPECT_EQ(net::category_for_subject(2015), net::RequestCategory::none);
  EXPECT_EQ(net::category_for_subject(2017), net::RequestCategory::none);
}

TEST(RequestSettings, ProxyAndWordingGoOnlyWithTheirFourRequests) {
  std::vector<int> proxied;
  std::vector<int> worded;
  for (const auto& entry : protocol::catalogue_subjects()) {
    if (entry.use_proxy) proxied.push_back(entry.subject_id);
    if (entry.name_not_resolved_wording) worded.push_back(entry.subject_id);
  }
  EXPECT_EQ(proxied, (std::vector<int>{3001, 3032, 3033, 4061}));
  EXPECT_EQ(worded, (std::vector<int>{13002, 3001, 3033, 4061}));
}

TEST(RequestSettings, ProxiedRequestCarriesTheUsersProxyText) {
  brindle::testing::CatalogueFixture f;
  f.context.user_proxy = true;
  f.context.proxy_text = "10.0.0.1:3128";
  f.reply({"1|ok|0123456789012345678901234567890123456789"});
  protocol::WebToken token;
  ASSERT_TRUE(protocol::fetch_web_token(f.session, token));
  EXPECT_TRUE(f.transport.exchanges().front().use_proxy);
  EXPECT_EQ(f.transport.exchanges().front().proxy, "10.0.0.1:3128");
}

TEST(RequestSettings, ProgressTextsFollowTheCatalogue) {
  brindle::testing::CatalogueFixture f;
  f.reply({"0|x"});
  f.reply({"0|x"});
  f.reply({"0|x"});
  std::vector<protocol::SingleBetRecord> singles;
  (void)protocol::fetch_unsettled_single_bets(f.session, singles);
  std::vector<protocol::AsianHandicapRow> rows;
  (void)protocol::fetch_asian_handicap_list(f.session, rows);
  std::vector<protocol::MatchRecord> m;
  std::vector<protocol::OddsLine> o;
  (void)protocol::fetch_market_list(f.session, 3, m, o);
  const auto& ex = f.transport.exchanges();
  ASSERT_EQ(ex.size(), 3u);
  EXPECT_EQ(ex[0].connecting_text, net::kConnectingText);
  EXPECT_EQ(ex[0].sending_text, net::kSendingText);
  EXPECT_EQ(ex[0].reading_text, "正在读取投注数据...");
  EXPECT_EQ(ex[1].reading_text, "正在读取盘口数据...");  // the Asian handicap hall
  EXPECT_EQ(ex[2].reading_text, net::kReadingText);
}

TEST(RequestSettings, AsianHandicapListUsesTheLeagueFilterOnlyWhenALeagueIsChosen) {
  brindle::testing::CatalogueFixture f;
  std::vector<protocol::AsianHandicapRow> rows;
  for (const char* first : {"0", "全部联赛", "意甲"}) {
    f.context.league_filter = {first, "0", "0", "0", "0"};
    f.reply({"0|x"});
    (void)protocol::fetch_asian_handicap_list(f.session, rows);
  }
  EXPECT_NE(f.transport.exchanges()[0].body.find("txtSubjectID=4027&"), std::string::npos);
  EXPECT_EQ(f.last_para(), "0|11|22|意甲|0|0|0|0");
  EXPECT_NE(f.transport.exchanges()[1].body.find("txtSubjectID=4027&"), std::string::npos);
  EXPECT_NE(f.transport.exchanges()[2].body.find("txtSubjectID=4070&"), std::string::npos);
}

TEST(RequestSettings, RegistrationCarriesItsSignatureAndAlwaysThreeFieldsPerGroup) {
  brindle::testing::CatalogueFixture f;
  f.reply({"1|ok"});
  ASSERT_TRUE(protocol::register_account(f.session, {"newbie", "secret", "3", "4", "5", "6", "7", "8", "9"},
                                         {{{"", "b", ""}, {"", "", ""}, {"", "", ""}, {"", "", ""}}}));
  const std::string para = f.last_para();
  const std::string head = "newbie|secret|3|4|5|6|7|8|9|";
  ASSERT_EQ(para.substr(0, head.size()), head);
  const std::string signature = para.substr(head.size(), 32);
  EXPECT_EQ(signature.find_first_not_of("0123456789abcdef"), std::string::npos) << signature;
  EXPECT_EQ(para.substr(head.size() + 32), "||b|" + std::string(10, '|') + "1");
}

}  // namespace
