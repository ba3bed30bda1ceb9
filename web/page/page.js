// The page around the world: it loads the module that judges records and
// the world's engine (engine.js, world.js), and ties the page's parts
// together (records, time, chart, settings, links, files, input, messages).
// Every rule about records and fields is the module's; the page only shows
// what it says.
(function (T) {
    "use strict";

    const R = T.records;
    const $ = (id) => document.getElementById(id);
    const canvas = $("world");
    const stage = $("stage");

    let resolveReady;
    const ready = new Promise((resolve) => (resolveReady = resolve));

    const page = {
        ready: false,
        worlds: [],
        applied: null,  // the record the running world was built from
        appliedSeed: null,  // the seed the person fixed, or null for one drawn at start
        seed: null,  // the seed the running world uses, fixed or drawn
        startWorld,
        startFirst,
        fitCanvas,
        ownPixels: false,  // each canvas holds its world's own pixels (a clip records)
        framesRan,
        timeChanged,
        functionKey,
        setDisplay,
    };

    const world = () => page.worlds[0];

    // Text changed only when it changes: an unchanged text costs no layout.
    function setText(element, text) {
        if (element.textContent !== text)
            element.textContent = text;
    }

    // Builds a new world; "" or the message of the refusal, in which case the
    // running world is the one that ran before.
    // A second world beside it starts again from its start too.
    function startWorld(bytes, seed) {
        return T.time.hold(async () => {
            // A long set-up (a large world) says what the page waits for.
            const building = setTimeout(() => ($("stage-message").textContent = "Building the world\u2026"), 300);
            try {
                const { message, refused } = await startFirst(bytes, seed);
                if (!refused)
                    await T.pair.restart();
                return message;
            } finally {
                clearTimeout(building);
                $("stage-message").textContent = "";
            }
        });
    }

    // The first world alone, with the clock held: { message, refused }.
    async function startFirst(bytes, seed) {
        const started = await world().start(bytes, seed);
        if (started.result === R.refused)
            return { message: started.message, refused: true };
        // Out of memory: the engine built the previous record again.
        page.applied = started.record;
        page.seed = started.seed;
        if (started.result === R.ok)
            page.appliedSeed = seed;
        T.time.state.stopped = false;
        worldStarted(started);
        return { message: started.message, refused: false };
    }

    function worldStarted(started) {
        // A new world, however it came: the old one's end is no news.
        if (T.messages.text() === outOfMemory)
            T.messages.clear();
        T.heavy.worldStarted();
        T.follow.clear();
        T.chart.clear();
        T.chart.add([started.figures], performance.now());
        T.chart.draw();
        T.chart.showFigures(started.figures);
        fitCanvas();
        $("algorithm-name").textContent = R.name(page.applied);
        T.links.worldRunning();
        // The panel shows the settings of the world that runs.
        T.settings.fill(page.applied, page.appliedSeed);
    }

    const outOfMemory = "The world ran out of memory and stopped. Apply the settings to start a new one.";

    // What a batch of frames brought: the chart's samples, the figures of
    // the frame now shown, and the end of a world that outgrew memory (it
    // stops, as the saver closes). While time runs the figures line changes
    // once a second, as the chart does (each change costs the panel a
    // layout); paused or stepped, it always shows the frame on screen.
    let figuresShown = -Infinity;
    function framesRan(answers) {
        const now = performance.now();
        const showFigures = T.time.state.paused || T.time.state.stopped || now - figuresShown >= 1000;
        if (showFigures)
            figuresShown = now;
        answers.forEach((a, i) => {
            T.chart.add(a.samples, now, i);
            if (a.figures && showFigures)
                T.chart.showFigures(a.figures, i);
        });
        T.follow.update(answers[0]);
        const ended = answers.find((a) => a.ended);
        if (ended) {
            T.time.state.stopped = true;
            T.heavy.worldEnded();
            T.messages.show(outOfMemory, "bad");
        }
    }

    // The function keys act on every world; the panel and the link then
    // show the switches as the key left them.
    async function functionKey(code) {
        const answers = await Promise.all(page.worlds.map((w) => w.key(code, 1)));
        displayChanged(answers);
    }

    // A display switch from the panel: at once, without a new world.
    async function setDisplay(name, text) {
        const answers = await Promise.all(page.worlds.map((w) => w.display(name, text)));
        if (answers[0].result === R.ok)
            displayChanged(answers);
    }

    // The worlds' records as the switches left them, for the link and the panel.
    function displayChanged(answers) {
        const record = answers[0].record;
        if (!page.applied || !record)
            return;
        page.applied = record;
        if (answers[1] && answers[1].record)
            T.pair.recordChanged(answers[1].record);
        T.links.worldRunning();
        T.settings.showDisplay(record);
    }

    function showRate() {
        const rate = Math.round(T.time.rate());
        const target = T.time.state.speed === Infinity ? "" : ` of ${Math.round(100 * T.time.state.speed)}`;
        setText($("frame-rate"), T.time.state.paused ? "paused" : `${rate}${target} fps`);
    }

    function everySecond() {
        showRate();
        T.heavy.judge(T.time.rate(), 100 * T.time.state.speed);
    }

    function timeChanged() {
        const paused = T.time.state.paused;
        $("pause-button").textContent = paused ? "Resume" : "Pause";
        $("pause-button").setAttribute("aria-pressed", String(paused));
        $("step-button").disabled = !paused;
        $("speed").value = String(T.time.state.speed);
        showRate();
    }

    // Scales each world's canvas to its share of the stage (two side by
    // side on a wide stage, one above the other on a tall one) with its
    // aspect kept; the stage's black shows around them.
    function fitCanvas() {
        const count = page.worlds.length;
        // Where the stage takes the world's shape (a phone), a pair stands
        // one above the other at the width of the screen.
        const first = world();
        if (first)
            document.documentElement.style.setProperty("--world-aspect", `${first.width} / ${first.height * count}`);
        const box = stage.getBoundingClientRect();
        const across = box.width >= box.height;
        const cell = across ? { w: box.width / count, h: box.height } : { w: box.width, h: box.height / count };
        // Enlarged, the canvas holds as many pixels as the screen shows of
        // it, so the browser only copies it, where it would scale it a frame
        // at a time. Shrunk, it holds the world's own pixels and the browser
        // scales them: averaging every changed pixel ourselves costs more.
        // While a clip records, too: the clip is of the world's own size.
        // Settles when every world shows at its canvas's new size.
        // Each canvas lies on whole screen pixels: one half a pixel off is
        // resampled by the browser at every frame, which doubled what
        // compositing the page cost.
        const ratio = window.devicePixelRatio || 1;
        const onPixels = (start, offset, cellSide, side) =>
            Math.round((start + offset + (cellSide - side) / 2) * ratio) / ratio - start;
        const shown = [];
        page.worlds.forEach((w, i) => {
            const scale = Math.min(cell.w / w.width, cell.h / w.height);
            if (!(scale > 0))
                return;
            const width = Math.max(1, Math.floor(w.width * scale * ratio));
            const height = Math.max(1, Math.floor(w.height * scale * ratio));
            Object.assign(w.canvas.style, { width: `${width / ratio}px`, height: `${height / ratio}px`,
                left: `${onPixels(box.left, across ? i * cell.w : 0, cell.w, width / ratio)}px`,
                top: `${onPixels(box.top, across ? 0 : i * cell.h, cell.h, height / ratio)}px` });
            const enlarged = width >= w.width && height >= w.height && !page.ownPixels;
            shown.push(enlarged ? w.showAt(width, height) : w.showAt(w.width, w.height));
        });
        T.zoom.apply();  // a zoomed view stays within the canvas's new size
        return Promise.all(shown);
    }

    // A world the page sized to its place is sized again once the window has
    // settled at another size (a phone turned sideways), with its settings
    // and seed; entering or leaving the saver mode or full screen (which
    // resizes the window too) does so only where the world would be shown
    // shrunk.
    let refitTimer = 0, viewToggled = false;
    function placeChanged(toggled) {
        viewToggled = viewToggled || toggled;
        clearTimeout(refitTimer);
        refitTimer = setTimeout(async () => {
            const whenShrunk = viewToggled;
            viewToggled = false;
            // A phone's keyboard, opened for a box of the panel, is no new place.
            if (/^(INPUT|SELECT|TEXTAREA)$/.test(document.activeElement?.tagName || ""))
                return;
            const record = page.ready && page.applied && window.tovrineWorldSize.refitted(page.applied, whenShrunk);
            if (record)
                await startWorld(record, page.appliedSeed);
        }, 300);
    }

    // A new world of the same settings and a newly drawn seed.
    async function newWorld() {
        const failure = await startWorld(page.applied, null);
        if (failure)
            T.messages.show(failure, "bad");
    }

    function wireTime() {
        for (const speed of T.time.speeds)
            $("speed").add(new Option(T.time.speedText(speed), String(speed)));
        $("speed").addEventListener("change", () => T.time.setSpeed(Number($("speed").value)));
        $("pause-button").addEventListener("click", () => T.time.setPaused(!T.time.state.paused));
        $("step-button").addEventListener("click", () => T.time.step());
        $("new-world-button").addEventListener("click", newWorld);
        setInterval(everySecond, 1000);
    }

    function wire() {
        T.messages.wire();
        T.settings.wire();
        T.files.wire();
        T.capture.wire();
        T.pair.wire();
        T.links.wire();
        T.input.wire();
        T.zoom.wire();
        T.follow.make();
        T.extras.wire();
        wireTime();
        $("panel-button").addEventListener("click", () => {
            const side = $("side");
            side.hidden = !side.hidden;
            $("panel-button").setAttribute("aria-expanded", String(!side.hidden));
            $("panel-button").textContent = side.hidden ? "Show the panel" : "Hide the panel";
        });
        new ResizeObserver(fitCanvas).observe(stage);
        window.addEventListener("resize", () => placeChanged(false));
        for (const toggle of ["tovrine-fullview", "fullscreenchange"])
            document.addEventListener(toggle, () => placeChanged(true));
        timeChanged();
    }

    async function loadEngine() {
        if (typeof window.createTovrine !== "function")
            throw new Error("no engine");
        const first = new T.World(canvas);
        const [M, connected] = await Promise.all([window.createTovrine({}), first.connect()]);
        if (!connected.ok)
            throw new Error(connected.message);
        R.use(M);
        tovrineTest.module = M;
        page.worlds = [first];
    }

    async function main() {
        T.chart.buildLegend();
        wire();
        try {
            await loadEngine();
        } catch (e) {
            $("stage-message").textContent = `The world's engine did not load: ${e.message || e}`;
            return;
        }
        $("stage-message").textContent = "";
        T.pair.fillChoices();
        // A link names its own world; without one (or when it is damaged) the
        // stored settings run, or the built-in ones.
        await T.links.open(window.location.hash, true);
        // With neither, the world takes the size of the place it has
        // (world_size.js), as the sheet starts from the desktop's mode.
        if (page.applied === null) {
            const stored = T.links.stored();
            if (!stored || (await T.heavy.startAtVisit(stored, T.links.storedSeed())))
                await startWorld(window.tovrineWorldSize.fitted(R.presetRecord(0)), null);
        }
        page.ready = true;
        if (T.extras.startsPaused())
            T.time.setPaused(true);
        T.time.begin();
        resolveReady();
    }

    // For the browser tests: pause the clock, run frames, read figures and go
    // through the same ways in as a person. Calls that reach the world answer
    // with promises.
    const tovrineTest = {
        ready,
        module: null,
        pause: () => T.time.setPaused(true),
        resume: () => T.time.setPaused(false),
        figures: () => world().figures(),
        figuresOf: (index) => page.worlds[index].figures(),
        openPair: (index, seed) => T.pair.open(R.presetRecord(index), seed),
        secondWorld: () => {
            const second = T.pair.current();
            return second && { record: Array.from(second.applied), seed: second.seed };
        },
        where: () => world().where,
        worldSize: () => ({ width: world().width, height: world().height }),
        seed: () => page.seed,
        // A new world of built-in algorithm `index` (or of record bytes) with
        // a fixed seed, as Apply makes it.
        startPreset: (index, seed) => startWorld(R.presetRecord(index), seed),
        startRecord: (bytes, seed) => startWorld(Uint8Array.from(bytes), seed),
        // Runs `frames` frames at once and shows the last; its figures.
        run: (frames) => T.time.hold(() => T.time.run(frames, frames + 1)).then((a) => a.figures),
        // The same, with the figures of set-up and of every frame as
        // tovrine-world --stats prints them.
        runLines: (frames) => T.time.hold(() => T.time.run(frames, 1)).then((a) => a.lines),
        picture: () => world().picture(),
        // The PNG the page saves, as base64.
        png: async () => {
            const bytes = new Uint8Array(await (await T.capture.pictureBlob()).arrayBuffer());
            let binary = "";
            for (let i = 0; i < bytes.length; i += 0x8000)
                binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
            return btoa(binary);
        },
        message: () => T.messages.text(),
        followed: () => T.follow.text(),
        settled: () => T.time.settled(),
        cost: () => ({ ...T.time.cost(), rate: T.time.rate() }),
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

    // What the page's other scripts use (touch.js, wakelock.js).
    window.tovrinePage = {
        ready,
        stage,
        canvas,
        // A function key pressed, as from the keyboard: it reaches every world.
        pressKey(keyCode) {
            if (page.ready && T.input.functionKeys.has(keyCode))
                functionKey(keyCode);
        },
        inFullScreen: () => T.input.inFullScreen(),
        enterFullScreen: () => T.input.enterFullScreen(),
        leaveFullScreen: () => T.input.leaveFullScreen(),
        // The touch bar shows Pause because the page has one.
        pauseToggle: () => T.time.setPaused(!T.time.state.paused),
        paused: () => T.time.state.paused,
    };

    main();
})(self.tovrine = self.tovrine || {});
