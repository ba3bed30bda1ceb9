// Two worlds side by side: a second world with a worker and a canvas of its
// own, on the same clock as the first (paused, stepped and sped together),
// started again with the first so that both count frames from one start.
(function (T) {
    "use strict";

    const R = T.records;
    const $ = (id) => document.getElementById(id);
    let second = null;  // { world, canvas, applied, seed }

    function current() {
        return second && second.applied ? { applied: second.applied, seed: second.seed } : null;
    }

    async function connect() {
        const canvas = document.createElement("canvas");
        canvas.id = "world-second";
        canvas.width = 800;
        canvas.height = 600;
        canvas.setAttribute("aria-label", "The second world");
        $("stage").appendChild(canvas);
        const world = new T.World(canvas);
        const connected = await world.connect();
        if (!connected.ok) {
            canvas.remove();
            return null;
        }
        return { world, canvas, applied: null, seed: null };
    }

    // Starts the second world of `bytes` (with the clock held); "" or why not.
    async function startSecond(bytes, seed) {
        const started = await second.world.start(bytes, seed);
        if (started.result === R.refused)
            return started.message;
        second.applied = started.record;
        second.seed = started.seed;
        T.chart.clear(1);
        T.chart.add([started.figures], performance.now(), 1);
        T.chart.showFigures(started.figures, 1);
        return started.message;
    }

    // Opens (or replaces) the second world, and starts the first again from
    // its start beside it. "" or the message of the refusal.
    function open(bytes, seed) {
        return T.time.hold(async () => {
            if (!second) {
                second = await connect();
                if (!second)
                    return "The second world's engine did not load.";
                T.page.worlds.push(second.world);
            }
            const failure = await startSecond(bytes, seed);
            if (failure && !second.applied) {
                closeNow();
                return failure;
            }
            await T.page.startFirst(T.page.applied, T.page.seed);
            showPair();
            return failure;
        });
    }

    // After the first world started anew (with the clock held).
    async function restart() {
        if (second && second.applied)
            await startSecond(second.applied, second.seed);
    }

    // The second world's record after a display switch.
    function recordChanged(record) {
        if (second && second.applied)
            second.applied = record;
    }

    function closeNow() {
        if (!second)
            return;
        second.world.close();
        second.canvas.remove();
        second = null;
        T.page.worlds.length = 1;
        T.chart.removeWorld(1);
        showPair();
    }

    function close() {
        return T.time.hold(async () => closeNow());
    }

    function showPair() {
        $("unpair-button").hidden = !second;
        $("pair-button").textContent = second ? "Replace the second world" : "Show side by side";
        $("second-name").textContent = second && second.applied ? `Beside it: ${R.name(second.applied)}, seed ${second.seed}` : "";
        T.page.fitCanvas();
        T.links.worldRunning();
    }

    async function onPair() {
        const seed = R.parseSeed($("second-seed").value);
        if (seed === undefined) {
            T.messages.show("The second world's seed is a whole number from 0 to 4294967295, or empty.", "bad");
            return;
        }
        const choice = $("second-algorithm").value;
        const bytes = choice === "same" ? T.page.applied : R.presetRecord(Number(choice));
        const failure = await open(bytes, seed);
        if (failure)
            T.messages.show(`The second world was not started: ${R.sentence(failure)}`, "bad");
        else
            T.messages.show(`Two worlds side by side from frame 0: ${R.name(T.page.applied)} and ${R.name(second.applied)}.`, "good");
    }

    // The algorithms the second world may be, once the module is there.
    function fillChoices() {
        const select = $("second-algorithm");
        select.add(new Option("The same algorithm (another seed)", "same"));
        R.presetNames().forEach((name, i) => select.add(new Option(name, String(i))));
    }

    function wire() {
        $("pair-button").addEventListener("click", onPair);
        $("unpair-button").addEventListener("click", close);
    }

    T.pair = { current, open, restart, close, recordChanged, wire, fillChoices };
})(self.tovrine = self.tovrine || {});
