#include "host/command_line.h"

namespace {

const char* nextCharacter(const char* p, LeadByteTest isLeadByte)
{
    if (*p == '\0')
        return p;
    // A lead byte followed by the terminator is a broken character: stop on
    // the terminator rather than step past it.
    if (isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

bool isBlankOrControl(char c)
{
    unsigned char byte = static_cast<unsigned char>(c);
    return byte >= 0x01 && byte <= 0x20;
}

const char* skipSpaces(const char* p)
{
    while (*p == ' ')
        ++p;
    return p;
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

const char* findCommandTail(const char* commandLine, LeadByteTest isLeadByte)
{
    const char* p = commandLine;
    if (*p == '"') {
        p = nextCharacter(p, isLeadByte);
        while (*p != '\0' && *p != '"')
            p = nextCharacter(p, isLeadByte);
        if (*p == '"')
            ++p;
    } else {
        while (static_cast<unsigned char>(*p) > 0x20)
            p = nextCharacter(p, isLeadByte);
    }
    while (isBlankOrControl(*p))
        p = nextCharacter(p, isLeadByte);
    return p;
}

uint32_t parseWindowHandle(const char* text)
{
    uint32_t value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    return value;
}

RunRequest chooseRunMode(const char* tail)
{
    const char* p = tail;
    while (*p == ' ' || *p == '-' || *p == '/')
        ++p;

    RunRequest request;
    switch (upper(*p)) {
    case '\0':
        request.mode = RunMode::configure;
        break;
    case 'S':
        request.mode = RunMode::fullScreen;
        break;
    case 'P':
    case 'L':
        request.mode = RunMode::preview;
        request.window = parseWindowHandle(skipSpaces(p + 1));
        break;
    case 'C':
        request.mode = RunMode::configure;
        // Only "C:handle" names an owner; "C handle" means the foreground window.
        if (p[1] == ':')
            request.window = parseWindowHandle(p + 2);
        break;
    case 'A':
        request.mode = RunMode::changePassword;
        request.window = parseWindowHandle(skipSpaces(p + 1));
        break;
    default:
        request.mode = RunMode::invalid;
        break;
    }
    return request;
}
