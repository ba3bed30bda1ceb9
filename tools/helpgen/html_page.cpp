#include "tools/helpgen/html_page.h"

namespace {

// The source is Windows-1252 text (the help file's code page); the page is
// UTF-8, so the few characters above 127 are written as references.
std::string escape(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case 0x95:
            out += "&bull;";
            break;
        case 0x96:
            out += "&ndash;";
            break;
        case 0xD7:
            out += "&times;";
            break;
        default:
            if (c >= 0x80)
                out += "&#" + std::to_string(c) + ";";
            else
                out += static_cast<char>(c);
        }
    }
    return out;
}

std::string spans(const Paragraph& paragraph)
{
    std::string out;
    for (const Span& span : paragraph.spans) {
        if (span.kind == Span::Plain)
            out += escape(span.text);
        else if (span.kind == Span::Bold)
            out += "<b>" + escape(span.text) + "</b>";
        else
            out += "<a href=\"#" + escape(span.target) + "\">" + escape(span.text) + "</a>";
    }
    return out;
}

}  // namespace

std::string writeHtmlPage(const HelpBook& book)
{
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    page += "<title>" + escape(book.title) + "</title>\n<style>\n";
    page += "body { font-family: Arial, Helvetica, sans-serif; max-width: 46em; margin: 1em auto;"
            " padding: 0 1em; line-height: 1.4; }\n"
            "section { border-top: 1px solid #ccc; margin-top: 1.5em; }\n"
            "a { color: #070; }\n";
    page += "</style>\n</head>\n<body>\n<h1>" + escape(book.title) + "</h1>\n";
    for (const Topic& topic : book.topics) {
        page += "<section id=\"" + escape(topic.id) + "\">\n<h2>" + escape(topic.title) + "</h2>\n";
        bool inList = false;
        for (const Paragraph& paragraph : topic.paragraphs) {
            if (paragraph.listItem != inList) {
                page += paragraph.listItem ? "<ul>\n" : "</ul>\n";
                inList = paragraph.listItem;
            }
            page += (inList ? "<li>" : "<p>") + spans(paragraph) + (inList ? "</li>\n" : "</p>\n");
        }
        if (inList)
            page += "</ul>\n";
        if (&topic != &book.topics.front())
            page += "<p><a href=\"#contents\">Contents</a></p>\n";
        page += "</section>\n";
    }
    page += "</body>\n</html>\n";
    return page;
}
