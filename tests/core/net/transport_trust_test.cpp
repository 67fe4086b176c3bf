#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/net/curl_transport.h"
#include "core/net/request.h"
#include "core/net/server_keys.h"
#include "core/ports/progress_sink.h"
#include "core/ports/server_key_port.h"
#include "support/scripted_https_server.h"
#include "support/temp_dir.h"

namespace brindle::net {
namespace {

using testing::ScriptedHttpsServer;
using testing::TestCertificate;

class ScriptedKeyPort final : public ports::ServerKeyPort {
 public:
  explicit ScriptedKeyPort(bool answer) : answer_(answer) {}
  bool trust_new_key(const ports::ServerKeyChange& change) override {
    changes.push_back(change);
    return answer_;
  }
  std::vector<ports::ServerKeyChange> changes;

 private:
  bool answer_;
};

// A client of its own kind: a transport over the keys file in `folder`, with the tests' authority in
// place of the system's.
class TrustTest : public ::testing::Test {
 protected:
  TrustTest() { testing::write_file(authorities, authority.certificate_pem); }

  std::shared_ptr<ServerKeys> keys(BuiltInPins built_in = {}) {
    return std::make_shared<ServerKeys>(std::move(built_in), ServerKeys::file_in(folder.path()));
  }

  // A sign-in-like request to `server`: true when it went through.
  bool sign_in(ScriptedHttpsServer& server, std::shared_ptr<ServerKeys> held,
               ports::ServerKeyPort* port = nullptr) {
    CurlTransport transport;
    transport.set_server_keys(std::move(held));
    transport.set_key_port(port);
    return sign_in(server, transport);
  }
  bool sign_in(ScriptedHttpsServer& server, CurlTransport& transport) {
    transport.set_authorities(authorities);
    Request request;
    request.set_subject_id(4001, server.authority());
    request.set_txt_para("1");
    error.clear();
    return request.send(transport, progress, {server.authority(), "player", "secret"}, error);
  }

  std::string keys_file() const { return testing::read_file(ServerKeys::file_in(folder.path())); }

