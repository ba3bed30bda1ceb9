// The fields of the "Playing God!" and "System/Limits" pages over a record,
// for the web page's settings panel: the same boxes, ranges and reading of
// typed text as the configuration pages (settings/page_text).
#pragma once

#include <string>

#include "settings/options_record.h"

// [{"name","label","group","page","kind","min","max","maxLength","value",
// "choices"}...] with the record's values as the pages show them: numbers
// unsigned, switches 0 or 1, the display mode as "800 x 600 x 16".
std::string pageFieldsJson(const OptionsRecord& record);

// Stores `text` in field `name` as the page reads its control back; false,
// and the record unchanged, for a name no page has.
bool setPageField(OptionsRecord& record, const std::string& name, const std::string& text);
