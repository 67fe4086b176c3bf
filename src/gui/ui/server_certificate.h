#pragma once

#include <functional>
#include <string>

class QUrl;
class QWebEnginePage;

namespace brindle::gui {

// True for an address on the current server's host and port ("host:port", 443 when none).
bool on_current_server(const QUrl& url, const std::string& current_server);

// The current server's pages come with the certificate its requests are already sent under (its
// own, made by the reference server): an embedded page takes that host's certificate as it is and
// keeps the browser's checks for every other. `current_server` is asked at each error, so a page
// follows a change of server. Only in builds with the web engine.
void accept_current_server_certificate(QWebEnginePage* page, std::function<std::string()> current_server);

}  // namespace brindle::gui
