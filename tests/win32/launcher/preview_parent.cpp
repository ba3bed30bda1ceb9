// preview_parent SAVER
//
// Plays the display control panel for a preview run: makes a small window,
// starts "SAVER /p HANDLE" as its own process, checks that the saver puts a
// child window of the parent's client size into it, then closes the parent
// and checks that the saver ends with it. Exits 0 when all of that held and
// prints what it saw.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HWND waitForPreview(HWND parent, HANDLE saver)
{
    for (int i = 0; i < 200; ++i) {
        HWND child = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", "Preview");
        if (child != nullptr)
            return child;
        if (WaitForSingleObject(saver, 50) == WAIT_OBJECT_0)
            return nullptr;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: preview_parent SAVER\n");
        return 2;
    }
    HWND parent = CreateWindowExA(0, "STATIC", "Display Properties", WS_POPUP | WS_VISIBLE, 50, 50,
                                  152, 112, nullptr, nullptr, nullptr, nullptr);
    if (parent == nullptr)
        return 3;
    std::string commandLine = "\"" + std::string(argv[1]) + "\" /p " +
                              std::to_string(reinterpret_cast<uintptr_t>(parent));
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("preview_parent: cannot start %s\n", commandLine.c_str());
        return 4;
    }

    bool ok = true;
    HWND child = waitForPreview(parent, process.hProcess);
    if (child == nullptr) {
        std::printf("preview_parent: no preview window appeared\n");
        ok = false;
    } else {
        RECT childRect, parentRect;
        GetClientRect(child, &childRect);
        GetClientRect(parent, &parentRect);
        std::printf("preview_parent: preview %ldx%ld in a parent of %ldx%ld\n", childRect.right,
                    childRect.bottom, parentRect.right, parentRect.bottom);
        ok = childRect.right == parentRect.right && childRect.bottom == parentRect.bottom;
    }

    DestroyWindow(parent);
    DWORD waited = WaitForSingleObject(process.hProcess, 10000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    if (waited != WAIT_OBJECT_0) {
        std::printf("preview_parent: the saver outlived its parent\n");
        TerminateProcess(process.hProcess, 1);
        ok = false;
    } else {
        std::printf("preview_parent: the saver ended with its parent, exit code %ld\n",
                    static_cast<long>(code));
        ok = ok && code == 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok ? 0 : 1;
}
