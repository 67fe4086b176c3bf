#pragma once

#include <optional>
#include <string>

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class MessagePort;
}

namespace brindle::messages {

inline constexpr char kSurveyTitle[] = "客户满意度调查";
inline constexpr char kNoRatingText[] = "请选择满意度！";
inline constexpr char kEmptyReasonText[] = "内容不能为空！";
inline constexpr char kReasonTooLongText[] = "内容不能超过200汉字！";
// The reason is counted in GBK bytes, as the service stores it.
inline constexpr std::size_t kReasonByteLimit = 400;

// The ratings in the order of the window's choices; the index travels as the rating.
enum class Rating { satisfied = 0, fair = 1, dissatisfied = 2 };

// The satisfaction survey for one question, without its widgets.
class SurveyModel final {
 public:
  SurveyModel(protocol::Session& session, ports::MessagePort& messages, std::string question_id);

  const std::string& question_id() const { return question_id_; }

  // "发送": a refusal is shown and keeps the survey open (false); otherwise the rating is sent and the
  // server's message shown. True when the survey may close: the server took the rating.
  bool send(std::optional<Rating> rating, const std::string& reason);

 private:
  protocol::Session& session_;
  ports::MessagePort& messages_;
  std::string question_id_;
};

// The survey window as the customer-service window offers it on leaving.
class SurveyWindowPort {
 public:
  virtual ~SurveyWindowPort() = default;
  // Runs the survey modally until it is sent or "跳过".
  virtual void run(SurveyModel& survey) = 0;
};

}  // namespace brindle::messages
