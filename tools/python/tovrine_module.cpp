// import tovrine: the world for Python. A record from a preset and fields by
// name, a world set up with a seed, advanced by frames or until a condition,
// its per-frame figures and its picture as NumPy arrays. A thin binding over
// the workbench's WorldRun, so the figures are tovrine-world's.
#include <dlfcn.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "render/sdl/resource_directory.h"
#include "run/stop_condition.h"
#include "settings/options_record.h"
#include "settings/record_fields.h"
#include "tools/world/record_edit.h"
#include "tools/world/runner_options.h"
#include "tools/world/sweep_options.h"
#include "tools/world/world_run.h"

namespace py = pybind11;

namespace {

// ---- records ----------------------------------------------------------------

struct Record {
    OptionsRecord fields = presetAlgorithms[0];
};

[[noreturn]] void refuse(const std::string& message) { throw py::value_error(message); }

int32_t presetOf(const py::object& preset)
{
    const int32_t number = py::isinstance<py::str>(preset)
                               ? presetByWord(preset.cast<std::string>())
                               : presetByWord(std::to_string(preset.cast<int64_t>()));
    if (number < 0)
        refuse("no preset " + py::str(preset).cast<std::string>() +
               ": give 0 to 6 or a name of tovrine.presets()");
    return number;
}

// Fields by name, checked as --set checks them: known names, values the
// configuration pages could store, strength levels the algorithm page takes.
Record withFields(const Record& base, const py::dict& fields)
{
    std::vector<FieldSetting> settings;
    std::string error;
    for (const auto& item : fields) {
        const std::string name = py::str(item.first);
        if (name != nameFieldName && !py::isinstance<py::int_>(item.second))
            refuse(name + " wants a whole number, not " +
                   py::repr(item.second).cast<std::string>());
        FieldSetting setting;
        if (!parseFieldSetting(name + "=" + py::str(item.second).cast<std::string>(), setting,
                               error) ||
            !addFieldSetting(settings, setting, error))
            refuse(error);
    }
    Record record = base;
    applyFieldSettings(record.fields, settings);
    if (!settings.empty() && !checkStrengthRules(record.fields, error))
        refuse(error);
    return record;
}

Record makeRecord(const py::object& preset, const py::kwargs& fields)
{
    Record base;
    base.fields = presetAlgorithms[presetOf(preset)];
    return withFields(base, fields);
}

py::object fieldValue(const Record& record, const std::string& name)
{
    if (name == nameFieldName)
        return py::str(algorithmNameText(record.fields));
    const RecordField* field = findRecordField(name);
    if (field == nullptr)
        throw py::key_error("the record has no field \"" + name + "\"");
    return py::int_(record.fields.*(field->member));
}

py::dict fieldsOf(const Record& record)
{
    py::dict fields;
    for (const RecordField& field : recordFields())
        fields[field.name] = record.fields.*(field.member);
    fields[nameFieldName] = algorithmNameText(record.fields);
    return fields;
}

Record loadRecord(const std::string& path)
{
    RunnerOptions options;
    options.recordPath = path;
    Record record;
    std::string error;
    if (!loadRunnerRecord(options, record.fields, error))
        refuse(error);
    return record;
}

py::bytes recordBytes(const Record& record)
{
    return py::bytes(reinterpret_cast<const char*>(&record.fields), sizeof record.fields);
}

// ---- worlds -----------------------------------------------------------------

// The figures of one frame, as the CSV's columns.
struct FrameRow {
    int64_t frame;
    WorldFigures figures;
    FrameChanges changes;
    int64_t civilizations;
};

constexpr const char* columnNames[] = {"frame",         "vobs",   "history",      "peak",  "food",
                                       "remains",       "whirls", "strength_sum", "x_sum", "y_sum",
                                       "civilizations", "births", "deaths"};

int64_t columnValue(const FrameRow& row, size_t column)
{
    const WorldFigures& f = row.figures;
    const int64_t values[] = {row.frame,
                              f.vobs,
                              f.history,
                              f.peak,
                              f.food,
                              f.remains,
                              f.whirls,
                              f.strengthSum,
                              f.xSum,
                              f.ySum,
                              row.civilizations,
                              row.changes.births,
                              row.changes.deaths};
    return values[column];
}

// The runner's --until: extinction, population>=N, population<=N, frame=N.
StopCondition untilOf(const py::object& until)
{
    StopCondition condition;
    if (until.is_none())
        return condition;
    std::string error;
    if (!py::isinstance<py::str>(until) ||
        !parseStopCondition(until.cast<std::string>(), condition, error))
        refuse("until wants extinction, population>=N, population<=N or frame=N, not " +
               py::repr(until).cast<std::string>());
    return condition;
}

class PyWorld {
public:
    PyWorld(const Record& record, uint32_t seed, bool draw, bool walkFood)
    {
        std::string error;
        if (!checkDisplayMode(record.fields, error))
            refuse(error);
        WorldRunSettings settings;
        settings.seed = seed;
        settings.draw = draw;
        settings.search = walkFood ? FoodSearch::walk : FoodSearch::indexed;
        bool started = false;
        {
            py::gil_scoped_release released;
            started = run_.start(record.fields, settings, error);
        }
        if (!started)
            throw std::runtime_error(error);
        keepRow();
    }

