#pragma once
// What the four pages of the configuration sheet share. Only the sheet
// (configuration_sheet.cpp) and the pages include this.

#include <windows.h>

#include <string>

#include "settings/options_record.h"

// Control ids of the page templates (resources/pages.rc) other than those of
// the record's fields, which the field table gives (settings/record_fields.cpp).
enum PageControl : int {
    // "Playing God!"
    idPreview = 1035,
    // "System/Limits": the mode list of the three screen fields
    idDisplayMode = 1046,
    // "Load/Save"
    idLoadBox = 1063,
    idLoad = 1062,
    idSaveBox = 1061,
    idSave = 1065,
    idNameField = 1071,
    idRename = 1066,
    idRestoreDefaults = 1068,
};

// Runs the sheet modally with no owner unless one is given; returns what
// PropertySheetA returns. Called by configurationHook and by the tests.
INT_PTR showConfigurationSheet(HWND parent);

INT_PTR CALLBACK algorithmPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK limitsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK slotsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// What "Options" held when the sheet opened, or after the last Load or
// Restore Defaults; Cancel puts it back if a Preview stored "Options".
extern OptionsRecord cancelBackup;

// Answers a notification through the dialog's result slot; returns TRUE
// (handled) for the page procedure to return.
INT_PTR notifyResult(HWND page, LONG_PTR result);

// What every page answers to the sheet's notifications once it has done its
// own part: activation accepted, leaving allowed, OK accepted, Cancel
// acknowledged, Help opening the help file; other notifications ignored.
INT_PTR finishNotification(HWND page, const NMHDR& note);

// Opens the help, owned by the page (see showSheetHelp): the Help button
// (PSN_HELP) and F1 (WM_HELP, which the sheet never turns into PSN_HELP; the
// sheet passes on the F1 that reaches it). The web page opens at the page's
// own topic.
INT_PTR openHelp(HWND page);

// A message box of a page, owned by its sheet: the sheet cannot be clicked
// behind it, and it stands over the sheet.
int pageMessageBox(HWND page, const std::string& text, const char* caption, UINT type);

// The whole text of a control; empty when there is no such control.
std::string controlText(HWND control);

// The text of one entry of a combo box; empty when there is no such entry.
std::string comboEntryText(HWND combo, int entry);

// The record's fields on the page titled `title`, through the controls the
// field table names (field_controls.cpp); the display-mode list is the
// limits page's own. Fill writes them as the page shows them; read back
// takes them into `record`.
void fillFieldControls(HWND page, const char* title, const OptionsRecord& record);
void readFieldControls(HWND page, const char* title, OptionsRecord& record);

// A click on radio button `id` of a field: checks it and unchecks the
// field's other buttons. False when no field has that button.
bool checkFieldChoice(HWND page, int id);
