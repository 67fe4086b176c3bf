#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/net/curl_transport.h"
#include "core/net/request.h"
#include "core/net/request_gate.h"
#include "core/ports/log_sink.h"
#include "core/ports/progress_sink.h"
#include "support/scripted_https_server.h"

namespace brindle::net {
namespace {

using namespace std::chrono_literals;
using testing::ScriptedHttpsServer;
using testing::ScriptedReply;

constexpr char kBadStatus[] = "网络错误，请检查您选择的服务器是否正确！\n";
constexpr char kNoInternet[] = "网络错误，请检查您的Internet连接是否正常！";
constexpr char kNotHttps[] = "Error: can only use URLs beginning with http://";
constexpr int kQuerySubject = 4001;

struct Outcome {
  bool ok = false;
  std::string error;
  std::vector<std::string> lines;
};

// Everything the transport told its Progress window, in order.
class RecordingProgress : public ports::ProgressSink {
 public:
  void begin() override { events.push_back("begin"); }
  void show_text(const std::string& text) override { events.push_back("show " + text); }
  void pump() override { ++pumps; }
  void end() override { events.push_back("end"); }
  std::vector<std::string> events;
  int pumps = 0;
};

// Everything the transport wrote to its log.
class RecordingLog final : public ports::LogSink {
 public:
  void warn(std::string_view text) override { lines.emplace_back(text); }
  bool has(std::string_view part) const {
    for (const auto& line : lines) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  }
  std::vector<std::string> lines;
};

class TransportTest : public ::testing::Test {
 protected:
  TransportTest() { transport.set_log_sink(&log); }

  RequestContext context() const { return {server.authority(), user_name, password}; }

  Outcome send(Request& request, bool no_body = false) {
    Outcome outcome;
    outcome.ok = request.send(transport, *progress, context(), outcome.error, no_body);
    std::string line;
    while (request.read_line(line, 4096)) outcome.lines.push_back(line);
    return outcome;
  }
  Outcome query(bool wording = false) {
    Request request(wording);
    request.set_subject_id(kQuerySubject, server.authority());
    request.set_txt_para("1");
    return send(request);
  }
  Outcome fetch(const std::string& url, bool wording = false) {
    Request request(wording);
    request.set_url(url);
    return send(request, true);
  }

  ScriptedHttpsServer server;
  RecordingLog log;
  CurlTransport transport;
  ports::SilentProgress silent;
  ports::ProgressSink* progress = &silent;
  std::string user_name = "player";
  std::string password = "secret";
};

std::uint16_t closed_port() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(fd);
  return ntohs(address.sin_port);
}

// --- What goes out -------------------------------------------------------------------------

TEST_F(TransportTest, PostsTheBodyByteForByteWithoutEscaping) {
  user_name = "a&b=c";
  password = "p=q&r";
  Request request;
  request.set_subject_id(kQuerySubject, server.authority());
  request.set_txt_para("x=1&y=2|中文");
  ASSERT_TRUE(send(request).ok);

  const auto received = server.requests();
  ASSERT_EQ(received.size(), 1U);
  EXPECT_EQ(received[0].method, "POST");
  EXPECT_EQ(received[0].target, "/betengine/VTServer220.dll?DATA_QUERY");
  EXPECT_EQ(received[0].body, request.body(context()));
  EXPECT_NE(received[0].body.find("txtUserName=a&b=c&txtPwd=p=q&r&txtPara=x=1&y=2|"), std::string::npos);
  EXPECT_EQ(received[0].header("user-agent"), "hbc");
  EXPECT_EQ(received[0].header("content-type"), "application/x-www-form-urlencoded");
}

TEST_F(TransportTest, NoBodyIsAPlainGet) {
  ASSERT_TRUE(fetch(server.url("/betengine/ServerList.htm")).ok);
  const auto received = server.requests();
  ASSERT_EQ(received.size(), 1U);
  EXPECT_EQ(received[0].method, "GET");
  EXPECT_EQ(received[0].target, "/betengine/ServerList.htm");
  EXPECT_TRUE(received[0].body.empty());
  EXPECT_TRUE(received[0].header("content-length").empty());
}

TEST_F(TransportTest, OnlyHttpsAddressesAreUsed) {
  ScriptedHttpsServer plain(ScriptedHttpsServer::Mode::http);
  for (const std::string& url : {plain.url("/betengine/x"), std::string("ftp://127.0.0.1/x"),
                                 std::string("not an address"), std::string("https://")}) {
    SCOPED_TRACE(url);
    const Outcome outcome = fetch(url);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, kNotHttps);
  }
  EXPECT_TRUE(plain.requests().empty());
  EXPECT_EQ(plain.connections_accepted(), 0);
}

