// The world in the page: the calls of host/web/web_api.h. One world at a
// time, built from a record the page hands over, advanced frame by frame as
// the page's clock asks and shown on its canvas.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "host/saver_options.h"
#include "platform/services.h"
#include "host/web/page_fields.h"
#include "host/web/web_api.h"
#include "render/web/web_display.h"
#include "run/frame_driver.h"
#include "run/function_keys.h"
#include "run/world_setup.h"
#include "settings/algorithm_check.h"
#include "settings/options_record.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/world.h"
#include "run/world_figures.h"

namespace {

const char notEnoughMemory[] = "Error: Not enough memory for this algorithm.";

// Larger than a record, so a page that writes a little more than it should
// spoils nothing.
uint8_t recordBuffer[2 * optionsRecordSize];
// The last refusal or failure: a buffer of its own, so that saying "not
// enough memory" needs none.
char message[1024] = "";
std::string textOut;

void setMessage(const char* text)
{
    std::strncpy(message, text, sizeof message - 1);
    message[sizeof message - 1] = '\0';
}

// The record and seed of the world last built whole: rebuilt when a new
// world does not fit in memory.
bool haveWorld = false;
OptionsRecord worldRecord;
uint32_t worldSeed = 1;
// Set when the running world ended (out of memory): ticks do nothing until
// a new world is started.
bool worldEnded = false;
// The page's one display and the world drawn on it, from its set-up to the next.
Display display;
std::unique_ptr<World> world;
std::optional<CivilizationWatch> civilizations;

// A text for the page, made by `make`; "" when there is no memory for it.
template <typename Make>
const char* textResult(Make make)
{
    try {
        textOut = make();
        return textOut.c_str();
    } catch (const std::bad_alloc&) {
        return "";
    }
}

OptionsRecord bufferRecord()
{
    OptionsRecord record;
    std::memcpy(&record, recordBuffer, optionsRecordSize);
    return record;
}

bool judgeRecordText(int32_t length, OptionsRecord& record)
{
    if (length < 0) {
        setMessage("the record file holds no bytes, not a settings record of 128");
        return false;
    }
    // A longer file is judged by its length alone; the buffer holds its start.
    if (static_cast<size_t>(length) > optionsRecordSize) {
        setMessage(("the record file holds " + std::to_string(length) +
                    " bytes, not a settings record of " + std::to_string(optionsRecordSize))
                       .c_str());
        return false;
    }
    StoredRecord file;
    file.path = "record";
    file.bytes.assign(reinterpret_cast<const char*>(recordBuffer), static_cast<size_t>(length));
    file.size = static_cast<uint64_t>(length);
    const std::string fault = judgeRecordFile(file, "the record file", record);
    setMessage(fault.c_str());
    return fault.empty();
}

// The saver's own judgement of a record file (its size, its format version,
// the page's strength levels, a display size it can draw): TOVRINE_OK or
// TOVRINE_REFUSED with the message.
int32_t judgeRecord(int32_t length, OptionsRecord& record)
{
    try {
        return judgeRecordText(length, record) ? TOVRINE_OK : TOVRINE_REFUSED;
    } catch (const std::bad_alloc&) {
        setMessage(notEnoughMemory);
        return TOVRINE_OUT_OF_MEMORY;
    }
}

// What the page follows (a Vob, a whirl or a food deposit), while it lives
// in its list (its entity is its identity), and the list's change stamp
// when it was last found there.
const Entity* followed = nullptr;
EntityList* World::*followedList = &World::vobList;
uint64_t followedSeen = 0;

// Whether the followed entity is still in its list: the list is walked
// again only after it changed. One gone is let go.
bool followedLives()
{
    if (followed == nullptr || world == nullptr || (*world).*followedList == nullptr)
        return false;
    const EntityList& list = *((*world).*followedList);
    if (list.changeStamp() != followedSeen) {
        const EntityNode* node = list.head();
        while (node != nullptr && node->entity != followed)
            node = node->next;
        if (node == nullptr) {
            followed = nullptr;
            return false;
        }
        followedSeen = list.changeStamp();
    }
    return true;
}

// The entity of `list` whose cell holds (x, y), else the one whose middle
// is nearest within `reach` pixels; nullptr for none.
const Entity* entityAt(const EntityList* list, int32_t x, int32_t y, int32_t reach)
{
    if (list == nullptr)
        return nullptr;
    const Entity* nearest = nullptr;
    int64_t best = static_cast<int64_t>(reach) * reach;
    for (const EntityNode* node = list->head(); node != nullptr; node = node->next) {
        const Entity& vob = *node->entity;
        if (x >= vob.x() && x < vob.x() + vob.cellWidth() && y >= vob.y() &&
            y < vob.y() + vob.cellHeight())
            return &vob;
        const int64_t dx = vob.centreX() - x, dy = vob.centreY() - y;
        if (dx * dx + dy * dy <= best) {
            best = dx * dx + dy * dy;
            nearest = &vob;
        }
    }
    return nearest;
}

const char* lookOf(const Entity& vob)
{
    if (vob.sheet() == world->megaVobSheet)
        return "mega";
    if (vob.sheet() == world->weakVobSheet)
        return "weak";
    return "normal";
}

void endWorld()
{
    followed = nullptr;
    civilizations.reset();
    world.reset();
    closeWebDisplay(display);
}

// Builds the world of `record` as tovrine-world builds it, so that the
// figures of each frame are the runner's for the same record and seed.
int32_t buildWorld(const OptionsRecord& record, uint32_t seed)
{
    endWorld();
    worldEnded = false;
    try {
        const DisplaySurfaces opened =
            openWebDisplay(display, record.screenWidth, record.screenHeight, record.screenDepth);
        if (opened == DisplaySurfaces::unsupported) {
            setMessage("Error: Couldn't set video mode.");
            return TOVRINE_REFUSED;
        }
        if (opened == DisplaySurfaces::outOfMemory) {
            endWorld();
            setMessage(notEnoughMemory);
            return TOVRINE_OUT_OF_MEMORY;
        }
        world = std::make_unique<World>();
        world->liveOptions = record;
        seedRandom(world->random, seed);
        const int32_t result = setUpWorld(*world, &display);
        if (result == worldOutOfMemory) {
            endWorld();
            setMessage(notEnoughMemory);
            return TOVRINE_OUT_OF_MEMORY;
        }
        const std::vector<std::string> missing = missingWorldParts(*world);
        if (result != worldComplete || !missing.empty()) {
            endWorld();
            std::string text = "Error: Couldn't load sprites.";
            for (const std::string& part : missing)
                text += "\n" + part;
            setMessage(text.c_str());
            return TOVRINE_REFUSED;
        }
    } catch (const std::bad_alloc&) {
        endWorld();
        setMessage(notEnoughMemory);
        return TOVRINE_OUT_OF_MEMORY;
    }
    civilizations.emplace(collectWorldFigures(*world));
    setMessage("");
    return TOVRINE_OK;
}

}  // namespace

