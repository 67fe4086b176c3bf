#pragma once

#include <QDialog>

#include "core/ports/star_member_windows_port.h"

class QLineEdit;

namespace brindle::gui {

class MaskedPasswordBox;

// The transfer window "拨彩": the receiving user twice, a digits-only amount and the user's own
// withdrawal password.
class TransferWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit TransferWindow(QWidget* parent = nullptr);

  void set_entries(const ports::TransferEntries& entries);
  ports::TransferEntries entries() const;

  QLineEdit* user_name_box() const { return user_name_; }
  QLineEdit* confirmed_user_name_box() const { return confirmed_; }
  QLineEdit* amount_box() const { return amount_; }
  MaskedPasswordBox* password_box() const { return password_; }

 private:
  QLineEdit* user_name_ = nullptr;
  QLineEdit* confirmed_ = nullptr;
  QLineEdit* amount_ = nullptr;
  MaskedPasswordBox* password_ = nullptr;
};

// The port over a fresh transfer window for every showing.
class TransferWindowPortImpl final : public ports::TransferWindowPort {
 public:
  explicit TransferWindowPortImpl(QWidget* owner) : owner_(owner) {}
  std::optional<ports::TransferEntries> ask_transfer(const ports::TransferEntries& typed) override;

 private:
  QWidget* owner_;
};

}  // namespace brindle::gui
