#pragma once

#include <string_view>

#include "server/http/dispatcher.h"
#include "server/services.h"
#include "wire/result.h"

namespace brindle::server {

inline constexpr std::string_view kQuestionEmptyText = "描述不能为空";
inline constexpr std::string_view kBadQuestionText = "问题格式错误！";
inline constexpr std::string_view kQuestionLongText = "问题不能超过1000汉字！";
inline constexpr std::string_view kQuestionSentText = "您的问题已提交，我们会尽快答复！";
inline constexpr std::string_view kNoSuchMessageText = "该消息不存在！";
inline constexpr std::string_view kMessageDeletedText = "删除成功！";
inline constexpr std::string_view kNoSurveyText = "没有需要评价的问题。";
inline constexpr std::string_view kBadRatingText = "评价请求格式错误！";
inline constexpr std::string_view kNotRatableText = "该问题不能评价！";
inline constexpr std::string_view kReasonLongText = "内容不能超过200汉字！";
inline constexpr std::string_view kRatedText = "感谢您的评价！";

// Customer service, for signed-in members: questions (4001, 2001), private messages (4002, 2002)
// and the satisfaction survey (2019, 2018). The tables are the members' own.
Result<void> add_message_handlers(Dispatcher& dispatcher, const ServerServices& services);

}  // namespace brindle::server
