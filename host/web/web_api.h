// What the page calls in the wasm module: plain C functions, numbers in and
// out, strings as pointers into the module's memory (UTF8ToString). Every
// text returned stays valid until the next call that returns one.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Results of the calls that can fail.
#define TOVRINE_OK 0
#define TOVRINE_REFUSED 1        // the record or value was refused; tovrine_message() says why
#define TOVRINE_OUT_OF_MEMORY 2  // the world ran out of memory; see tovrine_start and tovrine_tick

// The record exchange buffer, 128 bytes (room for 256). The page writes a
// record here for tovrine_check_record and tovrine_start, at most its first
// 128 bytes, and passes the file's real length; the getters below fill it.
uint8_t* tovrine_record_buffer(void);
// Copies built-in algorithm `index` (0 to 6) into the buffer; TOVRINE_REFUSED outside that range.
int32_t tovrine_load_preset(int32_t index);
// Copies the record of the running world into the buffer.
void tovrine_load_current(void);
// The number of built-in algorithms (7).
int32_t tovrine_preset_count(void);
// The name of built-in algorithm `index`, "" outside the range.
const char* tovrine_preset_name(int32_t index);

// Judges the first `length` bytes of the buffer as the saver judges a record
// file: refused when not exactly 128 bytes, not of this format version, with
// strength levels the "Playing God!" page would refuse, or with a display
// size the world cannot be drawn at. TOVRINE_OK, or TOVRINE_REFUSED with the message.
int32_t tovrine_check_record(int32_t length);
// Builds a new world from the first `length` bytes of the buffer, judged as
// tovrine_check_record does, with `seed` when has_seed is non-zero, else a
// seed from the clock. A refused record leaves the running world as it was
// (TOVRINE_REFUSED). A world that does not fit in memory is refused with
// "Error: Not enough memory for this algorithm." and the previous record is
// built again from its start with its seed (TOVRINE_OUT_OF_MEMORY; when even
// that does not fit, ticks report TOVRINE_OUT_OF_MEMORY until a start
// succeeds). The frame counter starts at 0.
int32_t tovrine_start(int32_t length, int32_t has_seed, uint32_t seed);
// The seed of the running world (read it with >>> 0 in JavaScript).
uint32_t tovrine_seed(void);
// The message of the last refusal or failure; "" after a success.
const char* tovrine_message(void);

// Runs one frame of the world (one 10 ms tick) without presenting it:
// TOVRINE_OK, or TOVRINE_OUT_OF_MEMORY when the world outgrew memory (it
// stops, as the saver closes; tovrine_start builds a new one).
int32_t tovrine_tick(void);
// Civilizations of the running world so far: the first counts 1, each
// rebirth one more (as tovrine-world's CSV counts them).
int32_t tovrine_civilizations(void);
// Frames run since tovrine_start (a double, so it never wraps in a page's life).
double tovrine_frame_count(void);
// The world's figures as `tovrine-world --stats` prints them:
// "frame vobs history peak food remains whirls strengthSum xSum ySum".
const char* tovrine_stats(void);

// Converts what the world shows to RGBA, 4 bytes a pixel, rows top to bottom,
// at the world's size, and returns it (for one putImageData); valid until the
// next tovrine_present. Null (0) without a world or without memory for the
// picture: show nothing.
uint8_t* tovrine_present(void);
// What the world shows scaled onto a canvas of `width` x `height`, as
// tovrine_present; only what changed since the last call is made again (all
// of it at a new size or when `whole` != 0). Valid until the next call.
uint8_t* tovrine_present_canvas(int32_t width, int32_t height, int32_t whole);
// The parts of the canvas the last tovrine_present_canvas changed, for
// putImageData's dirty rectangles: [count, x, y, w, h, x, y, w, h, ...],
// count 0 when it is the picture shown before. Valid until the next call.
const int32_t* tovrine_canvas_changes(void);
// The world's size in pixels (the display size of its record).
int32_t tovrine_width(void);
int32_t tovrine_height(void);

// A key went down (down != 0) or up: `key_code` is the DOM keyCode, the
// Windows virtual-key code (F1 112, F2 113, F3 114, F12 123, Escape 27).
// F1, F2, F3 and F12 act on their key-down, repeats included, as in the saver.
void tovrine_key(int32_t key_code, int32_t down);

// Follows the Vob (else the whirl, else the food deposit) whose cell holds
// world point (x, y), or else whose middle is nearest within `reach`
// pixels: 1, or 0 (and what was followed before still followed) when there
// is none.
int32_t tovrine_follow_at(int32_t x, int32_t y, int32_t reach);
// Follows nothing.
void tovrine_let_go(void);
// What is followed as "kind x y cellWidth cellHeight strength life look
// direction speed" (kind: vob, whirl or food; look: weak, normal or mega for
// a Vob, else "-"; life: a Vob's meals since it last spawned; direction 0
// still, 1 to 8 as sim/entity.h); "" when nothing is followed or it is gone
// (it is then let go).
const char* tovrine_followed(void);

// The fields of the "Playing God!" and "System/Limits" pages for the record
// in the buffer, as JSON: [{"name","label","page","kind":"number"|"switch"|
// "choice"|"mode","min","max","value","choices"?}, ...].
const char* tovrine_fields_json(void);
// The "Notice!" the "Playing God!" page shows before storing the record in
// the buffer (more founding Vobs than the entity limit lets live); "" when
// there is none. A notice, not a refusal: the world takes the record.
const char* tovrine_entity_notice(void);
// Sets field `name` of the record in the buffer from `text` read as the page
// reads its box (numbers: leading blanks skipped, reading stops at the first
// other character, above the box's largest reads as the largest; switches
// 0/1; the display mode as "800 x 600 x 16"). TOVRINE_REFUSED for an unknown name.
int32_t tovrine_set_field(const char* name, const char* text);
// Sets a display switch of the running world (showCloud, statsMode or
// includeLife, read as tovrine_set_field reads them) at once, as the
// function keys do; TOVRINE_REFUSED for any other field or without a world.
int32_t tovrine_set_display_field(const char* name, const char* text);

#ifdef __cplusplus
}
#endif
