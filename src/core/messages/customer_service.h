#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/protocol/account_records.h"

namespace brindle::protocol {
struct Session;
}
namespace brindle::ports {
class MessagePort;
}

namespace brindle::messages {

class SurveyWindowPort;

inline constexpr char kCustomerServiceTitle[] = "客服";
inline constexpr char kEmptyDescriptionText[] = "描述不能为空";
inline constexpr char kNoticeFormat[] = "系统信息：\r\n  %s";
inline constexpr char kAnsweredFormat[] = "问题：%s\r\n  %s\r\n\r\n回复人：%s\r\n  %s";
inline constexpr char kUnansweredFormat[] = "问题：%s\r\n  %s\r\n\r\n回复：尚无回复。";
inline constexpr char kPrivateMessageFormat[] = "%s\r\n\r\n发送时间：%s";

enum class ServiceTab { questions, private_messages };

// What a question item and a private message read like in their text boxes.
std::string question_text(const protocol::Question& item);
std::string private_message_text(const protocol::PrivateMessage& message);
// The item id that the survey check and the rating name: "0" for a system notice.
std::string question_id_text(const protocol::Question& item);

// One tab's list in reply order and the item shown, paged one at a time.
template <typename Item>
class PagedList {
 public:
  const std::vector<Item>& items() const { return items_; }
  bool empty() const { return items_.empty(); }
  std::size_t cursor() const { return cursor_; }
  const Item* current() const { return items_.empty() ? nullptr : &items_[cursor_]; }
  bool previous_enabled() const { return !items_.empty() && cursor_ > 0; }
  bool next_enabled() const { return !items_.empty() && cursor_ + 1 < items_.size(); }
  void previous() {
    if (previous_enabled()) --cursor_;
  }
  void next() {
    if (next_enabled()) ++cursor_;
  }
  void assign(std::vector<Item> items) {
    items_ = std::move(items);
    cursor_ = 0;
  }
  // Removes the item shown; the cursor stays on the next one, or wraps to the first.
  void remove_current() {
    if (items_.empty()) return;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(cursor_));
    if (cursor_ >= items_.size()) cursor_ = 0;
  }

 private:
  std::vector<Item> items_;
  std::size_t cursor_ = 0;
};

struct CustomerServiceServices {
  protocol::Session& session;
  ports::MessagePort& messages;
  SurveyWindowPort& survey;
};

// The customer-service window "客服" without its widgets: the questions tab "面对面" and the private
// messages tab "私人消息", each a list with a cursor; sending, deleting and the survey on leaving.
class CustomerServiceModel final {
 public:
  explicit CustomerServiceModel(CustomerServiceServices services);

  // From the main frame: the private messages, then the questions. False when either fetch failed
  // (its message was shown); the window then does not open.
  bool open();
  // After sign-in, with the private messages already fetched.
  void open_with(std::vector<protocol::PrivateMessage> messages);
  // The tab the window opens on: private messages when there are any.
  ServiceTab first_tab() const;

  // The view shows a tab; showing the questions makes leaving run the survey check. Opened after
  // sign-in the questions were not fetched: their first showing fetches them.
  void show_tab(ServiceTab tab);
  ServiceTab tab() const { return tab_; }

  const PagedList<protocol::Question>& questions() const { return questions_; }
  const PagedList<protocol::PrivateMessage>& private_messages() const { return private_; }

  // The shown tab's text box; the private tab's heading line. Empty for an empty list.
  std::string item_text() const;
  std::string heading_text() const;
  // The current question's id text; empty while the questions list is empty.
  std::string current_question_id() const;

  bool previous_enabled() const;
  bool next_enabled() const;
  bool delete_enabled() const { return !private_.empty(); }
  void previous();
  void next();

  // "刷新": the shown tab's list again from the server; false (message shown, tab empty) on failure.
  bool refresh();
  // "发送": false when refused or not taken (the message shown); true when the fields are to be
  // emptied.
  bool send(const std::string& topic, const std::string& description);
  // "删除": the private message shown; true when the server removed it.
  bool delete_current();
  // "退出": after the questions were shown, the survey check and, when the service asks, the survey.
  void leave();

 private:
  bool fetch_questions();
  bool fetch_private_messages();
  void say(const std::string& text);

  CustomerServiceServices services_;
  PagedList<protocol::Question> questions_;
  PagedList<protocol::PrivateMessage> private_;
  ServiceTab tab_ = ServiceTab::questions;
  bool questions_shown_ = false;
  bool questions_fetched_ = false;
};

// The window as the start-up flow opens it after sign-in.
class CustomerServiceWindowPort {
 public:
  virtual ~CustomerServiceWindowPort() = default;
  // Runs the window modally on the private messages that were waiting.
  virtual void run_with(std::vector<protocol::PrivateMessage> messages) = 0;
};

}  // namespace brindle::messages
