#include "gui/net/progress_window.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

namespace brindle::gui {

void ProgressWindow::begin() {
  if (window_) return;
  if (owner_ && owner_->isEnabled()) {
    owner_->setEnabled(false);
    disabled_ = owner_;
  }
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
  // Painting only: clicks and keys meant for other windows must not start a second Request.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::end() {
  if (!window_) return;
  QApplication::restoreOverrideCursor();
  if (disabled_) disabled_->setEnabled(true);
  disabled_ = nullptr;
  window_->hide();
  window_->deleteLater();
  window_ = nullptr;
  text_ = nullptr;
}

}  // namespace brindle::gui
