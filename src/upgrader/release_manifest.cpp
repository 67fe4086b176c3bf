#include "upgrader/release_manifest.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <charconv>
#include <memory>

namespace brindle::upgrader {
namespace {

constexpr std::size_t kEd25519KeySize = 32;
constexpr std::size_t kEd25519SignatureSize = 64;

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, ContextFree>;
using Bio = std::unique_ptr<BIO, BioFree>;

Key read_private_key(std::string_view pem) {
  Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  if (!bio) return nullptr;
  Key key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
  if (key && EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_ED25519) return nullptr;
  return key;
}

std::vector<std::string_view> split_blanks(std::string_view line) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t blank = line.find(' ', start);
    parts.push_back(line.substr(start, blank - start));
    if (blank == std::string_view::npos) return parts;
    start = blank + 1;
  }
}

template <typename T>
bool read_number(std::string_view text, T& value, int base = 10) {
  if (text.empty() || text.front() == '+' || text.front() == '-') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc{} && end == text.data() + text.size();
}

bool is_hex_digest(std::string_view text) {
  if (text.size() != 64) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

bool plain_segment(std::string_view segment) {
  if (segment.empty() || segment == "." || segment == "..") return false;
  for (const char c : segment) {
    const auto byte = static_cast<unsigned char>(c);
    // Blanks separate the fields; "|" and "^" would be read otherwise in the upgrade log.
    if (byte < 0x21 || byte == 0x7f || c == '/' || c == '\\' || c == '|' || c == '^' || c == ':')
      return false;
  }
  return true;
}

}  // namespace

bool valid_file_name(std::string_view name) {
  // Every file passes through the upgrade folder under its own name, beside the log and the
  // failure note, and is written beside its target with ".new" (".part" while it is fetched).
  if (name == "upgrade.log" || name == "failure.txt" || name.ends_with(".part") || name.ends_with(".new"))
    return false;
  return plain_segment(name);
}

bool valid_folder(std::string_view folder) {
  if (folder.empty()) return true;
  bool first = true;
  for (const std::string_view segment : [&] {
         std::vector<std::string_view> parts;
         std::size_t start = 0;
         for (;;) {
           const std::size_t slash = folder.find('/', start);
           parts.push_back(folder.substr(start, slash - start));
           if (slash == std::string_view::npos) return parts;
           start = slash + 1;
         }
       }()) {
    if (!plain_segment(segment)) return false;
    if (first && segment == "upgrade") return false;  // the upgrader's own staging folder
    first = false;
  }
  return true;
}

std::string sha256_hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < length; ++i) {
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 0xf];
  }
  return out;
}

std::string base64_encode(std::string_view bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int written =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                      reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  out.resize(static_cast<std::size_t>(written));
  return out;
}

Result<std::string> base64_decode(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0) return Result<std::string>::failure("not base64");
  std::string out(text.size() / 4 * 3, '\0');
  const int written =
      EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                      reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  if (written < 0) return Result<std::string>::failure("not base64");
  // EVP_DecodeBlock counts the padding as zero bytes.
  std::size_t size = static_cast<std::size_t>(written);
  if (text.back() == '=') --size;
  if (text[text.size() - 2] == '=') --size;
  out.resize(size);
  return out;
}

std::string format_manifest_body(const ReleaseManifest& manifest) {
  std::string text = std::to_string(manifest.version) + "\n";
  for (const ReleaseFile& file : manifest.files) {
    char mode[8];
    const auto end = std::to_chars(mode, mode + sizeof mode, file.mode & 0777u, 8).ptr;
    text += std::to_string(file.size) + " " + file.sha256 + " " + std::string(mode, end) + " " +
            (file.folder.empty() ? std::string(".") : file.folder) + " " + file.name + "\n";
  }
  return text;
}

