#include "gui/net/progress_window.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

#include "gui/ui/skinned_frame.h"

namespace brindle::gui {

bool UserInputDrop::is_user_input(const QEvent& event) {
  switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
      return true;
    case QEvent::Close:
      // Only the user's close: a window the program closes itself must still close.
      return event.spontaneous();
    default:
      return false;
  }
}

bool UserInputDrop::eventFilter(QObject* watched, QEvent* event) {
  if (is_user_input(*event)) return true;
  return QObject::eventFilter(watched, event);
}

ProgressWindow::ProgressWindow() : input_drop_(std::make_unique<UserInputDrop>()) {}

ProgressWindow::~ProgressWindow() {
  if (window_) qApp->removeEventFilter(input_drop_.get());
}

void ProgressWindow::begin() {
  if (window_) return;
  if (owner_ && owner_->isEnabled()) {
    owner_->setEnabled(false);
    disabled_ = owner_;
  }
  qApp->installEventFilter(input_drop_.get());
  window_ = new QDialog(owner_, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  window_->setWindowTitle(QStringLiteral("澜川国际"));
  auto* icon = new QLabel(window_);
  icon->setPixmap(window_->style()->standardIcon(QStyle::SP_BrowserReload).pixmap(32, 32));
  text_ = new QLabel(QString::fromUtf8(kInitialText), window_);
  text_->setObjectName("progressText");
  text_->setMinimumWidth(220);
  auto* layout = new QHBoxLayout(window_);
  layout->addWidget(icon);
  layout->addWidget(text_);
  SkinnedFrame::skin_dialog(window_);
  window_->show();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  pump();
}

void ProgressWindow::show_text(const std::string& utf8_text) {
  pump();
  if (text_) text_->setText(QString::fromStdString(utf8_text));
  pump();
}

void ProgressWindow::pump() {
  // Everything is dispatched, so that input reaches the drop filter now instead of waiting in the
  // window system's queue until the owner is enabled again (as excluding input would leave it).
  QApplication::processEvents(QEventLoop::AllEvents);
}

void ProgressWindow::end() {
  if (!window_) return;
  // Input that came in since the last pump is dropped too, before anything takes input again.
  pump();
  qApp->removeEventFilter(input_drop_.get());
  QApplication::restoreOverrideCursor();
  if (disabled_) disabled_->setEnabled(true);
  disabled_ = nullptr;
  window_->hide();
  window_->deleteLater();
  window_ = nullptr;
  text_ = nullptr;
}

}  // namespace brindle::gui
