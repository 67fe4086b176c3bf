#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wire/result.h"

namespace brindle::net {

// A server as its keys are held: "host:port", the host in lower case, an IPv6 address in brackets,
// the port always written.
std::optional<std::string> key_endpoint(std::string_view host, int port);
bool is_key_endpoint(std::string_view text);

// A public key's fingerprint: the SHA-256 of its DER SubjectPublicKeyInfo in base64, 44 characters,
// as public-key pinning defines it. A certificate renewed for the same key keeps its fingerprint.
std::string key_fingerprint(std::string_view subject_public_key_info_der);
// The fingerprint of the key in a DER certificate; nothing when it is not one.
std::optional<std::string> certificate_key_fingerprint(std::string_view certificate_der);
bool is_key_fingerprint(std::string_view text);

// The keys the client learned on first use, one per server.
using KeyPins = std::map<std::string, std::string>;  // endpoint → fingerprint

// The file beside the settings that keeps them: a header line, then "host:port fingerprint" lines;
// blank lines and "#" comments are skipped. It is written whole by this client, so anything else —
// no header, a last line without its end, a line that is not an entry, a server named twice, more
// than 1 MiB — is damage, reported with its line in the user's words.
inline constexpr const char* kKnownKeysFileName = "known_keys.txt";
inline constexpr std::string_view kKnownKeysHeader =
    "# Servers' public keys this client trusts (host:port SHA-256 of the key, base64)";
Result<KeyPins> parse_known_keys(std::string_view text);
std::string format_known_keys(const KeyPins& pins);

// Keys built into the client for its operator's servers: "host:port=fingerprint;..." (a server may
// be named more than once, for a key in reserve). An empty text holds none.
using BuiltInPins = std::multimap<std::string, std::string>;
Result<BuiltInPins> parse_built_in_pins(std::string_view text);
// The ones this build carries.
const BuiltInPins& built_in_pins();

// What the key a server presents is to the client.
enum class KeyVerdict {
  known,             // the one held for the server
  first_use,         // a server never seen: accepted, and its key now held
  changed,           // another key than the one learned: refused until the user trusts it
  changed_built_in,  // another key than the built-in ones: refused, and no user can trust it
  undecidable,       // the learned keys cannot be read: refused, never taken for "none held"
};

struct KeyJudgement {
  KeyVerdict verdict = KeyVerdict::undecidable;
  std::string endpoint;
  std::string presented;
  std::vector<std::string> held;  // the fingerprints held for the server
  std::string problem;            // undecidable: why, in the user's words
};

// The built-in keys and the learned ones (a file, or with no file this run's alone). The file is read
// at each judgement, so a key trusted by another program of the client counts at once, and written
// whole and atomically when a key is learned or trusted.
class ServerKeys {
 public:
  ServerKeys(BuiltInPins built_in, std::filesystem::path file);
  // The client's own file beside the settings; none (this run only) when the folder is not known.
  static std::filesystem::path file_in(const std::filesystem::path& state_folder);

  KeyJudgement judge(const std::string& endpoint, const std::string& fingerprint);
  // The user has checked the key and trusts it from now on. Refused for a server with built-in keys.
  Result<void> trust(const std::string& endpoint, const std::string& fingerprint);

  const std::filesystem::path& file() const { return file_; }
  // A learned key that could not be written down (kept for this run), for the log; empty otherwise.
  std::string take_warning();

 private:
  Result<KeyPins> load() const;
  Result<void> store(const std::string& endpoint, const std::string& fingerprint);

  BuiltInPins built_in_;
  std::filesystem::path file_;
  KeyPins this_run_;
  std::string warning_;
  std::mutex mutex_;
};

}  // namespace brindle::net
