#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace brindle::net {
struct ClientContext;
class Transport;
}  // namespace brindle::net

namespace brindle::cli {

// export statement START END | export records TAB [START END]: the list a records or statement window
// would show, as the CSV its 导出 button writes (without the byte-order mark): the column titles,
// one record per list row, an empty line, then the summary. The window's range checks run first.
// 0 on success, 1 on a refusal or a failed query (the message on stderr), 2 on bad words.
int run_export_command(net::ClientContext& context, net::Transport& transport,
                       const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_export_command(net::ClientContext& context, const std::vector<std::string>& args, std::ostream& out,
                       std::ostream& err);

}  // namespace brindle::cli