// --- Certificates ----------------------------------------------------------------------------

TEST(TransportCertificates, AcceptsUnknownAuthorityWrongNameAndLapsedDate) {
  const std::vector<std::pair<const char*, testing::TestCertificate>> certificates = {
      {"self-signed", testing::make_self_signed_certificate()},
      {"other name", testing::make_self_signed_certificate("elsewhere.example")},
      {"expired", testing::make_expired_certificate()},
  };
  for (const auto& [name, certificate] : certificates) {
    SCOPED_TRACE(name);
    ScriptedHttpsServer server(certificate);
    CurlTransport transport;
    ports::SilentProgress progress;
    Request request;
    request.set_url(server.url("/ok"));
    std::string error;
    EXPECT_TRUE(request.send(transport, progress, {}, error, true)) << error;
  }
}

// --- What comes back -----------------------------------------------------------------------

TEST_F(TransportTest, StatusOtherThan200GivesTheServerTextAndNoLines) {
  for (const int status : {404, 500, 302, 204}) {
    SCOPED_TRACE(status);
    server.queue({.status = status, .body = "1|should not be seen"});
    const Outcome outcome = query();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, kBadStatus);
    EXPECT_TRUE(outcome.lines.empty());
    EXPECT_TRUE(log.has("the server answered with HTTP status " + std::to_string(status)));
  }
}

TEST_F(TransportTest, LinesAreTrimmedAndBlankOnesDropped) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"1|ok\r\n\r\n  \r\n", {"1|ok"}},
      {"  1|ok \t\n\n2|x", {"1|ok", "2|x"}},
      {"\r\r\n1|a\r2|b\n", {"1|a", "2|b"}},
      {"", {}},
  };
  for (const auto& [body, expected] : cases) {
    SCOPED_TRACE(body);
    server.queue({.body = body});
    const Outcome outcome = query();
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.lines, expected);
  }
}

