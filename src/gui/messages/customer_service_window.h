#pragma once

#include <QDialog>
#include <vector>

#include "core/messages/customer_service.h"
#include "core/messages/survey.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace brindle::net {
struct ClientContext;
class Transport;
}  // namespace brindle::net
namespace brindle::ports {
class ProgressSink;
}

namespace brindle::gui {

// The customer-service window "客服": the questions tab "面对面" and the private messages tab
// "私人消息", one item at a time. Its decisions are the model's.
class CustomerServiceWindow final : public QDialog {
  Q_OBJECT
 public:
  // `model` is opened already; the window shows its first tab.
  explicit CustomerServiceWindow(messages::CustomerServiceModel& model, QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  QPlainTextEdit* question_box() const { return question_box_; }
  QPlainTextEdit* message_box() const { return message_box_; }
  QLabel* heading_line() const { return heading_; }
  QComboBox* topic_box() const { return topic_; }
  QPlainTextEdit* description_box() const { return description_; }
  QPushButton* refresh_button() const { return refresh_; }
  QPushButton* previous_button() const { return previous_; }
  QPushButton* next_button() const { return next_; }
  QPushButton* delete_button() const { return delete_; }
  QPushButton* send_button() const { return send_; }
  QPushButton* exit_button() const { return exit_; }

 protected:
  void reject() override;  // the close box and Escape leave as "退出" does

 private:
  QWidget* build_questions_page();
  QWidget* build_private_page();
  void tab_changed(int index);
  void show_item();
  void leave();

  messages::CustomerServiceModel& model_;
  QTabWidget* tabs_ = nullptr;
  QPlainTextEdit* question_box_ = nullptr;
  QPlainTextEdit* message_box_ = nullptr;
  QLabel* heading_ = nullptr;
  QComboBox* topic_ = nullptr;
  QPlainTextEdit* description_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* send_ = nullptr;
  QPushButton* exit_ = nullptr;
  bool left_ = false;
};

// The survey as customer service offers it, modal over `parent`.
class SurveyWindowPortImpl final : public messages::SurveyWindowPort {
 public:
  explicit SurveyWindowPortImpl(QWidget* parent) : parent_(parent) {}
  void run(messages::SurveyModel& survey) override;

 private:
  QWidget* parent_;
};

// From the Main window: both lists, then the window unless a fetch failed.
void run_customer_service(protocol::Session& session, ports::MessagePort& messages, QWidget* parent);

// After sign-in, on the private messages that were waiting.
class CustomerServiceWindowPortImpl final : public messages::CustomerServiceWindowPort {
 public:
  CustomerServiceWindowPortImpl(net::ClientContext& context, net::Transport& transport,
                                ports::ProgressSink& progress, ports::MessagePort& messages)
      : context_(context), transport_(transport), progress_(progress), messages_(messages) {}
  void run_with(std::vector<protocol::PrivateMessage> list) override;

 private:
  net::ClientContext& context_;
  net::Transport& transport_;
  ports::ProgressSink& progress_;
  ports::MessagePort& messages_;
};

}  // namespace brindle::gui
