#pragma once

#include <filesystem>

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

}  // namespace brindle::server
