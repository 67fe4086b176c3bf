#include "gui/app/splash_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

namespace brindle::gui {

SplashWindow::SplashWindow() = default;
SplashWindow::~SplashWindow() = default;

bool SplashWindow::show(const std::filesystem::path& bitmap) {
  if (window_) return true;
  const QPixmap picture(QString::fromStdString(bitmap.string()));
  if (picture.isNull()) return false;  // no splash, and nothing to say about it
  window_ = std::make_unique<QLabel>(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
  window_->setWindowTitle(QStringLiteral("澜川国际"));
  window_->setPixmap(picture);
  window_->setFixedSize(picture.size());
  window_->setCursor(Qt::ArrowCursor);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    window_->move(screen->geometry().center() - window_->rect().center());
  }
  window_->show();
  window_->repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  return true;
}

void SplashWindow::hide() { window_.reset(); }

bool SplashWindow::visible() const { return window_ && window_->isVisible(); }

}  // namespace brindle::gui
