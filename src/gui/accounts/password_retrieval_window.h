#pragma once

#include <QDialog>

#include "core/accounts/password_retrieval.h"
#include "core/ports/account_windows_port.h"

class QLineEdit;
class QPushButton;

namespace brindle::gui {

// "取回密码": one user name box.
class PasswordRetrievalWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit PasswordRetrievalWindow(QWidget* parent = nullptr);
  QLineEdit* user_name_box() const { return user_name_; }
  QPushButton* submit_button() const { return submit_; }

 private:
  QLineEdit* user_name_ = nullptr;
  QPushButton* submit_ = nullptr;
};

class PasswordRetrievalWindowPortImpl final : public ports::PasswordRetrievalWindowPort {
 public:
  explicit PasswordRetrievalWindowPortImpl(QWidget* owner) : owner_(owner) {}
  std::optional<std::string> ask_user_name() override;

 private:
  QWidget* owner_;
};

// "忘记密码" over its window, owned by `owner`.
void run_password_retrieval_window(accounts::AccountServices services, QWidget* owner);

}  // namespace brindle::gui
