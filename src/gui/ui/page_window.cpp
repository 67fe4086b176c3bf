#include "gui/ui/page_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/ui/server_certificate.h"
#include "gui/ui/skinned_frame.h"

#ifdef BRINDLE_HAVE_WEBENGINE
#include <QWebEngineView>
#endif

namespace brindle::gui {

namespace {
struct HeldTo {
  std::function<std::string()> current_server;
  std::shared_ptr<net::ServerKeys> keys;
};
HeldTo& held_to() {
  static HeldTo held;
  return held;
}
}  // namespace

void PageWindow::hold_pages_to(std::function<std::string()> current_server,
                               std::shared_ptr<net::ServerKeys> keys) {
  held_to() = {std::move(current_server), std::move(keys)};
}

bool PageWindow::has_web_engine() {
#ifdef BRINDLE_HAVE_WEBENGINE
  return true;
#else
  return false;
#endif
}

PageWindow::PageWindow(const QString& title, const QString& address, QWidget* parent,
                       std::function<std::string()> current_server, std::shared_ptr<net::ServerKeys> keys)
    : QDialog(parent), address_(address) {
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
#ifdef BRINDLE_HAVE_WEBENGINE
  auto* view = new QWebEngineView(this);
  view->setObjectName("pageView");
  if (!keys) {
    current_server = held_to().current_server;
    keys = held_to().keys;
  }
  if (keys && current_server) {
    accept_current_server_certificate(view->page(), std::move(current_server), std::move(keys));
  }
  view->setUrl(QUrl(address));
  layout->addWidget(view, 1);
  resize(900, 640);
#else
  auto* text = new QLabel(this);
  text->setObjectName("pageLink");
  text->setTextFormat(Qt::RichText);
  text->setText(QStringLiteral("本页面请在浏览器中查看：<br><a href=\"%1\">%2</a>")
                    .arg(address.toHtmlEscaped(), address.toHtmlEscaped()));
  text->setTextInteractionFlags(Qt::TextBrowserInteraction);
  connect(text, &QLabel::linkActivated, this,
          [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
  layout->addWidget(text, 1);
  resize(420, 160);
  (void)current_server, (void)keys;
#endif
  exit_ = new QPushButton(QStringLiteral("退出"), this);
  connect(exit_, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(exit_);
  layout->addLayout(buttons);
  SkinnedFrame::skin_dialog(this);
}

}  // namespace brindle::gui
