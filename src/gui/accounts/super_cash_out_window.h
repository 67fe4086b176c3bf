#pragma once

#include <QDialog>

#include "core/ports/star_member_windows_port.h"

class QLabel;
class QLineEdit;

namespace brindle::gui {

class MaskedPasswordBox;

// The super cash-out window "超级兑现": what it is for, the star member it settles with, a
// digits-only amount and the user's withdrawal password.
class SuperCashOutWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit SuperCashOutWindow(QWidget* parent = nullptr);

  void set_content(const std::string& star_member_line, const ports::CashOutEntries& entries);
  ports::CashOutEntries entries() const;

  QLabel* star_member_label() const { return star_member_; }
  QLineEdit* amount_box() const { return amount_; }
  MaskedPasswordBox* password_box() const { return password_; }

 private:
  QLabel* star_member_ = nullptr;
  QLineEdit* amount_ = nullptr;
  MaskedPasswordBox* password_ = nullptr;
};

// The port over a fresh cash-out window for every showing.
class SuperCashOutWindowPortImpl final : public ports::SuperCashOutWindowPort {
 public:
  explicit SuperCashOutWindowPortImpl(QWidget* owner) : owner_(owner) {}
  std::optional<ports::CashOutEntries> ask_cash_out(const std::string& star_member_line,
                                                    const ports::CashOutEntries& typed) override;

 private:
  QWidget* owner_;
};

}  // namespace brindle::gui
