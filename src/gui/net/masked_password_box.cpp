#include "gui/net/masked_password_box.h"

#include <QProxyStyle>

namespace brindle::gui {

namespace {

// The platform's mask character and its show-the-last-key delay give way to a plain "*" at once.
class AsteriskStyle final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

}  // namespace

MaskedPasswordBox::MaskedPasswordBox(QWidget* parent) : QLineEdit(parent) {
  auto* style = new AsteriskStyle;
  style->setParent(this);
  setStyle(style);
  // The line edit keeps the characters and mirrors every edit; only the shown text is masked.
  setEchoMode(QLineEdit::Password);
}

}  // namespace brindle::gui
