#pragma once
// Answers the message boxes that the code under test shows on this thread,
// and keeps their captions and texts for the test to check. A CBT hook sees
// each box as it is activated, inside its own modal loop.

#include <windows.h>

#include <string>
#include <vector>

struct ShownBox {
    std::string caption;
    std::string text;
};

class BoxAnswerer {
public:
    BoxAnswerer()
    {
        current() = this;
        hook_ = SetWindowsHookExA(WH_CBT, watch, nullptr, GetCurrentThreadId());
    }
    ~BoxAnswerer()
    {
        if (hook_ != nullptr)
            UnhookWindowsHookEx(hook_);
        current() = nullptr;
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    const std::vector<ShownBox>& boxes() const { return boxes_; }

private:
    static BoxAnswerer*& current()
    {
        static BoxAnswerer* answerer = nullptr;
        return answerer;
    }

    static LRESULT CALLBACK watch(int code, WPARAM wParam, LPARAM lParam)
    {
        BoxAnswerer* self = current();
        if (code == HCBT_ACTIVATE && self != nullptr) {
            HWND box = reinterpret_cast<HWND>(wParam);
            char className[16] = {};
            GetClassNameA(box, className, sizeof className);
            if (std::string(className) == "#32770")
                self->answer(box);
        }
        return CallNextHookEx(self != nullptr ? self->hook_ : nullptr, code, wParam, lParam);
    }

    void answer(HWND box)
    {
        char caption[128] = {};
        char text[512] = {};
        GetWindowTextA(box, caption, sizeof caption);
        // A message box's text is its static control 0xFFFF.
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        boxes_.push_back({caption, text});
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }

    HHOOK hook_ = nullptr;
    std::vector<ShownBox> boxes_;
};