Result<ReleaseManifest> parse_manifest_body(std::string_view body) {
  using Failure = Result<ReleaseManifest>;
  if (body.empty() || body.back() != '\n')
    return Failure::failure("the release list does not end with a line break");
  ReleaseManifest manifest;
  int line_number = 0;
  while (!body.empty()) {
    const std::size_t end = body.find('\n');
    const std::string_view line = body.substr(0, end);
    body.remove_prefix(end + 1);
    ++line_number;
    const std::string where = "line " + std::to_string(line_number) + ": ";
    if (line_number == 1) {
      if (!read_number(line, manifest.version)) return Failure::failure(where + "no version number");
      continue;
    }
    const auto parts = split_blanks(line);
    ReleaseFile file;
    if (parts.size() != 5) return Failure::failure(where + "not SIZE SHA256 MODE FOLDER NAME");
    if (!read_number(parts[0], file.size)) return Failure::failure(where + "bad size");
    if (!is_hex_digest(parts[1])) return Failure::failure(where + "bad SHA-256");
    file.sha256 = parts[1];
    if (!read_number(parts[2], file.mode, 8) || file.mode > 0777) return Failure::failure(where + "bad mode");
    file.folder = parts[3] == "." ? std::string() : std::string(parts[3]);
    file.name = parts[4];
    if (!valid_folder(file.folder))
      return Failure::failure(where + "bad folder '" + std::string(parts[3]) + "'");
    if (!valid_file_name(file.name)) return Failure::failure(where + "bad file name '" + file.name + "'");
    for (const ReleaseFile& other : manifest.files) {
      // The upgrade folder and the upgrade log hold one file per name.
      if (other.name == file.name)
        return Failure::failure(where + "the name '" + file.name + "' comes twice");
    }
    manifest.files.push_back(std::move(file));
  }
  return manifest;
}

Result<std::string> sign_manifest(const ReleaseManifest& manifest, std::string_view private_key_pem) {
  using Failure = Result<std::string>;
  const Key key = read_private_key(private_key_pem);
  if (!key) return Failure::failure("the signing key is not an Ed25519 private key");
  const std::string body = format_manifest_body(manifest);
  DigestContext context(EVP_MD_CTX_new());
  unsigned char signature[kEd25519SignatureSize];
  std::size_t length = sizeof signature;
  if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
      EVP_DigestSign(context.get(), signature, &length, reinterpret_cast<const unsigned char*>(body.data()),
                     body.size()) != 1) {
    return Failure::failure("signing failed");
  }
  return body + std::string(kSignaturePrefix) +
         base64_encode(std::string_view(reinterpret_cast<const char*>(signature), length)) + "\n";
}

std::string_view signed_body(std::string_view signed_text) {
  // The signature line is the last line; everything before it is signed.
  std::string_view text = signed_text;
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  const std::size_t last_break = text.rfind('\n');
  return last_break == std::string_view::npos ? std::string_view{} : signed_text.substr(0, last_break + 1);
}

Result<ReleaseManifest> verify_manifest(std::string_view signed_text, std::string_view public_key_base64) {
  using Failure = Result<ReleaseManifest>;
  if (signed_text.size() > kManifestLimit) return Failure::failure("the release list is too large");
  const auto raw_key = base64_decode(public_key_base64);
  if (!raw_key || raw_key->size() != kEd25519KeySize)
    return Failure::failure("the built-in public key is unusable");

  const std::string_view body = signed_body(signed_text);
  std::string_view last = signed_text.substr(body.size());
  if (!last.empty() && last.back() == '\n') last.remove_suffix(1);
  if (!last.starts_with(kSignaturePrefix)) return Failure::failure("the release list is not signed");
  const auto signature = base64_decode(last.substr(kSignaturePrefix.size()));
  if (!signature || signature->size() != kEd25519SignatureSize)
    return Failure::failure("the release list's signature is malformed");

  const Key key(EVP_PKEY_new_raw_public_key(
      EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(raw_key->data()), raw_key->size()));
  DigestContext context(EVP_MD_CTX_new());
  if (!key || !context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
    return Failure::failure("the built-in public key is unusable");
  if (EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature->data()),
                       signature->size(), reinterpret_cast<const unsigned char*>(body.data()),
                       body.size()) != 1) {
    return Failure::failure("the release list's signature does not match this program's key");
  }
  return parse_manifest_body(body);
}

Result<std::string> generate_private_key_pem() {
  using Failure = Result<std::string>;
  Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
  if (!key) return Failure::failure("no Ed25519 key could be made");
  Bio bio(BIO_new(BIO_s_mem()));
  if (!bio || PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
    return Failure::failure("the key could not be written");
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<std::size_t>(size));
}

Result<std::string> public_key_base64(std::string_view private_key_pem) {
  using Failure = Result<std::string>;
  const Key key = read_private_key(private_key_pem);
  if (!key) return Failure::failure("not an Ed25519 private key");
  unsigned char raw[kEd25519KeySize];
  std::size_t length = sizeof raw;
  if (EVP_PKEY_get_raw_public_key(key.get(), raw, &length) != 1) return Failure::failure("no public key");
  return base64_encode(std::string_view(reinterpret_cast<const char*>(raw), length));
}

}  // namespace brindle::upgrader
