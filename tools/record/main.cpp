// tovrine-record: settings records by their fields' names. Prints a record,
// makes one from a preset with fields set, changes fields of a stored one.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/whole_number.h"
#include "settings/options_record.h"
#include "settings/record_fields.h"
#include "tools/world/output_file.h"
#include "tools/world/record_edit.h"
#include "tools/world/runner_options.h"
#include "tools/world/sweep_options.h"

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

const char usage[] =
    "usage: tovrine-record show (FILE | --preset N)\n"
    "       tovrine-record make (--preset N | --record FILE) [--set FIELD=VALUE]... --out FILE\n"
    "       tovrine-record set FILE FIELD=VALUE...\n"
    "       tovrine-record fields\n"
    "  show    every field of a record as FIELD=VALUE, one a line\n"
    "  make    a new record file: a preset (number or name) or a record with fields set\n"
    "  set     changes fields of a record file in place\n"
    "  fields  the fields, their ranges and what they mean\n"
    "A record is the saver's 128-byte settings record, as stored in the registry.\n";

int fail(const std::string& message)
{
    std::fprintf(stderr, "tovrine-record: %s\n", message.c_str());
    return exitFailure;
}

int usageError(const std::string& message)
{
    std::fprintf(stderr, "tovrine-record: %s\n%s", message.c_str(), usage);
    return exitUsage;
}

// Where a link leads, through links to links, so that the record is written
// there and the user's link stays one; the path itself for any other file.
std::string pathThroughLinks(std::string path)
{
    namespace fs = std::filesystem;
    std::error_code code;
    for (int depth = 0; depth < 40 && fs::is_symlink(path, code); ++depth) {
        const fs::path target = fs::read_symlink(path, code);
        if (code)
            break;
        path = (target.is_absolute() ? target : fs::path(path).parent_path() / target).string();
    }
    return path;
}

// Written under a temporary name and renamed (writeFileWhole), so that a
// failed write never leaves half a record where a whole one was.
bool writeRecord(const std::string& given, const OptionsRecord& record, std::string& error)
{
    const std::string bytes(reinterpret_cast<const char*>(&record), sizeof record);
    return writeFileWhole(pathThroughLinks(given), bytes, error);
}

bool takeSettings(const std::vector<std::string>& texts, OptionsRecord& record, std::string& error)
{
    std::vector<FieldSetting> settings;
    for (const std::string& text : texts) {
        FieldSetting setting;
        if (!parseFieldSetting(text, setting, error) || !addFieldSetting(settings, setting, error))
            return false;
    }
    applyFieldSettings(record, settings);
    return checkStrengthRules(record, error) && checkDisplayMode(record, error);
}

int listFields()
{
    for (const RecordField& field : recordFields())
        std::printf("%-14s %-12s %s\n", field.name, fieldRangeText(field).c_str(), field.meaning);
    std::printf("%-14s %-12s %s\n", nameFieldName,
                ("<= " + std::to_string(longestTypedName) + " chars").c_str(),
                "the algorithm's name");
    return 0;
}

int show(const std::vector<std::string>& args)
{
    OptionsRecord record;
    std::string error;
    if (args.size() == 2 && args[0] == "--preset") {
        const int32_t preset = presetByWord(args[1]);
        if (preset < 0)
            return usageError("unknown preset \"" + args[1] + "\"");
        record = presetAlgorithms[preset];
    } else if (args.size() == 1) {
        if (!loadStoredRecord(args[0], record, error))
            return fail(error);
    } else {
        return usageError("show wants one record file or --preset N");
    }
    std::fputs(recordAsFields(record).c_str(), stdout);
    return 0;
}

int make(const std::vector<std::string>& args)
{
    std::string source, out, error;
    bool fromPreset = false;
    std::vector<std::string> settings;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size())
            return usageError(name + " wants a value");
        const std::string& value = args[++i];
        if (name == "--set") {
            settings.push_back(value);
        } else if ((name == "--preset" || name == "--record") && source.empty()) {
            source = value;
            fromPreset = name == "--preset";
        } else if (name == "--out" && out.empty()) {
            out = value;
        } else {
            return usageError("\"" + name + "\" is unknown or given twice");
        }
    }
    if (source.empty() || out.empty())
        return usageError("make wants --preset N or --record FILE, and --out FILE");
    OptionsRecord record;
    if (fromPreset) {
        const int32_t preset = presetByWord(source);
        if (preset < 0)
            return usageError("unknown preset \"" + source + "\"");
        record = presetAlgorithms[preset];
    } else if (!loadStoredRecord(source, record, error)) {
        return fail(error);
    }
    if (!takeSettings(settings, record, error) || !writeRecord(out, record, error))
        return fail(error);
    return 0;
}

int set(const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return usageError("set wants a record file and at least one FIELD=VALUE");
    OptionsRecord record;
    std::string error;
    if (!loadStoredRecord(args[0], record, error) ||
        !takeSettings(std::vector<std::string>(args.begin() + 1, args.end()), record, error) ||
        !writeRecord(args[0], record, error))
        return fail(error);
    return 0;
}

int runCommand(int argc, char** argv)
{
    if (argc < 2)
        return usageError("which command?");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h") {
        std::fputs(usage, stdout);
        return 0;
    }
    if (command == "fields" && args.empty())
        return listFields();
    if (command == "show")
        return show(args);
    if (command == "make")
        return make(args);
    if (command == "set")
        return set(args);
    return usageError("unknown command \"" + command + "\"");
}

}  // namespace

int main(int argc, char** argv)
{
    const int result = runCommand(argc, argv);
    // What was printed must have reached its reader (a full disk, a closed pipe).
    std::string error;
    if (!finishStandardOutput(error))
        return fail(error);
    return result;
}
