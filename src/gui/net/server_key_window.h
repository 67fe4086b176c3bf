#pragma once

#include <QDialog>

#include "core/ports/server_key_port.h"

class QLabel;
class QPushButton;

namespace brindle::gui {

// Put up when a server presents another key than the one held for it, before anything is sent to it:
// the core's account of the change (the server, both fingerprints, what to do), selectable so the user
// can copy the fingerprints to check them with the operator. A learned key may be trusted ("信任") or
// not ("不信任", the default, also Escape and closing); a built-in key can only be taken note of ("确定").
class ServerKeyWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit ServerKeyWindow(const ports::ServerKeyChange& change, QWidget* parent = nullptr);

  QString shownText() const;

 private:
  QLabel* text_ = nullptr;
};

// The key port over the real window: true only for "信任".
class ServerKeyWindowPort final : public ports::ServerKeyPort {
 public:
  explicit ServerKeyWindowPort(QWidget* parent = nullptr) : parent_(parent) {}
  bool trust_new_key(const ports::ServerKeyChange& change) override;

 private:
  QWidget* parent_;
};

}  // namespace brindle::gui
