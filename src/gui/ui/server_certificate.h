#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QUrl;
class QWebEnginePage;

namespace brindle::net {
class ServerKeys;
}

namespace brindle::gui {

// True for an address on the current server's host and port ("host:port", 443 when none).
bool on_current_server(const QUrl& url, const std::string& current_server);

// Whether an embedded page may be shown under a certificate no authority vouches for: only a page of
// the current server, and only when the certificate (`leaf_der`, DER) carries the key its requests are
// held to — the one held for that host:port, or the first one it ever presents, which is learned now.
bool accept_page_certificate(net::ServerKeys& keys, const QUrl& url, const std::string& current_server,
                             std::string_view leaf_der);

// The current server's pages come with its own certificate (one the reference server made): an
// embedded page takes it when accept_page_certificate does, and keeps the browser's checks, and its
// error page, for every other certificate and every other host. `current_server` is asked at each
// error, so a page follows a change of server. With no keys nothing is taken. Only in builds with the
// web engine.
void accept_current_server_certificate(QWebEnginePage* page, std::function<std::string()> current_server,
                                       std::shared_ptr<net::ServerKeys> keys);

}  // namespace brindle::gui
