#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "core/accounts/registration.h"
#include "core/ports/account_windows_port.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace brindle::gui {

class MaskedPasswordBox;

// Shows a page of the server under a title ("用户协议"); a Page window unless a test says otherwise.
using PageOpener = std::function<void(const QString& title, const QString& address)>;

// "新用户注册": the boxes, the two check buttons, the two check boxes and the agreement. "确认"
// closes only when the form's checks pass; a refusal empties what the rule says and takes the focus
// back to its box.
class RegistrationWindow final : public QDialog {
  Q_OBJECT
 public:
  RegistrationWindow(accounts::RegistrationForm& form, PageOpener open_agreement, QWidget* parent = nullptr);

  void set_entries(const ports::RegistrationEntries& entries);
  ports::RegistrationEntries entries() const;

  QLineEdit* user_name_box() const { return user_name_; }
  MaskedPasswordBox* password_box() const { return password_; }
  MaskedPasswordBox* password_confirmation_box() const { return password_confirmation_; }
  QLineEdit* email_box() const { return email_; }
  MaskedPasswordBox* withdrawal_box() const { return withdrawal_; }
  MaskedPasswordBox* withdrawal_confirmation_box() const { return withdrawal_confirmation_; }
  QLineEdit* nickname_box() const { return nickname_; }
  QLineEdit* phone_box() const { return phone_; }
  QCheckBox* adult_box() const { return adult_; }
  QCheckBox* agreed_box() const { return agreed_; }
  QPushButton* submit_button() const { return submit_; }

 private:
  // Runs one of the form's checks over the boxes and shows its outcome.
  void apply(accounts::Field (accounts::RegistrationForm::*check)(ports::RegistrationEntries&));
  QWidget* box_of(accounts::Field field) const;

  accounts::RegistrationForm& form_;
  QLineEdit* user_name_ = nullptr;
  MaskedPasswordBox* password_ = nullptr;
  MaskedPasswordBox* password_confirmation_ = nullptr;
  QLineEdit* email_ = nullptr;
  MaskedPasswordBox* withdrawal_ = nullptr;
  MaskedPasswordBox* withdrawal_confirmation_ = nullptr;
  QLineEdit* nickname_ = nullptr;
  QLineEdit* phone_ = nullptr;
  QCheckBox* adult_ = nullptr;
  QCheckBox* agreed_ = nullptr;
  QPushButton* submit_ = nullptr;
};

class RegistrationWindowPortImpl final : public ports::RegistrationWindowPort {
 public:
  RegistrationWindowPortImpl(accounts::RegistrationForm& form, PageOpener open_agreement, QWidget* owner)
      : form_(form), open_agreement_(std::move(open_agreement)), owner_(owner) {}
  std::optional<ports::RegistrationEntries> ask_registration(
      const ports::RegistrationEntries& typed) override;

 private:
  accounts::RegistrationForm& form_;
  PageOpener open_agreement_;
  QWidget* owner_;
};

// "注册" over its window, owned by `owner`. An empty opener shows the agreement in a Page window.
void run_registration_window(accounts::AccountServices services, QWidget* owner,
                             PageOpener open_agreement = {});

}  // namespace brindle::gui
