#include "gui/betting/in_play_web_window.h"

#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "core/betting/in_play_web_page.h"
#include "gui/ui/server_certificate.h"
#include "gui/ui/skinned_frame.h"

#if defined(BRINDLE_HAVE_WEBENGINE)
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

namespace brindle::gui {
namespace {

constexpr char kTitle[] = "走地";
constexpr char kNoBrowserText[] = "本客户端没有内嵌浏览器，无法打开走地网页版。";

}  // namespace

InPlayWebWindow::InPlayWebWindow(const std::string& current_server, const std::string& web_token,
                                 bool embedded_browser, std::shared_ptr<net::ServerKeys> server_keys,
                                 QWidget* parent)
    : QDialog(parent) {
  setObjectName("inPlayWebWindow");
  setWindowTitle(QString::fromUtf8(kTitle));
  const auto page = betting::in_play_web_page(current_server, web_token);
  address_ = QString::fromStdString(page.address);
  // Closed by its caption's button or Escape, which the embedded browser would otherwise keep for the
  // page; the Main window then goes back to the first hall.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
#if defined(BRINDLE_HAVE_WEBENGINE)
  if (embedded_browser) {
    auto* view = new QWebEngineView(this);
    view->setObjectName("inPlayWebView");
    accept_current_server_certificate(
        view->page(), [current_server] { return current_server; }, std::move(server_keys));
    QWebEngineHttpRequest request = QWebEngineHttpRequest::postRequest(QUrl(address_), {});
    request.setHeader("Content-Type", "application/x-www-form-urlencoded");
    request.setPostData(QByteArray::fromStdString(page.form_body));
    view->load(request);
    browser_ = view;
    layout->addWidget(view, 1);
    resize(1080, 680);
  }
#else
  (void)embedded_browser;
  (void)server_keys;
#endif
  if (browser_ == nullptr) {
    auto* text = new QLabel(QString::fromUtf8(kNoBrowserText), this);
    text->setObjectName("noBrowserText");
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text, 1);
    resize(420, 160);
  }
  SkinnedFrame::skin_dialog(this);
}

}  // namespace brindle::gui
