#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "wire/result.h"

namespace brindle::server {

// The sign-in fields that every request outside DATA_ACQUIRE carries (UTF-8).
struct Credentials {
  std::string user_name;
  std::string password;
  std::string para;  // txtPara, verbatim
};

struct FormBody {
  std::string language;  // txtLanguage as sent; empty when the body leaves it out
  int subject_id = 0;
  std::optional<Credentials> credentials;
};

// Refusal texts, shown by the client in the server's words.
inline constexpr std::string_view kMissingSubjectIdText = "请求格式错误：缺少txtSubjectID。";
inline constexpr std::string_view kBadSubjectIdText = "请求格式错误：txtSubjectID必须是数字。";
inline constexpr std::string_view kMalformedBodyText = "请求格式错误：无法识别的请求内容。";
inline constexpr std::string_view kNotGbkText = "请求格式错误：内容不是有效的GBK文本。";

// Reads the form text as the client writes it: GBK and not URL-encoded, so a value may hold "&"
// or "=". The keys come in a fixed order and the body is cut on their literal markers:
//
//   [txtLanguage=L&]txtSubjectID=N[&txtUserName=U&txtPwd=P&txtPara=T]
//
// N is decimal digits only. U runs to the first "&txtPwd=", P to the first "&txtPara=" after it,
// and T, the only free text, is everything after its marker. So a user name may hold any text but
// "&txtPwd=" and a password any text but "&txtPara="; accounts must refuse such names and passwords.
Result<FormBody> parse_form_body(std::string_view gbk_body);

}  // namespace brindle::server
