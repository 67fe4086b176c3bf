#include "server/admin/fingerprint_command.h"

#include <ostream>
#include <string>

#include "server/admin/admin_database.h"
#include "server/server_config.h"
#include "server/storage/private_files.h"
#include "server/http/tls_certificate.h"

namespace brindle::server::admin {
namespace {

constexpr char kUsage[] =
    "usage: brindle-server fingerprint --data-dir DIR\n"
    "       brindle-server fingerprint --certificate FILE [--key FILE]\n"
    "       brindle-server fingerprint --config FILE [--data-dir DIR]\n\n"
    "Prints the fingerprint of the server's key, which the clients pin: the SHA-256 of the\n"
    "certificate's public key in base64, 44 characters (pin-sha256). A certificate renewed for the\n"
    "same key keeps it. The certificate is the one serve would serve: --certificate FILE (with\n"
    "--key FILE the two are checked to belong together), else the configuration's certificate, else\n"
    "the data folder's own, made now if it is missing, so that the fingerprint can be published or\n"
    "built into the client before the server first starts:\n"
    "  cmake -DBRINDLE_PINNED_KEYS=\"HOST:PORT=FINGERPRINT;...\"\n";

constexpr std::string_view kConfig = "--config";
constexpr std::string_view kCertificate = "--certificate";
constexpr std::string_view kKey = "--key";

int bad_line(CommandContext& context, const std::string& error) {
  return usage_error(context, kUsage, error);
}

int failed(CommandContext& context, const std::string& error) {
  context.err << "brindle-server fingerprint: " << error << '\n';
  return 1;
}

// The files serve would serve, in the same order of precedence; the data folder's are made when
// missing, as serve makes them.
Result<CertificateFiles> served_files(const ParsedOptions& options) {
  using Failure = Result<CertificateFiles>;
  CertificateFiles files{.self_made = false};
  if (auto certificate = options.value(kCertificate)) {
    files.certificate = std::string(*certificate);
    files.private_key = std::string(options.value(kKey).value_or(""));
    return files;
  }
  if (auto config_file = options.value(kConfig)) {
    auto config = load_server_config(std::string(*config_file));
    if (!config) return Failure::failure(config.error());
    files.certificate = config->certificate;
    files.private_key = config->private_key;
    if (!files.certificate.empty()) return files;
  }
  const std::string data_dir(options.value(kDataDirOption).value_or(""));
  if (data_dir.empty())
    return Failure::failure(
        "the configuration names no certificate; give --data-dir for the data folder's own");
  if (auto made = storage::make_private_directory(data_dir); !made) return Failure::failure(made.error());
  return ensure_certificate(data_dir);
}

int fingerprint(std::span<const std::string_view> args, CommandContext& context) {
  const std::string_view values[] = {kDataDirOption, kConfig, kCertificate, kKey};
  auto options = parse_options(args, values);
  if (!options) return bad_line(context, options.error());
  if (!options->positional.empty())
    return bad_line(context, "unexpected argument '" + options->positional.front() + "'");
  for (const auto& [name, value] : options->values) {
    if (value.empty()) return bad_line(context, name + " needs a value");
  }
  if (options->value(kKey) && !options->value(kCertificate))
    return bad_line(context, "--key goes with --certificate");
  if (!options->value(kDataDirOption) && !options->value(kCertificate) && !options->value(kConfig))
    return bad_line(context, "fingerprint wants --data-dir, --certificate or --config");

  auto files = served_files(options.value());
  if (!files) return failed(context, files.error());
  if (!files->private_key.empty()) {
    if (auto checked = check_certificate_files(files.value()); !checked)
      return failed(context, checked.error());
  }
  auto text = key_fingerprint(files->certificate);
  if (!text) return failed(context, text.error());
  context.out << text.value() << '\n';
  return 0;
}

}  // namespace

Result<void> add_fingerprint_command(SubcommandTable& table) {
  return table.add(Subcommand{"fingerprint", "print the fingerprint of the server's key, which clients pin",
                              kUsage, fingerprint});
}

}  // namespace brindle::server::admin
