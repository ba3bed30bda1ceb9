// report_exit RESULTFILE PROGRAM [ARGUMENTS...]
//
// Runs PROGRAM with the rest of the command line exactly as given, waits for
// it and writes its whole 32-bit exit code, as a signed decimal number, to
// RESULTFILE. Wine gives a shell only the low 8 bits of an exit code, and
// none at all for a program started inside a virtual desktop by explorer.

#include <windows.h>

#include <cstdio>

namespace {

// Skips one argument by the usual Windows rules for quotes; enough for the
// paths and words that the test scripts pass.
const wchar_t* skipArgument(const wchar_t* p)
{
    while (*p == L' ' || *p == L'\t')
        ++p;
    bool quoted = false;
    for (; *p; ++p) {
        if (*p == L'"')
            quoted = !quoted;
        else if (!quoted && (*p == L' ' || *p == L'\t'))
            break;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) {
        std::fprintf(stderr, "usage: report_exit RESULTFILE PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const wchar_t* resultFile = argv[1];
    const wchar_t* tail = skipArgument(skipArgument(GetCommandLineW()));

    // CreateProcessW may write into the command line, so hand it a copy.
    size_t length = wcslen(tail);
    wchar_t* commandLine = new wchar_t[length + 1];
    wcscpy(commandLine, tail);

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "report_exit: cannot start %ls (error %lu)\n", tail,
                     static_cast<unsigned long>(GetLastError()));
        return 127;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    FILE* out = _wfopen(resultFile, L"w");
    if (!out) {
        std::fprintf(stderr, "report_exit: cannot write %ls\n", resultFile);
        return 126;
    }
    std::fprintf(out, "%ld\n", static_cast<long>(static_cast<LONG>(code)));
    std::fclose(out);
    return static_cast<int>(code);
}
