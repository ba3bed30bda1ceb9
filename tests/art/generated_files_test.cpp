// The committed artwork must be exactly what the generator draws today, so
// nobody edits a bitmap by hand and nobody changes the drawing without
// committing its result.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "tests/art/bmp_reader.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> bitmapNames(const fs::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

class GeneratedArtwork : public ::testing::Test {
protected:
    void SetUp() override
    {
        out_ = fs::temp_directory_path() /
               ("tovrine-art-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        fs::remove_all(out_);
        std::string command = std::string("\"") + TOVRINE_ARTGEN + "\" \"" + out_.string() +
                              "\" \"" + (out_ / "artwork.png").string() + "\"";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    void TearDown() override { fs::remove_all(out_); }

    fs::path out_;
    const fs::path committed_ = fs::path(TOVRINE_SOURCE_DIR) / "resources";

    // The files of `folder` as drawn and as committed: the same names, the same bytes.
    void expectSameFolder(const std::string& folder) const
    {
        std::set<std::string> drawn = bitmapNames(out_ / folder);
        EXPECT_EQ(drawn, bitmapNames(committed_ / folder))
            << folder << ": drawn and committed differ in name";
        for (const std::string& name : drawn)
            EXPECT_TRUE(readBytes((out_ / folder / name).string()) ==
                        readBytes((committed_ / folder / name).string()))
                << name << " differs from the committed file: run the artwork target and commit";
    }
};

TEST_F(GeneratedArtwork, MatchesTheCommittedFilesByteForByte)
{
    expectSameFolder("bitmaps");
    expectSameFolder("web");  // the page's icons
    EXPECT_TRUE(readBytes((out_ / "tovrine.ico").string()) ==
                readBytes((committed_ / "tovrine.ico").string()))
        << "tovrine.ico differs from the committed file";
    EXPECT_TRUE(readBytes((out_ / "sheet_cells.h").string()) ==
                readBytes((committed_ / "sheet_cells.h").string()))
        << "sheet_cells.h differs from the committed file: run the artwork target and commit";
}

uint32_t be32(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

uint32_t referenceCrc(const uint8_t* p, size_t n)
{
    uint32_t table[256];
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

TEST_F(GeneratedArtwork, ContactSheetIsAValidPng)
{
    std::vector<uint8_t> png = readBytes((out_ / "artwork.png").string());
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(png.size(), 8u + 25u + 12u);
    EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));

    // Every chunk fits and carries the right CRC; the stored deflate blocks
    // of IDAT add up to one filter byte plus three bytes per pixel a row.
    size_t at = 8, width = 0, height = 0, inflated = 0;
    std::string last;
    while (at + 12 <= png.size()) {
        uint32_t length = be32(png, at);
        ASSERT_LE(at + 12 + length, png.size());
        last.assign(png.begin() + at + 4, png.begin() + at + 8);
        EXPECT_EQ(be32(png, at + 8 + length), referenceCrc(&png[at + 4], length + 4)) << last;
        if (last == "IHDR")
            width = be32(png, at + 8), height = be32(png, at + 12);
        if (last == "IDAT") {
            size_t p = at + 8 + 2, end = at + 8 + length - 4;
            bool final = false;
            while (!final && p + 5 <= end) {
                final = png[p] & 1;
                EXPECT_EQ(png[p] & 6, 0) << "only stored blocks are written";
                size_t len = png[p + 1] | (png[p + 2] << 8), nlen = png[p + 3] | (png[p + 4] << 8);
                EXPECT_EQ(len ^ 0xFFFF, nlen);
                inflated += len;
                p += 5 + len;
            }
            EXPECT_TRUE(final);
            EXPECT_EQ(p, end);
        }
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(last, "IEND");
    EXPECT_GT(width, 0u);
    EXPECT_EQ(inflated, height * (1 + 3 * width));
}

TEST(ArtGenerator, RefusesAMissingArgument)
{
    std::string command = std::string("\"") + TOVRINE_ARTGEN + "\" 2>/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
}

}  // namespace
