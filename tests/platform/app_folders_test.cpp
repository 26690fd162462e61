#include "platform/app_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(AppFolders, ComeFromTheRunningExecutable) {
    SetFoldersFromExecutable();
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "platform_tests"));
    EXPECT_EQ(HelpFolder(), folder + "Help/");
    EXPECT_EQ(HelpFolder() + "GEN0000.htm", folder + "Help/GEN0000.htm") << "no second slash";
}

TEST(AppFolders, CanBeSetForProgramsThatKeepResourcesElsewhere) {
    SetExecutableFolder("/opt/tools/site");
    EXPECT_EQ(ExecutableFolder(), "/opt/tools/site/");
    EXPECT_EQ(HelpFolder(), "/opt/tools/site/Help/");
    SetExecutableFolder("/opt/tools/site/");
    EXPECT_EQ(ExecutableFolder(), "/opt/tools/site/");
    SetExecutableFolder("");
    EXPECT_EQ(ExecutableFolder(), "");
    EXPECT_EQ(HelpFolder(), "");
}

}  // namespace
