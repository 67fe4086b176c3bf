#pragma once

#include <QDialog>

#include "core/accounts/profile.h"
#include "core/ports/account_windows_port.h"

class QLineEdit;
class QPushButton;

namespace brindle::gui {

class MaskedPasswordBox;

// "信息修改": the identity (user name, old password, old withdrawal password) and the new values.
// "提交" closes only when the form's checks pass.
class ProfileWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit ProfileWindow(accounts::ProfileForm& form, QWidget* parent = nullptr);

  void set_entries(const ports::ProfileEntries& entries);
  ports::ProfileEntries entries() const;

  QLineEdit* user_name_box() const { return user_name_; }
  MaskedPasswordBox* old_password_box() const { return old_password_; }
  MaskedPasswordBox* old_withdrawal_box() const { return old_withdrawal_; }
  MaskedPasswordBox* new_password_box() const { return new_password_; }
  MaskedPasswordBox* password_confirmation_box() const { return password_confirmation_; }
  QLineEdit* email_box() const { return email_; }
  MaskedPasswordBox* new_withdrawal_box() const { return new_withdrawal_; }
  MaskedPasswordBox* withdrawal_confirmation_box() const { return withdrawal_confirmation_; }
  QLineEdit* phone_box() const { return phone_; }
  QPushButton* submit_button() const { return submit_; }

 private:
  void submit();
  QWidget* box_of(accounts::Field field) const;

  accounts::ProfileForm& form_;
  QLineEdit* user_name_ = nullptr;
  MaskedPasswordBox* old_password_ = nullptr;
  MaskedPasswordBox* old_withdrawal_ = nullptr;
  MaskedPasswordBox* new_password_ = nullptr;
  MaskedPasswordBox* password_confirmation_ = nullptr;
  QLineEdit* email_ = nullptr;
  MaskedPasswordBox* new_withdrawal_ = nullptr;
  MaskedPasswordBox* withdrawal_confirmation_ = nullptr;
  QLineEdit* phone_ = nullptr;
  QLineEdit* nickname_ = nullptr;  // kept hidden: the nickname cannot be changed
  QPushButton* submit_ = nullptr;
};

class ProfileWindowPortImpl final : public ports::ProfileWindowPort {
 public:
  ProfileWindowPortImpl(accounts::ProfileForm& form, QWidget* owner) : form_(form), owner_(owner) {}
  std::optional<ports::ProfileEntries> ask_profile(const ports::ProfileEntries& typed) override;

 private:
  accounts::ProfileForm& form_;
  QWidget* owner_;
};

// "修改资料" over its window and the Confirmation window, owned by `owner`.
void run_profile_window(accounts::AccountServices services, QWidget* owner);

}  // namespace brindle::gui
