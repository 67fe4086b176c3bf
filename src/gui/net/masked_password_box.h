#pragma once

#include <QLineEdit>
#include <string>

namespace brindle::gui {

// The password edit: shows one "*" per character and keeps the typed characters, so that every edit
// at any position (typing, deleting, replacing a selection, pasting, undo) lands in the kept text.
class MaskedPasswordBox final : public QLineEdit {
  Q_OBJECT
 public:
  explicit MaskedPasswordBox(QWidget* parent = nullptr);

  // What is sent as the password.
  std::string keptText() const { return text().toStdString(); }
  void setKeptText(const std::string& utf8_text) { setText(QString::fromStdString(utf8_text)); }
};

}  // namespace brindle::gui
