#pragma once

#include <QDialog>

#include "core/ports/confirmation_port.h"

class QLabel;

namespace brindle::gui {

// A caller-titled question over the group "确认信息", answered by "确认" or "取消".
class ConfirmationWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit ConfirmationWindow(const ports::ConfirmationRequest& request, QWidget* parent = nullptr);
  QLabel* textLabel() const { return text_; }

 private:
  QLabel* text_ = nullptr;
};

class ConfirmationWindowPort final : public ports::ConfirmationPort {
 public:
  explicit ConfirmationWindowPort(QWidget* parent = nullptr) : parent_(parent) {}
  bool confirm(const ports::ConfirmationRequest& request) override;

 private:
  QWidget* parent_;
};

}  // namespace brindle::gui
