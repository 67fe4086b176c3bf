#include "core/net/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "wire/gbk.h"

namespace brindle::net {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

std::size_t files_in(const std::filesystem::path& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TEST(SettingsFileRead, MissingOrUnreadableFileGivesDefaults) {
  TempDir dir;
  const SettingsFile missing(dir / "Vantora.ini");
  EXPECT_EQ(missing.read_text("SERVER", "Current Server", "dflt"), "dflt");
  EXPECT_EQ(missing.read_int("SYSTEM", "Version", 100), 100);

  std::filesystem::create_directory(dir / "folder.ini");
  const SettingsFile folder(dir / "folder.ini");
  EXPECT_EQ(folder.read_int("SYSTEM", "Version", 100), 100);
  EXPECT_FALSE(folder.write_text("SYSTEM", "Version", "1"));
  EXPECT_EQ(files_in(dir.path()), 1u) << "a failed write leaves no temporary file behind";
}

TEST(SettingsFileRead, NamesMatchCaseInsensitivelyAndValuesAreTrimmed) {
  TempDir dir;
  write_file(dir / "a.ini",
             "; leading comment\r\n"
             "  [ server ]  \r\n"
             "current SERVER   =   host.example:8443   \r\n"
             "Quoted=\" padded \"\r\n"
             "Half='open\r\n"
             ";Hidden=1\r\n"
             "Bare\r\n");
  const SettingsFile file(dir / "a.ini");
  EXPECT_EQ(file.read_text("SERVER", "Current Server"), "host.example:8443");
  EXPECT_EQ(file.read_text("Server", "quoted"), " padded ");
  EXPECT_EQ(file.read_text("SERVER", "Half"), "'open");
  EXPECT_EQ(file.read_text("SERVER", ";Hidden", "d"), "d") << "comment lines are not keys";
  EXPECT_EQ(file.read_text("SERVER", "Bare", "d"), "");
  EXPECT_EQ(file.read_text("OTHER", "Current Server", "d"), "d");
}

TEST(SettingsFileRead, OnlyTheFirstSectionOfANameIsSearched) {
  TempDir dir;
  write_file(dir / "a.ini", "[S]\nA=1\nA=2\n[T]\nB=3\n[S]\nB=4\n");
  const SettingsFile file(dir / "a.ini");
  EXPECT_EQ(file.read_int("S", "A", 0), 1);
  EXPECT_EQ(file.read_int("S", "B", -1), -1);
  EXPECT_EQ(file.read_int("T", "B", 0), 3);
}

TEST(SettingsFileRead, DoubleByteNamesAreNotCaseFolded) {
  // 0x81 0x41 and 0x81 0x61 are different characters whose trail bytes look like "A" and "a";
  // 0x81 0x5D has a trail byte that looks like "]".
  const std::string upper = wire::gbk_to_utf8("\x81\x41");
  const std::string lower = wire::gbk_to_utf8("\x81\x61");
  const std::string bracket = wire::gbk_to_utf8("\x81\x5D");
  TempDir dir;
  write_file(dir / "a.ini", "[\x81\x5D]\n\x81\x41=1\n");
  const SettingsFile file(dir / "a.ini");
  EXPECT_EQ(file.read_int(bracket, upper, 0), 1);
  EXPECT_EQ(file.read_int(bracket, lower, 0), 0);
}

TEST(SettingsFileRead, ValuesAreCutTo259BytesOnACharacterBoundary) {
  TempDir dir;
  std::string zhong_300_bytes;
  for (int i = 0; i < 150; ++i) zhong_300_bytes += "\xD6\xD0";  // 中 in GBK
  write_file(dir / "a.ini", "[S]\nAscii=" + std::string(300, 'a') + "\nWide=" + zhong_300_bytes + "\n");
  const SettingsFile file(dir / "a.ini");
  EXPECT_EQ(file.read_text("S", "Ascii"), std::string(259, 'a'));
  std::string zhong_129;
  for (int i = 0; i < 129; ++i) zhong_129 += "中";
  EXPECT_EQ(file.read_text("S", "Wide"), zhong_129);
}

// Found by fuzzing: a name GBK cannot hold was looked for as "?" and read that key's value.
TEST(SettingsFileRead, NameGbkCannotHoldIsMissingNotAnotherName) {
  TempDir dir;
  write_file(dir / "a.ini", "[S]\n?=question\n[?]\nK=other\n");
  const SettingsFile file(dir / "a.ini");
  EXPECT_EQ(file.read_text("S", "?"), "question");
  EXPECT_EQ(file.read_text("S", "\xEF\xBF\xBD", "missing"), "missing");
  EXPECT_EQ(file.read_text("\xF0\x9F\x98\x80", "K", "missing"), "missing");
  EXPECT_EQ(file.read_int("S", "\xEF\xBF\xBD", 7), 7);
}

TEST(SettingsFileRead, BinaryGarbageDoesNotBreakReading) {
  TempDir dir;
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 37 + 11) % 256);
  write_file(dir / "a.ini", garbage + "\n[S]\nK=\xFF\xFFok\n" + garbage);
  const SettingsFile file(dir / "a.ini");
  EXPECT_EQ(file.read_int("X", "Y", 7), 7);
  EXPECT_FALSE(file.read_text("S", "K").empty());
  EXPECT_TRUE(file.write_text("S", "New", "v"));
  EXPECT_EQ(file.read_text("S", "New"), "v");
}

