// The help of the configuration: the Windows help file where the system has
// a working WinHelp viewer, otherwise the same help as a web page in the
// person's browser, at the topic of the page where Help was asked for.

#include "settings/win32/sheet_help.h"

#include <shellapi.h>
#include <winver.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char helpFile[] = "tovrine doreroder.hlp";
const char htmlHelpFile[] = "tovrine-help.html";

std::string windowsFolder()
{
    char path[MAX_PATH];
    UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

std::string programFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length < MAX_PATH ? length : 0);
    std::string::size_type slash = program.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

bool fileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string fileDescription(const std::string& path)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return std::string();
    std::vector<char> info(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, info.data()))
        return std::string();
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD))
        return std::string();
    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\FileDescription",
                  translation[0], translation[1]);
    char* text = nullptr;
    if (!VerQueryValueA(info.data(), query, reinterpret_cast<void**>(&text), &length) || !text)
        return std::string();
    return std::string(text);
}

// Windows Vista and later keep a winhlp32.exe that only says this help
// format is not supported; its version resource calls it a stub.
bool winHelpViewerInstalled()
{
    std::string folder = windowsFolder();
    if (folder.empty())
        return false;
    std::string viewer = folder + "\\winhlp32.exe";
    return fileExists(viewer) && fileDescription(viewer).find("Stub") == std::string::npos;
}

// Beside the saver first, as the release's zip and the setup put it, then
// in the Windows folder beside the help file.
std::string htmlHelpPath()
{
    for (const std::string& folder : {programFolder(), windowsFolder()}) {
        if (!folder.empty() && fileExists(folder + "\\" + htmlHelpFile))
            return folder + "\\" + htmlHelpFile;
    }
    return std::string();
}

// file:///C:/Program%20Files/Tovrine/tovrine-help.html#topic
std::string fileUrl(const std::string& path, const char* topic)
{
    std::string url = "file:///";
    for (unsigned char c : path) {
        if (c == '\\')
            url += '/';
        else if (c <= ' ' || c == '%' || c == '#' || c >= 0x7F) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            url += escaped;
        } else
            url += static_cast<char>(c);
    }
    if (topic && *topic)
        url += std::string("#") + topic;
    return url;
}

bool launched(HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > 32; }

// The command that opens http addresses, "%1" standing for the address.
std::string httpCommand()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return std::string();
    char command[1024] = "";
    DWORD size = sizeof command - 1;
    LONG status =
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(command), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::string();
    char expanded[2048] = "";
    DWORD length = ExpandEnvironmentStringsA(command, expanded, sizeof expanded);
    return length > 0 && length <= sizeof expanded ? std::string(expanded) : std::string(command);
}

bool runHttpCommand(const std::string& url)
{
    std::string command = httpCommand();
    if (command.empty())
        return false;
    std::string::size_type at = command.find("%1");
    if (at == std::string::npos)
        command += " \"" + url + "\"";
    else
        command.replace(at, 2, url);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Opening the page itself would lose the topic (the shell drops a #part of
// a file's name), so a browser is given the page's address: the program
// for .html files, else the one for http addresses (a Windows without the
// first still has the second), else the page is opened without its topic.
bool openInBrowser(HWND owner, const std::string& page, const char* topic)
{
    const std::string url = fileUrl(page, topic);
    char browser[MAX_PATH] = "";
    if (launched(FindExecutableA(page.c_str(), nullptr, browser)) && browser[0]) {
        std::string argument = "\"" + url + "\"";
        if (launched(
                ShellExecuteA(owner, "open", browser, argument.c_str(), nullptr, SW_SHOWNORMAL)))
            return true;
    }
    if (runHttpCommand(url))
        return true;
    return launched(ShellExecuteA(owner, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

}  // namespace

bool showSheetHelp(HWND owner, const char* topic)
{
    if (winHelpViewerInstalled() && WinHelpA(owner, helpFile, HELP_FINDER, 0))
        return true;
    std::string page = htmlHelpPath();
    if (!page.empty() && openInBrowser(owner, page, topic))
        return true;
    MessageBoxA(owner,
                "The help could not be opened: this Windows has no WinHelp viewer, and "
                "tovrine-help.html is not beside the screen saver.",
                "Tovrine", MB_OK | MB_ICONINFORMATION);
    return false;
}
