#include "gui/messages/customer_service_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/protocol/session.h"
#include "gui/messages/survey_window.h"
#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

using messages::ServiceTab;

constexpr QSize kTemplateSize(520, 440);
constexpr int kQuestionsIndex = 0;
constexpr int kPrivateIndex = 1;

// The topics offered; the box takes any other text as well.
const char* const kTopics[] = {"投注", "帐户", "存款与提款", "软件使用", "意见建议", "其他"};

QString box_text(const std::string& utf8) {
  return QString::fromStdString(utf8).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QPushButton* add_button(QHBoxLayout* row, QWidget* parent, const char* text, const char* name) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  row->addWidget(button);
  return button;
}

QPlainTextEdit* read_only_box(QWidget* parent, const char* name) {
  auto* box = new QPlainTextEdit(parent);
  box->setObjectName(name);
  box->setReadOnly(true);
  return box;
}

}  // namespace

CustomerServiceWindow::CustomerServiceWindow(messages::CustomerServiceModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setObjectName("customerServiceWindow");
  setWindowTitle(QString::fromUtf8(messages::kCustomerServiceTitle));
  setModal(true);

  tabs_ = new QTabWidget(this);
  tabs_->addTab(build_questions_page(), QStringLiteral("面对面"));
  tabs_->addTab(build_private_page(), QStringLiteral("私人消息"));

  auto* row = new QHBoxLayout;
  refresh_ = add_button(row, this, "刷新", "refresh");
  previous_ = add_button(row, this, "上一条", "previous");
  next_ = add_button(row, this, "下一条", "next");
  delete_ = add_button(row, this, "删除", "delete");
  send_ = add_button(row, this, "发送", "send");
  row->addStretch();
  exit_ = add_button(row, this, "退出", "exit");

  connect(refresh_, &QPushButton::clicked, this, [this] {
    model_.refresh();
    show_item();
  });
  connect(previous_, &QPushButton::clicked, this, [this] {
    model_.previous();
    show_item();
  });
  connect(next_, &QPushButton::clicked, this, [this] {
    model_.next();
    show_item();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    if (model_.delete_current()) show_item();
  });
  connect(send_, &QPushButton::clicked, this, [this] {
    if (model_.send(topic_->currentText().toStdString(), description_->toPlainText().toStdString())) {
      topic_->setCurrentIndex(-1);
      topic_->clearEditText();
      description_->clear();
    }
  });
  connect(exit_, &QPushButton::clicked, this, &CustomerServiceWindow::leave);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addLayout(row);
  resize(kTemplateSize);

  const int first = model_.tab() == ServiceTab::private_messages ? kPrivateIndex : kQuestionsIndex;
  tabs_->setCurrentIndex(first);
  tab_changed(first);
  connect(tabs_, &QTabWidget::currentChanged, this, &CustomerServiceWindow::tab_changed);
  SkinnedFrame::skin_dialog(this);
}

QWidget* CustomerServiceWindow::build_questions_page() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(new QLabel(QStringLiteral("已提交的问题和回复"), page));
  question_box_ = read_only_box(page, "questionText");
  layout->addWidget(question_box_, 3);
  auto* prompt =
      new QLabel(QStringLiteral("请选一个主题，在框内写上您的问题或评价，然后按下“发送”： "), page);
  prompt->setWordWrap(true);
  layout->addWidget(prompt);

  auto* topic_row = new QHBoxLayout;
  topic_row->addWidget(new QLabel(QStringLiteral("主题："), page));
  topic_ = new QComboBox(page);
  topic_->setObjectName("topic");
  topic_->setEditable(true);
  for (const char* topic : kTopics) topic_->addItem(QString::fromUtf8(topic));
  topic_->setCurrentIndex(-1);
  topic_row->addWidget(topic_, 1);
  layout->addLayout(topic_row);

  layout->addWidget(new QLabel(QStringLiteral("描述："), page));
  description_ = new QPlainTextEdit(page);
  description_->setObjectName("description");
  description_->setTabChangesFocus(true);
  layout->addWidget(description_, 2);
  return page;
}

QWidget* CustomerServiceWindow::build_private_page() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  heading_ = new QLabel(page);
  heading_->setObjectName("heading");
  QFont bold = heading_->font();
  bold.setBold(true);
  heading_->setFont(bold);
  layout->addWidget(heading_);
  message_box_ = read_only_box(page, "messageText");
  layout->addWidget(message_box_, 1);
  return page;
}

void CustomerServiceWindow::tab_changed(int index) {
  const bool questions = index == kQuestionsIndex;
  model_.show_tab(questions ? ServiceTab::questions : ServiceTab::private_messages);
  delete_->setVisible(!questions);
  send_->setVisible(questions);
  show_item();
  if (questions) description_->setFocus();
}

void CustomerServiceWindow::show_item() {
  const QString text = box_text(model_.item_text());
  if (model_.tab() == ServiceTab::questions) {
    question_box_->setPlainText(text);
  } else {
    heading_->setText(QString::fromStdString(model_.heading_text()));
    message_box_->setPlainText(text);
  }
  previous_->setEnabled(model_.previous_enabled());
  next_->setEnabled(model_.next_enabled());
  delete_->setEnabled(model_.delete_enabled());
}

void CustomerServiceWindow::leave() {
  // One survey at most per closing, whichever way the window is left.
  if (!left_) {
    left_ = true;
    model_.leave();
  }
  QDialog::reject();
}

void CustomerServiceWindow::reject() { leave(); }

void SurveyWindowPortImpl::run(messages::SurveyModel& survey) {
  SurveyWindow window(survey, parent_);
  window.exec();
}

void run_customer_service(protocol::Session& session, ports::MessagePort& messages, QWidget* parent) {
  SurveyWindowPortImpl survey(parent);
  messages::CustomerServiceModel model({session, messages, survey});
  if (!model.open()) return;
  CustomerServiceWindow window(model, parent);
  window.exec();
}

void CustomerServiceWindowPortImpl::run_with(std::vector<protocol::PrivateMessage> list) {
  protocol::Session session{transport_, progress_, context_};
  SurveyWindowPortImpl survey(nullptr);
  messages::CustomerServiceModel model({session, messages_, survey});
  model.open_with(std::move(list));
  CustomerServiceWindow window(model, nullptr);
  window.exec();
}

}  // namespace brindle::gui
