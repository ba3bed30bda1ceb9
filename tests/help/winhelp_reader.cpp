#include "tests/help/winhelp_reader.h"

#include <algorithm>
#include <cstring>

uint32_t readLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t readLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

namespace {

const size_t treeHeaderSize = 38;

struct TreeShape {
    uint16_t pageSize, rootPage, totalPages, levels;
};

bool shapeOf(const Bytes& tree, TreeShape& shape)
{
    if (tree.size() < treeHeaderSize || readLe16(tree.data()) != 0x293B)
        return false;
    shape.pageSize = readLe16(&tree[4]);
    shape.rootPage = readLe16(&tree[26]);
    shape.totalPages = readLe16(&tree[30]);
    shape.levels = readLe16(&tree[32]);
    return shape.pageSize >= 16 && shape.rootPage < shape.totalPages && shape.levels >= 1 &&
           tree.size() >= treeHeaderSize + size_t(shape.totalPages) * shape.pageSize;
}

const uint8_t* page(const Bytes& tree, const TreeShape& shape, uint16_t number)
{
    return &tree[treeHeaderSize + size_t(number) * shape.pageSize];
}

}  // namespace

long WinHelpView::searchTree(const Bytes& tree, const std::function<int(const uint8_t*)>& compare,
                             const std::function<size_t(const uint8_t*)>& keySize,
                             const std::function<size_t(const uint8_t*)>& valueSize)
{
    TreeShape shape;
    if (!shapeOf(tree, shape))
        return -1;
    uint16_t number = shape.rootPage;
    for (int level = 1; level < shape.levels; ++level) {
        const uint8_t* p = page(tree, shape, number);
        int count = static_cast<int16_t>(readLe16(p + 2));
        uint16_t next = readLe16(p + 4);  // keys below the first entry
        const uint8_t* entry = p + 6;
        for (int i = 0; i < count; ++i) {
            size_t size = keySize(entry);
            if (compare(entry) > 0)  // the page's key is above the wanted one
                break;
            next = readLe16(entry + size);
            entry += size + 2;
        }
        if (next >= shape.totalPages)
            return -1;
        number = next;
    }
    const uint8_t* p = page(tree, shape, number);
    int count = static_cast<int16_t>(readLe16(p + 2));
    const uint8_t* entry = p + 8;
    for (int i = 0; i < count; ++i) {
        size_t size = keySize(entry);
        if (compare(entry) == 0)
            return static_cast<long>(entry + size - tree.data());
        entry += size + valueSize(entry + size);
    }
    return -1;
}

std::vector<size_t> WinHelpView::leafEntries(const Bytes& tree,
                                             const std::function<size_t(const uint8_t*)>& entrySize,
                                             std::string& error)
{
    std::vector<size_t> places;
    TreeShape shape;
    if (!shapeOf(tree, shape)) {
        error = "not a B+ tree";
        return places;
    }
    uint16_t number = shape.rootPage;
    for (int level = 1; level < shape.levels; ++level)
        number = readLe16(page(tree, shape, number) + 4);
    int pages = 0;
    while (number != 0xFFFF) {
        if (number >= shape.totalPages || ++pages > shape.totalPages) {
            error = "the leaf chain leaves the tree";
            return places;
        }
        const uint8_t* p = page(tree, shape, number);
        int count = static_cast<int16_t>(readLe16(p + 2));
        const uint8_t* entry = p + 8;
        for (int i = 0; i < count; ++i) {
            places.push_back(static_cast<size_t>(entry - tree.data()));
            entry += entrySize(entry);
        }
        number = readLe16(p + 6);
    }
    return places;
}

bool WinHelpView::open(const Bytes& file, std::string& error)
{
    file_ = file;
    if (file.size() < 16 || readLe32(file.data()) != 0x00035F3F) {
        error = "no help file magic";
        return false;
    }
    if (readLe32(&file[12]) != file.size()) {
        error = "the header's file size is not the file's";
        return false;
    }
    uint32_t at = readLe32(&file[4]);
    if (at + 9 > file.size() || at + 9 + readLe32(&file[at + 4]) > file.size()) {
        error = "the directory lies outside the file";
        return false;
    }
    directory_ = static_cast<long>(at);
    return true;
}

long WinHelpView::findFile(const std::string& name) const
{
    if (directory_ < 0)
        return -1;
    Bytes tree(file_.begin() + directory_ + 9,
               file_.begin() + directory_ + 9 + readLe32(&file_[directory_ + 4]));
    long value = searchTree(
        tree,
        [&](const uint8_t* key) {
            return std::strcmp(reinterpret_cast<const char*>(key), name.c_str());
        },
        [](const uint8_t* key) { return std::strlen(reinterpret_cast<const char*>(key)) + 1; },
        [](const uint8_t*) { return size_t(4); });
    if (value < 0)
        return -1;
    uint32_t at = readLe32(&tree[value]);
    if (at + 9 > file_.size() || at + 9 + readLe32(&file_[at + 4]) > file_.size())
        return -1;
    return static_cast<long>(at) + 9;
}

Bytes WinHelpView::fileContent(const std::string& name) const
{
    long at = findFile(name);
    if (at < 0)
        return Bytes();
    return Bytes(file_.begin() + at, file_.begin() + at + readLe32(&file_[at - 5]));
}

