#pragma once

#include <QLineEdit>
#include <QValidator>
#include <cstddef>

#include "core/net/login_form.h"

namespace brindle::gui {

// Refuses an edit that would take the text past its limit in GBK bytes, as the boxes count.
class GbkByteLimit final : public QValidator {
 public:
  GbkByteLimit(std::size_t limit, QObject* parent) : QValidator(parent), limit_(limit) {}
  State validate(QString& input, int&) const override {
    return net::fits_byte_limit(input.toStdString(), limit_) ? Acceptable : Invalid;
  }

 private:
  std::size_t limit_;
};

inline QLineEdit* limited_box(const char* name, std::size_t limit, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  if (limit > 0) box->setValidator(new GbkByteLimit(limit, box));
  return box;
}

}  // namespace brindle::gui
