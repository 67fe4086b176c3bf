#pragma once

#include <QDialog>
#include <string>

#include "core/ports/message_port.h"

class QLabel;
class QPushButton;

namespace brindle::gui {

// The application's own modal message box, titled "澜川国际", with "确认" and, when asked for, "取消".
class MessageWindow final : public QDialog {
  Q_OBJECT
 public:
  MessageWindow(const std::string& utf8_text, bool offer_cancel, QWidget* parent = nullptr);

  QString shownText() const;
  int textLineCount() const { return line_count_; }
  bool cancelOffered() const;

 private:
  QLabel* text_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  int line_count_ = 1;
};

// The Message window port over real windows.
class MessageWindowPort final : public ports::MessagePort {
 public:
  explicit MessageWindowPort(QWidget* parent = nullptr) : parent_(parent) {}
  int show_message(const std::string& utf8_text, bool offer_cancel) override;

 private:
  QWidget* parent_;
};

}  // namespace brindle::gui
