#include "server/admin/fingerprint_command.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "server/http/tls_certificate.h"
#include "support/temp_dir.h"

namespace brindle::server::admin {
namespace {

// Prints the pin of the certificate serve would serve, or fails in one line on stderr.
TEST(FingerprintCommand, PrintsThePinOfTheServedCertificateOrOneLineWhyNot) {
  SubcommandTable table;
  ASSERT_TRUE(add_fingerprint_command(table).ok());
  std::ostringstream out, err;
  auto run = [&](std::vector<std::string> args) {
    out.str({});
    err.str({});
    std::vector<std::string_view> views{"fingerprint"};
    views.insert(views.end(), args.begin(), args.end());
    CommandContext context{out, err};
    return table.run(views, context);
  };

  // Before the first start: the data folder's certificate, made as serve would make it.
  testing::TempDir dir, theirs;
  const auto data = (dir / "data").string();
  ASSERT_EQ(run({"--data-dir", data}), 0) << err.str();
  EXPECT_EQ(out.str(), key_fingerprint(dir / "data" / "cert.pem").value() + "\n");
  EXPECT_EQ(err.str(), "");

  // The operator's, on the command line or in the configuration (beside it), over the data folder's.
  ASSERT_TRUE(ensure_certificate(theirs.path()).ok());
  const auto cert = (theirs / "cert.pem").string();
  testing::write_file(theirs / "server.ini", "[server]\ncertificate = cert.pem\nkey = key.pem\n");
  for (const auto& args : {std::vector<std::string>{"--certificate", cert},
                           {"--config", (theirs / "server.ini").string(), "--data-dir", data}}) {
    ASSERT_EQ(run(args), 0) << err.str();
    EXPECT_EQ(out.str(), key_fingerprint(theirs / "cert.pem").value() + "\n") << args.front();
  }

  testing::write_file(dir / "corrupt.pem",
                      "-----BEGIN CERTIFICATE-----\nMIIBiTCC\n-----END CERTIFICATE-----\n");
  const auto missing = (dir / "missing.pem").string(), corrupt = (dir / "corrupt.pem").string();
  const auto other_key = (dir / "data" / "key.pem").string();
  const struct {
    std::vector<std::string> args;
    std::string error;
  } refused[] = {
      {{"--certificate", missing}, "cannot read the certificate " + missing + ": No such file or directory"},
      {{"--certificate", corrupt}, corrupt + " holds no PEM certificate"},
      {{"--certificate", cert, "--key", other_key}, cert + " and " + other_key + " do not belong together"},
  };
  for (const auto& c : refused) {
    EXPECT_EQ(run(c.args), 1) << c.error;
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "brindle-server fingerprint: " + c.error + "\n");
  }
  EXPECT_EQ(run({"--key", other_key, "--data-dir", data}), 2);
}

}  // namespace
}  // namespace brindle::server::admin
