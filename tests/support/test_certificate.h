#pragma once

#include <string>

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

}  // namespace brindle::testing
