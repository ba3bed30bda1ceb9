#include "tools/helpgen/winhelp_file.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

namespace {

void put8(Bytes& b, uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
void put16(Bytes& b, uint32_t v)
{
    put8(b, v);
    put8(b, v >> 8);
}
void put32(Bytes& b, uint32_t v)
{
    put16(b, v);
    put16(b, v >> 16);
}
void putString(Bytes& b, const std::string& s)
{
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
}
void set32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

// The viewer's compressed numbers: one byte (or two) for a short, two bytes
// (or four) for a long, the lowest bit telling which.
void putCompressedUShort(Bytes& b, uint32_t v)
{
    if (v < 128) {
        put8(b, v * 2);
    } else {
        put8(b, (v % 128) * 2 + 1);
        put8(b, v / 128);
    }
}
// The one-byte form only: the spacings and indents we write lie in -64..63.
void putCompressedShort(Bytes& b, int v) { put8(b, static_cast<uint32_t>(v + 64) * 2); }
void putCompressedULong(Bytes& b, uint32_t v)
{
    if (v < 32768) {
        put16(b, v * 2);
    } else {
        put16(b, (v % 32768) * 2 + 1);
        put16(b, v / 32768);
    }
}

const uint32_t noPosition = 0xFFFFFFFF;

// Fonts of |FONT, by number.
enum Font { TextFont = 0, HeadingFont = 1, BoldFont = 2 };

Bytes fontFile()
{
    const char face[] = "Arial";
    const uint32_t faceLength = 32;
    Bytes b;
    put16(b, 1);               // face names
    put16(b, 3);               // descriptors
    put16(b, 8);               // face names start
    put16(b, 8 + faceLength);  // descriptors start
    Bytes name(faceLength, 0);
    std::memcpy(name.data(), face, sizeof face);
    append(b, name);
    struct {
        uint8_t attributes, halfPoints;
    } fonts[] = {{0, 20}, {1, 28}, {1, 20}};  // bold is attribute bit 0
    for (const auto& f : fonts) {
        put8(b, f.attributes);
        put8(b, f.halfPoints);
        put8(b, 3);  // swiss family
        put16(b, 0);
        put8(b, 0), put8(b, 0), put8(b, 0);  // black text
        put8(b, 0xFF), put8(b, 0xFF), put8(b, 0xFF);
    }
    return b;
}

// One display record (a paragraph): its format in LinkData1 and its text in
// LinkData2, a string before each formatting command.
struct Record {
    Bytes data1;
    Bytes data2;
};

Record paragraphRecord(const Paragraph& paragraph, Font baseFont, int spaceAbove)
{
    Bytes commands;
    Bytes text;
    auto command = [&](const std::string& before, std::initializer_list<uint8_t> code) {
        putString(text, before);
        for (uint8_t c : code)
            commands.push_back(c);
    };
    auto font = [&](const std::string& before, Font f) {
        command(before, {0x80});
        put16(commands, f);
    };

    font("", baseFont);
    std::string pending = paragraph.listItem ? "\x95 " : "";
    for (const Span& span : paragraph.spans) {
        if (span.kind == Span::Plain) {
            pending += span.text;
        } else if (span.kind == Span::Bold) {
            font(pending, BoldFont);
            font(span.text, baseFont);
            pending.clear();
        } else {
            command(pending, {0xE3});
            put32(commands, static_cast<uint32_t>(contextHash(span.target)));
            command(span.text, {0x89});
            pending.clear();
        }
    }
    command(pending, {0x82});
    command("", {0xFF});

    Record record;
    Bytes& d = record.data1;
    putCompressedULong(d, static_cast<uint32_t>(text.size()));   // topic size
    putCompressedUShort(d, static_cast<uint32_t>(text.size()));  // characters it counts
    put8(d, 0);
    put8(d, 0x80);
    put16(d, 0);             // paragraph id
    uint16_t bits = 0x0002;  // spacing above
    if (paragraph.listItem)
        bits |= 0x0010 | 0x0040;  // left indent, first-line indent
    put16(d, bits);
    putCompressedShort(d, spaceAbove);
    if (paragraph.listItem) {
        putCompressedShort(d, 30);
        putCompressedShort(d, -12);
    }
    append(d, commands);
    record.data2 = text;
    return record;
}

// The |TOPIC file is cut into 4 KB blocks, each a 12-byte header and LZ77
// data that a viewer expands into a 16 KB buffer; a link's TOPICPOS is its
// block number times 0x4000 plus its place in that buffer plus 12. The data
// is written as literals only (a flag byte of 0 before every 8 bytes): no
// compression, but the layout viewers know best. Links never cross a block,
// so the zeros that fill a block's end expand to bytes nobody reads.
const uint32_t blockCapacity = (topicBlockSize - 12) / 9 * 8;
const uint32_t bufferSize = 0x4000;
const uint32_t linkHeaderSize = 21;

struct Link {
    uint32_t block;
    uint32_t place;  // in the block's expanded buffer
    uint8_t type;
    Bytes data1;
    Bytes data2;
    uint32_t size() const { return linkHeaderSize + uint32_t(data1.size() + data2.size()); }
};

uint32_t topicPos(const Link& link) { return link.block * bufferSize + link.place + 12; }

Bytes literals(const Bytes& data)
{
    Bytes out;
    for (size_t at = 0; at < data.size(); at += 8) {
        out.push_back(0);
        out.insert(out.end(), data.begin() + at, data.begin() + std::min(at + 8, data.size()));
    }
    return out;
}

}  // namespace

int32_t contextHash(const std::string& id)
{
    // The viewer's table: upper and lower case letters hash alike, digits
    // and a few signs have their own values.
    static const uint8_t table[256] = {
        0x00, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE,
        0xDF, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED,
        0xEE, 0xEF, 0xF0, 0x0B, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC,
        0xFD, 0x0C, 0xFF, 0x0A, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B,
        0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A,
        0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29,
        0x2A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0D, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
        0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27,
        0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56,
        0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65,
        0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0x73, 0x74,
        0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F, 0x80, 0x81, 0x82, 0x83,
        0x0B, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91, 0x92,
        0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xA0, 0xA1,
        0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0,
        0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
        0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE,
        0xCF};
    if (id.empty())
        return 1;
    uint32_t hash = 0;
    for (unsigned char c : id)
        hash = hash * 43 + static_cast<uint32_t>(static_cast<int8_t>(table[c]));
    return static_cast<int32_t>(hash);
}

Bytes buildBTree(const std::vector<BTreeEntry>& entries, uint16_t pageSize, uint16_t flags,
                 const char* structure, std::vector<std::pair<int32_t, uint16_t>>* leafPages)
{
    std::vector<Bytes> pages;
    struct Child {
        Bytes firstKey;
        uint16_t page;
    };
    std::vector<Child> level;

    // Leaf pages: 8-byte header, then key and value of each entry.
    size_t i = 0;
    do {
        Bytes body;
        int count = 0;
        int32_t first = static_cast<int32_t>(i);
        while (i < entries.size()) {
            size_t size = entries[i].key.size() + entries[i].value.size();
            if (8 + body.size() + size > pageSize && count > 0)
                break;
            append(body, entries[i].key);
            append(body, entries[i].value);
            ++count;
            ++i;
        }
        uint16_t number = static_cast<uint16_t>(pages.size());
        Bytes page;
        put16(page, static_cast<uint32_t>(pageSize - 8 - body.size()));
        put16(page, count);
        put16(page, number == 0 ? 0xFFFF : number - 1u);
        put16(page, 0xFFFF);  // next page, set below
        append(page, body);
        page.resize(pageSize, 0);
        pages.push_back(page);
        if (count > 0)
            level.push_back({entries[first].key, number});
        else
            level.push_back({Bytes(), number});
        if (leafPages)
            leafPages->push_back({first, number});
    } while (i < entries.size());
    for (size_t p = 0; p + 1 < pages.size(); ++p) {
        pages[p][6] = static_cast<uint8_t>(p + 1);
        pages[p][7] = static_cast<uint8_t>((p + 1) >> 8);
    }

    // Index pages: 6-byte header with the page of keys below the first
    // entry, then each key with the page of keys from it on.
    int levels = 1;
    while (level.size() > 1) {
        std::vector<Child> upper;
        size_t c = 0;
        while (c < level.size()) {
            Child first = level[c++];
            Bytes body;
            int count = 0;
            while (c < level.size()) {
                size_t size = level[c].firstKey.size() + 2;
                if (6 + body.size() + size > pageSize)
                    break;
                append(body, level[c].firstKey);
                put16(body, level[c].page);
                ++count;
                ++c;
            }
            uint16_t number = static_cast<uint16_t>(pages.size());
            Bytes page;
            put16(page, static_cast<uint32_t>(pageSize - 6 - body.size()));
            put16(page, count);
            put16(page, first.page);
            append(page, body);
            page.resize(pageSize, 0);
            pages.push_back(page);
            upper.push_back({first.firstKey, number});
        }
        level = upper;
        ++levels;
    }

    Bytes tree;
    put16(tree, 0x293B);
    put16(tree, flags);
    put16(tree, pageSize);
    Bytes shape(16, 0);
    std::memcpy(shape.data(), structure, std::min<size_t>(std::strlen(structure), 15));
    append(tree, shape);
    put16(tree, 0);
    put16(tree, 0);  // page splits
    put16(tree, level.front().page);
    put16(tree, 0xFFFF);
    put16(tree, static_cast<uint32_t>(pages.size()));
    put16(tree, levels);
    put32(tree, static_cast<uint32_t>(entries.size()));
    for (const Bytes& page : pages)
        append(tree, page);
    return tree;
}

WrittenHelp writeWinHelp(const HelpBook& book, const std::string& helpFileName)
{
    WrittenHelp out;
    const size_t topicCount = book.topics.size();

    // Lay the links out: every topic starts a block of its own, so its
    // TOPICOFFSET (block number times 0x8000 plus the characters before it
    // in the block) is just its block number times 0x8000.
    std::vector<Link> links;
    std::vector<size_t> headerLink(topicCount);
    uint32_t block = 0, used = 0;
    auto place = [&](Link link, bool newBlock) {
        if (link.size() > blockCapacity)
            throw std::length_error("a paragraph too long for a topic block");
        if ((newBlock && !links.empty()) || used + link.size() > blockCapacity) {
            ++block;
            used = 0;
        }
        link.block = block;
        link.place = used;
        used += link.size();
        links.push_back(link);
    };
    for (size_t t = 0; t < topicCount; ++t) {
        const Topic& topic = book.topics[t];
        headerLink[t] = links.size();
        Link header;
        header.type = 2;
        header.data1.resize(28, 0);  // filled in below
        putString(header.data2, topic.title);
        place(header, true);

        Paragraph title;
        title.spans.push_back({Span::Plain, topic.title, ""});
        std::vector<Record> records{paragraphRecord(title, HeadingFont, 0)};
        for (const Paragraph& paragraph : topic.paragraphs)
            records.push_back(paragraphRecord(paragraph, TextFont, paragraph.listItem ? 3 : 6));
        for (Record& record : records) {
            Link link;
            link.type = 0x20;
            link.data1 = record.data1;
            link.data2 = record.data2;
            place(link, false);
        }
    }
    for (size_t t = 0; t < topicCount; ++t)
        out.topicOffsets.push_back(links[headerLink[t]].block * 0x8000);

    for (size_t t = 0; t < topicCount; ++t) {
        size_t first = headerLink[t];
        size_t end = t + 1 < topicCount ? headerLink[t + 1] : links.size();
        uint32_t size = 0;
        for (size_t l = first; l < end; ++l)
            size += links[l].size();
        Bytes& h = links[first].data1;
        set32(h, 0, size);
        set32(h, 4, t > 0 ? out.topicOffsets[t - 1] : noPosition);               // browse back
        set32(h, 8, t + 1 < topicCount ? out.topicOffsets[t + 1] : noPosition);  // forward
        set32(h, 12, static_cast<uint32_t>(t));
        set32(h, 16, noPosition);  // no non-scrolling region
        set32(h, 20, topicPos(links[first + 1]));
        set32(h, 24, t + 1 < topicCount ? topicPos(links[headerLink[t + 1]]) : noPosition);
    }

    std::vector<Bytes> buffers(block + 1);
    for (size_t l = 0; l < links.size(); ++l) {
        const Link& link = links[l];
        Bytes& b = buffers[link.block];
        uint32_t data1 = linkHeaderSize + static_cast<uint32_t>(link.data1.size());
        put32(b, link.size());
        put32(b, static_cast<uint32_t>(link.data2.size()));
        put32(b, l > 0 ? topicPos(links[l - 1]) : noPosition);
        put32(b, l + 1 < links.size() ? topicPos(links[l + 1]) : noPosition);
        put32(b, data1);
        put8(b, link.type);
        append(b, link.data1);
        append(b, link.data2);
    }

    Bytes topicFile;
    for (uint32_t n = 0; n <= block; ++n) {
        uint32_t lastBefore = noPosition, firstIn = noPosition, lastHeader = noPosition;
        for (const Link& link : links) {
            if (link.block < n) {
                lastBefore = topicPos(link);
                if (link.type == 2)
                    lastHeader = topicPos(link);
            } else if (link.block == n && firstIn == noPosition) {
                firstIn = topicPos(link);
            }
        }
        Bytes header;
        put32(header, lastBefore);
        put32(header, firstIn);
        put32(header, lastHeader);
        append(topicFile, header);
        append(topicFile, literals(buffers[n]));
        if (n < block)
            topicFile.resize(size_t(n + 1) * topicBlockSize, 0);
    }

    Bytes system;
    put16(system, 0x036C);
    put16(system, 21);  // a Windows 3.1 file
    put16(system, 1);
    put32(system, 0);  // no date, so the same source gives the same file
    put16(system, 4);  // LZ77 topic blocks of 4 KB
    auto record = [&](uint16_t type, const Bytes& data) {
        put16(system, type);
        put16(system, static_cast<uint32_t>(data.size()));
        append(system, data);
    };
    Bytes title;
    putString(title, book.title);
    record(1, title);
    Bytes contents;
    put32(contents, out.topicOffsets[0]);
    record(3, contents);

    // |CONTEXT: context hash to topic, sorted by hash as a signed number.
    std::vector<std::pair<int32_t, uint32_t>> hashes;
    for (size_t t = 0; t < topicCount; ++t)
        hashes.push_back({contextHash(book.topics[t].id), out.topicOffsets[t]});
    std::sort(hashes.begin(), hashes.end());
    std::vector<BTreeEntry> contextEntries;
    for (const auto& h : hashes) {
        BTreeEntry e;
        put32(e.key, static_cast<uint32_t>(h.first));
        put32(e.value, h.second);
        contextEntries.push_back(e);
    }

    // |TTLBTREE: topic titles by offset.
    std::vector<BTreeEntry> titleEntries;
    for (size_t t = 0; t < topicCount; ++t) {
        BTreeEntry e;
        put32(e.key, out.topicOffsets[t]);
        putString(e.value, book.topics[t].title);
        titleEntries.push_back(e);
    }

    // The keyword index: every topic under its title and its keywords.
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return s;
    };
    std::map<std::string, std::pair<std::string, std::vector<uint32_t>>> keywords;
    for (size_t t = 0; t < topicCount; ++t) {
        std::vector<std::string> words = book.topics[t].keywords;
        if (t > 0)
            words.push_back(book.topics[t].title);
        for (const std::string& word : words) {
            auto& entry = keywords[lower(word)];
            if (entry.first.empty())
                entry.first = word;
            if (std::find(entry.second.begin(), entry.second.end(), out.topicOffsets[t]) ==
                entry.second.end())
                entry.second.push_back(out.topicOffsets[t]);
        }
    }
    Bytes keywordData;
    std::vector<BTreeEntry> keywordEntries;
    for (const auto& k : keywords) {
        BTreeEntry e;
        putString(e.key, k.second.first);
        put16(e.value, static_cast<uint32_t>(k.second.second.size()));
        put32(e.value, static_cast<uint32_t>(keywordData.size()));
        for (uint32_t offset : k.second.second)
            put32(keywordData, offset);
        keywordEntries.push_back(e);
    }
    std::vector<std::pair<int32_t, uint16_t>> keywordPages;
    Bytes keywordTree = buildBTree(keywordEntries, 2048, 0x0002, "z24", &keywordPages);
    Bytes keywordMap;
    for (const auto& page : keywordPages) {
        put32(keywordMap, static_cast<uint32_t>(page.first));
        put16(keywordMap, page.second);
    }

