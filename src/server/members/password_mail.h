#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "wire/result.h"

namespace brindle::server::members {

// A fresh password for a retrieval: 10 letters and digits, within the client's password rule.
Result<std::string> draw_password();

// The retrieval mail as an RFC 5322 message (CR LF lines, UTF-8 subject and body in base64).
std::string password_mail(std::string_view from, std::string_view to, std::string_view user_name,
                          std::string_view password, std::int64_t unix_seconds);

// Hands `message` to `mail_command`, a sendmail-compatible program run by the shell that reads the
// message on standard input ("/usr/sbin/sendmail -t -i"); it must exit with 0. Without a command the
// message is written as one private file "<time>-<random>.eml" under `outbox`, whole or not at all.
Result<void> deliver_mail(const std::string& mail_command, const std::filesystem::path& outbox,
                          const std::string& message);

}  // namespace brindle::server::members
