#include "core/messages/customer_service.h"

#include <initializer_list>

#include "core/messages/survey.h"
#include "core/ports/message_port.h"
#include "core/protocol/rooms_messages.h"
#include "core/protocol/session.h"

namespace brindle::messages {
namespace {

// Each "%s" of `format` in turn takes the next text; the texts are the server's, of any length.
std::string fill(std::string_view format, std::initializer_list<std::string_view> texts) {
  std::string out;
  auto next = texts.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format.compare(i, 2, "%s") == 0 && next != texts.end()) {
      out.append(*next++);
      ++i;
    } else {
      out.push_back(format[i]);
    }
  }
  return out;
}

// Keeps notices and questions in one list, in reply order.
struct QuestionCollector final : protocol::QuestionInserter {
  void clear() override { items.clear(); }
  void insert_question(const protocol::Question& q) override { items.push_back(q); }
  void insert_notice(const protocol::Question& q) override { items.push_back(q); }
  std::vector<protocol::Question> items;
};

}  // namespace

std::string question_text(const protocol::Question& item) {
  if (item.kind == 0) return fill(kNoticeFormat, {item.reply});
  if (item.reply.empty()) return fill(kUnansweredFormat, {item.topic, item.question});
  return fill(kAnsweredFormat, {item.topic, item.question, item.replier, item.reply});
}

std::string private_message_text(const protocol::PrivateMessage& message) {
  return fill(kPrivateMessageFormat, {message.content, message.sending_time});
}

std::string question_id_text(const protocol::Question& item) {
  return item.kind == 0 ? "0" : std::to_string(item.number);
}

CustomerServiceModel::CustomerServiceModel(CustomerServiceServices services) : services_(services) {}

bool CustomerServiceModel::open() {
  if (!fetch_private_messages()) return false;
  if (!fetch_questions()) return false;
  tab_ = first_tab();
  return true;
}

void CustomerServiceModel::open_with(std::vector<protocol::PrivateMessage> messages) {
  private_.assign(std::move(messages));
  tab_ = first_tab();
}

ServiceTab CustomerServiceModel::first_tab() const {
  return private_.empty() ? ServiceTab::questions : ServiceTab::private_messages;
}

void CustomerServiceModel::show_tab(ServiceTab tab) {
  tab_ = tab;
  if (tab != ServiceTab::questions) return;
  questions_shown_ = true;
  if (!questions_fetched_) fetch_questions();
}

std::string CustomerServiceModel::item_text() const {
  if (tab_ == ServiceTab::questions) {
    const auto* item = questions_.current();
    return item ? question_text(*item) : std::string();
  }
  const auto* message = private_.current();
  return message ? private_message_text(*message) : std::string();
}

std::string CustomerServiceModel::heading_text() const {
  const auto* message = private_.current();
  return message ? message->heading : std::string();
}

std::string CustomerServiceModel::current_question_id() const {
  const auto* item = questions_.current();
  return item ? question_id_text(*item) : std::string();
}

bool CustomerServiceModel::previous_enabled() const {
  return tab_ == ServiceTab::questions ? questions_.previous_enabled() : private_.previous_enabled();
}

bool CustomerServiceModel::next_enabled() const {
  return tab_ == ServiceTab::questions ? questions_.next_enabled() : private_.next_enabled();
}

void CustomerServiceModel::previous() {
  if (tab_ == ServiceTab::questions) {
    questions_.previous();
  } else {
    private_.previous();
  }
}

void CustomerServiceModel::next() {
  if (tab_ == ServiceTab::questions) {
    questions_.next();
  } else {
    private_.next();
  }
}

bool CustomerServiceModel::refresh() {
  if (tab_ == ServiceTab::questions) {
    questions_.assign({});
    return fetch_questions();
  }
  private_.assign({});
  return fetch_private_messages();
}

bool CustomerServiceModel::send(const std::string& topic, const std::string& description) {
  // Checked once cleaned: a description of line breaks alone would otherwise go out empty.
  if (protocol::clean_free_text(description).empty()) {
    say(kEmptyDescriptionText);
    return false;
  }
  const auto sent = protocol::send_question(services_.session, topic, description);
  say(sent ? sent.value() : sent.error());
  // What was typed stays when the question did not arrive, so it can be sent again.
  return sent.ok();
}

bool CustomerServiceModel::delete_current() {
  const auto* message = private_.current();
  if (message == nullptr) return false;
  const auto deleted = protocol::delete_private_message(services_.session, message->number);
  if (!deleted) {
    say(deleted.error());
    return false;
  }
  say(deleted.value());
  private_.remove_current();
  return true;
}

void CustomerServiceModel::leave() {
  if (!questions_shown_) return;
  const std::string id = current_question_id();
  if (!protocol::survey_check(services_.session, id)) return;
  if (id.empty()) return;
  SurveyModel survey(services_.session, services_.messages, id);
  services_.survey.run(survey);
}

bool CustomerServiceModel::fetch_questions() {
  questions_fetched_ = true;  // once asked, only "刷新" asks again
  QuestionCollector list;
  const auto fetched = protocol::fetch_questions(services_.session, list);
  if (!fetched) {
    say(fetched.error());
    return false;
  }
  questions_.assign(std::move(list.items));
  return true;
}

bool CustomerServiceModel::fetch_private_messages() {
  std::vector<protocol::PrivateMessage> list;
  const auto fetched = protocol::fetch_private_messages(services_.session, list);
  if (!fetched) {
    say(fetched.error());
    return false;
  }
  private_.assign(std::move(list));
  return true;
}

void CustomerServiceModel::say(const std::string& text) {
  if (!text.empty()) services_.messages.show_message(text, false);
}

}  // namespace brindle::messages
