#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

#include "core/ports/progress_sink.h"

class QLabel;
class QDialog;

namespace brindle::gui {

// Swallows every piece of user input that reaches the application while it is installed: mouse,
// keys, wheel, touch, context menus and the window system's close requests.
class UserInputDrop final : public QObject {
  Q_OBJECT
 public:
  static bool is_user_input(const QEvent& event);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// The small window behind which a Request runs: its owner is disabled, the wait cursor shows, and
// only painting goes on while the exchange waits. Input that arrives meanwhile is dropped, not kept
// for later: a click on 刷新 or a bet cell made during a Request must never act once it is over.
class ProgressWindow final : public ports::ProgressSink {
 public:
  static constexpr const char* kInitialText = "正在进行网络连接";

  ProgressWindow();
  ~ProgressWindow() override;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

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
  std::unique_ptr<UserInputDrop> input_drop_;
};

}  // namespace brindle::gui
