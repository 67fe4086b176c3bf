#include "server/http/tls_certificate.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/sha.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "server/storage/private_files.h"

namespace brindle::server {
namespace {

template <auto Free>
struct Deleter {
  template <typename T>
  void operator()(T* p) const {
    Free(p);
  }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Deleter<X509_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO_free_all>>;
using BigNumPtr = std::unique_ptr<BIGNUM, Deleter<BN_free>>;
using ExtensionPtr = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION_free>>;

constexpr long kDay = 24L * 60 * 60;
// A year, as public certificates are; renewed for the same key on the first start or reload within
// the last month, so that a client that pins the key never sees it change.
constexpr long kValiditySeconds = 365 * kDay;
constexpr long kRenewalSeconds = 30 * kDay;

Result<void> fail(std::string text) { return Result<void>::failure(std::move(text)); }

bool add_extension(X509* cert, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
  ExtensionPtr ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value));
  return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

CertPtr make_certificate(EVP_PKEY* key) {
  CertPtr cert(X509_new());
  if (!cert || X509_set_version(cert.get(), 2) != 1) return nullptr;

  BigNumPtr serial(BN_new());
  if (!serial || BN_rand(serial.get(), 127, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1 ||
      !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get()))) {
    return nullptr;
  }
  // An hour of slack so that a clock a little behind still accepts a fresh certificate.
  if (!X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) ||
      !X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValiditySeconds)) {
    return nullptr;
  }
  X509_NAME* name = X509_get_subject_name(cert.get());
  const auto* common_name = reinterpret_cast<const unsigned char*>("localhost");
  if (X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, common_name, -1, -1, 0) != 1 ||
      X509_set_issuer_name(cert.get(), name) != 1 || X509_set_pubkey(cert.get(), key) != 1) {
    return nullptr;
  }
  // CA:TRUE lets a test or a client trust this one file as its own anchor.
  if (!add_extension(cert.get(), NID_basic_constraints, "critical,CA:TRUE") ||
      !add_extension(cert.get(), NID_key_usage, "critical,digitalSignature,keyCertSign") ||
      !add_extension(cert.get(), NID_ext_key_usage, "serverAuth") ||
      !add_extension(cert.get(), NID_subject_key_identifier, "hash") ||
      !add_extension(cert.get(), NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1")) {
    return nullptr;
  }
  if (X509_sign(cert.get(), key, EVP_sha256()) <= 0) return nullptr;
  return cert;
}

CertPtr read_certificate(const std::filesystem::path& file) {
  BioPtr bio(BIO_new_file(file.c_str(), "r"));
  return CertPtr(bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr);
}

KeyPtr read_key(const std::filesystem::path& file) {
  BioPtr bio(BIO_new_file(file.c_str(), "r"));
  return KeyPtr(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr);
}

template <typename Write>
std::string to_pem(Write write) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!bio || !write(bio.get())) return {};
  char* data = nullptr;
  long size = BIO_get_mem_data(bio.get(), &data);
  return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string{};
}

// Written beside the target and renamed over it, so a crash never leaves half a file.
Result<void> write_private_file(const std::filesystem::path& target, std::string_view bytes, mode_t mode) {
  auto temporary = target;
  temporary += ".tmp";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return fail("cannot create " + temporary.string() + ": " + std::strerror(errno));
  bool ok = ::fchmod(fd, mode) == 0;
  std::size_t written = 0;
  while (ok && written < bytes.size()) {
    auto n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) written += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  int saved_errno = errno;
  ok = ::close(fd) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), target.c_str()) == 0) return {};
  if (!ok) errno = saved_errno;
  std::string error = "cannot write " + target.string() + ": " + std::strerror(errno);
  ::unlink(temporary.c_str());
  return fail(std::move(error));
}

