#include "gui/ui/server_certificate.h"

#include <QUrl>
#include <utility>

#include "core/net/server_keys.h"

#if defined(BRINDLE_HAVE_WEBENGINE)
#include <QSslCertificate>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#endif

namespace brindle::gui {

bool on_current_server(const QUrl& url, const std::string& current_server) {
  const QUrl server(QStringLiteral("https://") + QString::fromStdString(current_server));
  return server.isValid() && !server.host().isEmpty() && url.host() == server.host() &&
         url.port(443) == server.port(443);
}

bool accept_page_certificate(net::ServerKeys& keys, const QUrl& url, const std::string& current_server,
                             std::string_view leaf_der) {
  if (!on_current_server(url, current_server)) return false;
  const auto endpoint = net::key_endpoint(url.host().toStdString(), url.port(443));
  const auto fingerprint = net::certificate_key_fingerprint(leaf_der);
  if (!endpoint || !fingerprint) return false;
  const net::KeyVerdict verdict = keys.judge(*endpoint, *fingerprint).verdict;
  return verdict == net::KeyVerdict::known || verdict == net::KeyVerdict::first_use;
}

#if defined(BRINDLE_HAVE_WEBENGINE)
namespace {

void answer(QWebEngineCertificateError error, net::ServerKeys& keys, const std::string& current_server) {
  // The browser names the worst of a certificate's faults, and an unknown authority comes before a
  // wrong name or date: any other fault is of a certificate an authority does vouch for, which the
  // requests refuse too. What is not accepted here is refused, and the page shows the browser's error.
  if (!error.isOverridable() || error.type() != QWebEngineCertificateError::CertificateAuthorityInvalid)
    return;
  const QList<QSslCertificate> chain = error.certificateChain();
  if (chain.isEmpty()) return;
  const QByteArray der = chain.front().toDer();
  if (accept_page_certificate(keys, error.url(), current_server,
                              std::string_view(der.constData(), static_cast<std::size_t>(der.size()))))
    error.acceptCertificate();
}

}  // namespace

void accept_current_server_certificate(QWebEnginePage* page, std::function<std::string()> current_server,
                                       std::shared_ptr<net::ServerKeys> keys) {
  if (!keys) return;
  QObject::connect(page, &QWebEnginePage::certificateError, page,
                   [current_server = std::move(current_server), keys = std::move(keys)](
                       const QWebEngineCertificateError& error) { answer(error, *keys, current_server()); });
}
#endif

}  // namespace brindle::gui
