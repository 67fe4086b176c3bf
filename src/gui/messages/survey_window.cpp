#include "gui/messages/survey_window.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>

#include "gui/ui/skinned_frame.h"

namespace brindle::gui {
namespace {

constexpr QSize kTemplateSize(400, 300);

}  // namespace

SurveyWindow::SurveyWindow(messages::SurveyModel& model, QWidget* parent) : QDialog(parent), model_(model) {
  setObjectName("surveyWindow");
  setWindowTitle(QString::fromUtf8(messages::kSurveyTitle));
  setModal(true);

  auto* group = new QGroupBox(QStringLiteral("满意度调查"), this);
  auto* choices = new QHBoxLayout(group);
  auto* exclusive = new QButtonGroup(this);
  const char* texts[] = {"满意", "一般", "不满意"};
  for (int i = 0; i < 3; ++i) {
    choices_[i] = new QRadioButton(QString::fromUtf8(texts[i]), group);
    exclusive->addButton(choices_[i], i);
    choices->addWidget(choices_[i]);
  }
  choices->addStretch();

  auto* prompt = new QLabel(QStringLiteral("为了我们能提供更好的服务，欢迎您提出未达到满意的原因："), this);
  prompt->setWordWrap(true);
  reason_ = new QPlainTextEdit(this);
  reason_->setObjectName("reason");
  reason_->setTabChangesFocus(true);

  send_ = new QPushButton(QStringLiteral("发送"), this);
  send_->setObjectName("send");
  send_->setDefault(true);
  skip_ = new QPushButton(QStringLiteral("跳过"), this);
  skip_->setObjectName("skip");
  connect(send_, &QPushButton::clicked, this, &SurveyWindow::send);
  connect(skip_, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(send_);
  buttons->addWidget(skip_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(prompt);
  layout->addWidget(reason_, 1);
  layout->addLayout(buttons);
  resize(kTemplateSize);
  choices_[0]->setFocus();
  SkinnedFrame::skin_dialog(this);
}

void SurveyWindow::send() {
  std::optional<messages::Rating> rating;
  for (int i = 0; i < 3; ++i) {
    if (choices_[i]->isChecked()) rating = static_cast<messages::Rating>(i);
  }
  if (model_.send(rating, reason_->toPlainText().toStdString())) accept();
}

}  // namespace brindle::gui