TEST_F(TransportTest, OverlongLineArrivesInPiecesCutBetweenCharacters) {
  std::string line;
  while (line.size() < 10'000) line += "\xB0\xA1";  // 啊: every piece boundary falls on an odd offset
  server.queue({.body = "1|ok\r\n" + line + "\r\n", .chunk_size = 1500});
  const Outcome outcome = query();
  ASSERT_TRUE(outcome.ok) << outcome.error;
  ASSERT_GE(outcome.lines.size(), 4U);
  EXPECT_EQ(outcome.lines[0], "1|ok");
  std::string joined;
  for (std::size_t i = 1; i < outcome.lines.size(); ++i) {
    EXPECT_LE(outcome.lines[i].size(), 4095U);
    EXPECT_EQ(outcome.lines[i].size() % 2, 0U) << "piece " << i << " splits a character";
    joined += outcome.lines[i];
  }
  EXPECT_EQ(joined, line);
  EXPECT_EQ(log.lines.size(), 1U);
  EXPECT_TRUE(log.has(": 1 reply line(s) longer than 4095 bytes arrived in pieces")) << log.lines.at(0);
}

// Bytes that are not GBK read as U+FFFD: the text differs from what the server meant, so say so.
TEST_F(TransportTest, ReplyWithBytesThatAreNotGbkIsKeptAsItCameAndLogged) {
  server.queue({.body = "1|ok\r\n\xB0\xA1|fine\r\n"});
  ASSERT_TRUE(query().ok);
  EXPECT_TRUE(log.lines.empty());

  server.queue({.body = "1|ok\r\n\xB0\xA1|fine\r\n7|\xFF\xFEx|\x81\r\n8|\xFF\r\n"});
  const Outcome outcome = query();
  ASSERT_TRUE(outcome.ok) << outcome.error;
  EXPECT_EQ(outcome.lines.at(2), "7|\xFF\xFEx|\x81");
  ASSERT_EQ(log.lines.size(), 1U);
  EXPECT_EQ(log.lines[0], "reply to SubjectID 4001 from https://" + server.authority() +
                              "/betengine/VTServer220.dll?DATA_QUERY: 2 line(s) hold bytes that are not GBK "
                              "(first: line 3); they read as U+FFFD");
}

TEST_F(TransportTest, ReplyThatKeepsArrivingIsNotCutOffByTheTimeOut) {
  transport.set_timeouts(400ms, 400ms);
  // Eight chunks 150 ms apart take longer than the time-out, but data never stops for that long.
  server.queue({.body = "1|0123456789abcdef0123456789abcdef\r\n2|0123456789abcdef0123456789abcdef\r\n",
                .delay = 200ms,
                .chunk_size = 9,
                .chunk_delay = 150ms});
  const Outcome outcome = query();
  ASSERT_TRUE(outcome.ok) << outcome.error;
  EXPECT_EQ(outcome.lines.size(), 2U);
}

TEST_F(TransportTest, StalledReplyTimesOutAndIsNotSentAgain) {
  transport.set_timeouts(300ms, 300ms);
  server.queue({.delay = 2000ms});
  const Outcome outcome = query();
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.error, "操作超时，服务器没有响应。");
  EXPECT_TRUE(log.has(std::string(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT)) +
                      ": nothing arrived from the server for 300 ms"));
  EXPECT_EQ(server.requests().size(), 1U);
}

// --- Failures and the single resend ----------------------------------------------------------

// The user reads the client's Chinese; libcurl's own account goes to the log with the address.
TEST_F(TransportTest, RefusedConnectionGivesTheChineseTextAndLogsLibcurlsWords) {
  const std::string url = "https://127.0.0.1:" + std::to_string(closed_port()) + "/x";
  Request request;
  request.set_url(url);
  const Outcome outcome = send(request, true);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.error, "无法与服务器建立连接。");
  ASSERT_FALSE(log.lines.empty());  // one line per attempt: a connection never made is tried twice
  for (const auto& line : log.lines) {
    EXPECT_EQ(line.rfind(url + ": " + curl_easy_strerror(CURLE_COULDNT_CONNECT) + ": ", 0), 0U) << line;
  }
}

TEST_F(TransportTest, UnknownHostWordingDependsOnTheFlag) {
  const std::string url = "https://nonexistent.invalid/betengine/VTServer220.dll?DATA_ACQUIRE";
  const Outcome worded = fetch(url, true);
  EXPECT_FALSE(worded.ok);
  EXPECT_EQ(worded.error, kNoInternet);

  const Outcome plain = fetch(url, false);
  EXPECT_FALSE(plain.ok);
  EXPECT_EQ(plain.error, "无法解析服务器的名称或地址。");
  EXPECT_EQ(log.lines.size(), 2U);
  EXPECT_TRUE(log.has(curl_easy_strerror(CURLE_COULDNT_RESOLVE_HOST)));
}

TEST_F(TransportTest, ConnectionDroppedAfterTheRequestIsNotSentAgain) {
  server.queue({.drop = ScriptedReply::Drop::after_reading});
  EXPECT_FALSE(query().ok);
  EXPECT_EQ(server.requests().size(), 1U);
  EXPECT_EQ(server.connections_accepted(), 1);
}

