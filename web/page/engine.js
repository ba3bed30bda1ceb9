// The world: the module's calls that build, advance and show it, and its
// figures. Only this file touches the running world.
(function (T) {
    "use strict";

    const R = T.records;
    let M = null;
    let context = null;
    let canvas = null;

    function use(module, worldCanvas) {
        M = module;
        canvas = worldCanvas;
        context = canvas.getContext("2d");
    }

    function currentRecord() {
        M._tovrine_load_current();
        return R.bufferRecord();
    }

    // Builds a new world: { result, message, record }, record being the one
    // that runs afterwards (the previous one when the new one did not fit).
    function start(bytes, seed) {
        const length = R.putRecord(bytes);
        const hasSeed = seed !== null ? 1 : 0;
        const result = M._tovrine_start(length, hasSeed, hasSeed ? seed : 0);
        const message = result === R.ok ? "" : R.text(M._tovrine_message());
        return { result, message, record: result === R.refused ? null : currentRecord() };
    }

    function size() {
        return { width: M._tovrine_width(), height: M._tovrine_height() };
    }

    function figures() {
        const f = R.text(M._tovrine_stats()).trim().split(/\s+/).map(Number);
        const names = ["frame", "vobs", "history", "peak", "food", "remains", "whirls",
            "strengthSum", "xSum", "ySum"];
        const out = {};
        names.forEach((name, i) => (out[name] = f[i]));
        if (typeof M._tovrine_civilizations === "function")
            out.civilizations = M._tovrine_civilizations();
        return out;
    }

    function present() {
        const pixels = M._tovrine_present();
        const { width, height } = size();
        // No world (a failed start): nothing to show, and an empty ImageData throws.
        if (pixels === 0 || width <= 0 || height <= 0)
            return;
        if (canvas.width !== width || canvas.height !== height) {
            canvas.width = width;
            canvas.height = height;
        }
        const view = new Uint8ClampedArray(M.HEAPU8.buffer, pixels, width * height * 4);
        context.putImageData(new ImageData(view, width, height), 0, 0);
    }

    // The ticks due by the clock at `now`, run; negative when the world
    // outgrew memory.
    function advance(now) {
        return M._tovrine_advance(now);
    }

    function run(frames) {
        for (let i = 0; i < frames; i++)
            M._tovrine_tick();
    }

    function frameCount() {
        return M._tovrine_frame_count();
    }

    function key(code, down) {
        if (M)
            M._tovrine_key(code, down);
    }

    T.engine = { use, start, size, figures, present, advance, run, frameCount, key,
        get module() { return M; } };
})(self.tovrine = self.tovrine || {});