    // Runs up to `frames` frames (None: until `until` holds), the
    // interpreter's lock released; returns the frames run.
    int64_t advance(const py::object& frames, const py::object& until)
    {
        const Held held(*this);
        const StopCondition stop = untilOf(until);
        if (frames.is_none() && stop.kind == StopKind::never)
            refuse("advance wants a number of frames, an until condition, or both");
        const int64_t most = frames.is_none() ? INT64_MAX : frames.cast<int64_t>();
        if (most < 0)
            refuse("frames must not be negative");
        int64_t ran = 0;
        std::string error;
        {
            py::gil_scoped_release released;
            while (ran < most && !stopConditionMet(stop, run_.frame(), run_.figures())) {
                if (!run_.advance(error))
                    break;
                keepRow();
                ran += 1;
            }
        }
        if (!error.empty())
            throw std::runtime_error(error);
        return ran;
    }

    // Safe to read from any thread, even while another advances the world.
    int64_t frame() const { return frame_; }

    py::dict figures()
    {
        const Held held(*this);
        py::dict table;
        const auto count = static_cast<py::ssize_t>(rows_.size());
        for (size_t column = 0; column < std::size(columnNames); ++column) {
            py::array_t<int64_t> values(count);
            int64_t* out = values.mutable_data();
            for (const FrameRow& row : rows_)
                *out++ = columnValue(row, column);
            table[columnNames[column]] = values;
        }
        py::array_t<double> mean(count);
        double* out = mean.mutable_data();
        for (const FrameRow& row : rows_)
            *out++ = row.figures.vobs > 0
                         ? static_cast<double>(row.figures.strengthSum) / row.figures.vobs
                         : std::nan("");
        table["mean_strength"] = mean;
        return table;
    }

    py::array_t<uint8_t> picture()
    {
        const Held held(*this);
        int32_t width = 0, height = 0;
        const std::vector<uint8_t> rgb = run_.pictureRgb(width, height);
        if (rgb.empty())
            throw std::runtime_error("this world draws nothing: set it up with draw=True");
        py::array_t<uint8_t> image({height, width, 3});
        std::memcpy(image.mutable_data(), rgb.data(), rgb.size());
        return image;
    }

    void close()
    {
        const Held held(*this);
        run_.end();
    }

private:
    // A world is used by one thread at a time: another thread's call while
    // it advances is refused rather than left to race with it.
    class Held {
    public:
        explicit Held(PyWorld& world) : lock_(world.busy_, std::try_to_lock)
        {
            if (!lock_.owns_lock())
                throw std::runtime_error("this world is in use by another thread");
        }

    private:
        std::unique_lock<std::mutex> lock_;
    };

    void keepRow()
    {
        rows_.push_back(
            FrameRow{run_.frame(), run_.figures(), run_.changes(), run_.civilizations()});
        frame_ = run_.frame();
    }

