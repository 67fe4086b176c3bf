#include "server/http/tls_certificate.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <filesystem>
#include <memory>

#include "support/temp_dir.h"

namespace brindle::server {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<X509, decltype(&X509_free)> read_certificate(const fs::path& file) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_file(file.c_str(), "r"), BIO_free);
  return {bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr, X509_free};
}

TEST(TlsCertificate, MadeOnceWithAPrivateKeyAndReused) {
  testing::TempDir dir;
  auto first = ensure_certificate(dir.path());
  ASSERT_TRUE(first.ok()) << first.error();
  EXPECT_TRUE(first->created);
  auto key_mode = fs::status(first->private_key).permissions();
  EXPECT_EQ(key_mode & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  auto cert_bytes = testing::read_file(first->certificate);
  auto key_bytes = testing::read_file(first->private_key);

  auto second = ensure_certificate(dir.path());
  ASSERT_TRUE(second.ok()) << second.error();
  EXPECT_FALSE(second->created);
  EXPECT_EQ(testing::read_file(second->certificate), cert_bytes);
  EXPECT_EQ(testing::read_file(second->private_key), key_bytes);
  EXPECT_FALSE(fs::exists(dir / "key.pem.tmp"));
}

std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> read_key(const fs::path& file) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_file(file.c_str(), "r"), BIO_free);
  return {bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr, EVP_PKEY_free};
}

// Whole days from now to the certificate's end.
int days_left(const fs::path& file) {
  auto cert = read_certificate(file);
  int days = 0, seconds = 0;
  ASN1_TIME_diff(&days, &seconds, nullptr, X509_get0_notAfter(cert.get()));
  return days;
}

// The data folder's certificate again, ending `days` from now and signed by `signer`.
void reissue(const fs::path& dir, int days, EVP_PKEY* signer) {
  auto cert = read_certificate(dir / "cert.pem");
  ASSERT_TRUE(X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * 24L * 3600));
  ASSERT_GT(X509_sign(cert.get(), signer, EVP_sha256()), 0);
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_file((dir / "cert.pem").c_str(), "w"), BIO_free);
  ASSERT_EQ(PEM_write_bio_X509(bio.get(), cert.get()), 1);
}

TEST(TlsCertificate, ValidForAYearAndRenewedForTheSameKeyInItsLastMonth) {
  testing::TempDir dir;
  ASSERT_TRUE(ensure_certificate(dir.path()).ok());
  EXPECT_NEAR(days_left(dir / "cert.pem"), 365, 1);
  auto key = read_key(dir / "key.pem");
  const auto key_bytes = testing::read_file(dir / "key.pem");

  const struct {
    int days;
    bool renewed;
  } cases[] = {{40, false}, {29, true}, {-1, true}};
  for (const auto& c : cases) {
    reissue(dir.path(), c.days, key.get());
    const auto before = testing::read_file(dir / "cert.pem");
    auto files = ensure_certificate(dir.path());
    ASSERT_TRUE(files.ok()) << files.error();
    EXPECT_EQ(files->renewed, c.renewed) << c.days;
    EXPECT_NEAR(days_left(dir / "cert.pem"), c.renewed ? 365 : c.days, 1) << c.days;
    EXPECT_EQ(testing::read_file(dir / "cert.pem") == before, !c.renewed) << c.days;
    EXPECT_EQ(EVP_PKEY_eq(X509_get0_pubkey(read_certificate(dir / "cert.pem").get()), key.get()), 1);
    EXPECT_EQ(testing::read_file(dir / "key.pem"), key_bytes);
    EXPECT_EQ(fs::status(dir / "cert.pem").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(dir / "cert.pem.tmp"));
  }

  // A certificate another key issued for this one is not the server's to remake.
  testing::TempDir other;
  ASSERT_TRUE(ensure_certificate(other.path()).ok());
  reissue(dir.path(), 5, read_key(other / "key.pem").get());
  const auto issued = testing::read_file(dir / "cert.pem");
  auto files = ensure_certificate(dir.path());
  ASSERT_TRUE(files.ok()) << files.error();
  EXPECT_FALSE(files->renewed);
  EXPECT_EQ(testing::read_file(dir / "cert.pem"), issued);
}

