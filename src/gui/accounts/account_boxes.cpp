#include "gui/accounts/account_boxes.h"

#include <QLineEdit>

#include "core/net/login_form.h"

namespace brindle::gui {

QValidator::State GbkByteLimit::validate(QString& input, int&) const {
  return net::fits_byte_limit(input.toStdString(), limit_) ? Acceptable : Invalid;
}

QLineEdit* limited_box(const char* name, std::size_t limit, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  if (limit > 0) box->setValidator(new GbkByteLimit(limit, box));
  return box;
}

}  // namespace brindle::gui
