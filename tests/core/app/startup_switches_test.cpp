// The command line's switches, the registration store and the instance marker.

#include <gtest/gtest.h>

#include "core/app/command_line_switches.h"
#include "core/app/instance_marker.h"
#include "core/app/registration_store.h"
#include "support/temp_dir.h"

namespace {

using brindle::app::RegistrationSwitch;

TEST(RegistrationSwitches, CountOnlyWhenTheyRunToTheEndOfTheLine) {
  const struct {
    const char* line;
    RegistrationSwitch expected;
  } cases[] = {
      {"/opt/brindle/brindle -regserver", RegistrationSwitch::register_server},
      {"/opt/brindle/brindle /REGSERVER", RegistrationSwitch::register_server},
      {"/opt/brindle/brindle -UnRegServer", RegistrationSwitch::unregister_server},
      {"/opt/brindle/brindle /RegServer /x", RegistrationSwitch::none},
      {"/opt/brindle/brindle /RegServer ", RegistrationSwitch::none},
      {"/opt/brindle/brindle", RegistrationSwitch::none},
      {"/opt/RegServer", RegistrationSwitch::register_server},  // the program path is scanned too
      {"", RegistrationSwitch::none},
  };
  for (const auto& c : cases) EXPECT_EQ(brindle::app::find_registration_switch(c.line), c.expected) << c.line;
}

TEST(EmbeddingSwitches, AreWholeArgumentsAfterTheProgram) {
  EXPECT_TRUE(brindle::app::asks_to_run_embedded({"brindle", "/Embedding"}));
  EXPECT_TRUE(brindle::app::asks_to_run_embedded({"brindle", "-x", "-AUTOMATION"}));
  EXPECT_FALSE(brindle::app::asks_to_run_embedded({"/Embedding"}));
  EXPECT_FALSE(brindle::app::asks_to_run_embedded({"brindle", "/Embeddingx"}));
  EXPECT_FALSE(brindle::app::asks_to_run_embedded({"brindle", "Embedding"}));
}

TEST(RegistrationStore, UnregisterKeepsTheAppIdEntry) {
  brindle::testing::TempDir dir;
  const brindle::app::RegistrationStore store(dir / "registration.ini");
  ASSERT_TRUE(store.register_server());
  auto entries = store.entries();
  EXPECT_EQ(entries.at(brindle::app::kAppIdKey), "Vantora");
  EXPECT_EQ(entries.at(brindle::app::kProgramKey), "{7A7C285B-2042-4792-A13C-6E30E7581A0D}");

  ASSERT_TRUE(store.unregister_server());
  entries = store.entries();
  EXPECT_EQ(entries.count(brindle::app::kProgramKey), 0u);
  EXPECT_EQ(entries.at(brindle::app::kAppIdKey), "Vantora");
}

TEST(InstanceMarker, SecondCopyIsNotTheOwnerAndTheLockIsFreedWithTheFirst) {
  brindle::testing::TempDir dir;
  {
    const auto first = brindle::app::InstanceMarker::create("BrindleClient", dir.path());
    const auto second = brindle::app::InstanceMarker::create("BrindleClient", dir.path());
    EXPECT_TRUE(first.owned());
    EXPECT_FALSE(second.owned());
  }
  EXPECT_TRUE(brindle::app::InstanceMarker::create("BrindleClient", dir.path()).owned());
  EXPECT_FALSE(brindle::app::InstanceMarker::create("BrindleClient", dir / "missing").owned());
}

}  // namespace
