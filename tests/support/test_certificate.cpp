#include "support/test_certificate.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <memory>
#include <stdexcept>

namespace brindle::testing {

namespace {

constexpr long kDay = 24L * 60 * 60;

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test certificate: ") + what);
}

std::string drain(BIO* bio) {
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio, &data);
  return std::string(data, static_cast<std::size_t>(size));
}

// EC P-256 keeps key generation and handshakes cheap; the client accepts any key type.
TestCertificate make_certificate(const std::string& common_name, long not_before, long not_after) {
  KeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  check(key != nullptr, "key generation");
  CertPtr cert(X509_new());
  check(cert != nullptr, "allocation");
  check(X509_set_version(cert.get(), 2) == 1, "version");
  check(ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1) == 1, "serial");
  check(X509_gmtime_adj(X509_getm_notBefore(cert.get()), not_before) != nullptr, "not before");
  check(X509_gmtime_adj(X509_getm_notAfter(cert.get()), not_after) != nullptr, "not after");
  X509_NAME* name = X509_get_subject_name(cert.get());
  check(
      X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                 reinterpret_cast<const unsigned char*>(common_name.c_str()), -1, -1, 0) == 1,
      "subject");
  check(X509_set_issuer_name(cert.get(), name) == 1, "issuer");
  check(X509_set_pubkey(cert.get(), key.get()) == 1, "public key");
  check(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "signature");

  TestCertificate result;
  BioPtr cert_bio(BIO_new(BIO_s_mem()));
  check(cert_bio && PEM_write_bio_X509(cert_bio.get(), cert.get()) == 1, "certificate PEM");
  result.certificate_pem = drain(cert_bio.get());
  BioPtr key_bio(BIO_new(BIO_s_mem()));
  check(key_bio &&
            PEM_write_bio_PrivateKey(key_bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1,
        "key PEM");
  result.private_key_pem = drain(key_bio.get());
  return result;
}

}  // namespace

TestCertificate make_self_signed_certificate(const std::string& common_name) {
  return make_certificate(common_name, -kDay, 365 * kDay);
}

TestCertificate make_expired_certificate(const std::string& common_name) {
  return make_certificate(common_name, -30 * kDay, -kDay);
}

}  // namespace brindle::testing
