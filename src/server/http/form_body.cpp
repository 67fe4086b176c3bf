#include "server/http/form_body.h"

#include <charconv>
#include <system_error>
#include <utility>

#include "wire/gbk.h"

namespace brindle::server {
namespace {

constexpr std::string_view kLanguageKey = "txtLanguage=";
constexpr std::string_view kSubjectKey = "txtSubjectID=";
constexpr std::string_view kUserMarker = "&txtUserName=";
constexpr std::string_view kPasswordMarker = "&txtPwd=";
constexpr std::string_view kParaMarker = "&txtPara=";

// Markers begin with "&", which is never part of a double-byte GBK character, so a byte search
// cannot split one.
std::optional<int> parse_subject_id(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  int value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

Result<FormBody> failure(std::string_view text) { return Result<FormBody>::failure(std::string(text)); }

// Bytes that are not GBK would reach the handlers as U+FFFD, so two different passwords could read
// alike: such a body is refused instead.
bool decode(std::string_view gbk, std::string& out) {
  bool invalid = false;
  out = wire::gbk_to_utf8(gbk, &invalid);
  return !invalid;
}

}  // namespace

Result<FormBody> parse_form_body(std::string_view body) {
  FormBody form;
  if (body.starts_with(kLanguageKey)) {
    auto amp = body.find('&');
    if (amp == std::string_view::npos) return failure(kMissingSubjectIdText);
    if (!decode(body.substr(kLanguageKey.size(), amp - kLanguageKey.size()), form.language)) {
      return failure(kNotGbkText);
    }
    body.remove_prefix(amp + 1);
  }
  if (!body.starts_with(kSubjectKey)) return failure(kMissingSubjectIdText);
  body.remove_prefix(kSubjectKey.size());

  auto id_end = body.find('&');
  auto subject_id = parse_subject_id(body.substr(0, id_end));
  if (!subject_id) return failure(kBadSubjectIdText);
  form.subject_id = *subject_id;
  if (id_end == std::string_view::npos) return form;

  body.remove_prefix(id_end);
  if (!body.starts_with(kUserMarker)) return failure(kMalformedBodyText);
  body.remove_prefix(kUserMarker.size());

  auto password_at = body.find(kPasswordMarker);
  if (password_at == std::string_view::npos) return failure(kMalformedBodyText);
  auto para_at = body.find(kParaMarker, password_at + kPasswordMarker.size());
  if (para_at == std::string_view::npos) return failure(kMalformedBodyText);

  auto password_start = password_at + kPasswordMarker.size();
  Credentials credentials;
  if (!decode(body.substr(0, password_at), credentials.user_name) ||
      !decode(body.substr(password_start, para_at - password_start), credentials.password) ||
      !decode(body.substr(para_at + kParaMarker.size()), credentials.para)) {
    return failure(kNotGbkText);
  }
  form.credentials = std::move(credentials);
  return form;
}

}  // namespace brindle::server
