// The page around the world: it loads the wasm module, runs the world by the
// clock and ties the panel's parts together (records.js, engine.js, chart.js,
// settings.js, links.js, files.js, input.js). Every rule about records and
// fields is the module's; the page only shows what it says.
(function (T) {
    "use strict";

    const R = T.records;
    const $ = (id) => document.getElementById(id);
    const canvas = $("world");
    const stage = $("stage");

    // A test may ask for the clock to stand still from the start.
    let paused = window.tovrineTestStartsPaused === true;
    let stopped = false;  // the world ran out of memory; Apply builds a new one
    let resolveReady;
    const ready = new Promise((resolve) => (resolveReady = resolve));

    const page = {
        applied: null,  // the record the running world was built from
        appliedSeed: null,  // the seed the person fixed, or null
        startWorld,
        fitCanvas,
    };

    // Builds a new world; "" or the message of the refusal, in which case the
    // running world is the one that ran before.
    function startWorld(bytes, seed) {
        const started = T.engine.start(bytes, seed);
        if (started.result === R.refused)
            return started.message;
        // Out of memory: the module built the previous record again.
        page.applied = started.record;
        if (started.result === R.ok)
            page.appliedSeed = seed;
        stopped = false;
        worldStarted();
        return started.message;
    }

    function worldStarted() {
        T.chart.clear();
        const { width, height } = T.engine.size();
        document.documentElement.style.setProperty("--world-aspect", `${width} / ${height}`);
        T.engine.present();
        fitCanvas();
        $("algorithm-name").textContent = R.name(page.applied);
        $("stage-message").textContent = "";
        $("share-link").value = T.links.shareLink();
        // The panel shows the settings of the world that runs.
        T.settings.fill(page.applied, page.appliedSeed);
    }

    function onAnimationFrame(now) {
        window.requestAnimationFrame(onAnimationFrame);
        if (paused || stopped)
            return;
        const ticks = T.engine.advance(now);
        if (ticks < 0) {
            // The world outgrew memory: it stops, as the saver closes.
            stopped = true;
            $("stage-message").textContent =
                "The world ran out of memory and stopped. Apply the settings to start a new one.";
            return;
        }
        if (ticks > 0) {
            T.engine.present();
            T.chart.sample(T.engine.frameCount(), T.engine.figures, now);
        }
    }

    // Scales the canvas to the stage with its aspect kept; the stage's black
    // shows around it.
    function fitCanvas() {
        const box = stage.getBoundingClientRect();
        const scale = Math.min(box.width / canvas.width, box.height / canvas.height);
        if (!(scale > 0))
            return;
        canvas.style.width = `${Math.floor(canvas.width * scale)}px`;
        canvas.style.height = `${Math.floor(canvas.height * scale)}px`;
    }

    function wire() {
        T.settings.wire();
        T.files.wire();
        T.links.wire();
        T.input.wire();
        $("panel-button").addEventListener("click", () => {
            const side = $("side");
            side.hidden = !side.hidden;
            $("panel-button").setAttribute("aria-expanded", String(!side.hidden));
            $("panel-button").textContent = side.hidden ? "Show the panel" : "Hide the panel";
        });
        new ResizeObserver(fitCanvas).observe(stage);
    }

    async function main() {
        T.chart.buildLegend();
        wire();
        if (typeof window.createTovrine !== "function") {
            $("stage-message").textContent = "The world's engine did not load.";
            return;
        }
        let M;
        try {
            M = await window.createTovrine({});
        } catch (e) {
            $("stage-message").textContent = `The world's engine did not load: ${e}`;
            return;
        }
        R.use(M);
        T.engine.use(M, canvas);
        tovrineTest.module = M;
        // A link names its own world; without one (or when it is damaged) the
        // stored settings run, or the built-in ones.
        T.links.open(window.location.hash);
        if (page.applied === null) {
            const stored = T.links.stored();
            if (!stored || startWorld(stored, null))
                startWorld(R.presetRecord(0), null);
        }
        window.requestAnimationFrame(onAnimationFrame);
        resolveReady();
    }

    // For the browser tests: pause the clock, run frames, read figures and go
    // through the same ways in as a person.
    const tovrineTest = {
        ready,
        module: null,
        pause() {
            paused = true;
        },
        resume() {
            paused = false;
        },
        figures: () => T.engine.figures(),
        // A new world of built-in algorithm `index` with a fixed seed, as Apply makes it.
        startPreset: (index, seed) => startWorld(R.presetRecord(index), seed),
        // Runs `frames` frames at once and shows the last; returns the figures.
        run(frames) {
            T.engine.run(frames);
            T.engine.present();
            return T.engine.figures();
        },
        present: () => T.engine.present(),
        importBytes: (bytes) => T.files.importBytes(Uint8Array.from(bytes)),
        openLink: (hash) => T.links.open(hash),
        shareLink: () => T.links.shareLink(),
        appliedRecord: () => Array.from(page.applied),
        drawChart: () => T.chart.draw(),
        // Settles when the last Apply has done all it will (after the notice's answer).
        lastApply: () => T.settings.lastApply(),
    };
    T.page = page;
    window.tovrineTest = tovrineTest;

    main();
})(self.tovrine = self.tovrine || {});
