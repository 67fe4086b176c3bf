#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "core/ports/progress_sink.h"

class QLabel;
class QDialog;

namespace brindle::gui {

// The small window behind which a Request runs: its owner is disabled, the wait cursor shows, and
// only painting goes on while the exchange waits.
class ProgressWindow final : public ports::ProgressSink {
 public:
  static constexpr const char* kInitialText = "正在进行网络连接";

  // `owner` may change as windows come and go (the Login window, then the Main window).
  void set_owner(QWidget* owner) { owner_ = owner; }

  void begin() override;
  void show_text(const std::string& utf8_text) override;
  void pump() override;
  void end() override;

  // For tests: the window while an exchange runs.
  QDialog* window() const { return window_; }

 private:
  QPointer<QWidget> owner_;
  QPointer<QWidget> disabled_;
  QDialog* window_ = nullptr;
  QLabel* text_ = nullptr;
};

}  // namespace brindle::gui
