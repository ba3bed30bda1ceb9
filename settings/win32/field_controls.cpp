// The controls of the record's fields on the "Playing God!" and
// "System/Limits" pages, found through the field table: each field's control,
// its id and the most its box holds come from settings/record_fields.

#include <windows.h>

#include <cstring>

#include "settings/record_fields.h"
#include "settings/record_rules.h"
#include "settings/win32/configuration_pages.h"

namespace {

bool onPage(const RecordField& field, const char* title)
{
    return std::strcmp(field.page, title) == 0;
}

// Exactly one of the buttons is checked: each may start a group of its own,
// so the page keeps them in step itself.
void checkChoice(HWND page, const RecordField& field, int id)
{
    for (std::size_t i = 0; i < field.choiceCount; ++i) {
        const int button = field.choices[i].controlId;
        CheckDlgButton(page, button, button == id ? BST_CHECKED : BST_UNCHECKED);
    }
}

// The button of the stored value; any other value shows the button of 0.
int choiceShown(const RecordField& field, int32_t value)
{
    int shown = 0;
    for (std::size_t i = 0; i < field.choiceCount; ++i) {
        if (field.choices[i].value == value)
            return field.choices[i].controlId;
        if (field.choices[i].value == 0)
            shown = field.choices[i].controlId;
    }
    return shown;
}

// The first checked button's value, in the table's order; none checked is 0.
int32_t choiceChecked(HWND page, const RecordField& field)
{
    for (std::size_t i = 0; i < field.choiceCount; ++i)
        if (IsDlgButtonChecked(page, field.choices[i].controlId) == BST_CHECKED)
            return field.choices[i].value;
    return 0;
}

}  // namespace

void fillFieldControls(HWND page, const char* title, const OptionsRecord& record)
{
    for (const RecordField& field : recordFields()) {
        if (!onPage(field, title))
            continue;
        const int32_t value = record.*field.member;
        switch (field.control) {
        case FieldControl::numberBox:
            SendDlgItemMessageA(page, field.controlId, EM_LIMITTEXT,
                                static_cast<WPARAM>(fieldBoxDigits(field)), 0);
            SetDlgItemInt(page, field.controlId, static_cast<UINT>(value), FALSE);
            break;
        case FieldControl::checkBox:
            CheckDlgButton(page, field.controlId, value ? BST_CHECKED : BST_UNCHECKED);
            break;
        case FieldControl::radioButtons:
            checkChoice(page, field, choiceShown(field, value));
            break;
        case FieldControl::modeList:
            break;  // the limits page's own list
        }
    }
}

void readFieldControls(HWND page, const char* title, OptionsRecord& record)
{
    for (const RecordField& field : recordFields()) {
        if (!onPage(field, title))
            continue;
        int32_t& value = record.*field.member;
        switch (field.control) {
        case FieldControl::numberBox:
            value = static_cast<int32_t>(
                readFieldText(field, controlText(GetDlgItem(page, field.controlId))).value);
            break;
        case FieldControl::checkBox:
            value = IsDlgButtonChecked(page, field.controlId) == BST_CHECKED ? 1 : 0;
            break;
        case FieldControl::radioButtons:
            value = choiceChecked(page, field);
            break;
        case FieldControl::modeList:
            break;
        }
    }
}

bool checkFieldChoice(HWND page, int id)
{
    for (const RecordField& field : recordFields())
        for (std::size_t i = 0; i < field.choiceCount; ++i)
            if (field.choices[i].controlId == id) {
                checkChoice(page, field, id);
                return true;
            }
    return false;
}
