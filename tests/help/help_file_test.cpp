// The help file read back as a viewer reads it: the directory finds every
// internal file, every topic can be reached from the contents and from the
// index, and the committed files are what the generator writes today.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "tests/help/winhelp_reader.h"
#include "tools/helpgen/winhelp_file.h"

namespace fs = std::filesystem;

namespace {

Bytes readFileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const fs::path committed = fs::path(TOVRINE_SOURCE_DIR) / "resources" / "help";
const char* const helpFiles[] = {"tovrine doreroder.hlp", "tovrine doreroder.cnt",
                                 "tovrine-help.html"};

size_t stringSize(const uint8_t* p) { return std::strlen(reinterpret_cast<const char*>(p)) + 1; }

class CommittedHelp : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(view_.open(readFileBytes(committed / "tovrine doreroder.hlp"), error)) << error;
        ASSERT_TRUE(view_.readTopics(topics_, error)) << error;
        ASSERT_GT(topics_.size(), 10u);
    }

    // The topic a context hash leads to through |CONTEXT, or -1.
    int topicOfHash(int32_t hash) const
    {
        Bytes tree = view_.fileContent("|CONTEXT");
        long value = WinHelpView::searchTree(
            tree,
            [&](const uint8_t* key) {
                int32_t k = static_cast<int32_t>(readLe32(key));
                return k < hash ? -1 : k > hash ? 1 : 0;
            },
            [](const uint8_t*) { return size_t(4); }, [](const uint8_t*) { return size_t(4); });
        return value < 0 ? -1 : topicAt(readLe32(&tree[value]));
    }
    int topicAt(uint32_t offset) const
    {
        for (size_t t = 0; t < topics_.size(); ++t)
            if (topics_[t].offset == offset)
                return static_cast<int>(t);
        return -1;
    }

    WinHelpView view_;
    std::vector<HelpTopicView> topics_;
};

TEST_F(CommittedHelp, TheDirectoryFindsEveryInternalFileAndNothingElse)
{
    for (const char* name :
         {"|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT", "|TTLBTREE", "|KWBTREE", "|KWDATA", "|KWMAP"})
        EXPECT_GE(view_.findFile(name), 0) << name;
    for (const char* name : {"|Phrases", "|system", "", "|TOPICS", "|A"})
        EXPECT_LT(view_.findFile(name), 0) << name;
}

TEST_F(CommittedHelp, EveryTopicIsReachedFromTheContentsTopic)
{
    Bytes system = view_.fileContent("|SYSTEM");
    int contents = -1;
    std::string title;
    for (size_t at = 12; at + 4 <= system.size();) {
        uint16_t type = readLe16(&system[at]), size = readLe16(&system[at + 2]);
        if (type == 1)
            title = reinterpret_cast<const char*>(&system[at + 4]);
        if (type == 3)
            contents = topicAt(readLe32(&system[at + 4]));
        at += 4 + size;
    }
    EXPECT_EQ(title, "Tovrine Help");
    ASSERT_EQ(contents, 0);

    std::set<int> reached{contents};
    std::vector<int> open{contents};
    while (!open.empty()) {
        int t = open.back();
        open.pop_back();
        for (int32_t hash : topics_[t].jumpHashes) {
            int target = topicOfHash(hash);
            ASSERT_GE(target, 0) << "a jump in \"" << topics_[t].title << "\" leads nowhere";
            if (reached.insert(target).second)
                open.push_back(target);
        }
    }
    for (size_t t = 0; t < topics_.size(); ++t)
        EXPECT_TRUE(reached.count(static_cast<int>(t))) << topics_[t].title;
}

