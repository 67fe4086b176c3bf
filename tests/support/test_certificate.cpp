#include "support/test_certificate.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/sha.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

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

KeyPtr read_key(const std::string& pem) {
  BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  KeyPtr key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
  check(key != nullptr, "reading a key");
  return key;
}

CertPtr read_certificate(const std::string& pem) {
  BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  CertPtr cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
  check(cert != nullptr, "reading a certificate");
  return cert;
}

void add_extension(X509* cert, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
  check(extension != nullptr && X509_add_ext(cert, extension, -1) == 1, "extension");
  X509_EXTENSION_free(extension);
}

struct Issuer {
  X509* certificate = nullptr;  // null: the certificate signs itself
  EVP_PKEY* key = nullptr;
};

// EC P-256 keeps key generation and handshakes cheap; the client accepts any key type.
TestCertificate make_certificate(const std::string& common_name, long not_before, long not_after,
                                 const Issuer& issuer = {}, const std::string& alternative_names = "",
                                 bool authority = false) {
  static long serial = 1;
  KeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  check(key != nullptr, "key generation");
  CertPtr cert(X509_new());
  check(cert != nullptr, "allocation");
  check(X509_set_version(cert.get(), 2) == 1, "version");
  check(ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++) == 1, "serial");
  check(X509_gmtime_adj(X509_getm_notBefore(cert.get()), not_before) != nullptr, "not before");
  check(X509_gmtime_adj(X509_getm_notAfter(cert.get()), not_after) != nullptr, "not after");
  X509_NAME* name = X509_get_subject_name(cert.get());
  check(
      X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                 reinterpret_cast<const unsigned char*>(common_name.c_str()), -1, -1, 0) == 1,
      "subject");
  X509* signer = issuer.certificate != nullptr ? issuer.certificate : cert.get();
  check(X509_set_issuer_name(cert.get(), X509_get_subject_name(signer)) == 1, "issuer");
  check(X509_set_pubkey(cert.get(), key.get()) == 1, "public key");
  if (authority) {
    add_extension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
    add_extension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
  }
  if (!alternative_names.empty()) add_extension(cert.get(), signer, NID_subject_alt_name, alternative_names);
  check(X509_sign(cert.get(), issuer.key != nullptr ? issuer.key : key.get(), EVP_sha256()) > 0, "signature");

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

TestCertificate make_test_authority() {
  return make_certificate("Brindle Test Authority", -kDay, 3650 * kDay, {}, "", true);
}

TestCertificate make_issued_certificate(const TestCertificate& authority,
                                        const std::vector<std::string>& names, long days_left) {
  const CertPtr issuer = read_certificate(authority.certificate_pem);
  const KeyPtr issuer_key = read_key(authority.private_key_pem);
  std::string alternative_names;
  for (const auto& name : names) {
    if (!alternative_names.empty()) alternative_names += ',';
    const bool address = name.find_first_not_of("0123456789.:") == std::string::npos;
    alternative_names += (address ? "IP:" : "DNS:") + name;
  }
  const long not_before = days_left < 0 ? (days_left - 30) * kDay : -kDay;
  return make_certificate(names.empty() ? "nobody" : names.front(), not_before, days_left * kDay,
                          {issuer.get(), issuer_key.get()}, alternative_names);
}

std::string key_fingerprint_of(const TestCertificate& certificate) {
  const CertPtr cert = read_certificate(certificate.certificate_pem);
  unsigned char* der = nullptr;
  const int size = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(cert.get()), &der);
  check(size > 0, "public key DER");
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(der, static_cast<std::size_t>(size), digest);
  OPENSSL_free(der);
  unsigned char text[64] = {};
  const int length = EVP_EncodeBlock(text, digest, sizeof digest);
  return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
}

}  // namespace brindle::testing