    WorldRun run_;
    std::vector<FrameRow> rows_;
    std::atomic<int64_t> frame_{0};
    std::mutex busy_;
};

// Installed, the artwork is in share/tovrine beside lib/python3/dist-packages;
// in a build tree the source tree's is used.
void findInstalledArt()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&findInstalledArt), &info) == 0 || info.dli_fname == nullptr)
        return;
    namespace fs = std::filesystem;
    const fs::path share = fs::path(info.dli_fname).parent_path() / "../../../share/tovrine";
    std::error_code ignored;
    if (fs::is_directory(share / "bitmaps", ignored))
        useResourceDirectory(fs::weakly_canonical(share, ignored).string());
}

}  // namespace

PYBIND11_MODULE(tovrine, m)
{
    m.doc() = "The Tovrine world: records, worlds, their figures and pictures.";
    findInstalledArt();

    m.def(
        "presets",
        [] {
            std::vector<std::string> names;
            for (const OptionsRecord& preset : presetAlgorithms)
                names.push_back(algorithmNameText(preset));
            return names;
        },
        "The names of the seven built-in algorithms, by number.");
    m.def(
        "fields",
        [] {
            py::list fields;
            for (const RecordField& field : recordFields())
                fields.append(py::dict(
                    py::arg("name") = field.name, py::arg("low") = field.low,
                    py::arg("high") = field.high, py::arg("values") = fieldRangeText(field),
                    py::arg("default") = fieldDefault(field),
                    py::arg("offset") = fieldOffset(field), py::arg("meaning") = field.meaning,
                    py::arg("page") = field.page, py::arg("label") = field.label,
                    py::arg("help") = field.help));
            return fields;
        },
        "The record's whole-number fields as settings/record_fields.cpp describes them: name, "
        "range, default, byte offset, meaning, and the page, label and help of their control.");

    py::class_<Record>(m, "Record",
                       "A settings record: a preset with fields set by name, checked as the "
                       "configuration pages check them.")
        .def(py::init(&makeRecord), py::arg("preset") = 0,
             "Record(preset=0, **fields): preset by number or name, e.g. "
             "Record('The Storm', whirlCount=20)")
        .def_static("load", &loadRecord, py::arg("path"), "A stored 128-byte record file.")
        .def(
            "set",
            [](const Record& record, const py::kwargs& fields) {
                return withFields(record, fields);
            },
            "A copy with these fields set: r.set(whirlCount=5)")
        .def("__getitem__", &fieldValue)
        .def("fields", &fieldsOf, "Every field by name.")
        .def("__bytes__", &recordBytes, "The 128 bytes the saver stores.")
        .def("__eq__",
             [](const Record& a, const Record& b) {
                 return std::memcmp(&a.fields, &b.fields, sizeof a.fields) == 0;
             })
        .def("__repr__", [](const Record& record) {
            return "<tovrine.Record \"" + algorithmNameText(record.fields) + "\">";
        });

    py::class_<PyWorld>(m, "World",
                        "A world set up from a record and a seed; frame 0 is the world as built.")
        .def(py::init<const Record&, uint32_t, bool, bool>(), py::arg("record"),
             py::arg("seed") = 1, py::arg("draw") = false, py::arg("walk_food") = false)
        .def("advance", &PyWorld::advance, py::arg("frames") = py::none(),
             py::arg("until") = py::none(),
             "Runs `frames` frames, or fewer when `until` holds first (as tovrine-world --until: "
             "\"extinction\", \"population>=N\", \"population<=N\", \"frame=N\"); returns the "
             "frames run. Other threads run Python meanwhile.")
        .def_property_readonly("frame", &PyWorld::frame,
                               "The frames run since set-up; readable while another thread "
                               "advances the world.")
        .def("figures", &PyWorld::figures,
             "Every frame's figures so far, one NumPy array per column of tovrine-world --csv.")
        .def("picture", &PyWorld::picture,
             "The picture on show, an array of height x width x 3 bytes (red, green, blue).")
        .def("close", &PyWorld::close, "Ends the world now rather than when it is collected.")
        .def("__enter__", [](PyWorld& world) -> PyWorld& { return world; })
        .def("__exit__", [](PyWorld& world, py::args) { world.close(); });
}
