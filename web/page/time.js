// The world's time: a frame every 10 ms of the page's clock at 1x, however
// often the screen refreshes (60, 120, 144 Hz or unevenly), scaled by the
// speed; pause, one frame at a time, and as fast as the machine goes. The
// page asks for frames only when the screen can show a new picture and
// while the world's worker is idle, so a heavy world drops frames rather
// than piling up work. A world alone whose worker draws on the canvas runs
// by the same clock in its worker, which tells the page what ran a few
// times a second.
(function (T) {
    "use strict";

    const speeds = [0.25, 0.5, 1, 2, 4, 8, Infinity];
    // Longer than a worker's reports apart: the world has gone quiet.
    const quietMs = 500;

    const state = {
        paused: window.tovrineTestStartsPaused === true,
        stopped: false,  // the world ran out of memory; a new world restarts time
        speed: 1,
    };
    let held = 0;  // set-ups in progress: the clock waits for them
    let looping = false;  // an animation frame is asked for
    let playing = null;  // the world that runs its own frames, while it does
    const clock = T.frameClock();
    let pending = 0;  // frames due and not yet asked for
    let busy = null;  // the batch in flight
    let msPerFrame = 0.5;  // the world's recent cost, measured in the worker
    let showMs = 0;  // and of showing a picture
    const ran = [];  // [time, frames] of the last few seconds, for the rate

    function restart() {
        clock.restart();
        pending = 0;
    }

    // Animation frames are asked for only while time runs: a paused or
    // stopped world costs nothing, and the browser sends none while the
    // page is hidden.
    function loop() {
        if (looping || playing || !T.page.ready)
            return;
        const alone = T.page.worlds.length === 1 ? T.page.worlds[0] : null;
        if (alone && alone.animates) {
            if (!state.paused && !state.stopped && !held && !document.hidden)
                play(alone);
            return;
        }
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
        pending = Math.min(pending + clock.reading(now, state.speed), clock.catchUp(state.speed));
        if (busy)
            return;
        const steps = clock.batch(pending, state.speed, msPerFrame);
        pending = 0;  // what does not fit in a batch is dropped: the world falls behind
        if (steps > 0)
            run(steps);
    }

    // A world alone that draws on its own canvas runs its own frames at its
    // animation frames: the page then has no message a frame to exchange,
    // only what ran now and then.
    function play(world) {
        playing = world;
        world.onReport = reported;
        world.play(state.speed);
    }

    function reported(answer) {
        const cost = answer.ran ? answer.ms / answer.ran : 0;
        if (cost > 0)
            msPerFrame = 0.7 * msPerFrame + 0.3 * cost;
        showMs = 0.9 * showMs + 0.1 * (answer.showMs || 0);
        if (answer.ended)
            playing = null;
        count(answer.ran);
        T.page.framesRan([answer]);
    }

    // The world stops running its own frames; settles when it has.
    function halt() {
        if (!playing)
            return;
        const world = playing;
        playing = null;
        const halted = world.halt().then((a) => reported({ ran: 0, ms: 0, samples: [], ...a }));
        busy = halted;
        halted.finally(() => busy === halted && (busy = null));
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

    // Frames a second over the last two seconds (0 when none ran). Frames
    // are counted when told (a batch's answer, a worker's report): those of
    // the first telling ran before the span, which ends at the last telling,
    // or now when the world has gone quiet.
    function rate() {
        const now = performance.now();
        const inWindow = ran.filter(([t]) => now - t <= 2000);
        if (inWindow.length < 2)
            return 0;
        const first = inWindow[0][0], last = inWindow[inWindow.length - 1][0];
        const frames = inWindow.slice(1).reduce((sum, [, n]) => sum + n, 0);
        const end = now - last > quietMs ? now : last;
        return (1000 * frames) / Math.max(1000, end - first);
    }

    // Waits for the batch in flight, then does `work` with the clock held.
    async function hold(work) {
        held++;
        halt();
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
        if (paused)
            halt();
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
        if (playing)
            playing.play(speed);
        restart();
        ran.length = 0;
        T.page.timeChanged();
    }

    function speedText(speed) {
        return speed === Infinity ? "fastest" : speed < 1 ? `1/${1 / speed}x` : `${speed}x`;
    }

    function begin() {
        // A worker's animation frames go on behind a hidden page: the world
        // that runs its own is stopped there, as the page's frames stop.
        document.addEventListener("visibilitychange", () => {
            if (document.hidden)
                halt();
            else
                loop();
        });
        loop();
    }

    // What a frame costs the world's worker and what showing one costs, in ms.
    function cost() {
        return { msPerFrame, showMs };
    }

    T.time = { state, speeds, begin, run, hold, step, setPaused, setSpeed, speedText, rate, cost,
        settled: () => busy || Promise.resolve() };
})(self.tovrine = self.tovrine || {});