struct IntegerCase {
  const char* value;
  int expected;
};

class ProfileInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ProfileInteger, ReadsLikeThePrivateProfileFunction) {
  TempDir dir;
  write_file(dir / "a.ini", std::string("[S]\nK=") + GetParam().value + "\n");
  EXPECT_EQ(SettingsFile(dir / "a.ini").read_int("S", "K", -77), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileInteger,
                         ::testing::Values(IntegerCase{"42", 42}, IntegerCase{"   7", 7},
                                           IntegerCase{"-3", -3}, IntegerCase{"+5", 5},
                                           IntegerCase{"12abc", 12}, IntegerCase{"abc", 0},
                                           IntegerCase{"- 5", 0}, IntegerCase{"0x10", 0},
                                           IntegerCase{"", -77}, IntegerCase{"   ", -77},
                                           IntegerCase{"\"60\"", 60}, IntegerCase{"99999999999", INT_MAX},
                                           IntegerCase{"-99999999999", INT_MIN}));

TEST(SettingsFileWrite, CreatesTheFileAndTheSection) {
  TempDir dir;
  const SettingsFile file(dir / "Vantora.ini");
  ASSERT_TRUE(file.write_text("SERVER", "Current Server", "澜川.example"));
  EXPECT_EQ(read_file(dir / "Vantora.ini"), "[SERVER]\r\nCurrent Server=\xC0\xBD\xB4\xA8.example\r\n")
      << "the file is GBK on disk";
  EXPECT_EQ(file.read_text("server", "current server"), "澜川.example");
}

TEST(SettingsFileWrite, KeepsEveryOtherLineCommentAndOrder) {
  TempDir dir;
  const std::string before =
      "; settings\n"
      "[SYSTEM]\n"
      "Version = 100\n"
      "; the timers\n"
      "Asia Timer=180\n"
      "\n"
      "; servers follow\n"
      "[SERVER]\n"
      "Server0=a";  // no line end at the very end
  write_file(dir / "a.ini", before);
  const SettingsFile file(dir / "a.ini");

  ASSERT_TRUE(file.write_text("system", "version", "101"));
  ASSERT_TRUE(file.write_text("SYSTEM", "Other Timer", "90"));
  ASSERT_TRUE(file.write_text("SERVER", "Server Count", "1"));
  ASSERT_TRUE(file.write_text("SETTINGS", "UserProxy", "1"));
  EXPECT_EQ(read_file(dir / "a.ini"),
            "; settings\n"
            "[SYSTEM]\n"
            "Version = 101\n"
            "; the timers\n"
            "Asia Timer=180\n"
            "Other Timer=90\n"
            "\n"
            "; servers follow\n"
            "[SERVER]\n"
            "Server0=a\n"
            "Server Count=1\n"
            "\n"
            "[SETTINGS]\n"
            "UserProxy=1\n");
}

TEST(SettingsFileWrite, ReadsSeeWritesAndOutsideChanges) {
  TempDir dir;
  const SettingsFile file(dir / "a.ini");
  ASSERT_TRUE(file.write_int("S", "K", 1));
  EXPECT_EQ(file.read_int("S", "K", 0), 1);
  write_file(dir / "a.ini", "[S]\nK=2\n");
  EXPECT_EQ(file.read_int("S", "K", 0), 2);
}

TEST(SettingsFileWrite, RefusesTextsThatWouldBreakTheFile) {
  TempDir dir;
  write_file(dir / "a.ini", "[S]\nK=1\n");
  const SettingsFile file(dir / "a.ini");
  EXPECT_FALSE(file.write_text("S", "K", "2\r\n[SETTINGS]\r\nUserProxy=1"));
  EXPECT_FALSE(file.write_text("S", "A=B", "1"));
  EXPECT_FALSE(file.write_text("S]", "K", "1"));
  EXPECT_FALSE(file.write_text("S", "", "1"));
  EXPECT_FALSE(file.write_text("S", "K", "\xF0\x9F\x98\x80")) << "GBK cannot hold it";
  EXPECT_EQ(read_file(dir / "a.ini"), "[S]\nK=1\n");
}

TEST(SettingsFileWrite, ReplacesAtomicallyKeepingModeAndLinks) {
  TempDir dir;
  write_file(dir / "real.ini", "[S]\nK=1\n");
  ::chmod((dir / "real.ini").c_str(), 0600);
  std::filesystem::create_symlink(dir / "real.ini", dir / "link.ini");
  const SettingsFile file(dir / "link.ini");
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(file.write_int("S", "K", i));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_EQ(read_file(dir / "real.ini"), "[S]\nK=4\n");
  EXPECT_EQ(std::filesystem::status(dir / "real.ini").permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(files_in(dir.path()), 2u) << "no temporary file is left";
}

TEST(SettingsFileWrite, UnwritableFolderFailsAndChangesNothing) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  TempDir dir;
  write_file(dir / "a.ini", "[S]\nK=1\n");
  ::chmod(dir.path().c_str(), 0500);
  EXPECT_FALSE(SettingsFile(dir / "a.ini").write_int("S", "K", 2));
  ::chmod(dir.path().c_str(), 0700);
  EXPECT_EQ(read_file(dir / "a.ini"), "[S]\nK=1\n");
}

}  // namespace
}  // namespace brindle::net
