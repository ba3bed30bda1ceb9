#pragma once
// Writing the Windows help file format (WinHelp 3.1 files, which the
// Windows 95 viewer and Wine's read too): the internal file system with its
// B+ tree directory, and the B+ trees the viewer's indexes use.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/helpgen/help_source.h"

using Bytes = std::vector<uint8_t>;

// The hash by which a viewer finds a topic's context name in |CONTEXT.
int32_t contextHash(const std::string& id);

struct BTreeEntry {
    Bytes key;    // the key as stored in index pages
    Bytes value;  // what follows the key in a leaf page
};

// A whole B+ tree internal file: its header, then the leaf pages, then the
// index pages up to the root. Entries must be sorted by the tree's order.
// leafPages receives the number of the first entry of every leaf page and
// the page's number, in order (what a keyword map lists).
Bytes buildBTree(const std::vector<BTreeEntry>& entries, uint16_t pageSize, uint16_t flags,
                 const char* structure,
                 std::vector<std::pair<int32_t, uint16_t>>* leafPages = nullptr);

// The topic block size of the files we write (version 21, LZ77 blocks).
constexpr uint32_t topicBlockSize = 4096;

struct WrittenHelp {
    Bytes hlp;
    std::string cnt;                     // the contents file the Windows 95 viewer shows
    std::vector<uint32_t> topicOffsets;  // where each topic starts, in topic order
};

// The help file of book, named helpFileName inside its contents file.
// Throws std::length_error for a paragraph longer than a topic block holds.
WrittenHelp writeWinHelp(const HelpBook& book, const std::string& helpFileName);
