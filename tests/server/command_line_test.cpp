#include "server/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brindle::server {
namespace {

Result<CommandLine> parse(std::vector<std::string_view> args) { return parse_command_line(args); }

TEST(CommandLine, ReadsListenDataDirAndConfig) {
  auto line = parse({"--listen", "127.0.0.1:0", "--data-dir", "/tmp/d", "--config=/etc/b.ini"});
  ASSERT_TRUE(line.ok()) << line.error();
  EXPECT_EQ(line->listen, (std::vector<ListenAddress>{{"127.0.0.1", 0}}));
  EXPECT_EQ(line->data_dir, "/tmp/d");
  EXPECT_EQ(line->config_file, std::filesystem::path("/etc/b.ini"));

  auto several =
      parse({"--listen=[::1]:65535", "--data-dir=d", "--listen", "0.0.0.0:443", "--listen=[::]:443"});
  ASSERT_TRUE(several.ok()) << several.error();
  const std::vector<ListenAddress> given{{"::1", 65535}, {"0.0.0.0", 443}, {"::", 443}};
  EXPECT_EQ(several->listen, given);
  // The command line's addresses replace the configuration's, which replace the default.
  const std::vector<ListenAddress> configured{{"10.0.0.5", 8443}};
  EXPECT_EQ(listen_addresses(several.value(), configured), given);
  auto bare = parse({"--data-dir", "d"});
  EXPECT_EQ(listen_addresses(bare.value(), configured), configured);
  EXPECT_EQ(listen_addresses(bare.value(), {}), (std::vector<ListenAddress>{{"127.0.0.1", 47443}}));
  EXPECT_TRUE(parse({"--data-dir", "d", "--help"})->help);
  EXPECT_TRUE(parse({"--help"})->help) << "help needs no --data-dir";
  EXPECT_EQ(parse({"--data-dir", "a", "--data-dir=b"})->data_dir, "b") << "the last one counts";

  auto operator_files =
      parse({"--data-dir", "d", "--key=/etc/b/key.pem", "--certificate", "/etc/b/chain.pem"});
  ASSERT_TRUE(operator_files.ok()) << operator_files.error();
  EXPECT_EQ(operator_files->certificate, std::filesystem::path("/etc/b/chain.pem"));
  EXPECT_EQ(operator_files->private_key, std::filesystem::path("/etc/b/key.pem"));

  auto proxies = parse({"--data-dir", "d", "--trusted-proxy", "10.0.0.0/8", "--trusted-proxy=2001:db8::7"});
  ASSERT_TRUE(proxies.ok()) << proxies.error();
  ASSERT_EQ(proxies->trusted_proxies.size(), 2u);
  EXPECT_EQ(proxies->trusted_proxies[0].text(), "10.0.0.0/8");
  EXPECT_EQ(proxies->trusted_proxies[1].text(), "2001:db8::7/128");

  auto operations = parse({"--data-dir", "d", "--operations=[::1]:9464"});
  ASSERT_TRUE(operations.ok()) << operations.error();
  EXPECT_EQ(operations->operations, (ListenAddress{"::1", 9464}));
  EXPECT_FALSE(parse({"--data-dir", "d"})->operations);
}

TEST(CommandLine, RefusesBadArgumentsClearly) {
  const struct {
    std::vector<std::string_view> args;
    std::string_view error_part;
  } cases[] = {
      {{"--listen", "127.0.0.1", "--data-dir", "d"}, "ADDRESS:PORT"},
      {{"--listen", "127.0.0.1:65536", "--data-dir", "d"}, "ADDRESS:PORT"},
      {{"--listen", "127.0.0.1:-1", "--data-dir", "d"}, "ADDRESS:PORT"},
      {{"--listen", "::1:80", "--data-dir", "d"}, "ADDRESS:PORT"},
      {{"--listen", ":80", "--data-dir", "d"}, "ADDRESS:PORT"},
      {{"--listen", "[::1]80", "--data-dir", "d"}, "ADDRESS:PORT"},
      {{"--listen", "[]:80", "--data-dir", "d"}, "ADDRESS:PORT"},
      {{"--listen"}, "--listen needs a value"},
      {{"--listen", "127.0.0.1:1"}, "--data-dir is required"},
      {{"--data-dir="}, "--data-dir needs a value"},
      {{"--data-dir", "d", "--port", "1"}, "unknown option '--port'"},
      {{"--data-dir", "d", "--certificate", "c.pem"}, "--certificate and --key go together"},
      {{"--data-dir", "d", "--key", "k.pem"}, "--certificate and --key go together"},
      {{"--data-dir", "d", "--trusted-proxy", "10.0.0.0/40"}, "--trusted-proxy wants an address"},
      {{"--data-dir", "d", "--trusted-proxy", "lb.example"}, "--trusted-proxy wants an address"},
      {{"--data-dir", "d", "--operations", "9464"}, "--operations wants ADDRESS:PORT"},
      // An unknown option is named even where --data-dir is missing too.
      {{"--port", "1"}, "unknown option '--port'"},
      {{"--listen", "127.0.0.1:1", "--data-dir", "d", "stray"}, "unexpected argument 'stray'"},
  };
  for (const auto& c : cases) {
    auto line = parse(c.args);
    ASSERT_FALSE(line.ok());
    EXPECT_NE(line.error().find(c.error_part), std::string::npos) << line.error();
  }
}

}  // namespace
}  // namespace brindle::server
