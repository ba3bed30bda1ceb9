// The world's side of the page: one wasm module that runs one world, in a
// Web Worker (or in the page where there is none). It does what the page
// asks, in order: build a world, run frames, show the last, report figures.
// The page keeps the clock; this side never decides when time passes.
(function (T) {
    "use strict";

    const ok = 0, refused = 1;
    const sampleFrames = 25;
    // What the world's running worker tells the page every this often.
    const reportMs = 250;

    // The world's time: a frame every 10 ms of the page's clock at 1x,
    // however often the screen refreshes, scaled by the speed; counted from
    // one start so that no fraction of a frame is lost however the readings
    // fall. After a gap (a hidden tab) at most 10 frames (at 1x) are caught up.
    // A batch of frames is kept near 50 ms so the worker answers soon; as
    // fast as the machine goes means frames for about one screen refresh.
    function frameClock() {
        const periodMs = 10, largestCatchUp = 10, batchMs = 50, fastMs = 14;
        let start = null, last = 0, counted = 0;
        return {
            restart: () => (start = null),
            catchUp: (speed) => largestCatchUp * Math.max(1, speed === Infinity ? 1 : speed),
            // The frames due at `now`; a clock that goes back begins again.
            reading(now, speed) {
                if (start === null || now < last || speed === Infinity) {
                    start = last = now;
                    counted = 0;
                    return 0;
                }
                last = now;
                const total = Math.floor(((now - start) * speed) / periodMs);
                const due = total - counted;
                counted = total;
                return Math.min(due, largestCatchUp * Math.max(1, speed));
            },
            // How many of `pending` frames to run in one batch.
            batch(pending, speed, msPerFrame) {
                if (speed === Infinity)
                    return Math.max(1, Math.floor(fastMs / msPerFrame));
                return Math.min(pending, Math.max(1, Math.floor(batchMs / msPerFrame)));
            },
        };
    }
    const figureNames = ["frame", "vobs", "history", "peak", "food", "remains", "whirls",
        "strengthSum", "xSum", "ySum"];

    // `post(message, transfer)` answers the page. Frames are shown on the
    // canvas the page hands over (an OffscreenCanvas, or the page's own
    // canvas when this runs in the page); without one the pixels go back
    // with the answer.
    function worldHost(post) {
        let M = null;
        let canvas = null, context = null;
        let ended = false;
        let lastShown = -1;
        // The canvas does not hold the picture shown last (a new canvas, or
        // one of a new size): the next frame is shown whole.
        let wholeNext = true;
        // The canvas's size in pixels, as the page shows it (0: the world's).
        let shownWidth = 0, shownHeight = 0;
        let image = null;  // the canvas's picture in the engine's memory

        const text = (pointer) => M.UTF8ToString(pointer);
        const frame = () => M._tovrine_frame_count();
        const size = () => ({ width: M._tovrine_width(), height: M._tovrine_height() });

        function statsLine() {
            return text(M._tovrine_stats());
        }

        function figures() {
            const f = statsLine().trim().split(/\s+/).map(Number);
            const out = {};
            figureNames.forEach((name, i) => (out[name] = f[i]));
            out.civilizations = M._tovrine_civilizations();
            return out;
        }

        // The followed Vob as the world has it, or null (none, or it died).
        let following = false;
        let mark = null;  // the canvas's rectangle the mark was drawn over
        function followed() {
            if (!following)
                return null;
            const f = text(M._tovrine_followed()).split(" ");
            if (f.length < 10) {
                following = false;
                return null;
            }
            const [x, y, width, height, strength, meals] = f.slice(1, 7).map(Number);
            return { kind: f[0], x, y, width, height, strength, meals, look: f[7], direction: Number(f[8]),
                speed: Number(f[9]) };
        }

        // What goes back with every answer that ran or showed frames: the
        // followed Vob, and whether it is gone since the last word of it.
        function tellFollowed(answer) {
            if (!following)
                return;
            answer.followed = followed();
            if (!answer.followed)
                answer.followGone = true;
        }

        // A ring around the followed Vob, on the canvas only: the world's
        // picture (its PNG, its figures) is not touched. The last ring's
        // place is put back from the picture first.
        function drawMark() {
            if (!context || !image)
                return;
            if (mark) {
                context.putImageData(image, 0, 0, mark.x, mark.y, mark.w, mark.h);
                mark = null;
            }
            const f = followed();
            if (!f)
                return;
            const world = size();
            const sx = canvas.width / world.width, sy = canvas.height / world.height;
            const line = Math.max(2, Math.round(sx));
            const pad = 3 * Math.max(1, sx) + line;
            const x = Math.floor(f.x * sx - pad), y = Math.floor(f.y * sy - pad);
            const w = Math.ceil(f.width * sx + 2 * pad), h = Math.ceil(f.height * sy + 2 * pad);
            context.strokeStyle = "#ffd24a";
            context.lineWidth = line;
            context.strokeRect(x + line / 2, y + line / 2, w - line, h - line);
            mark = { x: Math.max(0, x), y: Math.max(0, y), w, h };
        }

        function record() {
            M._tovrine_load_current();
            const at = M._tovrine_record_buffer();
            return M.HEAPU8.slice(at, at + 128);
        }

        // The picture of the frame the world shows, as RGBA; null without one.
        function pixels() {
            const at = M._tovrine_present();
            const { width, height } = size();
            if (at === 0 || width <= 0 || height <= 0)
                return null;
            return { width, height, data: new Uint8ClampedArray(M.HEAPU8.buffer, at, width * height * 4) };
        }

        // Shows the frame when it is not the one shown already: on the
        // canvas at the size the page shows it (the world's own until told),
        // only the parts that changed; without a canvas of its own the
        // pixels go back to the page, at the world's size.
        function show(answer, transfer) {
            if (frame() === lastShown)
                return;
            if (!context) {
                const picture = pixels();
                if (!picture)
                    return;
                lastShown = frame();
                const copy = picture.data.slice();
                answer.picture = { width: picture.width, height: picture.height, data: copy };
                transfer.push(copy.buffer);
                return;
            }
            const world = size();
            const width = shownWidth || world.width, height = shownHeight || world.height;
            if (canvas.width !== width || canvas.height !== height) {
                canvas.width = width;
                canvas.height = height;
                wholeNext = true;
            }
            const at = M._tovrine_present_canvas(width, height, wholeNext ? 1 : 0);
            const changes = M._tovrine_canvas_changes();
            if (at === 0 || changes === 0)
                return;
            lastShown = frame();
            wholeNext = false;
            // The same picture buffer from frame to frame: one ImageData for it.
            if (!image || image.data.buffer !== M.HEAPU8.buffer || image.data.byteOffset !== at ||
                image.width !== width || image.height !== height)
                image = new ImageData(new Uint8ClampedArray(M.HEAPU8.buffer, at, width * height * 4), width, height);
            const count = new Int32Array(M.HEAPU8.buffer, changes, 1)[0];
            const rects = new Int32Array(M.HEAPU8.buffer, changes + 4, 4 * count);
            for (let i = 0; i < 4 * count; i += 4)
                context.putImageData(image, 0, 0, rects[i], rects[i + 1], rects[i + 2], rects[i + 3]);
            if (following || mark)
                drawMark();
        }

        // While the page lets time run and the canvas is the worker's own,
        // the worker runs the frames due at its canvas's animation frames and
        // tells the page what ran now and then: no message a frame.
        const clock = frameClock();
        let playing = false, speed = 1, msPerFrame = 0.5, report = null, reported = 0;

        const newReport = () => ({ report: true, ran: 0, ms: 0, samples: [], showMs: 0 });

        function play(newSpeed) {
            clock.restart();
            speed = newSpeed;
            if (playing)
                return;
            playing = true;
            report = newReport();
            reported = performance.now();
            self.requestAnimationFrame(onAnimationFrame);
        }

        // Stops running frames; what ran since the last report goes back,
        // with the figures of the frame it stopped at.
        function halt(answer) {
            playing = false;
            if (report)
                Object.assign(answer, report, { report: false });
            report = null;
            if (M) {
                answer.figures = figures();
                tellFollowed(answer);
            }
        }

        function onAnimationFrame(now) {
            if (!playing)
                return;
            const steps = clock.batch(clock.reading(now, speed), speed, msPerFrame);
            if (steps > 0) {
                const answer = {};
                step({ steps, playing: true }, answer, []);
                if (answer.ran)
                    msPerFrame = 0.7 * msPerFrame + 0.3 * (answer.ms / answer.ran);
                report.ran += answer.ran;
                report.ms += answer.ms;
                report.samples.push(...answer.samples);
                report.showMs = answer.showMs;
                report.followGone = report.followGone || answer.followGone;
                if (answer.ended) {
                    report.ended = answer.ended;
                    playing = false;
                }
            }
            if (!playing || now - reported >= reportMs) {
                report.figures = figures();
                tellFollowed(report);
                post(report, []);
                report = playing ? newReport() : null;
                reported = now;
            }
            if (playing)
                self.requestAnimationFrame(onAnimationFrame);
        }

        async function init(message) {
            if (message.canvas) {
                canvas = message.canvas;
                context = canvas.getContext("2d", { alpha: false });
            }
            try {
                M = await self.createTovrine({});
                return { ok: true, animates: typeof self.requestAnimationFrame === "function" };
            } catch (e) {
                return { ok: false, message: String(e) };
            }
        }

        function start(message) {
            const bytes = message.bytes;
            M.HEAPU8.set(bytes.subarray(0, 128), M._tovrine_record_buffer());
            const hasSeed = message.seed !== null ? 1 : 0;
            const result = M._tovrine_start(bytes.length, hasSeed, hasSeed ? message.seed : 0);
            const answer = { result, message: result === ok ? "" : text(M._tovrine_message()) };
            if (result === refused)
                return answer;
            ended = false;
            lastShown = -1;
            following = false;
            mark = null;
            return Object.assign(answer, { record: record(), seed: M._tovrine_seed() >>> 0, ...size(),
                figures: figures() });
        }

        // Runs `steps` frames and shows the last; the figures of every 25th
        // frame go back for the chart, and those of the last for the figures
        // line (and, when `every` is given, those of every `every`th frame
        // and of set-up, for the tests).
        function step(message, answer, transfer) {
            const started = performance.now();
            const samples = [], lines = [];
            let ran = 0;
            if (message.every)
                lines.push(statsLine());
            while (!ended && ran < message.steps) {
                if (M._tovrine_tick() !== ok) {
                    ended = true;
                    answer.ended = text(M._tovrine_message());
                    break;
                }
                ran++;
                if (message.every && frame() % message.every === 0)
                    lines.push(statsLine());
                if (frame() % sampleFrames === 0)
                    samples.push(figures());
            }
            const ms = performance.now() - started;
            Object.assign(answer, { ran, ms, samples });
            if (message.every)
                answer.lines = lines;
            // Played by the worker's own clock, the figures go with the report
            // instead: reading them walks every Vob.
            if (!message.playing) {
                answer.figures = figures();
                tellFollowed(answer);
            } else if (following && !followed()) {
                answer.followGone = true;
            }
            const showing = performance.now();
            show(answer, transfer);
            answer.showMs = performance.now() - showing;
        }

        async function receive(message) {
            const answer = { id: message.id };
            const transfer = [];
            switch (message.type) {
            case "init":
                Object.assign(answer, await init(message));
                break;
            case "start":
                Object.assign(answer, start(message));
                if (answer.result !== refused)
                    show(answer, transfer);
                break;
            case "canvas":
                canvas = message.canvas;
                context = canvas.getContext("2d", { alpha: false });
                lastShown = -1;
                wholeNext = true;
                answer.ok = true;
                break;
            case "step":
                step(message, answer, transfer);
                break;
            case "play":
                play(message.speed);
                answer.ok = true;
                break;
            case "halt":
                halt(answer);
                break;
            case "key":
                M._tovrine_key(message.code, message.down);
                answer.record = record();
                break;
            case "display":
                answer.result = M.ccall("tovrine_set_display_field", "number", ["string", "string"],
                    [message.name, message.text]);
                answer.record = record();
                break;
            case "size":
                shownWidth = message.width;
                shownHeight = message.height;
                lastShown = -1;
                if (M && context)
                    show(answer, transfer);
                answer.ok = true;
                break;
            case "figures":
                answer.figures = figures();
                break;
            case "follow":
                following = M._tovrine_follow_at(message.x, message.y, message.reach) === 1 || following;
                answer.followed = followed();
                drawMark();
                break;
            case "letGo":
                M._tovrine_let_go();
                following = false;
                drawMark();
                break;
            case "picture": {
                const picture = pixels();
                if (picture) {
                    answer.picture = { width: picture.width, height: picture.height, data: picture.data.slice() };
                    transfer.push(answer.picture.data.buffer);
                }
                break;
            }
            }
            post(answer, transfer);
        }

        return { receive };
    }

    // The answer to any call that failed: refused, no frames run.
    function failed(id, error) {
        return { id, error, result: refused, message: error, ran: 0, ms: 0, samples: [] };
    }

    T.worldHost = worldHost;
    T.frameClock = frameClock;
    T.failedAnswer = failed;

    // In a worker of its own: the engine's script came first; answer the page.
    if (typeof WorkerGlobalScope !== "undefined" && self instanceof WorkerGlobalScope) {
        const host = worldHost((message, transfer) => self.postMessage(message, transfer));
        let queue = Promise.resolve();
        // One message at a time, in order, even while the engine loads. A
        // call that throws (the engine aborted) still answers, with why.
        self.onmessage = (event) => (queue = queue.then(() => host.receive(event.data))
            .catch((e) => self.postMessage(failed(event.data.id, String((e && e.message) || e)))));
    }
})(self.tovrine = self.tovrine || {});
