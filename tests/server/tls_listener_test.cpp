#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "listener_client.h"
#include "server/http/tls_certificate.h"
#include "server/server.h"
#include "support/temp_dir.h"

namespace brindle::server {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kServerList = "/betengine/ServerList.htm";

// Two certificate pairs to swap between, and the operator's files the server is given.
class OperatorCertificate : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ensure_certificate(first_.path()).ok());
    ASSERT_TRUE(ensure_certificate(second_.path()).ok());
    fs::create_directory(dir_ / "tls");
    install(first_ / "cert.pem", first_ / "key.pem");
  }

  // As an operator renews: the new file written beside the old and renamed over it.
  void install(const fs::path& cert, const fs::path& key) {
    for (const auto& [from, to] : {std::pair{cert, cert_file()}, std::pair{key, key_file()}}) {
      fs::copy_file(from, dir_ / "tls" / "new.pem", fs::copy_options::overwrite_existing);
      fs::rename(dir_ / "tls" / "new.pem", to);
    }
  }

  Result<std::unique_ptr<Server>> start() {
    ServerOptions options;
    options.data_dir = dir_ / "data";
    options.config.certificate = cert_file();
    options.config.private_key = key_file();
    return Server::start(std::move(options));
  }

  std::string presented(unsigned short port) {
    probe::ListenerClient client("127.0.0.1", port);
    auto failed = client.start_tls();
    return failed ? "handshake failed: " + *failed : client.certificate_fingerprint();
  }

  fs::path cert_file() const { return dir_ / "tls" / "cert.pem"; }
  fs::path key_file() const { return dir_ / "tls" / "key.pem"; }
  std::string first() const { return probe::file_fingerprint(first_ / "cert.pem"); }
  std::string second() const { return probe::file_fingerprint(second_ / "cert.pem"); }

  testing::TempDir dir_, first_, second_;
};

TEST_F(OperatorCertificate, AReloadUnderLoadDropsNoRequestAndNewConnectionsGetTheNewCertificate) {
  auto server = start();
  ASSERT_TRUE(server.ok()) << server.error();
  EXPECT_FALSE(server.value()->certificate().self_made);
  const unsigned short port = server.value()->port();
  ASSERT_EQ(presented(port), first());
  EXPECT_EQ(server.value()->key_fingerprint().value(), key_fingerprint(first_ / "cert.pem").value());

  constexpr int kClients = 4;
  constexpr int kAfterReload = 20;  // requests each kept-alive connection makes after the reload
  constexpr int kMostRequests = 3000;
  std::atomic<int> served{0}, failures{0}, kept_alive_to_the_end{0};
  std::atomic<bool> reloaded{false};
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&] {
      try {
        probe::ListenerClient kept("127.0.0.1", port);
        if (kept.start_tls()) return ++failures, void();
        int after = 0;
        for (int i = 0; i < kMostRequests && after < kAfterReload; ++i) {
          const bool late = reloaded.load();
          if (kept.get(kServerList).status != 200u) ++failures;
          ++served;
          if (late) ++after;
          // And now and then a new connection, which handshakes with whichever context is current.
          if (i % 10 == 0) {
            probe::ListenerClient fresh("127.0.0.1", port);
            if (fresh.start_tls() || fresh.get(kServerList).status != 200u) ++failures;
          }
        }
        if (after == kAfterReload) ++kept_alive_to_the_end;
      } catch (const std::exception&) {
        ++failures;
      }
    });
  }
  while (served.load() < 40 && failures.load() == 0) std::this_thread::yield();
  install(second_ / "cert.pem", second_ / "key.pem");
  auto reload = server.value()->reload_certificate();
  reloaded = true;
  for (auto& client : clients) client.join();

  ASSERT_TRUE(reload.ok()) << reload.error();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(kept_alive_to_the_end.load(), kClients);
  EXPECT_EQ(presented(port), second());
  EXPECT_EQ(server.value()->key_fingerprint().value(), key_fingerprint(second_ / "cert.pem").value());
  // The operator's files are served as they are, never rewritten.
  EXPECT_EQ(testing::read_file(cert_file()), testing::read_file(second_ / "cert.pem"));
}

