#include "server/http/router.h"

#include <gtest/gtest.h>

#include <memory>

#include "server/accounts/session_handlers.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

Router make_router(ServerConfig config) {
  auto shared = std::make_shared<const ServerConfig>(std::move(config));
  auto dispatcher = std::make_shared<Dispatcher>();
  EXPECT_TRUE(add_session_handlers(*dispatcher, shared).ok());
  return Router(dispatcher, shared, "127.0.0.1:5000");
}

TEST(Router, ServerListNamesThisServerUnlessConfigured) {
  auto answer = make_router({}).route(Channel::tls, "GET", "/betengine/ServerList.htm", {});
  EXPECT_EQ(answer.status, 200u);
  EXPECT_EQ(answer.content_type, "text/html; charset=GBK");
  EXPECT_EQ(answer.body, "127.0.0.1:5000|1\r\n");
  EXPECT_EQ(make_router({}).route(Channel::tls, "GET", "/betengine/ProxyList.htm", {}).body, "");
}

TEST(Router, ListDocumentsCarryTheConfiguredEntriesInGbk) {
  ServerConfig config;
  config.servers = std::vector<ListEntry>{{"主站", 1}, {"b.example:8443", -7}};
  config.proxies = {{"10.0.0.1", 8080}};
  auto router = make_router(config);
  EXPECT_EQ(router.route(Channel::tls, "GET", "/betengine/ServerList.htm", {}).body,
            "\xD6\xF7\xD5\xBE|1\r\nb.example:8443|-7\r\n");
  EXPECT_EQ(router.route(Channel::tls, "GET", "/betengine/ProxyList.htm?x", {}).body, "10.0.0.1|8080\r\n");
}

TEST(Router, EndpointDispatchesOnTheQueryString) {
  auto router = make_router({});
  auto answer = router.route(Channel::tls, "POST", "/betengine/VTServer220.dll?DATA_ACQUIRE",
                             "txtLanguage=1&txtSubjectID=13002");
  EXPECT_EQ(answer.status, 200u);
  EXPECT_EQ(answer.body.substr(0, 2), "1|");
  // A misfiled request is still HTTP 200, so that the client shows the refusal's words.
  auto misfiled = router.route(Channel::tls, "POST", "/betengine/VTServer220.dll?DATA_QUERY",
                               "txtLanguage=1&txtSubjectID=13002");
  EXPECT_EQ(misfiled.status, 200u);
  EXPECT_EQ(misfiled.body.substr(0, 2), "0|");
  EXPECT_EQ(router.route(Channel::tls, "POST", "/betengine/VTServer220.dll", "txtSubjectID=13002")
                .body.substr(0, 2),
            "0|");
}

TEST(Router, UnknownPathsAndWrongMethods) {
  auto router = make_router({});
  const struct {
    std::string_view method, target;
    unsigned status;
  } cases[] = {
      {"GET", "/nowhere", 404},  // "/" is the service's home page
      {"GET", "/betengine/serverlist.htm", 404},
      {"POST", "/betengine/vtserver220.dll?DATA_ACQUIRE", 404},
      {"GET", "/betengine/ServerList.htm/x", 404},
      {"GET", "/betengine/VTServer220.dll?DATA_ACQUIRE", 405},
      {"POST", "/betengine/ServerList.htm", 405},
  };
  for (const auto& c : cases)
    EXPECT_EQ(router.route(Channel::tls, c.method, c.target, {}).status, c.status) << c.target;
  EXPECT_EQ(router.route(Channel::tls, "GET", "/betengine/VTServer220.dll", {}).allow, "POST");
}

TEST(Router, PlainHttpGetsTheListsButNotTheEndpoint) {
  auto router = make_router({});
  for (std::string_view category : {"DATA_ACQUIRE", "DATA_UPDATE", "DATA_TRANS", "DATA_QUERY", ""}) {
    for (std::string_view method : {"POST", "GET"}) {
      const auto answer =
          router.route(Channel::plain, method, "/betengine/VTServer220.dll?" + std::string(category),
                       "txtLanguage=1&txtSubjectID=13002&txtUserName=alice&txtPwd=secret1");
      EXPECT_EQ(answer.status, 403u) << method << " " << category;
      EXPECT_EQ(wire::gbk_to_utf8(answer.body), kHttpsOnlyText);
    }
  }
  EXPECT_EQ(router.route(Channel::plain, "GET", "/betengine/ServerList.htm", {}).body,
            "127.0.0.1:5000|1\r\n");
  EXPECT_EQ(router.route(Channel::plain, "GET", "/betengine/ProxyList.htm", {}).status, 200u);
}

}  // namespace
}  // namespace brindle::server