namespace {

// The compressed numbers of a paragraph's format.
uint32_t takeUShort(const uint8_t*& p)
{
    uint32_t v = *p++;
    return (v & 1) ? (v >> 1) + 128u * *p++ : v >> 1;
}
uint32_t takeULong(const uint8_t*& p)
{
    uint32_t v = readLe16(p);
    p += 2;
    if (v & 1) {
        v = (v >> 1) + 32768u * readLe16(p);
        p += 2;
        return v;
    }
    return v >> 1;
}

// Reads one display record's format and text: the text of its paragraphs
// and the contexts of its jumps.
bool readParagraph(const Bytes& data1, const Bytes& data2, HelpTopicView& topic, std::string& error)
{
    const uint8_t* p = data1.data();
    const uint8_t* end = p + data1.size();
    takeULong(p);
    uint32_t length = takeUShort(p);
    if (length != data2.size()) {
        error = "a paragraph counts " + std::to_string(length) + " characters for " +
                std::to_string(data2.size());
        return false;
    }
    p += 4;  // two unknown bytes and the paragraph id
    uint16_t bits = readLe16(p);
    p += 2;
    if (bits & 0x0001)
        takeULong(p);
    for (uint16_t flag : {0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040})
        if (bits & flag)
            takeUShort(p);
    if (bits & 0x0300) {
        error = "borders and tabs are not written";
        return false;
    }
    size_t text = 0;
    while (p < end) {
        std::string piece(reinterpret_cast<const char*>(&data2[text]));
        topic.text += piece;
        text += piece.size() + 1;
        uint8_t command = *p++;
        switch (command) {
        case 0xFF:
            topic.text += "\n";
            return text == data2.size() ? true : (error = "text left after the end", false);
        case 0x80:
            p += 2;
            break;
        case 0x81:
        case 0x82:
        case 0x83:
        case 0x89:
            break;
        case 0xE3:
            topic.jumpHashes.push_back(static_cast<int32_t>(readLe32(p)));
            p += 4;
            break;
        default:
            error = "unknown format command " + std::to_string(command);
            return false;
        }
        if (p > end || text > data2.size()) {
            error = "a paragraph runs past its record";
            return false;
        }
    }
    error = "a paragraph without its end";
    return false;
}

}  // namespace

namespace {

// Expands one topic block's LZ77 data: each flag byte, lowest bit first,
// tells whether a literal byte or a 16-bit back reference follows.
Bytes expand(const uint8_t* p, const uint8_t* end)
{
    Bytes out;
    while (p < end) {
        uint8_t flags = *p++;
        for (int bit = 0; bit < 8 && p < end; ++bit) {
            if (!(flags & (1 << bit))) {
                out.push_back(*p++);
                continue;
            }
            if (end - p < 2)
                return out;
            uint16_t word = readLe16(p);
            p += 2;
            size_t distance = (word & 0x0FFFu) + 1, length = (word >> 12) + 3u;
            if (distance > out.size())
                return out;
            for (size_t i = 0; i < length; ++i)
                out.push_back(out[out.size() - distance]);
        }
    }
    return out;
}

}  // namespace

bool WinHelpView::readTopics(std::vector<HelpTopicView>& topics, std::string& error) const
{
    Bytes system = fileContent("|SYSTEM");
    if (system.size() < 12 || readLe16(&system[0]) != 0x036C || readLe16(&system[2]) != 21 ||
        readLe16(&system[10]) != 4) {
        error = "not a version 21 |SYSTEM with LZ77 topic blocks of 4 KB";
        return false;
    }
    Bytes topic = fileContent("|TOPIC");
    const size_t blockSize = 4096, bufferSize = 0x4000;
    std::vector<Bytes> buffers;
    for (size_t at = 0; at + 12 <= topic.size(); at += blockSize) {
        const uint8_t* begin = &topic[at];
        buffers.push_back(expand(begin + 12, begin + std::min(blockSize, topic.size() - at)));
        if (buffers.back().size() > bufferSize) {
            error = "a topic block expands beyond 16 KB";
            return false;
        }
    }

    uint32_t pos = 12;
    int links = 0;
    size_t currentBlock = 0;
    uint32_t characters = 0;  // counted in the block so far, for TOPICOFFSETs
    while (pos != 0xFFFFFFFF && pos != 0) {
        size_t block = (pos - 12) / bufferSize, at = (pos - 12) % bufferSize;
        if (pos < 12 || block >= buffers.size() || at + 21 > buffers[block].size() ||
            ++links > 100000) {
            error = "a topic link outside |TOPIC";
            return false;
        }
        if (block != currentBlock) {
            currentBlock = block;
            characters = 0;
        }
        const uint8_t* link = &buffers[block][at];
        uint32_t blockLength = readLe32(link), length2 = readLe32(link + 4);
        uint32_t length1 = readLe32(link + 16);
        uint8_t type = link[20];
        if (length1 < 21 || blockLength < length1 || at + blockLength > buffers[block].size() ||
            length2 != blockLength - length1) {
            error = "a topic link's lengths do not fit its block";
            return false;
        }
        Bytes data1(link + 21, link + length1), data2(link + length1, link + blockLength);
        if (type == 2) {
            HelpTopicView view;
            view.offset = static_cast<uint32_t>(block) * 0x8000 + characters;
            view.title = std::string(data2.begin(), std::find(data2.begin(), data2.end(), 0));
            topics.push_back(view);
        } else if (type == 0x20) {
            if (topics.empty()) {
                error = "text before the first topic";
                return false;
            }
            if (!readParagraph(data1, data2, topics.back(), error))
                return false;
            characters += static_cast<uint32_t>(data2.size());
        } else {
            error = "a topic link of type " + std::to_string(type);
            return false;
        }
        pos = readLe32(link + 12);
    }
    return true;
}
