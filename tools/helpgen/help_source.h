#pragma once
// The help's source: a small line-based markup read into topics.
//
//   title: Book title              (once, first)
//   == Group name                  (starts a group of topics in the contents)
//   @id Topic title                (starts a topic; id is its context name)
//   keys: word; other word         (index entries of the topic)
//   text                           (a paragraph; indented lines continue it)
//   - text                         (a list item; indented lines continue it)
//   # comment
//
// Inside text, **bold** and [[id]] or [[id|shown text]] (a jump to a topic).

#include <string>
#include <vector>

struct Span {
    enum Kind { Plain, Bold, Jump };
    Kind kind = Plain;
    std::string text;
    std::string target;  // context id of a jump
};

struct Paragraph {
    bool listItem = false;
    std::vector<Span> spans;
};

struct Topic {
    std::string id;
    std::string title;
    std::string group;
    std::vector<std::string> keywords;
    std::vector<Paragraph> paragraphs;
};

struct HelpBook {
    std::string title;
    std::vector<Topic> topics;  // the contents topic first
};

// Reads the markup; on a mistake returns false with the line and reason in
// error. The contents topic (id "contents") is made here: a jump to every
// other topic, under its group's name.
bool readHelpSource(const std::string& text, HelpBook& book, std::string& error);

// The text of a paragraph without markup.
std::string plainText(const Paragraph& paragraph);
