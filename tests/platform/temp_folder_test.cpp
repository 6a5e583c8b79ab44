// The tests' temporary folders: removal takes read-only contents along and leaves what a
// link inside points to alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "support/temp_folder.h"

namespace {

bool Exists(const std::string& p) { return access(p.c_str(), F_OK) == 0; }

void Touch(const std::string& p) {
    FILE* f = std::fopen(p.c_str(), "w");
    ASSERT_NE(f, nullptr) << p;
    std::fclose(f);
}

TEST(TempFolder, FreshFoldersAreDistinctAndEmpty) {
    testsupport::TempFolder a("tf"), b("tf");
    ASSERT_FALSE(a.Path().empty());
    EXPECT_NE(a.Path(), b.Path());
    EXPECT_TRUE(std::filesystem::is_empty(a.Path()));
}

TEST(TempFolder, RemovesReadOnlyContents) {
    std::string dir = testsupport::MakeTempFolder("tf");
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(mkdir((dir + "/locked").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dir + "/locked/inner").c_str(), 0755), 0);
    Touch(dir + "/locked/inner/file");
    chmod((dir + "/locked/inner/file").c_str(), 0444);
    chmod((dir + "/locked/inner").c_str(), 0);
    chmod((dir + "/locked").c_str(), 0555);
    testsupport::RemoveTempFolder(dir);
    EXPECT_FALSE(Exists(dir));
}

TEST(TempFolder, LinksAreRemovedNotFollowed) {
    testsupport::TempFolder outside("tf");
    ASSERT_FALSE(outside.Path().empty());
    Touch(outside.Path() + "/keep");
    {
        testsupport::TempFolder folder("tf");
        ASSERT_EQ(symlink(outside.Path().c_str(), (folder.Path() + "/link").c_str()), 0);
    }
    EXPECT_TRUE(Exists(outside.Path() + "/keep"));
    testsupport::RemoveTempFolder("");  // nothing to do
}

}  // namespace
