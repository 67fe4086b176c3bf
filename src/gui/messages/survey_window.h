#pragma once

#include <QDialog>

#include "core/messages/survey.h"

class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace brindle::gui {

// The satisfaction survey "客户满意度调查" for one question. Its decisions are the model's.
class SurveyWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit SurveyWindow(messages::SurveyModel& model, QWidget* parent = nullptr);

  QRadioButton* choice(messages::Rating rating) const { return choices_[static_cast<int>(rating)]; }
  QPlainTextEdit* reason_box() const { return reason_; }
  QPushButton* send_button() const { return send_; }
  QPushButton* skip_button() const { return skip_; }

 private:
  void send();

  messages::SurveyModel& model_;
  QRadioButton* choices_[3] = {};
  QPlainTextEdit* reason_ = nullptr;
  QPushButton* send_ = nullptr;
  QPushButton* skip_ = nullptr;
};

}  // namespace brindle::gui
