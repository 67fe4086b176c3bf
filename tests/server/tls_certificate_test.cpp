#include "server/tls_certificate.h"

#include <gtest/gtest.h>
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
