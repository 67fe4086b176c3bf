#include "server/members/password_mail.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <sys/wait.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <system_error>

#include "server/storage/private_files.h"

namespace brindle::server::members {
namespace {

std::string base64(std::string_view bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int written =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                      reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

// Base64 body lines stay under the 78-character limit.
std::string wrapped(const std::string& text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); at += 76) out += text.substr(at, 76) + "\r\n";
  return out;
}

// "Tue, 08 Dec 2026 11:30:00 +0000", spelled out so the process locale cannot change it.
std::string mail_date(std::int64_t unix_seconds) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t t = static_cast<std::time_t>(unix_seconds);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[utc.tm_wday], utc.tm_mday,
                kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text;
}

Result<std::string> random_hex(std::size_t bytes) {
  std::string raw(bytes, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(bytes)) != 1)
    return Result<std::string>::failure("cannot draw random bytes");
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (const char c : raw) {
    text += kHex[static_cast<unsigned char>(c) >> 4];
    text += kHex[static_cast<unsigned char>(c) & 0x0F];
  }
  return text;
}

Result<void> run_mail_command(const std::string& command, const std::string& message) {
  FILE* pipe = ::popen(command.c_str(), "w");
  if (pipe == nullptr) return Result<void>::failure("cannot start the mail command");
  const bool written = std::fwrite(message.data(), 1, message.size(), pipe) == message.size();
  const int status = ::pclose(pipe);
  if (!written || status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return Result<void>::failure("the mail command failed");
  return {};
}

Result<void> write_outbox(const std::filesystem::path& outbox, const std::string& message) {
  if (auto made = storage::make_private_directory(outbox); !made) return made;
  auto name = random_hex(8);
  if (!name) return Result<void>::failure(name.error());
  const auto stem = std::to_string(std::time(nullptr)) + "-" + name.value();
  const auto partial = outbox / (stem + ".part");
  const auto final_path = outbox / (stem + ".eml");
  if (auto made = storage::make_private_file(partial); !made) return made;
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(message.data(), static_cast<std::streamsize>(message.size()));
    out.flush();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(partial, ignored);
      return Result<void>::failure("cannot write " + partial.string());
    }
  }
  // Whatever reads the outbox sees only whole messages.
  std::error_code error;
  std::filesystem::rename(partial, final_path, error);
  if (error) return Result<void>::failure("cannot name " + final_path.string() + ": " + error.message());
  return {};
}

}  // namespace

Result<std::string> draw_password() {
  static constexpr char kAlphabet[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
  constexpr std::size_t kSize = sizeof kAlphabet - 1;
  std::string password;
  while (password.size() < 10) {
    unsigned char byte = 0;
    if (RAND_bytes(&byte, 1) != 1) return Result<std::string>::failure("cannot draw a password");
    // Rejection keeps every character equally likely.
    if (byte >= 256 - 256 % kSize) continue;
    password += kAlphabet[byte % kSize];
  }
  return password;
}

std::string password_mail(std::string_view from, std::string_view to, std::string_view user_name,
                          std::string_view password, std::int64_t unix_seconds) {
  const std::string body = "尊敬的" + std::string(user_name) + "：\r\n\r\n您的新密码为：" +
                           std::string(password) +
                           "\r\n\r\n请使用新密码登录，并尽快在“修改资料”中改为您自己的密码。\r\n";
  const auto at = from.find('@');
  const std::string domain(at == std::string_view::npos ? "localhost" : from.substr(at + 1));
  auto id = random_hex(12);
  std::string message;
  message += "From: " + std::string(from) + "\r\n";
  message += "To: " + std::string(to) + "\r\n";
  message += "Subject: =?UTF-8?B?" + base64("取回密码") + "?=\r\n";
  message += "Date: " + mail_date(unix_seconds) + "\r\n";
  message += "Message-ID: <" + (id ? id.value() : std::to_string(unix_seconds)) + "@" + domain + ">\r\n";
  message += "MIME-Version: 1.0\r\n";
  message += "Content-Type: text/plain; charset=UTF-8\r\n";
  message += "Content-Transfer-Encoding: base64\r\n";
  message += "\r\n";
  message += wrapped(base64(body));
  return message;
}

Result<void> deliver_mail(const std::string& mail_command, const std::filesystem::path& outbox,
                          const std::string& message) {
  if (!mail_command.empty()) return run_mail_command(mail_command, message);
  return write_outbox(outbox, message);
}

}  // namespace brindle::server::members