extern "C" {

uint8_t* tovrine_record_buffer(void) { return recordBuffer; }

int32_t tovrine_load_preset(int32_t index)
{
    if (index < 0 || index >= presetCount)
        return TOVRINE_REFUSED;
    std::memcpy(recordBuffer, &presetAlgorithms[index], optionsRecordSize);
    return TOVRINE_OK;
}

void tovrine_load_current(void)
{
    const OptionsRecord& current = world != nullptr ? world->liveOptions
                                   : haveWorld      ? worldRecord
                                                    : presetAlgorithms[0];
    std::memcpy(recordBuffer, &current, optionsRecordSize);
}

int32_t tovrine_preset_count(void) { return presetCount; }

const char* tovrine_preset_name(int32_t index)
{
    if (index < 0 || index >= presetCount)
        return "";
    return textResult([index] { return algorithmNameText(presetAlgorithms[index]); });
}

int32_t tovrine_check_record(int32_t length)
{
    OptionsRecord record;
    const int32_t verdict = judgeRecord(length, record);
    if (verdict == TOVRINE_OK)
        setMessage("");
    return verdict;
}

int32_t tovrine_start(int32_t length, int32_t has_seed, uint32_t seed)
{
    OptionsRecord record;
    const int32_t verdict = judgeRecord(length, record);
    if (verdict != TOVRINE_OK)
        return verdict;  // nothing was given up: the running world goes on
    const uint32_t chosenSeed = has_seed != 0 ? seed : clockSeed();
    const int32_t result = buildWorld(record, chosenSeed);
    if (result == TOVRINE_OK) {
        haveWorld = true;
        worldRecord = record;
        worldSeed = chosenSeed;
        return TOVRINE_OK;
    }
    // The running world was given up to make room: the one before comes
    // back from its start, with the new world's failure as the message.
    char failure[sizeof message];
    std::memcpy(failure, message, sizeof message);
    if (haveWorld && buildWorld(worldRecord, worldSeed) != TOVRINE_OK)
        haveWorld = false;
    if (!haveWorld)
        worldEnded = true;
    setMessage(failure);
    return result;
}

uint32_t tovrine_seed(void) { return worldSeed; }

const char* tovrine_message(void) { return message; }

int32_t tovrine_tick(void)
{
    if (!haveWorld || worldEnded)
        return TOVRINE_OUT_OF_MEMORY;
    const int32_t result = runFrame(*world);
    if (civilizations)
        civilizations->observe(collectWorldFigures(*world));
    followedLives();  // at once, before another Vob may be made where it was
    if (result == frameOutOfMemory) {
        worldEnded = true;
        setMessage(notEnoughMemory);
        return TOVRINE_OUT_OF_MEMORY;
    }
    return TOVRINE_OK;
}

int32_t tovrine_civilizations(void)
{
    return civilizations ? static_cast<int32_t>(civilizations->civilizations()) : 0;
}

double tovrine_frame_count(void)
{
    return world != nullptr ? static_cast<double>(world->frames) : 0;
}

const char* tovrine_stats(void)
{
    if (world == nullptr)
        return "";
    return textResult(
        [] { return formatWorldFigures(world->frames, collectWorldFigures(*world)); });
}

uint8_t* tovrine_present(void) { return const_cast<uint8_t*>(presentRgba(display)); }

uint8_t* tovrine_present_canvas(int32_t width, int32_t height, int32_t whole)
{
    return const_cast<uint8_t*>(presentOnCanvas(display, width, height, whole != 0));
}

const int32_t* tovrine_canvas_changes(void)
{
    static std::vector<int32_t> out;
    const ShownRect* rects = nullptr;
    const int32_t count = canvasChanges(rects);
    try {
        out.assign(1 + 4 * static_cast<size_t>(count), 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    out[0] = count;
    for (int32_t i = 0; i < count; ++i) {
        out[1 + 4 * i] = rects[i].x;
        out[2 + 4 * i] = rects[i].y;
        out[3 + 4 * i] = rects[i].w;
        out[4 + 4 * i] = rects[i].h;
    }
    return out.data();
}

int32_t tovrine_width(void) { return display.width; }

int32_t tovrine_height(void) { return display.height; }

void tovrine_key(int32_t key_code, int32_t down)
{
    if (down == 0 || world == nullptr)
        return;
    switch (key_code) {
    case 112:
        pressFunctionKey(*world, FunctionKey::f1);
        break;
    case 113:
        pressFunctionKey(*world, FunctionKey::f2);
        break;
    case 114:
        pressFunctionKey(*world, FunctionKey::f3);
        break;
    case 123:
        pressFunctionKey(*world, FunctionKey::f12);
        break;
    }
}

int32_t tovrine_follow_at(int32_t x, int32_t y, int32_t reach)
{
    if (world == nullptr)
        return 0;
    // A Vob first, then a whirl, then food: what the eye most likely meant.
    for (EntityList* World::*list : {&World::vobList, &World::whirlList, &World::foodList}) {
        const Entity* found = entityAt((*world).*list, x, y, reach);
        if (found != nullptr) {
            followed = found;
            followedList = list;
            followedSeen = ((*world).*list)->changeStamp();
            return 1;
        }
    }
    return 0;
}

void tovrine_let_go(void) { followed = nullptr; }

const char* tovrine_followed(void)
{
    if (!followedLives())
        return "";
    return textResult([] {
        const Entity& e = *followed;
        const bool vob = followedList == &World::vobList;
        const char* kind = vob ? "vob" : followedList == &World::whirlList ? "whirl" : "food";
        return std::string(kind) + " " + std::to_string(e.x()) + " " + std::to_string(e.y()) + " " +
               std::to_string(e.cellWidth()) + " " + std::to_string(e.cellHeight()) + " " +
               std::to_string(e.strength()) + " " + std::to_string(e.life()) + " " +
               (vob ? lookOf(e) : "-") + " " + std::to_string(e.direction()) + " " +
               std::to_string(e.speed());
    });
}

const char* tovrine_fields_json(void)
{
    return textResult([] { return pageFieldsJson(bufferRecord()); });
}

const char* tovrine_entity_notice(void)
{
    const OptionsRecord record = bufferRecord();
    const bool notice =
        exceedsEntityLimit(static_cast<uint32_t>(record.initialVobs), record.maxEntities);
    return notice ? entityNoticeText : "";
}

int32_t tovrine_set_display_field(const char* name, const char* text)
{
    // What the function keys switch: the world's rules stay as they are.
    static const char* const displayFields[] = {"showCloud", "statsMode", "includeLife"};
    const bool shownField =
        name && text &&
        std::any_of(std::begin(displayFields), std::end(displayFields),
                    [name](const char* field) { return std::strcmp(field, name) == 0; });
    if (!shownField || world == nullptr)
        return TOVRINE_REFUSED;
    OptionsRecord record = world->liveOptions;
    try {
        if (!setPageField(record, name, text))
            return TOVRINE_REFUSED;
    } catch (const std::bad_alloc&) {
        return TOVRINE_OUT_OF_MEMORY;
    }
    world->liveOptions = record;
    return TOVRINE_OK;
}

int32_t tovrine_set_field(const char* name, const char* text)
{
    if (!name || !text)
        return TOVRINE_REFUSED;
    OptionsRecord record = bufferRecord();
    try {
        if (!setPageField(record, name, text))
            return TOVRINE_REFUSED;
    } catch (const std::bad_alloc&) {
        return TOVRINE_OUT_OF_MEMORY;
    }
    std::memcpy(recordBuffer, &record, optionsRecordSize);
    return TOVRINE_OK;
}

}  // extern "C"
