#pragma once

#include <openssl/types.h>

#include <filesystem>
#include <string>

#include "wire/result.h"

namespace brindle::server {

struct CertificateFiles {
  std::filesystem::path certificate;  // cert.pem, mode 0600
  std::filesystem::path private_key;  // key.pem, mode 0600
  bool created = false;               // made by this call rather than found
  bool renewed = false;               // found lapsing and replaced by a new one for the same key
  bool self_made = true;              // the data folder's own; false: the operator's, never rewritten
};

// The server's self-signed certificate in its data folder: made on first start (EC P-256,
// CN=localhost, alternative names localhost and 127.0.0.1, valid for 365 days), reused afterwards,
// and renewed for the same key (written whole, then renamed over the old) once it lapses within 30
// days. A folder that holds only one of the two files, or two files that do not belong together, is
// an error: nothing there is overwritten.
Result<CertificateFiles> ensure_certificate(const std::filesystem::path& data_dir);

// What the server checks of any certificate files before it serves them: the key readable and
// writable by its owner alone, the certificate (the first of a chain file) and the key readable
// and belonging together.
Result<void> check_certificate_files(const CertificateFiles& files);

// What a client pins of the server: the SHA-256 of the certificate's public key (its DER
// SubjectPublicKeyInfo) in base64 with padding, 44 characters, as pin-sha256 of HTTP public-key
// pinning has it. A certificate renewed for the same key keeps it.
Result<std::string> key_fingerprint(const X509& certificate);
// The same of a PEM file's certificate, the first of a chain file.
Result<std::string> key_fingerprint(const std::filesystem::path& certificate_file);

}  // namespace brindle::server
