#include "core/net/server_keys.h"

#include <openssl/evp.h>
#include <openssl/sha.h>
#include <openssl/x509.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "core/net/pinned_keys.h"
#include "core/net/settings_file.h"

namespace brindle::net {

namespace {

constexpr std::size_t kFingerprintLength = 44;  // base64 of 32 bytes
constexpr std::size_t kKnownKeysLimit = std::size_t{1} << 20;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string lower(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  });
  return result;
}

bool is_name_character(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
         c == '_';
}

bool is_host(std::string_view host) {
  if (host.empty() || host.size() > 255) return false;
  if (host.front() == '[') {
    if (host.size() < 4 || host.back() != ']') return false;
    const std::string_view inner = host.substr(1, host.size() - 2);
    return std::all_of(inner.begin(), inner.end(), [](unsigned char c) {
      return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' ||
             c == '.';
    });
  }
  return std::all_of(host.begin(), host.end(), [](unsigned char c) { return is_name_character(c); });
}

// "host:port" with a valid host and a port 1 … 65535, or nothing.
std::optional<std::string> normal_endpoint(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon + 1 >= text.size() || text.size() - colon - 1 > 5)
    return std::nullopt;
  int port = 0;
  for (const char c : text.substr(colon + 1)) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + (c - '0');
  }
  return key_endpoint(text.substr(0, colon), port);
}

std::string base64(const unsigned char* bytes, std::size_t size) {
  std::string text(4 * ((size + 2) / 3), '\0');
  const int written =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes, static_cast<int>(size));
  text.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return text;
}

std::string line_problem(std::size_t line, std::string_view what) {
  return "第 " + std::to_string(line) + " 行" + std::string(what);
}

}  // namespace

std::optional<std::string> key_endpoint(std::string_view host, int port) {
  if (port < 1 || port > 65535) return std::nullopt;
  std::string name = lower(host);
  // An IPv6 address as some callers write it, without its brackets.
  if (name.find(':') != std::string::npos && name.front() != '[') name = "[" + name + "]";
  if (!is_host(name)) return std::nullopt;
  return name + ":" + std::to_string(port);
}

bool is_key_endpoint(std::string_view text) {
  const auto normal = normal_endpoint(text);
  return normal && *normal == text;
}

std::string key_fingerprint(std::string_view subject_public_key_info_der) {
  std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
  SHA256(reinterpret_cast<const unsigned char*>(subject_public_key_info_der.data()),
         subject_public_key_info_der.size(), digest.data());
  return base64(digest.data(), digest.size());
}

std::optional<std::string> certificate_key_fingerprint(std::string_view certificate_der) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(certificate_der.data());
  X509* certificate = d2i_X509(nullptr, &bytes, static_cast<long>(certificate_der.size()));
  if (certificate == nullptr) return std::nullopt;
  unsigned char* key = nullptr;
  const int size = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &key);
  std::optional<std::string> result;
  if (size > 0)
    result =
        key_fingerprint(std::string_view(reinterpret_cast<const char*>(key), static_cast<std::size_t>(size)));
  OPENSSL_free(key);
  X509_free(certificate);
  return result;
}

bool is_key_fingerprint(std::string_view text) {
  if (text.size() != kFingerprintLength || text[43] != '=' || text[42] == '=') return false;
  std::array<unsigned char, 33> decoded{};
  if (EVP_DecodeBlock(decoded.data(), reinterpret_cast<const unsigned char*>(text.data()),
                      static_cast<int>(text.size())) != 33) {
    return false;
  }
  // Only the one spelling of the 32 bytes: unused bits must be zero.
  return base64(decoded.data(), 32) == text;
}

Result<KeyPins> parse_known_keys(std::string_view text) {
  using Failure = Result<KeyPins>;
  if (text.size() > kKnownKeysLimit) return Failure::failure("文件过大");
  if (text.empty()) return Failure::failure("文件是空的，没有文件头");
  if (text.back() != '\n') return Failure::failure("最后一行不完整，文件可能被截断");
  KeyPins pins;
  std::size_t number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (number == 1) {
      if (line != kKnownKeysHeader) return Failure::failure(line_problem(1, "不是本文件的文件头"));
      continue;
    }
    while (!line.empty() && is_blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && is_blank(line.back())) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const auto gap = std::find_if(line.begin(), line.end(), is_blank);
    const std::string_view name(line.data(), static_cast<std::size_t>(gap - line.begin()));
    auto rest = line.substr(name.size());
    while (!rest.empty() && is_blank(rest.front())) rest.remove_prefix(1);
    const auto endpoint = normal_endpoint(name);
    if (!endpoint || !is_key_fingerprint(rest)) return Failure::failure(line_problem(number, "无法识别"));
    if (!pins.emplace(*endpoint, std::string(rest)).second)
      return Failure::failure(line_problem(number, "的服务器在前面已经出现过"));
  }
  return pins;
}

std::string format_known_keys(const KeyPins& pins) {
  std::string text(kKnownKeysHeader);
  text += '\n';
  for (const auto& [endpoint, fingerprint] : pins) {
    text += endpoint;
    text += ' ';
    text += fingerprint;
    text += '\n';
  }
  return text;
}

