#pragma once

#include <QValidator>
#include <cstddef>

class QLineEdit;
class QWidget;

namespace brindle::gui {

// Refuses an edit that would take the text past its limit in GBK bytes, as the boxes count.
class GbkByteLimit final : public QValidator {
 public:
  GbkByteLimit(std::size_t limit, QObject* parent) : QValidator(parent), limit_(limit) {}
  State validate(QString& input, int& position) const override;

 private:
  std::size_t limit_;
};

// A plain box named `name`, limited to `limit` GBK bytes (0: no limit).
QLineEdit* limited_box(const char* name, std::size_t limit, QWidget* parent);

}  // namespace brindle::gui