TEST_F(TransportTest, KeptAliveConnectionDroppedAfterTheRequestIsNotSentAgain) {
  server.queue({});
  server.queue({.drop = ScriptedReply::Drop::after_reading});
  ASSERT_TRUE(query().ok);
  const Outcome second = query();
  EXPECT_FALSE(second.ok);
  EXPECT_FALSE(second.error.empty());
  const auto received = server.requests();
  ASSERT_EQ(received.size(), 2U);
  EXPECT_EQ(received[1].connection, 1);
}

TEST_F(TransportTest, KeptAliveConnectionClosedUnderTheRequestIsNotSentAgain) {
  server.queue({});
  server.queue({.drop = ScriptedReply::Drop::before_reading});
  ASSERT_TRUE(query().ok);
  EXPECT_FALSE(query().ok);
  EXPECT_EQ(server.requests().size(), 1U);
}

TEST_F(TransportTest, FailedTlsSetUpIsTriedOnceMore) {
  server.queue({.drop = ScriptedReply::Drop::before_reading});
  const Outcome outcome = query();
  ASSERT_TRUE(outcome.ok) << outcome.error;
  EXPECT_EQ(server.requests().size(), 1U);
  EXPECT_EQ(server.connections_accepted(), 2);
}

TEST_F(TransportTest, SecondFailedTlsSetUpIsFinal) {
  server.queue({.drop = ScriptedReply::Drop::before_reading});
  server.queue({.drop = ScriptedReply::Drop::before_reading});
  const Outcome outcome = query();
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.error, "无法与服务器建立安全连接。");
  EXPECT_TRUE(log.has(curl_easy_strerror(CURLE_SSL_CONNECT_ERROR)));
  EXPECT_TRUE(server.requests().empty());
  EXPECT_EQ(server.connections_accepted(), 2);
}

// --- Keep-alive and proxies ------------------------------------------------------------------

TEST_F(TransportTest, ConsecutiveRequestsShareOneConnection) {
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(query().ok);
  EXPECT_EQ(server.connections_accepted(), 1);
  for (const auto& request : server.requests()) EXPECT_EQ(request.connection, 1);
}

TEST_F(TransportTest, ServerClosingAfterTheReplyCostsOnlyANewConnection) {
  server.queue({.keep_alive = false});
  ASSERT_TRUE(query().ok);
  ASSERT_TRUE(query().ok);
  EXPECT_EQ(server.requests().size(), 2U);
  EXPECT_EQ(server.connections_accepted(), 2);
}

TEST_F(TransportTest, NamedProxyIsUsedForThatExchangeOnly) {
  ScriptedHttpsServer proxy(ScriptedHttpsServer::Mode::http);
  proxy.set_default({.body = "1|through the proxy"});
  HttpExchange exchange;
  exchange.url = "https://nonexistent.invalid:8443/betengine/VTServer220.dll?DATA_TRANS";
  exchange.has_body = true;
  exchange.body = "txtLanguage=1";
  exchange.use_proxy = true;
  exchange.proxy = proxy.authority();

  auto through = transport.exchange(exchange, silent);
  ASSERT_TRUE(through.ok()) << through.error();
  EXPECT_EQ(through.value(), std::vector<std::string>{"1|through the proxy"});
  const auto seen = proxy.requests();
  ASSERT_EQ(seen.size(), 2U);
  EXPECT_EQ(seen[0].method, "CONNECT");
  EXPECT_EQ(seen[0].target, "nonexistent.invalid:8443");
  EXPECT_EQ(seen[1].body, "txtLanguage=1");

  // Without the flag the system's configuration applies again: here, no proxy at all.
  exchange.use_proxy = false;
  auto direct = transport.exchange(exchange, silent);
  EXPECT_FALSE(direct.ok());
  EXPECT_EQ(proxy.requests().size(), 2U);
}

// --- Progress window and the request gate ----------------------------------------------------