Result<void> create_pair(const CertificateFiles& files) {
  KeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  if (!key) return fail("cannot generate the server's key");
  CertPtr cert = make_certificate(key.get());
  if (!cert) return fail("cannot make the server's certificate");

  auto key_pem = to_pem([&](BIO* bio) {
    return PEM_write_bio_PrivateKey(bio, key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
  });
  auto cert_pem = to_pem([&](BIO* bio) { return PEM_write_bio_X509(bio, cert.get()) == 1; });
  if (key_pem.empty() || cert_pem.empty()) return fail("cannot encode the server's certificate");

  // The key goes first: a certificate on disk always has its key beside it.
  if (auto written = write_private_file(files.private_key, key_pem, 0600); !written) return written;
  return write_private_file(files.certificate, cert_pem, 0600);
}

Result<void> check_pair(const CertificateFiles& files) {
  CertPtr cert = read_certificate(files.certificate);
  if (!cert) return fail("cannot read the certificate " + files.certificate.string());
  KeyPtr key = read_key(files.private_key);
  if (!key) return fail("cannot read the private key " + files.private_key.string());
  if (X509_check_private_key(cert.get(), key.get()) != 1) {
    return fail(files.certificate.string() + " and " + files.private_key.string() +
                " do not belong together");
  }
  return {};
}

// A certificate of the pair's own making (issued by its own key to itself) that has lapsed or
// lapses within the renewal window is replaced by a new one for the same key. Any other
// certificate someone put in the data folder is left as it is.
Result<bool> renew_if_lapsing(const CertificateFiles& files) {
  CertPtr cert = read_certificate(files.certificate);
  KeyPtr key = read_key(files.private_key);
  if (!cert || !key)
    return Result<bool>::failure("cannot read the certificate " + files.certificate.string());
  std::time_t renew_before = std::time(nullptr) + kRenewalSeconds;
  if (X509_cmp_time(X509_get0_notAfter(cert.get()), &renew_before) > 0) return false;
  if (X509_check_issued(cert.get(), cert.get()) != X509_V_OK || X509_verify(cert.get(), key.get()) != 1)
    return false;
  CertPtr renewed = make_certificate(key.get());
  auto pem =
      renewed ? to_pem([&](BIO* bio) { return PEM_write_bio_X509(bio, renewed.get()) == 1; }) : std::string{};
  if (pem.empty()) return Result<bool>::failure("cannot renew the server's certificate");
  if (auto written = write_private_file(files.certificate, pem, 0600); !written)
    return Result<bool>::failure(written.error());
  return true;
}

// A key that anyone else on the machine can read is no longer the server's alone; one that anyone
// can write could be swapped for another's.
Result<void> check_key_mode(const std::filesystem::path& key) {
  struct stat info {};
  if (::stat(key.c_str(), &info) != 0)
    return fail("cannot read the private key " + key.string() + ": " + std::strerror(errno));
  const unsigned mode = info.st_mode & 07777;
  if ((mode & 077) == 0) return {};
  char octal[8];
  std::snprintf(octal, sizeof octal, "%04o", mode);
  return fail("the private key " + key.string() + " is " + ((mode & 044) ? "readable" : "writable") +
              " by other users (mode " + octal + "); chmod 600 it");
}

}  // namespace

Result<void> check_certificate_files(const CertificateFiles& files) {
  if (auto mode = check_key_mode(files.private_key); !mode) return mode;
  return check_pair(files);
}

Result<std::string> key_fingerprint(const X509& certificate) {
  using Failure = Result<std::string>;
  unsigned char* der = nullptr;
  const int size = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(&certificate), &der);
  if (size <= 0) return Failure::failure("cannot encode the certificate's public key");
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(der, static_cast<std::size_t>(size), digest);
  OPENSSL_free(der);
  unsigned char text[4 * ((SHA256_DIGEST_LENGTH + 2) / 3) + 1];
  const int length = EVP_EncodeBlock(text, digest, SHA256_DIGEST_LENGTH);
  return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
}

Result<std::string> key_fingerprint(const std::filesystem::path& certificate_file) {
  using Failure = Result<std::string>;
  errno = 0;
  BioPtr bio(BIO_new_file(certificate_file.c_str(), "r"));
  if (!bio) {
    const int error = errno;
    ERR_clear_error();
    return Failure::failure("cannot read the certificate " + certificate_file.string() +
                            (error != 0 ? std::string(": ") + std::strerror(error) : std::string{}));
  }
  CertPtr cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
  if (!cert) {
    ERR_clear_error();
    return Failure::failure(certificate_file.string() + " holds no PEM certificate");
  }
  return key_fingerprint(*cert);
}

Result<CertificateFiles> ensure_certificate(const std::filesystem::path& data_dir) {
  CertificateFiles files{.certificate = data_dir / "cert.pem", .private_key = data_dir / "key.pem"};
  std::error_code ec;
  bool have_cert = std::filesystem::exists(files.certificate, ec);
  bool have_key = std::filesystem::exists(files.private_key, ec);

  Result<void> outcome;
  if (have_cert && have_key) {
    outcome = check_pair(files);
    // An earlier version wrote the certificate readable by everyone.
    if (outcome) outcome = storage::restrict_if_present(files.certificate);
    if (outcome) outcome = storage::restrict_if_present(files.private_key);
    if (outcome) {
      auto renewed = renew_if_lapsing(files);
      if (renewed) files.renewed = renewed.value();
      if (!renewed) outcome = fail(renewed.error());
    }
  } else if (!have_cert && !have_key) {
    outcome = create_pair(files);
    files.created = true;
  } else {
    const auto& present = have_cert ? files.certificate : files.private_key;
    const auto& missing = have_cert ? files.private_key : files.certificate;
    outcome = fail(present.string() + " exists without " + missing.string() +
                   "; restore it or remove both to make a new certificate");
  }
  if (!outcome) return Result<CertificateFiles>::failure(outcome.error());
  return files;
}

}  // namespace brindle::server
