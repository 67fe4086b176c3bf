#include "server/admin/release_commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/temp_dir.h"
#include "upgrader/release_manifest.h"

namespace brindle::server::admin {
namespace {

namespace fs = std::filesystem;
using brindle::testing::read_file;
using brindle::testing::write_file;

class SignRelease : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(add_release_commands(table_).ok());
    fs::create_directories(release() / "skin");
    write_file(release() / "brindle", "client");
    fs::permissions(release() / "brindle", static_cast<fs::perms>(0755));
    write_file(release() / "skin" / "theme.ini", "theme");
  }

  int run(std::vector<std::string> words) {
    out_.str({});
    err_.str({});
    std::vector<std::string_view> args = {"sign-release"};
    args.insert(args.end(), words.begin(), words.end());
    CommandContext context{out_, err_, nullptr};
    return table_.run(args, context);
  }

  fs::path release() const { return dir_ / "release"; }
  fs::path data() const { return dir_ / "data"; }

  testing::TempDir dir_;
  SubcommandTable table_;
  std::ostringstream out_, err_;
};

TEST_F(SignRelease, MakesAPrivateKeyOnceAndSignsWhatVerifiesWithThePrintedKey) {
  ASSERT_EQ(run({"--data-dir", data().string(), release().string(), "101"}), 0) << err_.str();
  const fs::path key = data() / kReleaseKeyName;
  EXPECT_EQ(fs::status(key).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  const std::string printed = out_.str();
  const std::string public_key = printed.substr(printed.find("public key: ") + 12, 44);
  EXPECT_EQ(upgrader::public_key_base64(read_file(key)).value(), public_key);

  const auto manifest = upgrader::verify_manifest(read_file(release() / "release.signed"), public_key);
  ASSERT_TRUE(manifest) << manifest.error();
  EXPECT_EQ(manifest->version, 101);
  ASSERT_EQ(manifest->files.size(), 2u);
  EXPECT_EQ(manifest->files[0],
            (upgrader::ReleaseFile{6, upgrader::sha256_hex("client"), 0755, "", "brindle"}));
  EXPECT_EQ(manifest->files[1].folder, "skin");

  // Signed again with the same key; the list itself is not listed.
  const std::string first_key = read_file(key);
  ASSERT_EQ(run({"--data-dir", data().string(), release().string(), "102"}), 0) << err_.str();
  EXPECT_EQ(read_file(key), first_key);
  EXPECT_EQ(upgrader::verify_manifest(read_file(release() / "release.signed"), public_key)->files.size(), 2u);
}

TEST_F(SignRelease, RefusesAKeyOthersCanReadAndFilesThatCannotBeInstalled) {
  ASSERT_EQ(run({"--data-dir", data().string(), release().string(), "101"}), 0) << err_.str();
  fs::permissions(data() / kReleaseKeyName, fs::perms::group_read, fs::perm_options::add);
  EXPECT_EQ(run({"--data-dir", data().string(), release().string(), "101"}), 1);
  EXPECT_NE(err_.str().find("readable by others"), std::string::npos) << err_.str();
  fs::permissions(data() / kReleaseKeyName, fs::perms::group_read, fs::perm_options::remove);

  write_file(release() / "skin" / "a name", "x");
  EXPECT_EQ(run({"--data-dir", data().string(), release().string(), "101"}), 1);
  fs::remove(release() / "skin" / "a name");
  EXPECT_EQ(run({"--data-dir", data().string(), release().string(), "v101"}), 2);
  EXPECT_EQ(run({"--data-dir", data().string(), (dir_ / "missing").string(), "101"}), 1);
}

}  // namespace
}  // namespace brindle::server::admin
