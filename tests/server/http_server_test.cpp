#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "listener_client.h"
#include "server/http/http_listener.h"
#include "server/http/router.h"
#include "server/http/tls_certificate.h"
#include "server/server.h"
#include "support/temp_dir.h"
#include "support/test_client.h"
#include "wire/gbk.h"

namespace brindle::server {
namespace {

using testing::TestConnection;

constexpr std::string_view kAcquire = "/betengine/VTServer220.dll?DATA_ACQUIRE";
constexpr std::string_view kVersionBody = "txtLanguage=1&txtSubjectID=13002";
constexpr std::string_view kServerList = "/betengine/ServerList.htm";
// Far beyond what a prompt close takes, far below the I/O timeout of the servers that use it.
constexpr std::chrono::seconds kGenerous{30};

class LiveServer : public ::testing::Test {
 protected:
  void SetUp() override { start(); }

  void start(ListenerLimits limits = {}) {
    ServerOptions options;
    options.data_dir = dir.path() / "data";
    options.config.version = 321;
    options.config.login_notice = "ok";
    options.limits = limits;
    auto started = Server::start(std::move(options));
    ASSERT_TRUE(started.ok()) << started.error();
    server = std::move(started).value();
  }

  unsigned short port() const { return server->port(); }
  TestConnection open(bool tls) const {
    return tls ? TestConnection::tls(port()) : TestConnection::plain(port());
  }

