#include "tools/world/design_file.h"

#include <vector>

#include "settings/record_fields.h"

namespace {

std::vector<std::string> designCells(std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return splitCommas(line);
}

}  // namespace

bool parseDesign(const std::string& text, SweepOptions& options, std::string& error)
{
    const std::string where = "design \"" + options.designPath + "\"";
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    // Lines that start with # say how the design was made (tovrine-design
    // writes its command and the fields' ranges there); they come first.
    size_t header = 0;
    while (header < lines.size() && lines[header].rfind('#', 0) == 0)
        ++header;
    if (header == lines.size()) {
        error = where + " is empty: it wants a header of field names";
        return false;
    }
    options.designFields = designCells(lines[header]);
    for (size_t f = 0; f < options.designFields.size(); ++f) {
        const std::string& name = options.designFields[f];
        if (findRecordField(name) == nullptr) {
            error = where + ": the header names \"" + name +
                    "\", which is no whole-number field of the record (tovrine-record "
                    "fields lists them)";
            return false;
        }
        for (size_t g = 0; g < f; ++g)
            if (options.designFields[g] == name) {
                error = where + ": the header names " + name + " twice";
                return false;
            }
        for (const FieldSetting& set : options.sets)
            if (set.name == name) {
                error = name + " is both set and in the design";
                return false;
            }
    }
    options.designRows.clear();
    for (size_t l = header + 1; l < lines.size(); ++l) {
        if (designCells(lines[l]) == std::vector<std::string>{""})
            continue;  // a blank line, often the last
        const std::vector<std::string> cells = designCells(lines[l]);
        const std::string at = where + ", line " + std::to_string(l + 1) + ": ";
        if (cells.size() != options.designFields.size()) {
            error = at + std::to_string(cells.size()) + " values for " +
                    std::to_string(options.designFields.size()) + " fields";
            return false;
        }
        std::vector<int64_t> row;
        for (size_t f = 0; f < cells.size(); ++f) {
            FieldSetting setting;
            if (!parseFieldSetting(options.designFields[f] + "=" + cells[f], setting, error)) {
                error = at + error;
                return false;
            }
            row.push_back(setting.number);
        }
        options.designRows.push_back(row);
    }
    if (options.designRows.empty()) {
        error = where + " holds no design point";
        return false;
    }
    const int64_t runs = sweepRunCount(options);
    if (runs > largestSweep) {
        error = "a sweep of " + std::to_string(runs) + " runs is more than the " +
                std::to_string(largestSweep) + " one sweep takes";
        return false;
    }
    return true;
}
