#include "core/app/state_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/app/registration_store.h"
#include "core/net/list_cache.h"
#include "core/net/server_keys.h"
#include "core/net/settings.h"
#include "core/net/settings_file.h"
#include "support/temp_dir.h"

namespace brindle::app {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

const std::string kKey(43, 'A');  // with the '=' below, a well-formed key fingerprint

std::vector<std::string> names_in(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(StateDirectoryChoice, ProgramDirectoryWhileWritableElseTheUsersConfigurationFolder) {
  const std::filesystem::path program = "/usr/lib/brindle";
  EXPECT_EQ(choose_state_directory(program, true, {"/x/config", "/home/u"}), program);
  EXPECT_EQ(choose_state_directory(program, false, {"/x/config", "/home/u"}), "/x/config/brindle");
  EXPECT_EQ(choose_state_directory(program, false, {"", "/home/u"}), "/home/u/.config/brindle");
  // A relative XDG_CONFIG_HOME is not honoured: it would follow the working directory.
  EXPECT_EQ(choose_state_directory(program, false, {"config", "/home/u"}), "/home/u/.config/brindle");
  EXPECT_EQ(choose_state_directory(program, false, {"", ""}), "");
  EXPECT_FALSE(prepare_state_directory(program, false, {"", ""}).ok());
}

TEST(StateDirectoryPreparation, WritableProgramDirectoryIsUsedAsItIs) {
  TempDir dir;
  std::filesystem::create_directories(dir / "program");
  write_file(dir / "program" / "Vantora.ini", "[SYSTEM]\r\n");
  const auto folder = prepare_state_directory(dir / "program", true, {(dir / "config").string(), ""});
  ASSERT_TRUE(folder.ok()) << folder.error();
  EXPECT_EQ(folder.value(), dir / "program");
  EXPECT_FALSE(std::filesystem::exists(dir / "config"));
}

TEST(StateDirectoryPreparation, UsersFolderIsCreatedPrivateAndTakesThePackagedSettingsOnlyOnce) {
  TempDir dir;
  const auto program = dir / "program";
  std::filesystem::create_directories(program);
  write_file(program / "Vantora.ini", "[SERVER]\r\nCurrent Server=operator.test\r\n");
  const UserFolders user{(dir / "xdg" / "config").string(), (dir / "home").string()};

  const auto folder = prepare_state_directory(program, false, user);
  ASSERT_TRUE(folder.ok()) << folder.error();
  EXPECT_EQ(folder.value(), dir / "xdg" / "config" / "brindle");
  struct stat info {};
  ASSERT_EQ(::stat(folder->c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(read_file(folder.value() / "Vantora.ini"), "[SERVER]\r\nCurrent Server=operator.test\r\n");

  // The user's own changes outlive a newer packaged file, and the Program directory is left alone.
  write_file(folder.value() / "Vantora.ini", "[SERVER]\r\nCurrent Server=mine.test\r\n");
  write_file(program / "Vantora.ini", "[SERVER]\r\nCurrent Server=newer.test\r\n");
  ASSERT_TRUE(prepare_state_directory(program, false, user).ok());
  EXPECT_EQ(read_file(folder.value() / "Vantora.ini"), "[SERVER]\r\nCurrent Server=mine.test\r\n");
  EXPECT_EQ(names_in(program), std::vector<std::string>{"Vantora.ini"});
  EXPECT_FALSE(std::filesystem::exists(dir / "home" / ".config"));
}

TEST(StateDirectoryPreparation, WithoutPackagedSettingsTheFolderStartsEmpty) {
  TempDir dir;
  std::filesystem::create_directories(dir / "program");
  const auto folder = prepare_state_directory(dir / "program", false, {"", (dir / "home").string()});
  ASSERT_TRUE(folder.ok()) << folder.error();
  EXPECT_EQ(folder.value(), dir / "home" / ".config" / "brindle");
  EXPECT_TRUE(names_in(folder.value()).empty());
}

TEST(StateDirectorySettled, WritableProgramDirectoryKeepsTodaysLayout) {
  TempDir dir;
  net::ClientContext context;
  context.program_directory = dir.path();
  ASSERT_TRUE(settle_state_directory(context, {(dir / "config").string(), ""}).ok());
  EXPECT_TRUE(context.program_directory_writable);
  EXPECT_EQ(context.state_folder(), dir.path());
  EXPECT_EQ(context.settings_path(), dir / "Vantora.ini");
  EXPECT_FALSE(std::filesystem::exists(dir / "config"));
}

// A system installation: every file the client writes lands in the user's folder.
TEST(StateDirectorySettled, SettingsCachesKeysAndRegistrationFollowTheUsersFolder) {
  TempDir dir;
  const auto program = dir / "program";
  std::filesystem::create_directories(program / "skin");
  write_file(program / "Vantora.ini", "[SYSTEM]\r\nVersion=100\r\n");
  net::ClientContext context;
  context.program_directory = program;
  context.program_directory_writable = false;
  context.state_directory = prepare_state_directory(program, false, {(dir / "config").string(), ""}).value();
  const auto state = dir / "config" / "brindle";

  ASSERT_TRUE(net::set_current_server(context, "chosen.test"));
  context.server_list = {{"a.test", 1}};
  context.proxy_list = {{"proxy.test", 8080}};
  ASSERT_TRUE(net::server_list_cache_write(context));
  ASSERT_TRUE(net::proxy_list_cache_write(context));
  net::ServerKeys keys(net::BuiltInPins{}, net::ServerKeys::file_in(context.state_folder()));
  ASSERT_TRUE(keys.trust("a.test:443", kKey + "=").ok());
  ASSERT_TRUE(RegistrationStore(context.state_folder() / kRegistrationFileName).register_server());

  EXPECT_EQ(names_in(state), (std::vector<std::string>{"Vantora.ini", "known_keys.txt", "registration.ini",
                                                       "skin.dat", "skinsm.dat"}));
  EXPECT_EQ(names_in(program), (std::vector<std::string>{"Vantora.ini", "skin"}));
  EXPECT_EQ(read_file(program / "Vantora.ini"), "[SYSTEM]\r\nVersion=100\r\n");
  net::ClientContext again = context;
  net::server_list_cache_read(again);
  EXPECT_EQ(again.server_list, context.server_list);
}

// The installed version is the package's: a user's copy taken from an older package must not
// announce a new version at every start once the package manager has brought it.
TEST(StateDirectorySettled, SystemInstallationsVersionIsThePackagedOne) {
  TempDir dir;
  std::filesystem::create_directories(dir / "program");
  std::filesystem::create_directories(dir / "state");
  write_file(dir / "program" / "Vantora.ini", "[SYSTEM]\r\nVersion=101\r\n");
  write_file(dir / "state" / "Vantora.ini", "[SYSTEM]\r\nVersion=100\r\n");
  net::ClientContext context;
  context.program_directory = dir / "program";
  context.state_directory = dir / "state";
  EXPECT_EQ(net::settings_version(context), 100);  // writable: the settings file's, as ever
  context.program_directory_writable = false;
  EXPECT_EQ(net::settings_version(context), 101);
}

}  // namespace
}  // namespace brindle::app
