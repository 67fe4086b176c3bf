#include "upgrader/upgrader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <map>

#include "core/app/upgrade_log.h"
#include "core/ports/message_port.h"
#include "support/temp_dir.h"

namespace up = brindle::upgrader;
using brindle::testing::read_file;
using brindle::testing::write_file;

namespace {

std::string read_key(const char* name) {
  std::ifstream in(std::string(BRINDLE_TEST_KEY_DIR) + "/" + name);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

class ScriptedFetcher final : public up::Fetcher {
 public:
  std::map<std::string, std::string> answers;
  std::map<std::string, int> fetched;
  brindle::Result<std::string> fetch(const std::string& url, std::uint64_t limit) override {
    ++fetched[url];
    const auto it = answers.find(url);
    if (it == answers.end()) return brindle::Result<std::string>::failure("404");
    if (it->second.size() > limit) return brindle::Result<std::string>::failure("too large");
    return it->second;
  }
};

constexpr char kOrigin[] = "https://release.test:8443/Download/Upgrader";

class UpgraderRun : public ::testing::Test {
 protected:
  void SetUp() override {
    request_ =
        up::parse_upgrade_request("http://release.test:8443/Download/Upgrader|" + (dir_ / "brindle").string())
            .value();
    write_file(dir_ / "brindle", "old client");
    offer("brindle", "", "new client", 0755);
    offer("theme.ini", "skin", "new theme", 0644);
    offer("brindle-upgrader", "", "new upgrader", 0755);
  }

  void offer(const std::string& name, const std::string& folder, const std::string& bytes, unsigned mode) {
    manifest_.files.push_back({bytes.size(), up::sha256_hex(bytes), mode, folder, name});
    fetcher_.answers[std::string(kOrigin) + "/" + (folder.empty() ? "" : folder + "/") + name] = bytes;
  }

  up::UpgradeOutcome run() {
    manifest_.version = 101;
    fetcher_.answers[kOrigin] = up::sign_manifest(manifest_, read_key("test_release_key.pem")).value();
    return up::run_upgrade(request_, read_key("test_release_key.pub"), fetcher_);
  }

  std::string log_text() const { return read_file(dir_ / "upgrade" / "upgrade.log"); }
  int fetches(const std::string& path) { return fetcher_.fetched[std::string(kOrigin) + path]; }

  brindle::testing::TempDir dir_;
  up::UpgradeRequest request_;
  up::ReleaseManifest manifest_;
  ScriptedFetcher fetcher_;
};

}  // namespace

TEST(UpgradeRequest, ThePlainAddressIsFetchedOverTlsFromTheSameHost) {
  const auto request = up::parse_upgrade_request("http://10.0.0.2:47443/Download/Upgrader|/opt/b/brindle");
  ASSERT_TRUE(request) << request.error();
  EXPECT_EQ(request->manifest_url(), "https://10.0.0.2:47443/Download/Upgrader");
  EXPECT_EQ(request->program_directory, "/opt/b");
  EXPECT_EQ(request->file_url({1, "", 0644, "skin/900", "a.bmp"}),
            "https://10.0.0.2:47443/Download/Upgrader/skin/900/a.bmp");
  for (const char* bad :
       {"http://h/Download/Upgrader", "http://h/Download/Upgrader|brindle",
        "http:///Download/Upgrader|/b/brindle", "http://h/Other|/b/brindle",
        "http://u@h/Download/Upgrader|/b/brindle", "ftp://h/Download/Upgrader|/b/brindle"}) {
    EXPECT_FALSE(up::parse_upgrade_request(bad)) << bad;
  }
}

TEST_F(UpgraderRun, InstallsEveryFileAndLeavesItselfForTheClient) {
  const auto outcome = run();
  ASSERT_TRUE(outcome.ok) << outcome.message;
  EXPECT_EQ(read_file(dir_ / "brindle"), "new client");
  EXPECT_EQ(read_file(dir_ / "skin" / "theme.ini"), "new theme");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "brindle-upgrader"));
  EXPECT_EQ(read_file(dir_ / "upgrade" / "brindle-upgrader"), "new upgrader");
  EXPECT_EQ(std::filesystem::status(dir_ / "brindle").permissions() & std::filesystem::perms::all,
            static_cast<std::filesystem::perms>(0755));
  const std::string log = log_text();
  EXPECT_TRUE(log.starts_with("0|101|" + up::sha256_hex(fetcher_.answers[kOrigin]) + "|\n")) << log;
  EXPECT_NE(log.find("1|brindle|493|0||0\n2|brindle-upgrader|493|0||0\n1|theme.ini|420|0|skin|0\n"),
            std::string::npos)
      << log;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "upgrade" / "brindle"));

  // The client's next start puts the upgrader in place and completes the log.
  struct NoQuestions final : brindle::ports::MessagePort {
    int show_message(const std::string&, bool) override { return cancel; }
  } messages;
  brindle::app::UpgradeLog log_file(dir_.path());
  EXPECT_TRUE(brindle::app::complete_pending_upgrade(log_file, messages));
  EXPECT_EQ(log_file.version_text(), "101");
  EXPECT_EQ(read_file(dir_ / "brindle-upgrader"), "new upgrader");
}

