#pragma once

#include <string>
#include <vector>

namespace brindle::testing {

// A certificate and its private key, both PEM, made in memory for the loopback test servers.
struct TestCertificate {
  std::string certificate_pem;
  std::string private_key_pem;
};

// Self-signed for `common_name`, valid from a day ago for a year.
TestCertificate make_self_signed_certificate(const std::string& common_name = "localhost");
// Self-signed, but its validity ended yesterday.
TestCertificate make_expired_certificate(const std::string& common_name = "localhost");

// A certificate authority of the tests' own, for a trust store the test names.
TestCertificate make_test_authority();
// Issued by `authority` for the names (DNS names, or IP addresses such as "127.0.0.1"); `days_left`
// below zero makes one that lapsed.
TestCertificate make_issued_certificate(const TestCertificate& authority,
                                        const std::vector<std::string>& names, long days_left = 365);

// The fingerprint the client pins: SHA-256 of the certificate's public key, base64.
std::string key_fingerprint_of(const TestCertificate& certificate);

}  // namespace brindle::testing