TEST_F(OperatorCertificate, AKeyOfAnotherCertificateOrReadableByOthersIsRefusedAndTheOldOneStays) {
  install(first_ / "cert.pem", second_ / "key.pem");
  auto mismatched = start();
  ASSERT_FALSE(mismatched.ok());
  EXPECT_NE(mismatched.error().find("do not belong together"), std::string::npos) << mismatched.error();

  install(first_ / "cert.pem", first_ / "key.pem");
  auto server = start();
  ASSERT_TRUE(server.ok()) << server.error();
  const unsigned short port = server.value()->port();

  install(second_ / "cert.pem", first_ / "key.pem");
  auto refused = server.value()->reload_certificate();
  ASSERT_FALSE(refused.ok());
  EXPECT_NE(refused.error().find("do not belong together"), std::string::npos) << refused.error();
  EXPECT_EQ(presented(port), first());

  install(second_ / "cert.pem", second_ / "key.pem");
  fs::permissions(key_file(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                  fs::perms::others_read);
  const std::string reason =
      "the private key " + key_file().string() + " is readable by other users (mode 0644); chmod 600 it";
  refused = server.value()->reload_certificate();
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error(), reason);
  EXPECT_EQ(presented(port), first());
  server.value()->stop();
  auto readable = start();
  ASSERT_FALSE(readable.ok());
  EXPECT_EQ(readable.error(), reason);

  fs::permissions(key_file(), fs::perms::owner_read | fs::perms::group_write);
  readable = start();
  ASSERT_FALSE(readable.ok());
  EXPECT_NE(readable.error().find("is writable by other users (mode 0420)"), std::string::npos)
      << readable.error();
}

TEST_F(OperatorCertificate, AnswersOverTlsAskBrowsersForTlsOnlyAndPlainOnesDoNot) {
  auto server = start();
  ASSERT_TRUE(server.ok()) << server.error();
  const unsigned short port = server.value()->port();
  probe::ListenerClient tls("127.0.0.1", port);
  ASSERT_FALSE(tls.start_tls());
  for (std::string_view target :
       {std::string_view("/doc/rule.htm"), kServerList, std::string_view("/nowhere")}) {
    EXPECT_EQ(tls.get(target).headers["Strict-Transport-Security"], "max-age=31536000") << target;
    EXPECT_FALSE(
        probe::ListenerClient("127.0.0.1", port).get(target).headers.contains("Strict-Transport-Security"))
        << target;
  }

  // Not with the self-made certificate, which no browser can check: one that had been told to come
  // over TLS only would then refuse the page outright.
  testing::TempDir own;
  ServerOptions options;
  options.data_dir = own.path();
  auto self_made = Server::start(std::move(options));
  ASSERT_TRUE(self_made.ok()) << self_made.error();
  probe::ListenerClient to_self_made("127.0.0.1", self_made.value()->port());
  ASSERT_FALSE(to_self_made.start_tls());
  EXPECT_FALSE(to_self_made.get("/doc/rule.htm").headers.contains("Strict-Transport-Security"));
}

TEST(TlsPolicy, TlsTwelveAgreesOnlyForwardSecretAeadSuitesInTheServersOrder) {
  testing::TempDir dir;
  ServerOptions options;
  options.data_dir = dir.path();
  auto server = Server::start(options);
  ASSERT_TRUE(server.ok()) << server.error();
  const unsigned short port = server.value()->port();

  for (const char* refused :
       {"ECDHE-ECDSA-AES128-SHA", "ECDHE-ECDSA-AES256-SHA384", "ECDHE-ECDSA-AES128-SHA256"}) {
    probe::ListenerClient client("127.0.0.1", port);
    EXPECT_TRUE(client.start_tls({refused, true})) << refused << " was agreed";
  }
  // The client prefers ChaCha20 and CBC; the server's order decides.
  probe::ListenerClient tls12("127.0.0.1", port);
  ASSERT_FALSE(tls12.start_tls(
      {"ECDHE-ECDSA-AES128-SHA:ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-ECDSA-AES128-GCM-SHA256", true}));
  EXPECT_EQ(tls12.cipher(), "ECDHE-ECDSA-AES128-GCM-SHA256");
  EXPECT_EQ(tls12.get(kServerList).status, 200u);

  probe::ListenerClient tls13("127.0.0.1", port);
  ASSERT_FALSE(tls13.start_tls());
  EXPECT_TRUE(tls13.cipher().starts_with("TLS_")) << tls13.cipher();
}

}  // namespace
}  // namespace brindle::server
