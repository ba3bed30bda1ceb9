// The world's time: a frame every 10 ms of the page's clock at 1x, however
// often the screen refreshes (60, 120, 144 Hz or unevenly), scaled by the
// speed; pause, one frame at a time, and as fast as the machine goes. The
// page asks for frames only when the screen can show a new picture and
// while the world's worker is idle, so a heavy world drops frames rather
// than piling up work.
(function (T) {
    "use strict";

    const periodMs = 10;
    // Frames caught up at most after a gap (a hidden tab), at 1x.
    const largestCatchUp = 10;
    // A batch of frames is kept near this long, so the worker answers soon.
    const batchMs = 50;
    // As fast as the machine goes: frames for about one screen refresh.
    const fastMs = 14;
    const speeds = [0.25, 0.5, 1, 2, 4, 8, Infinity];

    const state = {
        paused: window.tovrineTestStartsPaused === true,
        stopped: false,  // the world ran out of memory; a new world restarts time
        speed: 1,
    };
    let held = 0;  // set-ups in progress: the clock waits for them
    let looping = false;  // an animation frame is asked for
    let start = null;  // when the count of frames began, null to begin it again
    let last = 0;  // the clock's last reading
    let counted = 0;  // frames due since `start` already counted
    let pending = 0;  // frames due and not yet asked for
    let busy = null;  // the batch in flight
    let msPerFrame = 0.5;  // the world's recent cost, measured in the worker
    let showMs = 0;  // and of showing a picture
    const ran = [];  // [time, frames] of the last few seconds, for the rate

    // The frames due at `now`, counted from one start so that no fraction
    // of a frame is lost however the readings fall. A clock that goes back
    // begins the count again.
    function reading(now) {
        if (start === null || now < last || state.speed === Infinity) {
            start = last = now;
            counted = 0;
            return 0;
        }
        last = now;
        const total = Math.floor(((now - start) * state.speed) / periodMs);
        const due = total - counted;
        counted = total;
        return Math.min(due, largestCatchUp * Math.max(1, state.speed));
    }

    function restart() {
        start = null;
        pending = 0;
    }

    // Animation frames are asked for only while time runs: a paused or
    // stopped world costs nothing, and the browser sends none while the
    // page is hidden.
    function loop() {
        if (looping || !T.page.ready)
            return;
        looping = true;
        window.requestAnimationFrame(onAnimationFrame);
    }

    function onAnimationFrame(now) {
        if (state.paused || state.stopped || held || !T.page.ready) {
            looping = false;
            restart();
            return;
        }
        window.requestAnimationFrame(onAnimationFrame);
        pending = Math.min(pending + reading(now), largestCatchUp * Math.max(1, state.speed === Infinity ? 1 : state.speed));
        if (busy)
            return;
        let steps;
        if (state.speed === Infinity)
            steps = Math.max(1, Math.floor(fastMs / msPerFrame));
        else
            steps = Math.min(pending, Math.max(1, Math.floor(batchMs / msPerFrame)));
        pending = 0;  // what does not fit in a batch is dropped: the world falls behind
        if (steps > 0)
            run(steps);
    }

    // Runs `steps` frames in every world, together; settles with the first
    // world's answer.
    function run(steps, every) {
        const batch = (async () => {
            const answers = await Promise.all(T.page.worlds.map((w) => w.step(steps, every)));
            const cost = Math.max(...answers.map((a) => (a.ran ? a.ms / a.ran : 0)));
            if (cost > 0)
                msPerFrame = 0.7 * msPerFrame + 0.3 * cost;
            showMs = 0.9 * showMs + 0.1 * Math.max(...answers.map((a) => a.showMs || 0));
            count(answers[0].ran);
            T.page.framesRan(answers);
            return answers[0];
        })();
        busy = batch;
        batch.finally(() => busy === batch && (busy = null));
        return batch;
    }

    function count(frames) {
        const now = performance.now();
        ran.push([now, frames]);
        while (ran.length && now - ran[0][0] > 2000)
            ran.shift();
    }

    // Frames a second over the last two seconds (0 when none ran).
    function rate() {
        const now = performance.now();
        const inWindow = ran.filter(([t]) => now - t <= 2000);
        if (!inWindow.length)
            return 0;
        const span = Math.max(1000, now - inWindow[0][0]);
        return (1000 * inWindow.reduce((sum, [, n]) => sum + n, 0)) / span;
    }

    // Waits for the batch in flight, then does `work` with the clock held.
    async function hold(work) {
        held++;
        while (busy)
            await busy.catch(() => {});
        try {
            return await work();
        } finally {
            held--;
            restart();
            loop();
            ran.length = 0;
        }
    }

    function setPaused(paused) {
        state.paused = paused;
        restart();
        loop();
        T.page.timeChanged();
    }

    // One frame while paused.
    function step() {
        if (!state.paused || busy || held || state.stopped)
            return busy || Promise.resolve();
        return run(1);
    }

    function setSpeed(speed) {
        if (!speeds.includes(speed))
            return;
        state.speed = speed;
        restart();
        ran.length = 0;
        T.page.timeChanged();
    }

    function speedText(speed) {
        return speed === Infinity ? "fastest" : speed < 1 ? `1/${1 / speed}x` : `${speed}x`;
    }

    function begin() {
        loop();
    }

    // What a frame costs the world's worker and what showing one costs, in ms.
    function cost() {
        return { msPerFrame, showMs };
    }

    T.time = { state, speeds, begin, run, hold, step, setPaused, setSpeed, speedText, rate, cost,
        settled: () => busy || Promise.resolve() };
})(self.tovrine = self.tovrine || {});
