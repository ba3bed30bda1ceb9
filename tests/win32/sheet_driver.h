#pragma once
// Drives the real configuration sheet from inside its own modal loop: the
// script runs on a timer once the sheet shows, sends the pages their real
// messages, and every message box is caught, recorded and answered.

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "settings/options_record.h"

// A message box as the user saw it.
struct CaughtBox {
    std::string caption;
    std::string text;
    std::string icon;          // "error", "question", "warning", "information" or "none"
    std::vector<int> buttons;  // IDOK, IDCANCEL, ... in id order
    HWND owner = nullptr;
    bool ownerEnabled = false;  // whether the owner took input while the box stood
};

class SheetDriver {
public:
    // Answers for the coming boxes, in order; a box with no answer left
    // gets its last button (Cancel where there is one), and the test sees it
    // in boxes() anyway.
    void answer(int button) { answers.push_back(button); }

    // Opens the sheet as the configure mode does, runs script on it and
    // returns when the sheet has closed. A script that leaves the sheet open
    // has it cancelled.
    void run(const std::function<void(HWND sheet)>& script);

    const std::vector<CaughtBox>& boxes() const { return caught; }
    void clearBoxes() { caught.clear(); }

private:
    friend LRESULT CALLBACK catchMessageBox(int, WPARAM, LPARAM);
    friend void CALLBACK startScript(HWND, UINT, UINT_PTR, DWORD);
    std::deque<int> answers;
    std::vector<CaughtBox> caught;
    std::vector<HWND> answered;
    std::function<void(HWND)> script;
    bool scriptRan = false;
};

// The page at index (0..3), made current the way a click on its tab does.
HWND showPage(HWND sheet, int index);

// OK, Cancel: the sheet's own buttons, pressed.
void pressSheetButton(HWND sheet, int id);
bool sheetIsOpen(HWND sheet);

// A click on a push button, check box or radio button of a page.
void clickButton(HWND page, int id);

// Replaces the text of an edit box (or a combo box's edit field) by typing
// it, so the box's own length limit applies as it does for a user.
void typeText(HWND page, int id, const std::string& text);

std::string itemText(HWND page, int id);

// The entries of a combo box and its selected entry (-1 for none).
std::vector<std::string> comboEntries(HWND page, int id);
int comboSelection(HWND page, int id);

// liveOptions and the saver's key are put back after every test.
class ConfigurationSheetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    OptionsRecord savedLiveOptions;
    SheetDriver sheet;
};

// Writes a record as the store would, with a name of its own.
void storeRecord(const char* valueName, OptionsRecord record, const std::string& name);
// Reads a value straight from the registry; fails the test when it is not
// a whole record.
OptionsRecord storedRecord(const char* valueName);
