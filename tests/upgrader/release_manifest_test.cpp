#include "upgrader/release_manifest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace up = brindle::upgrader;

namespace {

std::string read_key(const char* name) {
  std::ifstream in(std::string(BRINDLE_TEST_KEY_DIR) + "/" + name);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

up::ReleaseManifest two_files() {
  up::ReleaseManifest manifest;
  manifest.version = 101;
  manifest.files.push_back({5, up::sha256_hex("hello"), 0755, "", "brindle"});
  manifest.files.push_back({3, up::sha256_hex("abc"), 0644, "skin/900", "theme.ini"});
  return manifest;
}

}  // namespace

TEST(ReleaseManifest, SignedWithTheTestKeyVerifiesAgainstItsPublicKey) {
  const auto signed_text = up::sign_manifest(two_files(), read_key("test_release_key.pem"));
  ASSERT_TRUE(signed_text) << signed_text.error();
  EXPECT_TRUE(signed_text->starts_with(
      "101\n5 2cf24dba5fb0a30e26e83b2ac5b9e29e1b161e5c1fa7425e73043362938b9824 755 . brindle\n"
      "3 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad 644 skin/900 theme.ini\n"
      "signature "));
  const auto read = up::verify_manifest(signed_text.value(), read_key("test_release_key.pub"));
  ASSERT_TRUE(read) << read.error();
  EXPECT_EQ(read->version, 101);
  EXPECT_EQ(read->files, two_files().files);
  EXPECT_EQ(up::public_key_base64(read_key("test_release_key.pem")).value(),
            read_key("test_release_key.pub"));
}

TEST(ReleaseManifest, AnythingButTheSignedTextIsRefused) {
  const std::string good = up::sign_manifest(two_files(), read_key("test_release_key.pem")).value();
  const std::string other_key = up::generate_private_key_pem().value();
  std::string tampered = good;
  tampered.replace(tampered.find("755"), 3, "777");
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"unsigned", up::format_manifest_body(two_files())},
      {"a changed mode", tampered},
      {"another key", up::sign_manifest(two_files(), other_key).value()},
      {"a cut signature", good.substr(0, good.size() - 6) + "\n"},
      {"a line after the signature", good + "0 " + std::string(64, 'a') + " 644 . x\n"},
      {"nothing", ""},
  };
  for (const auto& c : cases) {
    const auto read = up::verify_manifest(c.text, read_key("test_release_key.pub"));
    EXPECT_FALSE(read) << c.what;
  }
  EXPECT_EQ(
      up::verify_manifest(up::format_manifest_body(two_files()), read_key("test_release_key.pub")).error(),
      "the release list is not signed");
}

TEST(ReleaseManifest, LinesThatWouldLeaveTheProgramDirectoryAreRefused) {
  const std::string digest(64, 'a');
  for (const std::string& line : std::vector<std::string>{
           "5 " + digest + " 644 .. x",
           "5 " + digest + " 644 /etc x",
           "5 " + digest + " 644 skin/../.. x",
           "5 " + digest + " 644 upgrade upgrade.log",
           "5 " + digest + " 644 . a/b",
           "5 " + digest + " 644 . ..",
           "5 " + digest + " 644 . a\\b",
           "5 " + digest + " 644 . a|b",
           "5 " + digest + " 644 . c:x",
           "5 " + digest + " 644 skin upgrade.log",
           "5 " + digest + " 644 . brindle.new",
           "5 " + digest + " 644 . brindle.part",
           "5 " + std::string(64, 'A') + " 644 . x",
           "5 " + digest + " 1644 . x",
           "-5 " + digest + " 644 . x",
           "5 " + digest + " 644 . x y",
           "5 " + digest + " 644 .  x",
       }) {
    EXPECT_FALSE(up::parse_manifest_body("101\n" + line + "\n")) << line;
  }
  EXPECT_FALSE(up::parse_manifest_body("101\n5 " + digest + " 644 . x\n5 " + digest + " 644 bin x\n"))
      << "one name twice";
  EXPECT_FALSE(up::parse_manifest_body("v101\n"));
  EXPECT_FALSE(up::parse_manifest_body("101"));
  EXPECT_TRUE(up::parse_manifest_body("101\n5 " + digest + " 600 lib/plugins x.so\n"));
}

TEST(ReleaseManifest, Base64RoundTrip) {
  for (const std::string& bytes :
       std::vector<std::string>{"a", "ab", "abc", "abcd", std::string("\0\xff", 2)}) {
    EXPECT_EQ(up::base64_decode(up::base64_encode(bytes)).value(), bytes);
  }
  EXPECT_FALSE(up::base64_decode("abc"));
  EXPECT_FALSE(up::base64_decode("ab!="));
}
