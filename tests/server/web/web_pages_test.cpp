// The service's web pages as the client opens them: each address is a Chinese page in GBK.

#include "server/web/web_pages.h"

#include <gtest/gtest.h>

#include <memory>

#include "server/http/router.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

Router make_router() {
  auto config = std::make_shared<const ServerConfig>();
  return Router(std::make_shared<Dispatcher>(), config, "127.0.0.1:5000");
}

TEST(WebPages, EveryAddressTheClientOpensIsAChinesePage) {
  const std::pair<const char*, const char*> pages[] = {
      {"/", "欢迎光临澜川国际体育"},     {"/news/", "最新消息"},           {"/doc/law.htm", "声明"},
      {"/doc/rule.htm", "投注规则"},     {"/doc/paq.htm", "玩法问答"},     {"/doc/agreement.htm", "会员协议"},
      {"/livebetmsg", "走地历史公告"},   {"/clientad/promo.html", "优惠"}, {"/IOS.html", "手机投注"},
      {"/instructions.asp", "玩法说明"}, {"/OtherGames.asp", "其他游戏"},  {"/Texas.aspx", "德州扑克"},
      {"/fc/login.aspx", "财务中心"},    {"/games/live.html", "真人"},     {"/games/luzi.html", "路子游戏"},
      {"/games/poker.html", "棋牌游戏"}, {"/games/lotto.html", "乐透"},    {"/games/keno.html", "KENO"},
  };
  const Router router = make_router();
  for (auto [path, words] : pages) {
    // Web pages carry no password, so plain HTTP gets them as well as HTTPS.
    EXPECT_EQ(router.route(Channel::plain, "GET", path, {}).status, 200u) << path;
    // The client's addresses may carry a query (the other-games page, tokens).
    const HttpAnswer answer = router.route(Channel::tls, "GET", std::string(path) + "?from=client", {});
    ASSERT_EQ(answer.status, 200u) << path;
    EXPECT_EQ(answer.content_type, "text/html; charset=GBK") << path;
    bool invalid = false;
    const std::string html = wire::gbk_to_utf8(answer.body, &invalid);
    EXPECT_FALSE(invalid) << path;
    EXPECT_NE(html.find(words), std::string::npos) << path;
    EXPECT_NE(html.find("charset='GBK'"), std::string::npos) << path;
  }
}

TEST(WebPages, OtherPathsAndMethodsAreNotFound) {
  const Router router = make_router();
  for (const char* path : {"/doc/", "/news", "/doc/rule.htm/", "/DOC/RULE.HTM", "/../doc/rule.htm"}) {
    EXPECT_EQ(router.route(Channel::tls, "GET", path, {}).status, 404u) << path;
  }
  EXPECT_EQ(router.route(Channel::tls, "POST", "/doc/rule.htm", "a=1").status, 404u);
  EXPECT_FALSE(web::page_for(""));
}

}  // namespace
}  // namespace brindle::server
