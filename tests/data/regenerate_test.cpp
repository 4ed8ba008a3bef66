// regenerate_test.cpp - the committed data/ is exactly what the asset
// generator writes today, and the generator writes the same bytes on every
// run. Runs the built generator into a scratch folder.
//
// Depends on: data_files.h, GoogleTest, the assetgen executable
// (NUBRIX_ASSETGEN; the tests skip when it is not part of the build).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "tests/data/data_files.h"
#include "tests/support/testing.h"

namespace datatest {
namespace {

namespace fs = std::filesystem;

#ifdef NUBRIX_ASSETGEN

class Regenerated : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_ = fs::u8path(folder_.Path());
    }

    // Runs the generator into scratch/<name>; true when it succeeded.
    bool generate(const std::string& name, const std::string& families = "") {
        std::vector<std::string> args = {NUBRIX_ASSETGEN, (scratch_ / name).u8string()};
        std::istringstream words(families);
        for (std::string family; words >> family;) args.push_back(family);
        return nubrix_test::RunProgram(args, {}, "", 600).exitCode == 0;
    }

    nubrix_test::TempDir folder_;
    fs::path scratch_;
};

TEST_F(Regenerated, CommittedDataMatchesTheGenerator) {
    ASSERT_TRUE(generate("all"));
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(scratch_ / "all")) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const std::string rel = fs::relative(entry.path(), scratch_ / "all").string();
        const std::string committed = dataPath(rel);
        ASSERT_TRUE(fs::exists(committed)) << rel << " is generated but not in data/";
        if (entry.path().extension() == ".png") {
            // Compare pixels: the compressed bytes may depend on the zlib build.
            Image fresh = loadPng(entry.path().string()), old = loadPng(committed);
            ASSERT_TRUE(fresh.valid() && old.valid()) << rel;
            EXPECT_EQ(fresh.width, old.width) << rel;
            EXPECT_EQ(fresh.height, old.height) << rel;
            EXPECT_TRUE(fresh.rgba == old.rgba) << rel << " differs: run `assetgen data` and commit the result";
        } else {
            EXPECT_TRUE(readFile(entry.path().string()) == readFile(committed))
                << rel << " differs: run `assetgen data` and commit the result";
        }
    }
    EXPECT_GE(files, 40);
}

TEST_F(Regenerated, TwoRunsWriteIdenticalBytes) {
    const std::string families = "fonts icons sounds";
    ASSERT_TRUE(generate("first", families));
    ASSERT_TRUE(generate("second", families));
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(scratch_ / "first")) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const fs::path twin = scratch_ / "second" / fs::relative(entry.path(), scratch_ / "first");
        EXPECT_TRUE(readFile(entry.path().string()) == readFile(twin.string())) << entry.path();
    }
    EXPECT_GT(files, 10);
}

TEST_F(Regenerated, RejectsAnUnknownFamily) {
    EXPECT_FALSE(generate("bad", "no-such-family"));
}

#endif

}  // namespace
}  // namespace datatest
