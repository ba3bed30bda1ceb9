#include "tools/helpgen/help_source.h"

#include <map>
#include <set>
#include <sstream>

namespace {

std::string trim(const std::string& s)
{
    size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return std::string();
    size_t end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

bool startsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::string(prefix).size(), prefix) == 0;
}

void addPlain(std::vector<Span>& spans, Span::Kind kind, const std::string& text)
{
    if (text.empty())
        return;
    if (!spans.empty() && spans.back().kind == kind && kind != Span::Jump) {
        spans.back().text += text;
        return;
    }
    Span span;
    span.kind = kind;
    span.text = text;
    spans.push_back(span);
}

bool parseSpans(const std::string& text, std::vector<Span>& spans, std::string& error)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t bold = text.find("**", at);
        size_t jump = text.find("[[", at);
        size_t next = std::min(bold, jump);
        addPlain(spans, Span::Plain, text.substr(at, next - at));
        if (next == std::string::npos)
            break;
        if (next == bold) {
            size_t close = text.find("**", bold + 2);
            if (close == std::string::npos) {
                error = "unclosed **";
                return false;
            }
            addPlain(spans, Span::Bold, text.substr(bold + 2, close - bold - 2));
            at = close + 2;
        } else {
            size_t close = text.find("]]", jump + 2);
            if (close == std::string::npos) {
                error = "unclosed [[";
                return false;
            }
            std::string inner = text.substr(jump + 2, close - jump - 2);
            size_t bar = inner.find('|');
            Span span;
            span.kind = Span::Jump;
            span.target = trim(inner.substr(0, bar));
            span.text = bar == std::string::npos ? std::string() : trim(inner.substr(bar + 1));
            spans.push_back(span);
            at = close + 2;
        }
    }
    return true;
}

}  // namespace

std::string plainText(const Paragraph& paragraph)
{
    std::string text;
    for (const Span& span : paragraph.spans)
        text += span.text;
    return text;
}

bool readHelpSource(const std::string& text, HelpBook& book, std::string& error)
{
    book = HelpBook();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    std::string group;
    std::vector<std::string> pending;  // lines of the paragraph being read
    bool pendingItem = false;
    std::vector<int> pendingLines;

    auto fail = [&](int at, const std::string& why) {
        error = "line " + std::to_string(at) + ": " + why;
        return false;
    };
    auto flush = [&]() {
        if (pending.empty())
            return true;
        std::string joined;
        for (const std::string& part : pending)
            joined += (joined.empty() ? "" : " ") + part;
        Paragraph paragraph;
        paragraph.listItem = pendingItem;
        std::string why;
        if (!parseSpans(joined, paragraph.spans, why))
            return fail(pendingLines.front(), why);
        book.topics.back().paragraphs.push_back(paragraph);
        pending.clear();
        pendingLines.clear();
        return true;
    };

    book.topics.push_back(Topic());
    book.topics.back().id = "contents";
    while (std::getline(in, line)) {
        ++number;
        std::string t = trim(line);
        if (startsWith(t, "#"))
            continue;
        if (t.empty()) {
            if (!flush())
                return false;
            continue;
        }
        if (startsWith(t, "title:")) {
            book.title = trim(t.substr(6));
            continue;
        }
        if (startsWith(t, "==")) {
            if (!flush())
                return false;
            group = trim(t.substr(2));
            continue;
        }
        if (startsWith(t, "@")) {
            if (!flush())
                return false;
            size_t space = t.find(' ');
            if (space == std::string::npos)
                return fail(number, "a topic needs an id and a title");
            Topic topic;
            topic.id = t.substr(1, space - 1);
            topic.title = trim(t.substr(space));
            topic.group = group;
            book.topics.push_back(topic);
            continue;
        }
        if (book.topics.size() == 1)
            return fail(number, "text before the first topic");
        if (startsWith(t, "keys:")) {
            std::istringstream keys(t.substr(5));
            std::string key;
            while (std::getline(keys, key, ';'))
                if (!trim(key).empty())
                    book.topics.back().keywords.push_back(trim(key));
            continue;
        }
        bool indented = line[0] == ' ' || line[0] == '\t';
        if (startsWith(t, "- ")) {
            if (!flush())
                return false;
            pendingItem = true;
            pending.push_back(trim(t.substr(2)));
            pendingLines.push_back(number);
            continue;
        }
        if (!pending.empty() && !indented) {
            if (!flush())
                return false;
        }
        if (pending.empty())
            pendingItem = false;
        pending.push_back(t);
        pendingLines.push_back(number);
    }
    if (!flush())
        return false;

    if (book.title.empty())
        return fail(number, "no title:");
    std::map<std::string, const Topic*> byId;
    for (const Topic& topic : book.topics) {
        if (!byId.emplace(topic.id, &topic).second)
            return fail(number, "topic id used twice: " + topic.id);
    }
    for (Topic& topic : book.topics)
        for (Paragraph& paragraph : topic.paragraphs)
            for (Span& span : paragraph.spans)
                if (span.kind == Span::Jump) {
                    auto target = byId.find(span.target);
                    if (target == byId.end())
                        return fail(number, "jump to an unknown topic: " + span.target);
                    if (span.text.empty())
                        span.text = target->second->title;
                }

    Topic& contents = book.topics.front();
    contents.title = "Contents";
    contents.keywords.push_back("contents");
    std::string lastGroup;
    for (size_t i = 1; i < book.topics.size(); ++i) {
        const Topic& topic = book.topics[i];
        if (topic.group != lastGroup || i == 1) {
            Paragraph heading;
            Span span;
            span.kind = Span::Bold;
            span.text = topic.group.empty() ? book.title : topic.group;
            heading.spans.push_back(span);
            contents.paragraphs.push_back(heading);
            lastGroup = topic.group;
        }
        Paragraph item;
        item.listItem = true;
        Span jump;
        jump.kind = Span::Jump;
        jump.target = topic.id;
        jump.text = topic.title;
        item.spans.push_back(jump);
        contents.paragraphs.push_back(item);
    }
    return true;
}
