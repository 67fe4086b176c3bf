#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace brindle::gui {

// One address shown inside the client under a caller-given title, with "退出". Where the build has
// no web engine, a short text with a link opens the address in the user's browser instead.
class PageWindow final : public QDialog {
  Q_OBJECT
 public:
  PageWindow(const QString& title, const QString& address, QWidget* parent = nullptr);

  static bool has_web_engine();
  QString address() const { return address_; }
  QPushButton* exitButton() const { return exit_; }

 private:
  QString address_;
  QPushButton* exit_ = nullptr;
};

}  // namespace brindle::gui