TEST_F(TransportTest, ProgressTextsComeInOrderAndEveryBeginHasItsEnd) {
  RecordingProgress recording;
  progress = &recording;
  server.queue({.body = "1|a\r\n2|b\r\n"});
  Request request;
  request.set_subject_id(kQuerySubject, server.authority());
  request.set_progress_texts("connecting", "sending", "reading");
  ASSERT_TRUE(send(request).ok);
  EXPECT_EQ(recording.events,
            (std::vector<std::string>{"begin", "show connecting", "show sending", "show reading",
                                      "show reading", "show reading", "end"}));

  recording.events.clear();
  request.set_url("https://127.0.0.1:" + std::to_string(closed_port()) + "/x");
  EXPECT_FALSE(send(request).ok);
  EXPECT_EQ(recording.events, (std::vector<std::string>{"begin", "show connecting", "end"}));

  recording.events.clear();
  request.set_url("http://127.0.0.1/x");
  EXPECT_FALSE(send(request).ok);
  EXPECT_EQ(recording.events.back(), "end");
}

TEST_F(TransportTest, WaitingPumpsTheProgressWindow) {
  RecordingProgress recording;
  progress = &recording;
  server.queue({.delay = 400ms});
  ASSERT_TRUE(query().ok);
  EXPECT_GE(recording.pumps, 2);
}

// A timer that fires while the Progress window pumps and tries a Request of its own.
class ReentrantProgress final : public ports::ProgressSink {
 public:
  ReentrantProgress(Transport& transport, std::string url) : transport_(transport), url_(std::move(url)) {}
  void begin() override { ++begins; }
  void show_text(const std::string&) override {}
  void pump() override {
    if (nested_error) return;
    ports::SilentProgress inner;
    HttpExchange exchange;
    exchange.url = url_;
    auto result = transport_.exchange(exchange, inner);
    nested_error = result ? "accepted" : result.error();
  }
  void end() override { ++ends; }
  std::optional<std::string> nested_error;
  int begins = 0;
  int ends = 0;

 private:
  Transport& transport_;
  std::string url_;
};

TEST_F(TransportTest, GateRefusesAnExchangeStartedWhileOneIsInFlight) {
  ReentrantProgress reentrant(transport, server.url("/nested"));
  progress = &reentrant;
  server.queue({.delay = 300ms});
  EXPECT_FALSE(RequestGate::in_flight());
  ASSERT_TRUE(query().ok);
  ASSERT_TRUE(reentrant.nested_error.has_value());
  EXPECT_EQ(*reentrant.nested_error, kRequestInFlightText);
  EXPECT_EQ(server.requests().size(), 1U);
  EXPECT_EQ(reentrant.begins, 1);
  EXPECT_EQ(reentrant.ends, 1);

  // The gate opens again afterwards, on every path.
  EXPECT_FALSE(RequestGate::in_flight());
  progress = &silent;
  EXPECT_FALSE(fetch("http://127.0.0.1/x").ok);
  EXPECT_TRUE(query().ok);
}

class ThrowingProgress final : public ports::ProgressSink {
 public:
  void begin() override {}
  void show_text(const std::string& text) override {
    if (text == "reading") throw std::runtime_error("window gone");
  }
  void pump() override {}
  void end() override { ++ends; }
  int ends = 0;
};

TEST_F(TransportTest, FailingProgressWindowEndsTheExchangeWithAnError) {
  ThrowingProgress throwing;
  progress = &throwing;
  Request request;
  request.set_subject_id(kQuerySubject, server.authority());
  request.set_progress_texts("connecting", "sending", "reading");
  const Outcome outcome = send(request);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.error, "操作已取消。");
  EXPECT_TRUE(log.has(": window gone"));
  EXPECT_EQ(throwing.ends, 1);
  EXPECT_FALSE(RequestGate::in_flight());
  progress = &silent;
  EXPECT_TRUE(query().ok);
}

}  // namespace
}  // namespace brindle::net