TEST_F(UpgraderRun, ACorruptedFileIsNeverInstalledAndTheRestIs) {
  manifest_.files[1].sha256 = up::sha256_hex("another theme");
  const auto outcome = run();
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message, "升级失败：theme.ini 的校验值不符，未安装。");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "skin" / "theme.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "upgrade" / "theme.ini"));
  EXPECT_EQ(read_file(dir_ / "brindle"), "new client");
  EXPECT_NE(log_text().find("0|theme.ini|"), std::string::npos);
}

TEST_F(UpgraderRun, AnInterruptedRunCarriesOnWithoutFetchingWhatItHas) {
  // The first run lost its connection before the theme.
  const std::string theme_url = std::string(kOrigin) + "/skin/theme.ini";
  const std::string theme = fetcher_.answers[theme_url];
  fetcher_.answers.erase(theme_url);
  EXPECT_FALSE(run().ok);
  EXPECT_EQ(read_file(dir_ / "brindle"), "new client");

  fetcher_.answers[theme_url] = theme;
  fetcher_.fetched.clear();
  const auto outcome = run();
  ASSERT_TRUE(outcome.ok) << outcome.message;
  EXPECT_EQ(fetches("/skin/theme.ini"), 1);
  EXPECT_EQ(fetches("/brindle"), 0);           // installed
  EXPECT_EQ(fetches("/brindle-upgrader"), 0);  // fetched and still whole
  EXPECT_EQ(read_file(dir_ / "skin" / "theme.ini"), "new theme");
}

TEST_F(UpgraderRun, AFetchedFileChangedSinceIsFetchedAgain) {
  ASSERT_TRUE(run().ok);
  write_file(dir_ / "upgrade" / "brindle-upgrader", "new upgradeX");
  fetcher_.fetched.clear();
  ASSERT_TRUE(run().ok);
  EXPECT_EQ(fetches("/brindle-upgrader"), 1);
  EXPECT_EQ(read_file(dir_ / "upgrade" / "brindle-upgrader"), "new upgrader");
}

TEST(InstallFile, ReplacesByRenameAndLeavesNothingBeside) {
  brindle::testing::TempDir dir;
  write_file(dir / "source", "new");
  write_file(dir / "target", "old");
  ASSERT_TRUE(up::install_file(dir / "source", dir / "target", 0700));
  EXPECT_EQ(read_file(dir / "target"), "new");
  EXPECT_FALSE(std::filesystem::exists(dir / "target.new"));
  // A folder in the target's place cannot be replaced; the target's neighbour is cleaned up.
  std::filesystem::create_directories(dir / "busy" / "inside");
  EXPECT_FALSE(up::install_file(dir / "source", dir / "busy", 0644));
  EXPECT_FALSE(std::filesystem::exists(dir / "busy.new"));
}