  testing::TempDir folder;
  TestCertificate authority = testing::make_test_authority();
  std::filesystem::path authorities = folder / "authorities.pem";
  ports::SilentProgress progress;
  std::string error;
};

TEST_F(TrustTest, AnAuthorityVouchesOnlyForTheRightNameInDate) {
  ScriptedHttpsServer vouched(testing::make_issued_certificate(authority, {"127.0.0.1", "localhost"}));
  EXPECT_TRUE(sign_in(vouched, keys())) << error;
  EXPECT_EQ(vouched.requests().size(), 1U);
  EXPECT_FALSE(std::filesystem::exists(ServerKeys::file_in(folder.path())));  // nothing to learn

  const std::vector<std::pair<std::string, TestCertificate>> refused = {
      {"证书是颁发给其他服务器的", testing::make_issued_certificate(authority, {"elsewhere.example"})},
      {"证书已过期或尚未生效", testing::make_issued_certificate(authority, {"127.0.0.1"}, -1)},
  };
  for (const auto& [words, certificate] : refused) {
    SCOPED_TRACE(words);
    ScriptedHttpsServer server(certificate);
    // Not even as a key the client already holds: the authority's word on it is the one that counts.
    ASSERT_TRUE(keys()->trust(server.authority(), testing::key_fingerprint_of(certificate)));
    EXPECT_FALSE(sign_in(server, keys()));
    EXPECT_NE(error.find(words), std::string::npos) << error;
    EXPECT_NE(error.find(server.authority()), std::string::npos) << error;
    EXPECT_TRUE(server.requests().empty());
  }
}

TEST_F(TrustTest, AServerOfItsOwnMakingIsLearnedOnFirstUseAndHeldToItsKey) {
  const TestCertificate own = testing::make_self_signed_certificate();
  ScriptedHttpsServer server(own);
  EXPECT_TRUE(sign_in(server, keys())) << error;
  EXPECT_NE(keys_file().find(server.authority() + " " + testing::key_fingerprint_of(own) + "\n"),
            std::string::npos)
      << keys_file();
  // The next run holds it.
  EXPECT_TRUE(sign_in(server, keys())) << error;
  EXPECT_EQ(server.requests().size(), 2U);
}

TEST_F(TrustTest, AChangedKeyIsPutToTheUserBeforeAnyByteOfTheRequestLeaves) {
  const TestCertificate before = testing::make_self_signed_certificate();
  const TestCertificate after = testing::make_self_signed_certificate();
  ScriptedHttpsServer server(after);
  ASSERT_TRUE(keys()->trust(server.authority(), testing::key_fingerprint_of(before)));
  const std::string held = keys_file();

  // No one to ask (the CLI, the upgrader): refused with the whole account.
  EXPECT_FALSE(sign_in(server, keys()));
  for (const auto& part :
       {server.authority(), testing::key_fingerprint_of(before), testing::key_fingerprint_of(after)})
    EXPECT_NE(error.find(part), std::string::npos) << error;

  // Turned down once, not asked again in the same run, however often the sign-in tries the server.
  ScriptedKeyPort declines(false);
  CurlTransport transport;
  transport.set_server_keys(keys());
  transport.set_key_port(&declines);
  EXPECT_FALSE(sign_in(server, transport));
  EXPECT_FALSE(sign_in(server, transport));
  ASSERT_EQ(declines.changes.size(), 1U);
  EXPECT_EQ(declines.changes[0].server, server.authority());
  EXPECT_EQ(declines.changes[0].held, testing::key_fingerprint_of(before));
  EXPECT_EQ(declines.changes[0].presented, testing::key_fingerprint_of(after));
  EXPECT_FALSE(declines.changes[0].built_in);
  EXPECT_NE(error.find("未被信任"), std::string::npos) << error;
  EXPECT_TRUE(server.requests().empty());
  EXPECT_EQ(keys_file(), held);

  // Trusted: the request goes out once, and the new key is the one held from now on.
  ScriptedKeyPort trusts(true);
  EXPECT_TRUE(sign_in(server, keys(), &trusts)) << error;
  EXPECT_EQ(trusts.changes.size(), 1U);
  ASSERT_EQ(server.requests().size(), 1U);
  EXPECT_NE(server.requests()[0].body.find("txtPwd=secret"), std::string::npos);
  ScriptedKeyPort silent(false);
  EXPECT_TRUE(sign_in(server, keys(), &silent)) << error;
  EXPECT_TRUE(silent.changes.empty());
}

TEST_F(TrustTest, ABuiltInKeyIsNeverOverriddenNorLearnedOver) {
  const TestCertificate shipped = testing::make_self_signed_certificate();
  const TestCertificate other = testing::make_self_signed_certificate();
  ScriptedHttpsServer server(other);
  BuiltInPins pins{{server.authority(), testing::key_fingerprint_of(shipped)}};

  ScriptedKeyPort trusts(true);
  EXPECT_FALSE(sign_in(server, keys(pins), &trusts));
  ASSERT_EQ(trusts.changes.size(), 1U);
  EXPECT_TRUE(trusts.changes[0].built_in);
  EXPECT_TRUE(server.requests().empty());
  EXPECT_FALSE(keys(pins)->trust(server.authority(), testing::key_fingerprint_of(other)));
  EXPECT_FALSE(std::filesystem::exists(ServerKeys::file_in(folder.path())));

  ScriptedHttpsServer genuine(shipped);
  pins = {{genuine.authority(), testing::key_fingerprint_of(shipped)}};
  EXPECT_TRUE(sign_in(genuine, keys(pins))) << error;
}

TEST_F(TrustTest, ADamagedKeysFileRefusesEveryServerOfItsOwnMakingAndIsLeftAsItWas) {
  ScriptedHttpsServer server(testing::make_self_signed_certificate());
  const std::string damaged = std::string(kKnownKeysHeader) + "\n" + server.authority() + " not-a-key\n";
  testing::write_file(ServerKeys::file_in(folder.path()), damaged);
  EXPECT_FALSE(sign_in(server, keys()));
  EXPECT_NE(error.find("第 2 行无法识别"), std::string::npos) << error;
  EXPECT_NE(error.find(kKnownKeysFileName), std::string::npos) << error;
  EXPECT_TRUE(server.requests().empty());
  EXPECT_EQ(keys_file(), damaged);
}

}  // namespace
}  // namespace brindle::net
