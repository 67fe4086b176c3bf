#include "server/web/release_files.h"

#include <gtest/gtest.h>

#include "server/server_config.h"
#include "support/temp_dir.h"
#include "upgrader/release_manifest.h"

namespace brindle::server::web {
namespace {

using brindle::testing::write_file;

TEST(ReleaseDownload, OnlyTheListAndTheFilesItNamesAreServed) {
  brindle::testing::TempDir dir;
  std::filesystem::create_directories(dir / "skin");
  write_file(dir / "skin" / "theme.ini", "theme");
  write_file(dir / "secret.txt", "not listed");
  upgrader::ReleaseManifest manifest;
  manifest.version = 101;
  manifest.files.push_back({5, upgrader::sha256_hex("theme"), 0644, "skin", "theme.ini"});
  const std::string list = upgrader::format_manifest_body(manifest) + "signature AAAA\n";
  write_file(dir / kReleaseListName, list);

  EXPECT_EQ(release_download(dir.path(), "/Download/Upgrader")->body, list);
  EXPECT_EQ(release_download(dir.path(), "/Download/Upgrader/skin/theme.ini")->body, "theme");
  const struct {
    std::filesystem::path release_dir;
    const char* path;
  } refused[] = {
      {dir.path(), "/Download/Upgrader/secret.txt"},
      {dir.path(), "/Download/Upgrader/skin/../secret.txt"},
      {dir.path(), "/Download/Upgrader/release.signed"},
      {dir.path(), "/Download/Upgrader/theme.ini"},
      {{}, "/Download/Upgrader"},
      {dir.path() / "missing", "/Download/Upgrader"},
  };
  for (const auto& c : refused) EXPECT_EQ(release_download(c.release_dir, c.path)->status, 404u) << c.path;
  EXPECT_FALSE(release_download(dir.path(), "/Download/UpgraderX"));
  EXPECT_FALSE(release_download(dir.path(), "/news.htm"));
}

TEST(ReleaseDownload, TheConfiguredFolderIsTheConfigurationsNeighbourUnlessAbsolute) {
  brindle::testing::TempDir dir;
  write_file(dir / "server.ini", "[server]\nversion = 101\nrelease_dir = releases/101\n");
  EXPECT_EQ(load_server_config(dir / "server.ini")->release_dir, dir / "releases/101");
  write_file(dir / "server.ini", "[server]\nrelease_dir = /srv/101\n");
  EXPECT_EQ(load_server_config(dir / "server.ini")->release_dir, "/srv/101");
  EXPECT_FALSE(parse_server_config("[server]\nrelease_dir =\n"));
  EXPECT_TRUE(parse_server_config("[server]\n")->release_dir.empty());
}

}  // namespace
}  // namespace brindle::server::web