Result<BuiltInPins> parse_built_in_pins(std::string_view text) {
  BuiltInPins pins;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(';'), text.size());
    const std::string_view entry = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (entry.empty()) continue;
    const std::size_t equals = entry.find('=');
    const auto endpoint = normal_endpoint(entry.substr(0, std::min(equals, entry.size())));
    const std::string_view fingerprint =
        equals == std::string_view::npos ? std::string_view() : entry.substr(equals + 1);
    if (!endpoint || !is_key_fingerprint(fingerprint))
      return Result<BuiltInPins>::failure("not a host:port=fingerprint entry: " + std::string(entry));
    pins.emplace(*endpoint, std::string(fingerprint));
  }
  return pins;
}

const BuiltInPins& built_in_pins() {
  // The build refuses a text that this does not read.
  static const BuiltInPins pins = [] {
    auto parsed = parse_built_in_pins(BRINDLE_PINNED_KEYS);
    return parsed ? std::move(parsed).value() : BuiltInPins{};
  }();
  return pins;
}

ServerKeys::ServerKeys(BuiltInPins built_in, std::filesystem::path file)
    : built_in_(std::move(built_in)), file_(std::move(file)) {}

std::filesystem::path ServerKeys::file_in(const std::filesystem::path& state_folder) {
  // No folder known: keys for this run only, never a file in whatever folder the program runs in.
  if (state_folder.empty()) return {};
  return state_folder / kKnownKeysFileName;
}

Result<KeyPins> ServerKeys::load() const {
  using Failure = Result<KeyPins>;
  if (file_.empty()) return KeyPins{};
  std::error_code ec;
  const auto status = std::filesystem::status(file_, ec);
  if (status.type() == std::filesystem::file_type::not_found) return KeyPins{};
  const std::string name = file_.string();
  if (ec) return Failure::failure("无法读取证书记录文件 " + name + "：" + ec.message());
  if (!std::filesystem::is_regular_file(status))
    return Failure::failure("证书记录文件 " + name + " 不是普通文件");
  std::ifstream in(file_, std::ios::binary);
  if (!in) return Failure::failure("无法读取证书记录文件 " + name + "：" + std::strerror(errno));
  std::string text;
  text.resize(std::min<std::uintmax_t>(std::filesystem::file_size(file_, ec), kKnownKeysLimit + 1));
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return Failure::failure("无法读取证书记录文件 " + name);
  auto pins = parse_known_keys(text);
  if (!pins) return Failure::failure("证书记录文件 " + name + " 已损坏：" + pins.error());
  return pins;
}

Result<void> ServerKeys::store(const std::string& endpoint, const std::string& fingerprint) {
  this_run_[endpoint] = fingerprint;
  if (file_.empty()) return {};
  auto pins = load();
  if (!pins) return Result<void>::failure(pins.error());
  pins.value()[endpoint] = fingerprint;
  if (!replace_file_atomically(file_, format_known_keys(pins.value())))
    return Result<void>::failure("无法写入证书记录文件 " + file_.string() + "：" + std::strerror(errno));
  this_run_.erase(endpoint);
  return {};
}

KeyJudgement ServerKeys::judge(const std::string& endpoint, const std::string& fingerprint) {
  std::lock_guard lock(mutex_);
  KeyJudgement judgement;
  judgement.endpoint = endpoint;
  judgement.presented = fingerprint;
  const auto [first, last] = built_in_.equal_range(endpoint);
  if (first != last) {
    for (auto it = first; it != last; ++it) judgement.held.push_back(it->second);
    const bool held =
        std::find(judgement.held.begin(), judgement.held.end(), fingerprint) != judgement.held.end();
    judgement.verdict = held ? KeyVerdict::known : KeyVerdict::changed_built_in;
    return judgement;
  }
  auto pins = load();
  if (!pins) {
    judgement.verdict = KeyVerdict::undecidable;
    judgement.problem = pins.error();
    return judgement;
  }
  for (const auto& [name, key] : this_run_) pins.value()[name] = key;
  const auto found = pins->find(endpoint);
  if (found != pins->end()) {
    judgement.held.push_back(found->second);
    judgement.verdict = found->second == fingerprint ? KeyVerdict::known : KeyVerdict::changed;
    return judgement;
  }
  judgement.verdict = KeyVerdict::first_use;
  if (auto stored = store(endpoint, fingerprint); !stored)
    warning_ = endpoint + " 的证书密钥只在本次运行中记住：" + stored.error();
  return judgement;
}

Result<void> ServerKeys::trust(const std::string& endpoint, const std::string& fingerprint) {
  if (!is_key_endpoint(endpoint)) return Result<void>::failure("“" + endpoint + "”不是“主机:端口”");
  if (!is_key_fingerprint(fingerprint))
    return Result<void>::failure("“" + fingerprint + "”不是证书密钥的指纹（44 个字符的 base64）");
  if (built_in_.count(endpoint) != 0)
    return Result<void>::failure("服务器 " + endpoint + " 的证书密钥已内置于客户端，不能更改。");
  std::lock_guard lock(mutex_);
  return store(endpoint, fingerprint);
}

std::string ServerKeys::take_warning() {
  std::lock_guard lock(mutex_);
  return std::exchange(warning_, std::string());
}

}  // namespace brindle::net
