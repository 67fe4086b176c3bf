#include "gui/ui/server_certificate.h"

#include <QUrl>

#if defined(BRINDLE_HAVE_WEBENGINE)
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#endif

namespace brindle::gui {

bool on_current_server(const QUrl& url, const std::string& current_server) {
  const QUrl server(QStringLiteral("https://") + QString::fromStdString(current_server));
  return server.isValid() && !server.host().isEmpty() && url.host() == server.host() &&
         url.port(443) == server.port(443);
}

#if defined(BRINDLE_HAVE_WEBENGINE)
void accept_current_server_certificate(QWebEnginePage* page, std::function<std::string()> current_server) {
  QObject::connect(page, &QWebEnginePage::certificateError, page,
                   [current_server = std::move(current_server)](const QWebEngineCertificateError& error) {
                     QWebEngineCertificateError copy = error;
                     if (copy.isOverridable() && on_current_server(error.url(), current_server())) {
                       copy.acceptCertificate();
                     }
                   });
}
#endif

}  // namespace brindle::gui
