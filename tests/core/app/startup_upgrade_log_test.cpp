// Completing a pending self-upgrade from the upgrader's log.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "core/app/upgrade_log.h"
#include "core/ports/message_port.h"
#include "support/temp_dir.h"

namespace {

using brindle::app::UpgradeLog;
using brindle::testing::read_file;
using brindle::testing::TempDir;
using brindle::testing::write_file;

class CountingMessages final : public brindle::ports::MessagePort {
 public:
  std::deque<int> answers;
  std::vector<std::string> shown;
  int show_message(const std::string& text, bool) override {
    shown.push_back(text);
    if (answers.empty()) return cancel;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
};

class UpgradeCompletion : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(dir_ / "upgrade"); }
  void write_log(const std::string& text) { write_file(dir_ / "upgrade" / "upgrade.log", text); }
  std::string log_text() const { return read_file(dir_ / "upgrade" / "upgrade.log"); }

  TempDir dir_;
  UpgradeLog log_{dir_.path()};
  CountingMessages messages_;
};

TEST(UpgradeLogText, KeepsOneEntryPerNameAndWritesThemInNameOrder) {
  const auto contents = brindle::app::parse_upgrade_log(
      "  0|105|x|y \r\n\r\n2|b.dll|1|2| bin |3\n0|a.exe|0|0||0\n1|b.dll|4|5|lib|6\n");
  EXPECT_EQ(contents.header.version, 105);
  EXPECT_EQ(contents.header.text3, "x");
  ASSERT_EQ(contents.entries.size(), 2u);
  EXPECT_EQ(contents.entries.at("b.dll").state, 1);
  EXPECT_EQ(contents.entries.at("b.dll").target_folder, "lib");
  EXPECT_EQ(brindle::app::format_upgrade_log(contents), "0|105|x|y\n0|a.exe|0|0||0\n1|b.dll|4|5|lib|6\n");
}

// Written back raw, a name holding an escaped line feed came back as two entries, and carets, a
// trailing blank and a folder named "null" changed the same way (the upgrade log fuzz target).
TEST(UpgradeLogText, WhatIsWrittenBackReadsTheSame) {
  const auto read =
      brindle::app::parse_upgrade_log("0|5|^^a|b^s\n2|x^ny^^z.dll|1|2| null |3\n2|plain|0|0|^snull|0\n");
  ASSERT_EQ(read.entries.size(), 2u);
  const std::string written = brindle::app::format_upgrade_log(read);
  EXPECT_EQ(written, "0|5|^^a|b^s\n2|plain|0|0|^snull|0\n2|x^ny^^z.dll|1|2|^snull|3\n");
  const auto again = brindle::app::parse_upgrade_log(written);
  EXPECT_EQ(again.header.text3, "^a");
  EXPECT_EQ(again.header.text4, "b ");
  ASSERT_EQ(again.entries.size(), 2u);
  EXPECT_EQ(again.entries.at("x\ny^z.dll").target_folder, "null");
  EXPECT_EQ(again.entries.at("plain").target_folder, "null");
}

TEST_F(UpgradeCompletion, MissingLogIsCreatedEmptyAndCountsAsComplete) {
  EXPECT_TRUE(brindle::app::complete_pending_upgrade(log_, messages_));
  EXPECT_EQ(log_.version_text(), "0");
  EXPECT_EQ(log_text(), "1|0||\n");
}

TEST_F(UpgradeCompletion, MissingUpgradeFolderIsNoUpgrade) {
  std::filesystem::remove_all(dir_ / "upgrade");
  EXPECT_FALSE(brindle::app::complete_pending_upgrade(log_, messages_));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "upgrade"));
}

TEST_F(UpgradeCompletion, FetchedUpgraderIsPutInItsTargetFolderWhateverTheNamesCase) {
  write_log("0|107|a|b\n2|BRINDLE-Upgrader|1|2|bin|3\n");
  write_file(dir_ / "upgrade" / "BRINDLE-Upgrader", "new upgrader");
  std::filesystem::create_directories(dir_ / "bin");
  write_file(dir_ / "bin" / "BRINDLE-Upgrader", "old upgrader");

  EXPECT_TRUE(brindle::app::complete_pending_upgrade(log_, messages_));
  EXPECT_EQ(read_file(dir_ / "bin" / "BRINDLE-Upgrader"), "new upgrader");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "upgrade" / "BRINDLE-Upgrader"));
  EXPECT_EQ(log_text(), "1|107|a|b\n1|BRINDLE-Upgrader|1|2|bin|3\n");
  EXPECT_EQ(log_.version_text(), "107");
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(UpgradeCompletion, FilesLeftForTheUpgraderKeepTheUpgradeIncomplete) {
  for (const char* entry : {"2|client.dll|0|0||0\n", "0|brindle-upgrader|0|0||0\n"}) {
    write_log(std::string("0|107||\n") + entry);
    EXPECT_FALSE(brindle::app::complete_pending_upgrade(log_, messages_)) << entry;
    EXPECT_EQ(log_text().substr(0, 2), "0|") << entry;
  }
}

TEST_F(UpgradeCompletion, FailedCopyAsksAndRetriesUntilCancelled) {
  write_log("0|107||\n2|brindle-upgrader|0|0|bin|0\n");  // the fetched file itself is missing
  messages_.answers = {brindle::ports::MessagePort::ok};
  EXPECT_FALSE(brindle::app::complete_pending_upgrade(log_, messages_));
  EXPECT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[0], "不能更新升级程序！请退出升级程序，然后重试或取消更新。");
  EXPECT_EQ(log_text(), "0|107||\n2|brindle-upgrader|0|0|bin|0\n");  // asked again next start
}

TEST_F(UpgradeCompletion, TargetFolderOutsideTheProgramDirectoryIsNeverWritten) {
  const std::string outside = (dir_ / "outside").string();
  std::filesystem::create_directories(outside);
  for (const std::string& target :
       {std::string("..\\outside"), std::string("bin/../../outside"), outside, std::string("C:\\Windows")}) {
    write_log("0|107||\n2|brindle-upgrader|0|0|" + target + "|0\n");
    write_file(dir_ / "upgrade" / "brindle-upgrader", "payload");
    EXPECT_FALSE(brindle::app::complete_pending_upgrade(log_, messages_)) << target;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "outside" / "brindle-upgrader")) << target;
    EXPECT_TRUE(std::filesystem::exists(dir_ / "upgrade" / "brindle-upgrader")) << target;
  }
  EXPECT_TRUE(messages_.shown.empty());
}

TEST(UpgradeTargetFolder, BackslashesAndTheProgramDirectoryItself) {
  const std::filesystem::path root = "/opt/brindle";
  EXPECT_EQ(brindle::app::upgrade_target_folder(root, ""), root);
  EXPECT_EQ(brindle::app::upgrade_target_folder(root, "skin\\900"), root / "skin/900");
  EXPECT_EQ(brindle::app::upgrade_target_folder(root, "a..b"), root / "a..b");
}

}  // namespace
