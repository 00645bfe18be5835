#include "app/program_folders.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/param_label.h"

namespace kelvandor {
namespace {

struct UserConfigCase {
  const char* label;
  const char* xdg_config_home;
  const char* home;
  std::string expected;
};

using testing::PrintTo;

class UserConfigFileTest : public ::testing::TestWithParam<UserConfigCase> {};

TEST_P(UserConfigFileTest, FollowsTheBaseDirectoryRules) {
  const UserConfigCase& c = GetParam();
  EXPECT_EQ(UserConfigFile(c.xdg_config_home, c.home), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, UserConfigFileTest,
    ::testing::Values(
        UserConfigCase{"Xdg", "/cfg", "/home/u", "/cfg/kelvandor/Kelvandor.ini"},
        UserConfigCase{"XdgWithSlash", "/cfg/", "/home/u", "/cfg/kelvandor/Kelvandor.ini"},
        UserConfigCase{"XdgUnset", nullptr, "/home/u", "/home/u/.config/kelvandor/Kelvandor.ini"},
        UserConfigCase{"XdgEmpty", "", "/home/u", "/home/u/.config/kelvandor/Kelvandor.ini"},
        UserConfigCase{"XdgRelative", "cfg", "/home/u", "/home/u/.config/kelvandor/Kelvandor.ini"},
        UserConfigCase{"RootHome", nullptr, "/", "/.config/kelvandor/Kelvandor.ini"},
        UserConfigCase{"NoHome", nullptr, nullptr, ""},
        UserConfigCase{"RelativeHome", "", "home", ""}),
    testing::ParamLabel());

TEST(ProgramFoldersTest, AWritableProgramFolderKeepsEverythingBesideTheProgram) {
  const ProgramFolders folders(true, "/cfg", "/home/u");
  EXPECT_EQ(folders.locations().config_file, "");
  EXPECT_EQ(folders.locations().temp_base, "");
}

TEST(ProgramFoldersTest, OtherwiseTheUsersConfigurationAndAPrivateFolderForTheRun) {
  std::string temp_base;
  {
    const ProgramFolders folders(false, "/cfg", "/home/u");
    EXPECT_EQ(folders.locations().config_file, "/cfg/kelvandor/Kelvandor.ini");
    temp_base = folders.locations().temp_base;
    ASSERT_TRUE(DirectoryExists(temp_base));
    EXPECT_TRUE(ListDirectory(temp_base).empty());
  }
  EXPECT_FALSE(AnythingExists(temp_base));
}

}  // namespace
}  // namespace kelvandor
