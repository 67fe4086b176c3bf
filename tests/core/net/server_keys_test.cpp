#include "core/net/server_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace brindle::net {
namespace {

const std::string kHeader(kKnownKeysHeader);
const std::string kKeyA = "n4bQgYhMfWWaL+qgxVrQFaO/TxsrC4Is0V1sFbDwCgg=";
const std::string kKeyB = "47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=";

TEST(KnownKeysFile, ReadsWhatItWritesAndHandEditsWithin) {
  const KeyPins pins{{"127.0.0.1:47443", kKeyA}, {"[::1]:443", kKeyB}};
  const auto again = parse_known_keys(format_known_keys(pins));
  ASSERT_TRUE(again) << again.error();
  EXPECT_EQ(again.value(), pins);

  // Windows line ends, blanks, comments and a host in capitals, as an editor may leave them.
  const auto edited =
      parse_known_keys(kHeader + "\r\n\r\n# ours\r\n  Bet.Example.COM:8443 \t" + kKeyA + " \r\n");
  ASSERT_TRUE(edited) << edited.error();
  EXPECT_EQ(edited.value(), (KeyPins{{"bet.example.com:8443", kKeyA}}));
}

TEST(KnownKeysFile, DamageIsReportedWithItsLineNeverReadAsNoKeys) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "文件是空的"},
      {kHeader, "最后一行不完整"},
      {kHeader + "\n127.0.0.1:47443 " + kKeyA.substr(0, 20), "最后一行不完整"},
      {"127.0.0.1:47443 " + kKeyA + "\n", "第 1 行不是本文件的文件头"},
      {kHeader + "\n127.0.0.1 " + kKeyA + "\n", "第 2 行无法识别"},
      {kHeader + "\n127.0.0.1:0 " + kKeyA + "\n", "第 2 行无法识别"},
      {kHeader + "\n127.0.0.1:47443 " + kKeyA + " extra\n", "第 2 行无法识别"},
      // The last character carries bits beyond the 32 bytes: not a spelling the client writes.
      {kHeader + "\n127.0.0.1:47443 " + kKeyA.substr(0, 42) + "h=\n", "第 2 行无法识别"},
      {kHeader + "\n\n127.0.0.1:47443 " + kKeyA + "\n127.0.0.1:47443 " + kKeyB + "\n",
       "第 4 行的服务器在前面已经出现过"},
      {kHeader + "\n" + std::string(1 << 20, '#') + "\n", "文件过大"},
      {kHeader + "\n127.0.0.1:47443 " + kKeyA + std::string("\0\n", 2), "第 2 行无法识别"},
  };
  for (const auto& [text, problem] : cases) {
    SCOPED_TRACE(text.substr(0, 120));
    const auto pins = parse_known_keys(text);
    ASSERT_FALSE(pins);
    EXPECT_NE(pins.error().find(problem), std::string::npos) << pins.error();
  }
}

TEST(BuiltInPins, ReadTheBuildsTextAndRefuseAnythingElse) {
  const auto pins =
      parse_built_in_pins("bet.example.com:443=" + kKeyA + ";bet.example.com:443=" + kKeyB + ";");
  ASSERT_TRUE(pins) << pins.error();
  EXPECT_EQ(pins->count("bet.example.com:443"), 2U);
  EXPECT_TRUE(parse_built_in_pins("")->empty());
  for (const std::string text : std::vector<std::string>{"bet.example.com=" + kKeyA, "bet.example.com:443",
                                                         "bet.example.com:443=abc"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(parse_built_in_pins(text));
  }
}

TEST(ServerKeys, AMissingFileStartsFreshAndAFolderInItsPlaceIsNoFile) {
  testing::TempDir folder;
  ServerKeys keys({}, ServerKeys::file_in(folder.path()));
  EXPECT_EQ(keys.judge("127.0.0.1:47443", kKeyA).verdict, KeyVerdict::first_use);
  EXPECT_EQ(testing::read_file(keys.file()), kHeader + "\n127.0.0.1:47443 " + kKeyA + "\n");
  EXPECT_EQ(keys.judge("127.0.0.1:47443", kKeyA).verdict, KeyVerdict::known);
  const KeyJudgement changed = keys.judge("127.0.0.1:47443", kKeyB);
  EXPECT_EQ(changed.verdict, KeyVerdict::changed);
  EXPECT_EQ(changed.held, std::vector<std::string>{kKeyA});

  testing::TempDir other;
  std::filesystem::create_directory(other / kKnownKeysFileName);
  ServerKeys blocked({}, ServerKeys::file_in(other.path()));
  const KeyJudgement judgement = blocked.judge("127.0.0.1:47443", kKeyA);
  EXPECT_EQ(judgement.verdict, KeyVerdict::undecidable);
  EXPECT_NE(judgement.problem.find("不是普通文件"), std::string::npos) << judgement.problem;
}

TEST(ServerKeys, AKeyThatCannotBeWrittenDownIsHeldForTheRunAndSaidSo) {
  testing::TempDir folder;
  ServerKeys keys({}, folder / "missing-folder" / kKnownKeysFileName);
  EXPECT_EQ(keys.judge("127.0.0.1:47443", kKeyA).verdict, KeyVerdict::first_use);
  EXPECT_NE(keys.take_warning().find("只在本次运行中记住"), std::string::npos);
  EXPECT_EQ(keys.judge("127.0.0.1:47443", kKeyB).verdict, KeyVerdict::changed);
  EXPECT_FALSE(keys.trust("127.0.0.1:47443", kKeyB));  // said, yet held for this run
  EXPECT_EQ(keys.judge("127.0.0.1:47443", kKeyB).verdict, KeyVerdict::known);
}

}  // namespace
}  // namespace brindle::net