// Made with the openssl tool; its pin as the tool has it:
//   openssl x509 -pubkey -noout | openssl pkey -pubin -outform der | openssl dgst -sha256 -binary | base64
constexpr char kToolsCertificate[] =
    "-----BEGIN CERTIFICATE-----\n"
    "MIIBiTCCAS+gAwIBAgIUUcl1EVv3YrW9I7fA9gfXyJYR9AYwCgYIKoZIzj0EAwIw\n"
    "GTEXMBUGA1UEAwwOcGlubmVkLmV4YW1wbGUwIBcNMjYxMjA5MDk0ODU0WhgPMjEy\n"
    "NjExMTUwOTQ4NTRaMBkxFzAVBgNVBAMMDnBpbm5lZC5leGFtcGxlMFkwEwYHKoZI\n"
    "zj0CAQYIKoZIzj0DAQcDQgAEfAI8DpmyaCz4T+i2XdezddAZNwQFjuLWY4WzpU+x\n"
    "OVn4emYMS45Hb68wKxnop6jzeeBWTWN1YTxHBOgpD2y1ZaNTMFEwHQYDVR0OBBYE\n"
    "FI61rSgjqtO09fFONFrwgxXgko3YMB8GA1UdIwQYMBaAFI61rSgjqtO09fFONFrw\n"
    "gxXgko3YMA8GA1UdEwEB/wQFMAMBAf8wCgYIKoZIzj0EAwIDSAAwRQIhAM+jIhLJ\n"
    "YI8jicyt7Qzr1PW0ceJjHrCNJVS+gLdPwE+YAiB4ftxPd4V9dw8OEaqUigvig1f6\n"
    "saTM/pdQsx75QWST1A==\n"
    "-----END CERTIFICATE-----\n";
constexpr char kToolsPin[] = "S1PsTufjPRFU6QzbZ8GJYI2ovQIyz00Ca/d04J2F2yw=";

TEST(KeyFingerprint, IsThePinOfTheFirstCertificatesKeyAndOutlivesARenewal) {
  testing::TempDir dir;
  ASSERT_TRUE(ensure_certificate(dir.path()).ok());
  testing::write_file(dir / "chain.pem",
                      std::string(kToolsCertificate) + testing::read_file(dir / "cert.pem"));
  auto tools = key_fingerprint(dir / "chain.pem");
  ASSERT_TRUE(tools.ok()) << tools.error();
  EXPECT_EQ(tools.value(), kToolsPin);

  auto own = key_fingerprint(dir / "cert.pem");
  ASSERT_TRUE(own.ok()) << own.error();
  EXPECT_EQ(own->size(), 44u);
  reissue(dir.path(), 5, read_key(dir / "key.pem").get());
  const auto lapsing = testing::read_file(dir / "cert.pem");
  auto renewed = ensure_certificate(dir.path());
  ASSERT_TRUE(renewed.ok()) << renewed.error();
  ASSERT_TRUE(renewed->renewed);
  ASSERT_NE(testing::read_file(dir / "cert.pem"), lapsing);
  EXPECT_EQ(key_fingerprint(dir / "cert.pem").value(), own.value());
}

TEST(TlsCertificate, NamesLocalhostAndLoopback) {
  testing::TempDir dir;
  auto files = ensure_certificate(dir.path());
  ASSERT_TRUE(files.ok());
  auto cert = read_certificate(files->certificate);
  ASSERT_TRUE(cert);
  EXPECT_EQ(X509_check_host(cert.get(), "localhost", 0, 0, nullptr), 1);
  EXPECT_EQ(X509_check_ip_asc(cert.get(), "127.0.0.1", 0), 1);
  EXPECT_NE(X509_check_host(cert.get(), "example.com", 0, 0, nullptr), 1);
  EXPECT_EQ(X509_check_issued(cert.get(), cert.get()), X509_V_OK);
}

TEST(TlsCertificate, NeverOverwritesAnIncompleteOrMismatchedPair) {
  testing::TempDir lone;
  testing::write_file(lone / "cert.pem", "kept");
  auto only_cert = ensure_certificate(lone.path());
  ASSERT_FALSE(only_cert.ok());
  EXPECT_NE(only_cert.error().find("without"), std::string::npos) << only_cert.error();
  EXPECT_EQ(testing::read_file(lone / "cert.pem"), "kept");
  EXPECT_FALSE(fs::exists(lone / "key.pem"));

  testing::TempDir a, b;
  ASSERT_TRUE(ensure_certificate(a.path()).ok());
  ASSERT_TRUE(ensure_certificate(b.path()).ok());
  fs::copy_file(b / "key.pem", a / "key.pem", fs::copy_options::overwrite_existing);
  auto mismatched = ensure_certificate(a.path());
  ASSERT_FALSE(mismatched.ok());
  EXPECT_NE(mismatched.error().find("do not belong together"), std::string::npos);

  testing::write_file(b / "cert.pem", "not a certificate");
  EXPECT_FALSE(ensure_certificate(b.path()).ok());
}

}  // namespace
}  // namespace brindle::server