    std::map<std::string, Bytes> files;  // sorted by name, as the directory is
    files["|CONTEXT"] = buildBTree(contextEntries, 2048, 0x0002, "L4");
    files["|FONT"] = fontFile();
    files["|KWBTREE"] = keywordTree;
    files["|KWDATA"] = keywordData;
    files["|KWMAP"] = keywordMap;
    files["|SYSTEM"] = system;
    files["|TOPIC"] = topicFile;
    files["|TTLBTREE"] = buildBTree(titleEntries, 2048, 0x0002, "Lz");

    Bytes& hlp = out.hlp;
    hlp.resize(16, 0);
    auto putFile = [&](const Bytes& content) {
        uint32_t at = static_cast<uint32_t>(hlp.size());
        put32(hlp, static_cast<uint32_t>(content.size() + 9));
        put32(hlp, static_cast<uint32_t>(content.size()));
        put8(hlp, 4);
        append(hlp, content);
        return at;
    };
    std::vector<BTreeEntry> directory;
    for (const auto& file : files) {
        BTreeEntry e;
        putString(e.key, file.first);
        put32(e.value, putFile(file.second));
        directory.push_back(e);
    }
    uint32_t directoryAt = putFile(buildBTree(directory, 1024, 0x0402, "z4"));
    set32(hlp, 0, 0x00035F3F);
    set32(hlp, 4, directoryAt);
    set32(hlp, 8, noPosition);
    set32(hlp, 12, static_cast<uint32_t>(hlp.size()));

    // The contents file: a heading per group, a topic per line.
    std::string& cnt = out.cnt;
    cnt = ":Base " + helpFileName + "\r\n:Title " + book.title + "\r\n";
    cnt += "1 " + book.topics[0].title + "=" + book.topics[0].id + "\r\n";
    std::string group = "\x01";
    for (size_t t = 1; t < topicCount; ++t) {
        const Topic& topic = book.topics[t];
        if (topic.group != group) {
            group = topic.group;
            if (!group.empty())
                cnt += "1 " + group + "\r\n";
        }
        cnt += (group.empty() ? "1 " : "2 ") + topic.title + "=" + topic.id + "\r\n";
    }
    return out;
}
