#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "wire/result.h"

namespace brindle::upgrader {

// One file of a release: where it goes under the Program directory and what it must hash to.
struct ReleaseFile {
  std::uint64_t size = 0;
  std::string sha256;  // 64 lower-case hex digits
  unsigned mode = 0644;
  std::string folder;  // relative, "/"-separated; empty for the Program directory itself
  std::string name;
  bool operator==(const ReleaseFile&) const = default;
};

struct ReleaseManifest {
  int version = 0;
  std::vector<ReleaseFile> files;
};

// The signed list a server hands out at /Download/Upgrader:
//
//   101
//   SIZE SHA256 MODE FOLDER NAME      one line per file; FOLDER "." is the Program directory
//   signature BASE64                  Ed25519 over every byte before this line
//
// Lines end with "\n". Names and folders hold no blanks, no "\", no ".." and no control characters,
// so that no file of a release can land outside the Program directory; names are not those of the
// upgrade folder's own files and do not end in the upgrader's temporary ".part" or ".new".
// Where a server offers the list; each file is below it at "/FOLDER/NAME".
inline constexpr std::string_view kManifestPath = "/Download/Upgrader";
inline constexpr std::string_view kSignaturePrefix = "signature ";
inline constexpr std::size_t kManifestLimit = 1 << 20;

// The unsigned text (everything the signature covers).
std::string format_manifest_body(const ReleaseManifest& manifest);
// The body followed by its signature line, made with a PEM private key.
Result<std::string> sign_manifest(const ReleaseManifest& manifest, std::string_view private_key_pem);
// Checks the signature with a raw Ed25519 public key in base64, then reads the body. Nothing of an
// unsigned or wrongly signed text is read.
Result<ReleaseManifest> verify_manifest(std::string_view signed_text, std::string_view public_key_base64);
// The part of a signed text that its last line signs; empty when there is no line before it.
std::string_view signed_body(std::string_view signed_text);
// Reads the body alone (the server, which serves only what it signed).
Result<ReleaseManifest> parse_manifest_body(std::string_view body);

// Whether a release file's name or folder stays inside the Program directory and out of the
// upgrade folder.
bool valid_file_name(std::string_view name);
bool valid_folder(std::string_view folder);

std::string sha256_hex(std::string_view bytes);
std::string base64_encode(std::string_view bytes);
Result<std::string> base64_decode(std::string_view text);

// A new Ed25519 key as PKCS#8 PEM, and the raw public key of a PEM private key in base64.
Result<std::string> generate_private_key_pem();
Result<std::string> public_key_base64(std::string_view private_key_pem);

}  // namespace brindle::upgrader
