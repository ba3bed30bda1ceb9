// The help's markup: mistakes are refused with their line rather than
// written into a help file with a jump that leads nowhere.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tools/helpgen/help_source.h"
#include "tools/helpgen/winhelp_file.h"

namespace {

TEST(HelpSource, RefusesMistakesNamingTheLine)
{
    struct Case {
        const char* source;
        const char* error;
    } cases[] = {
        {"title: T\n@a A\nSee [[b]].\n", "jump to an unknown topic: b"},
        {"title: T\n@a A\n@a Again\n", "topic id used twice: a"},
        {"title: T\n@a A\nSome **bold.\n", "line 3: unclosed **"},
        {"title: T\n@a A\n- see [[a\n", "line 3: unclosed [["},
        {"title: T\nText first.\n@a A\n", "line 2: text before the first topic"},
        {"@a A\nText.\n", "no title:"},
        {"title: T\n@a\n", "line 2: a topic needs an id and a title"},
        {"title: T\n@contents Mine\n", "topic id used twice: contents"},
    };
    for (const Case& c : cases) {
        HelpBook book;
        std::string error;
        EXPECT_FALSE(readHelpSource(c.source, book, error)) << c.source;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.source << " gave: " << error;
    }
}

TEST(HelpSource, ReadsParagraphsItemsAndSpans)
{
    HelpBook book;
    std::string error;
    ASSERT_TRUE(readHelpSource("title: T\n== G\n@a First\nkeys: x; y z\nOne line.\nAnother\n"
                               "  continued **here**.\n- An item\n  going on, [[b]].\n"
                               "After it.\n@b Second\n- [[a|back]]\n",
                               book, error))
        << error;
    ASSERT_EQ(book.topics.size(), 3u);  // the contents first
    const Topic& a = book.topics[1];
    EXPECT_EQ(a.keywords, (std::vector<std::string>{"x", "y z"}));
    ASSERT_EQ(a.paragraphs.size(), 4u);
    EXPECT_EQ(plainText(a.paragraphs[0]), "One line.");
    EXPECT_EQ(plainText(a.paragraphs[1]), "Another continued here.");
    EXPECT_EQ(a.paragraphs[1].spans.back().kind, Span::Plain);
    EXPECT_EQ(a.paragraphs[1].spans[1].kind, Span::Bold);
    EXPECT_TRUE(a.paragraphs[2].listItem);
    EXPECT_EQ(plainText(a.paragraphs[2]), "An item going on, Second.");
    EXPECT_FALSE(a.paragraphs[3].listItem);
    EXPECT_EQ(book.topics[2].paragraphs[0].spans[0].text, "back");

    // The contents: the group's name, then a jump to each topic.
    const Topic& contents = book.topics[0];
    ASSERT_EQ(contents.paragraphs.size(), 3u);
    EXPECT_EQ(plainText(contents.paragraphs[0]), "G");
    EXPECT_EQ(contents.paragraphs[1].spans[0].target, "a");
    EXPECT_EQ(contents.paragraphs[2].spans[0].target, "b");
}

TEST(HelpSource, AParagraphLongerThanATopicBlockIsRefused)
{
    HelpBook book;
    std::string error;
    ASSERT_TRUE(readHelpSource("title: T\n@a A\n" + std::string(5000, 'x') + "\n", book, error));
    EXPECT_THROW(writeWinHelp(book, "t.hlp"), std::length_error);
}

}  // namespace
