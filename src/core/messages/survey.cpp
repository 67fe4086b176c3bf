#include "core/messages/survey.h"

#include "core/ports/message_port.h"
#include "core/protocol/rooms_messages.h"
#include "core/protocol/session.h"
#include "wire/gbk.h"

namespace brindle::messages {

SurveyModel::SurveyModel(protocol::Session& session, ports::MessagePort& messages, std::string question_id)
    : session_(session), messages_(messages), question_id_(std::move(question_id)) {}

bool SurveyModel::send(std::optional<Rating> rating, const std::string& reason) {
  auto refuse = [this](const char* text) {
    messages_.show_message(text, false);
    return false;
  };
  if (!rating) return refuse(kNoRatingText);
  const std::string cleaned = protocol::clean_free_text(reason);
  if (*rating == Rating::dissatisfied && cleaned.empty()) return refuse(kEmptyReasonText);
  if (wire::gbk_byte_length(cleaned) >= kReasonByteLimit) return refuse(kReasonTooLongText);
  const auto sent = protocol::send_rating(session_, cleaned, question_id_, static_cast<int>(*rating));
  const std::string& answer = sent ? sent.value() : sent.error();
  if (!answer.empty()) messages_.show_message(answer, false);
  // A rating that did not arrive keeps the survey and what was typed, so it can be sent again.
  return sent.ok();
}

}  // namespace brindle::messages
