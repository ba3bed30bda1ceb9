// tovrine-helpgen SOURCE OUT_DIR
// Writes the help of SOURCE as "tovrine doreroder.hlp" with its contents
// file "tovrine doreroder.cnt", and as the page tovrine-help.html, into
// OUT_DIR.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tools/helpgen/help_source.h"
#include "tools/helpgen/html_page.h"
#include "tools/helpgen/winhelp_file.h"

namespace {

bool writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "tovrine-helpgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tovrine-helpgen SOURCE OUT_DIR\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "tovrine-helpgen: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream source;
    source << in.rdbuf();

    HelpBook book;
    std::string error;
    if (!readHelpSource(source.str(), book, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    const std::string out = argv[2];
    WrittenHelp help;
    try {
        help = writeWinHelp(book, "tovrine doreroder.hlp");
    } catch (const std::length_error& e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
        return 1;
    }
    bool ok =
        writeFile(out + "/tovrine doreroder.hlp", std::string(help.hlp.begin(), help.hlp.end()));
    ok = writeFile(out + "/tovrine doreroder.cnt", help.cnt) && ok;
    ok = writeFile(out + "/tovrine-help.html", writeHtmlPage(book)) && ok;
    std::printf("tovrine-helpgen: %zu topics, %zu bytes of help file\n", book.topics.size(),
                help.hlp.size());
    return ok ? 0 : 1;
}