  testing::TempDir dir;
  std::unique_ptr<Server> server;
};

TEST_F(LiveServer, AnswersHttpsAndPlainHttpOnOnePort) {
  for (bool tls : {true, false}) {
    auto connection = open(tls);
    auto page = connection.get("/doc/rule.htm");
    EXPECT_EQ(page.status, 200u) << tls;
    EXPECT_EQ(page.content_type, "text/html; charset=GBK");
    EXPECT_NE(wire::gbk_to_utf8(page.body).find("投注规则"), std::string::npos);
  }
  auto reply = open(true).post(kAcquire, kVersionBody);
  EXPECT_EQ(reply.status, 200u);
  EXPECT_EQ(reply.content_type, "text/html; charset=GBK");
  EXPECT_EQ(reply.body, "1|ok|321\r\n");
  EXPECT_EQ(server->url(), "https://127.0.0.1:" + std::to_string(port()));
}

TEST_F(LiveServer, TheEndpointRefusesPlainHttpAndTheConnectionGoesOn) {
  auto connection = open(false);
  auto refused = connection.post("/betengine/VTServer220.dll?DATA_TRANS",
                                 "txtLanguage=1&txtSubjectID=13001&txtUserName=demo_rmb&txtPwd=rmb12345");
  EXPECT_EQ(refused.status, 403u);
  EXPECT_EQ(wire::gbk_to_utf8(refused.body), kHttpsOnlyText);
  EXPECT_TRUE(refused.keep_alive);
  EXPECT_EQ(connection.get(kServerList).status, 200u);
}

TEST_F(LiveServer, CertificateVerifiesAsLocalhostAgainstItself) {
  auto connection = TestConnection::tls(port(), server->certificate().certificate);
  EXPECT_EQ(connection.get("/betengine/ServerList.htm").body,
            "127.0.0.1:" + std::to_string(port()) + "|1\r\n");
}

TEST_F(LiveServer, KeepsTheConnectionAliveBetweenRequests) {
  auto connection = open(true);
  auto first = connection.post(kAcquire, kVersionBody);
  EXPECT_TRUE(first.keep_alive);
  auto second = connection.post(kAcquire, "txtLanguage=1&txtSubjectID=1001");
  EXPECT_EQ(second.body.substr(0, 7), "1|null|");
  EXPECT_EQ(connection.get("/nowhere").status, 404u);
  EXPECT_EQ(connection.post(kAcquire, kVersionBody).body, "1|ok|321\r\n");

  auto plain = open(false);
  auto list = plain.get(kServerList);
  EXPECT_TRUE(list.keep_alive);
  EXPECT_EQ(plain.get("/nowhere").status, 404u);
  EXPECT_EQ(plain.get(kServerList).body, list.body);
}

TEST_F(LiveServer, OversizeBodyIsRefusedWith413) {
  std::string big(70 * 1024, 'x');
  for (bool tls : {true, false}) {
    auto connection = open(tls);
    auto reply = connection.post(kAcquire, big);
    EXPECT_EQ(reply.status, 413u);
    EXPECT_FALSE(reply.keep_alive);
  }
  // Without a length up front the limit still holds.
  auto chunked = TestConnection::plain(port());
  chunked.write_raw(
      "POST /betengine/VTServer220.dll?DATA_ACQUIRE HTTP/1.1\r\nHost: x\r\n"
      "Transfer-Encoding: chunked\r\n\r\n");
  std::string chunk = "8000\r\n" + std::string(0x8000, 'y') + "\r\n";
  for (int i = 0; i < 3; ++i) chunked.write_raw(chunk);
  EXPECT_EQ(chunked.read_response().status, 413u);
}

// A reply that ends the connection ends it at once: over TLS with close_notify and the socket's
// close, not after the client's own close_notify (which a client that stopped reading never sends)
// or the I/O timeout.
TEST(ServerClose, ARefusalOrConnectionCloseEndsTheConnectionAtOnce) {
  testing::TempDir dir;
  ServerOptions options;
  options.data_dir = dir.path();
  options.limits.io_timeout = std::chrono::minutes(10);
  auto server = Server::start(options);
  ASSERT_TRUE(server.ok()) << server.error();
  const unsigned short port = server.value()->port();

  const std::string oversized =
      "POST /betengine/VTServer220.dll?DATA_ACQUIRE HTTP/1.1\r\nHost: x\r\n"
      "Content-Length: 71680\r\n\r\n" +
      std::string(70 * 1024, 'x');
  const std::string closing =
      "GET /betengine/ServerList.htm HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  const struct {
    bool tls;
    const std::string& request;
    std::string_view answer_start;
  } cases[] = {
      {true, oversized, "HTTP/1.1 413"},
      {false, oversized, "HTTP/1.1 413"},
      {true, closing, "HTTP/1.1 200"},
      {false, closing, "HTTP/1.1 200"},
  };
  for (const auto& c : cases) {
    auto connection = c.tls ? TestConnection::tls(port) : TestConnection::plain(port);
    connection.write_raw(c.request);
    auto end = connection.read_to_end(kGenerous);
    EXPECT_TRUE(end.closed) << c.tls << " " << c.answer_start << ": " << end.error;
    EXPECT_TRUE(end.bytes.starts_with(c.answer_start)) << end.bytes.substr(0, 40);
    EXPECT_NE(end.bytes.find("Connection: close"), std::string::npos);
  }
}

TEST_F(LiveServer, ExpectContinueGetsTheGoAheadBeforeTheBody) {
  auto connection = open(true);
  connection.write_raw(
      "POST /betengine/VTServer220.dll?DATA_ACQUIRE HTTP/1.1\r\nHost: x\r\nContent-Length: " +
      std::to_string(kVersionBody.size()) + "\r\nExpect: 100-continue\r\n\r\n");
  EXPECT_EQ(connection.read_response().status, 100u);
  connection.write_raw(kVersionBody);
  EXPECT_EQ(connection.read_response().body, "1|ok|321\r\n");
}

TEST_F(LiveServer, MalformedRequestsAreRefusedAndServingGoesOn) {
  const struct {
    std::string bytes;
    std::string_view answer_start;  // empty: any answer, or none
  } cases[] = {
      {"GARBAGE\r\n\r\n", "HTTP/1.1 400"},
      {"POST /betengine/VTServer220.dll?DATA_ACQUIRE HTTP/1.1\r\nContent-Length: abc\r\n\r\n",
       "HTTP/1.1 400"},
      {"GET / HTTP/1.1\r\nX: " + std::string(20 * 1024, 'h') + "\r\n\r\n", "HTTP/1.1 431"},
      {std::string("\0\0\0\0\r\n\r\n", 8), "HTTP/1.1 400"},
      {std::string("\x16\x03\x01\x00\x05\xFF\xFF\xFF\xFF\xFF", 10), ""},  // a broken TLS hello
  };
  for (const auto& c : cases) {
    auto connection = TestConnection::plain(port());
    connection.write_raw(c.bytes);
    auto answer = connection.read_until_close();
    EXPECT_TRUE(answer.starts_with(c.answer_start)) << answer.substr(0, 40);
  }
  EXPECT_EQ(open(true).post(kAcquire, kVersionBody).body, "1|ok|321\r\n");
}

TEST_F(LiveServer, ServesSeveralClientsAtOnce) {
  std::atomic<int> good{0};
  std::vector<std::thread> clients;
  for (int t = 0; t < 4; ++t) {
    clients.emplace_back([&, t] {
      const bool tls = t % 2 == 1;
      auto connection = open(tls);
      for (int i = 0; i < 25; ++i) {
        if (tls ? connection.post(kAcquire, kVersionBody).body == "1|ok|321\r\n"
                : connection.get(kServerList).status == 200u)
          ++good;
      }
    });
  }
  for (auto& client : clients) client.join();
  EXPECT_EQ(good.load(), 100);
}

TEST_F(LiveServer, RestartReusesTheCertificate) {
  auto cert = brindle::testing::read_file(server->certificate().certificate);
  EXPECT_TRUE(server->certificate().created);
  server.reset();
  start();
  EXPECT_FALSE(server->certificate().created);
  EXPECT_EQ(brindle::testing::read_file(server->certificate().certificate), cert);
}

TEST_F(LiveServer, StopClosesOpenConnections) {
  auto connection = TestConnection::plain(port());
  EXPECT_EQ(connection.get(kServerList).status, 200u);
  server->stop();
  EXPECT_EQ(connection.read_until_close(), "");
}

TEST(ServerStart, RefusesAPortInUseAndAddressesItCannotListenOn) {
  testing::TempDir dir;
  ServerOptions options;
  options.data_dir = dir.path();
  auto first = Server::start(options);
  ASSERT_TRUE(first.ok()) << first.error();

  options.port = first.value()->port();
  auto second = Server::start(options);
  ASSERT_FALSE(second.ok());
  EXPECT_NE(second.error().find("already in use"), std::string::npos) << second.error();

  const struct {
    const char* address;
    std::string_view error_part;
  } cases[] = {
      {"192.0.2.1", "not an address of this machine"},
      {"example.com", "not an IP address"},
      {"", "not an IP address"},
  };
  for (const auto& c : cases) {
    options.address = c.address;
    options.port = 0;
    auto refused = Server::start(options);
    ASSERT_FALSE(refused.ok()) << c.address;
    EXPECT_NE(refused.error().find(c.error_part), std::string::npos) << refused.error();
  }
}

// "0.0.0.0" and "::" share one port: the IPv6 listener takes IPv6 clients only.
TEST(ServerStart, ServesOnWildcardsOfBothFamiliesAtOnce) {
  testing::TempDir dir;
  ServerOptions options;
  options.data_dir = dir.path();
  options.listen = {{"0.0.0.0", 0}};
  auto v4 = Server::start(options);
  ASSERT_TRUE(v4.ok()) << v4.error();
  const unsigned short port = v4.value()->port();
  EXPECT_EQ(v4.value()->url(), "https://0.0.0.0:" + std::to_string(port));
  EXPECT_EQ(probe::ListenerClient("127.0.0.1", port).get(kServerList).status, 200u);
  v4.value()->stop();

  const bool v6 = probe::have_ipv6_loopback();
  options.listen = {{"0.0.0.0", port}};
  if (v6) options.listen.push_back({"::", port});
  auto both = Server::start(options);
  ASSERT_TRUE(both.ok()) << both.error();
  ASSERT_EQ(both.value()->urls().size(), v6 ? 2u : 1u);
  probe::ListenerClient over_v4("127.0.0.1", port);
  EXPECT_FALSE(over_v4.start_tls());
  EXPECT_EQ(over_v4.get(kServerList).status, 200u);
  if (!v6) GTEST_SKIP() << "no IPv6 loopback on this machine";
  EXPECT_EQ(both.value()->urls()[1], "https://[::]:" + std::to_string(port));
  probe::ListenerClient over_v6("::1", port);
  EXPECT_FALSE(over_v6.start_tls());
  EXPECT_EQ(over_v6.get(kServerList).status, 200u);
}

// Any service may stand behind a listener: it hears the channel and the client's address.
class EchoService final : public HttpService {
 public:
  void route_async(Channel channel, std::string_view method, std::string_view target, std::string_view,
                   std::string_view peer, std::function<void(HttpAnswer)> done) const override {
    HttpAnswer answer;
    answer.content_type = "text/plain";
    answer.body = std::string(channel == Channel::tls ? "tls " : "plain ") + std::string(method) + " " +
                  std::string(target) + " from " + std::string(peer);
    done(std::move(answer));
  }
};

TEST(HttpListenerService, ServesAServiceOfItsOwn) {
  testing::TempDir dir;
  auto certificate = ensure_certificate(dir.path());
  ASSERT_TRUE(certificate.ok()) << certificate.error();
  auto listener = HttpListener::bind("127.0.0.1", 0, certificate.value(), {});
  ASSERT_TRUE(listener.ok()) << listener.error();
  listener.value()->start(std::make_shared<const EchoService>());
  const unsigned short port = listener.value()->port();
  EXPECT_EQ(TestConnection::plain(port).get("/healthz").body, "plain GET /healthz from 127.0.0.1");
  EXPECT_EQ(TestConnection::tls(port, {}, "127.0.0.2").post("/x?y", "").body, "tls POST /x?y from 127.0.0.2");
}

// A trusted balancer's PROXY header names the client the service hears of; nobody else's does.
TEST(HttpListenerService, TakesTheClientFromTheHeadersOfTrustedProxiesOnly) {
  testing::TempDir dir;
  auto certificate = ensure_certificate(dir.path());
  ASSERT_TRUE(certificate.ok()) << certificate.error();
  auto listener = HttpListener::bind("127.0.0.1", 0, certificate.value(), {});
  ASSERT_TRUE(listener.ok()) << listener.error();
  listener.value()->trust_proxies({*AddressBlock::parse("127.0.0.1/32")});
  listener.value()->start(std::make_shared<const EchoService>());
  const unsigned short port = listener.value()->port();
  const std::string v1 = "PROXY TCP4 203.0.113.7 127.0.0.1 56324 443\r\n";
  const std::string v2 = std::string("\r\n\r\n\0\r\nQUIT\n\x21\x21\x00\x24", 16) + "\x20\x01\x0d\xb8" +
                         std::string(11, '\0') + "\x01" + std::string(20, '\0');

  probe::ListenerClient plain("127.0.0.1", port, "127.0.0.1");
  plain.write(v1);
  EXPECT_EQ(plain.get("/a").body, "plain GET /a from 203.0.113.7");
  EXPECT_EQ(plain.get("/b").body, "plain GET /b from 203.0.113.7");
  probe::ListenerClient tls("127.0.0.1", port, "127.0.0.1");
  tls.write(v2);
  ASSERT_FALSE(tls.start_tls());
  EXPECT_EQ(tls.get("/c").body, "tls GET /c from 2001:db8::1");

  // From a trusted address a connection without a whole header is closed unanswered.
  for (const char* start : {"GET /d HTTP/1.1\r\nHost: x\r\n\r\n",
                            "PROXY TCP4 203.0.113.7 127.0.0.1 56324\r\nGET /d HTTP/1.1\r\n\r\n"}) {
    probe::ListenerClient headless("127.0.0.1", port, "127.0.0.1");
    headless.write(start);
    EXPECT_EQ(headless.read_until_close(), "") << start;
  }

  // From any other a PROXY line is a bad request and names nobody.
  probe::ListenerClient stranger("127.0.0.1", port, "127.0.0.2");
  stranger.write(v1 + "GET /e HTTP/1.1\r\nHost: x\r\n\r\n");
  auto refused = stranger.read_until_close();
  EXPECT_TRUE(refused.starts_with("HTTP/1.1 400")) << refused;
  EXPECT_EQ(refused.find("203.0.113.7"), std::string::npos);
  EXPECT_EQ(probe::ListenerClient("127.0.0.1", port, "127.0.0.2").get("/f").body,
            "plain GET /f from 127.0.0.2");
}

TEST(ServerStart, DropsAStalledClientAfterTheTimeout) {
  testing::TempDir dir;
  ServerOptions options;
  options.data_dir = dir.path();
  options.limits.io_timeout = std::chrono::milliseconds(200);
  auto server = Server::start(options);
  ASSERT_TRUE(server.ok()) << server.error();

  auto silent = TestConnection::plain(server.value()->port());
  auto half_sent = TestConnection::plain(server.value()->port());
  half_sent.write_raw("POST /betengine/VTServer220.dll?DATA_ACQUIRE HTTP/1.1\r\nHost: x\r\n");
  // Each read returns only because the server hung up; a missing timeout would block here.
  EXPECT_EQ(silent.read_until_close(), "");
  EXPECT_EQ(half_sent.read_until_close(), "");
}

}  // namespace
}  // namespace brindle::server