TEST_F(CommittedHelp, EveryTopicHasItsTitleAndIsInTheKeywordIndex)
{
    std::string error;
    Bytes titles = view_.fileContent("|TTLBTREE");
    std::vector<size_t> entries = WinHelpView::leafEntries(
        titles, [](const uint8_t* p) { return 4 + stringSize(p + 4); }, error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_EQ(entries.size(), topics_.size());
    for (size_t t = 0; t < topics_.size(); ++t) {
        EXPECT_EQ(readLe32(&titles[entries[t]]), topics_[t].offset);
        EXPECT_EQ(reinterpret_cast<const char*>(&titles[entries[t] + 4]), topics_[t].title);
    }

    Bytes keywords = view_.fileContent("|KWBTREE");
    Bytes data = view_.fileContent("|KWDATA");
    entries = WinHelpView::leafEntries(
        keywords, [](const uint8_t* p) { return stringSize(p) + 6; }, error);
    ASSERT_TRUE(error.empty()) << error;
    std::set<int> indexed;
    std::string previous;
    for (size_t place : entries) {
        std::string word = reinterpret_cast<const char*>(&keywords[place]);
        std::string lower = word;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_LT(previous, lower) << "the index is not in order at " << word;
        previous = lower;
        const uint8_t* value = &keywords[place + word.size() + 1];
        uint32_t count = readLe16(value), at = readLe32(value + 2);
        ASSERT_LE(at + 4 * count, data.size()) << word;
        for (uint32_t i = 0; i < count; ++i) {
            int t = topicAt(readLe32(&data[at + 4 * i]));
            EXPECT_GE(t, 0) << word;
            indexed.insert(t);
        }
    }
    EXPECT_EQ(indexed.size(), topics_.size());
}

TEST(HelpBTree, SearchFindsEveryKeyThroughIndexPages)
{
    // Small pages make a tree of several levels, as a large help file has.
    for (uint16_t pageSize : {64, 128, 1024}) {
        std::vector<BTreeEntry> entries;
        for (int i = 0; i < 600; ++i) {
            BTreeEntry e;
            std::string key = "|file" + std::to_string(100000 + i * 7);
            e.key.assign(key.begin(), key.end());
            e.key.push_back(0);
            for (int b = 0; b < 4; ++b)
                e.value.push_back(static_cast<uint8_t>(i >> (8 * b)));
            entries.push_back(e);
        }
        Bytes tree = buildBTree(entries, pageSize, 0x0402, "z4");
        if (pageSize < 1024) {
            EXPECT_GT(readLe16(&tree[32]), 2) << "levels with pages of " << pageSize;
        }
        for (int i = 0; i < 600; ++i) {
            std::string key = "|file" + std::to_string(100000 + i * 7);
            for (const std::string& wanted : {key, key + "x"}) {
                long value = WinHelpView::searchTree(
                    tree,
                    [&](const uint8_t* k) {
                        return std::strcmp(reinterpret_cast<const char*>(k), wanted.c_str());
                    },
                    stringSize, [](const uint8_t*) { return size_t(4); });
                if (wanted == key) {
                    ASSERT_GE(value, 0) << key << " in pages of " << pageSize;
                    EXPECT_EQ(static_cast<int>(readLe32(&tree[value])), i);
                } else {
                    EXPECT_LT(value, 0) << wanted;
                }
            }
        }
        std::string error;
        EXPECT_EQ(WinHelpView::leafEntries(
                      tree, [](const uint8_t* p) { return stringSize(p) + 4; }, error)
                      .size(),
                  600u)
            << error;
    }
}

TEST(GeneratedHelp, MatchesTheCommittedFilesByteForByte)
{
    fs::path out =
        fs::temp_directory_path() /
        ("tovrine-help-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
         std::to_string(std::rand()));
    fs::create_directories(out);
    std::string command = std::string("\"") + TOVRINE_HELPGEN + "\" \"" +
                          (committed / "tovrine-help.txt").string() + "\" \"" + out.string() +
                          "\" >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : helpFiles)
        EXPECT_TRUE(readFileBytes(out / name) == readFileBytes(committed / name))
            << name << " differs from the committed file: build the help-file target and commit";
    fs::remove_all(out);
}

}  // namespace
