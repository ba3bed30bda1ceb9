#pragma once
// Reads a Windows help file back through its own structures, the way a
// viewer finds things in it: the directory B+ tree, the B+ tree files and
// the topic links. Independent of the writer, so the two check each other.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct HelpTopicView {
    uint32_t offset = 0;  // TOPICOFFSET of its start
    std::string title;
    std::string text;                 // all its paragraphs, one per line
    std::vector<int32_t> jumpHashes;  // the contexts its jumps go to
};

class WinHelpView {
public:
    // False with a reason when the header or directory cannot be read.
    bool open(const Bytes& file, std::string& error);

    // Where the internal file's content begins, found through the directory
    // B+ tree; -1 when the tree does not find it.
    long findFile(const std::string& name) const;
    // The content of an internal file (empty when it is not found).
    Bytes fileContent(const std::string& name) const;

    // Searches a B+ tree internal file (its content) for a key: keyLess
    // compares a key in a page with the wanted one, keySize tells how long
    // a key at a place is, valueSize how long the value after it. Returns
    // the place of the value in the content, or -1.
    static long searchTree(const Bytes& tree, const std::function<int(const uint8_t*)>& compare,
                           const std::function<size_t(const uint8_t*)>& keySize,
                           const std::function<size_t(const uint8_t*)>& valueSize);
    // Every leaf entry of a B+ tree in order, following the leaf chain:
    // the place of each key in the content.
    static std::vector<size_t> leafEntries(const Bytes& tree,
                                           const std::function<size_t(const uint8_t*)>& entrySize,
                                           std::string& error);

    // The topics of |TOPIC in order, walked through the links' next fields.
    bool readTopics(std::vector<HelpTopicView>& topics, std::string& error) const;

private:
    Bytes file_;
    long directory_ = -1;
};

uint32_t readLe32(const uint8_t* p);
uint16_t readLe16(const uint8_t* p);
