// make web-bench: what the page costs beside the native programs, in one
// run, at defaults and with the entity-limit record. For each: the page's
// frame cost (the world's frame and showing it, in its worker), its main
// thread's load and the whole browser's processor time (every Chromium
// process, headless, no GPU), next to tovrine-world --bench and the Linux
// saver in a window of the size the page shows the world, measured at the
// same time on a private Xvfb (with what its X server spent for it). Then
// the yardstick: what the same browser costs to animate anything at all, a
// small square a frame drawn from a worker on a canvas of that size, and the
// page's whole-browser cost at defaults over it; defaults and the yardstick
// are measured twice, one after the other, so their spread shows. Figures
// only, never a verdict.
import { spawn, execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import h from "./harness.js";

const seconds = Number(process.env.TOVRINE_BENCH_SECONDS || 10);
const native = path.join(h.repo, "build/native");
const runner = path.join(native, "tools/world/tovrine-world");
const saver = path.join(native, "tovrine");
const limitRecord = path.join(h.repo, "tests/world/records/storm-limit-1024x768.rec");
const hz = Number(execFileSync("getconf", ["CLK_TCK"]).toString());
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Processor ticks (user and system) of a process and of all it started.
function treeTicks(root) {
    const parents = new Map(), ticks = new Map();
    for (const pid of fs.readdirSync("/proc").filter((p) => /^\d+$/.test(p))) {
        try {
            const stat = fs.readFileSync(`/proc/${pid}/stat`, "utf8");
            const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
            parents.set(Number(pid), Number(fields[1]));
            ticks.set(Number(pid), Number(fields[11]) + Number(fields[12]));
        } catch (e) {
            // Gone meanwhile.
        }
    }
    let sum = 0;
    const inTree = (pid) => {
        for (let p = pid; p > 1; p = parents.get(p))
            if (p === root)
                return true;
        return false;
    };
    for (const [pid, t] of ticks)
        if (inTree(pid))
            sum += t;
    return sum;
}

function runnerBench(args) {
    const out = execFileSync(runner, [...args, "--frames", "2000", "--bench"]).toString();
    return Number(out.match(/bench: \d+ frames, ms per frame: mean ([\d.]+)/)[1]);
}

async function startXvfb() {
    const display = `:${70 + (process.pid % 20)}`;
    const xvfb = spawn("Xvfb", [display, "-screen", "0", "1920x1200x24", "-nolisten", "tcp"], { stdio: "ignore" });
    for (let i = 0; i < 50 && !fs.existsSync(`/tmp/.X11-unix/X${display.slice(1)}`); i++)
        await sleep(100);
    return { display, pid: xvfb.pid, stop: () => xvfb.kill() };
}

// The Linux saver in its own window of `width` x `height`, with `record`
// as its settings (none: its defaults).
async function startSaver(display, width, height, record) {
    const home = fs.mkdtempSync(path.join(os.tmpdir(), "tovrine-bench-home-"));
    if (record) {
        fs.mkdirSync(path.join(home, ".config/tovrine"), { recursive: true });
        fs.copyFileSync(record, path.join(home, ".config/tovrine/options.rec"));
    }
    const env = { ...process.env, DISPLAY: display, HOME: home, XDG_CONFIG_HOME: path.join(home, ".config") };
    const child = spawn(saver, ["-window"], { env, stdio: "ignore" });
    let id = "";
    for (let i = 0; i < 100 && !id; i++) {
        await sleep(100);
        try {
            id = execFileSync("xdotool", ["search", "--name", "^Tovrine$"], { env }).toString().split("\n")[0];
        } catch (e) {
            id = "";
        }
    }
    if (id)
        execFileSync("xdotool", ["windowsize", id, String(width), String(height)], { env });
    return { pid: child.pid, stop: () => (child.kill("SIGTERM"), fs.rmSync(home, { recursive: true, force: true })) };
}

async function measure(browser, url, xvfb, name, record) {
    const display = xvfb.display;
    const { page } = await h.openPage(browser, url);
    await page.evaluate((bytes) => (bytes ? tovrineTest.startRecord(bytes, 1) : tovrineTest.startPreset(0, 1)),
        record ? [...fs.readFileSync(record)] : null);
    const shown = await page.$eval("#world", (c) => ({ width: c.getBoundingClientRect().width,
        height: c.getBoundingClientRect().height, world: tovrineTest.worldSize() }));
    const width = Math.round(shown.width), height = Math.round(shown.height);
    const linux = await startSaver(display, width, height, record);
    await page.evaluate(() => tovrineTest.resume());
    await sleep(3000);
    const browserPid = browser.process().pid;
    const before = { metrics: await page.metrics(), browser: treeTicks(browserPid), saver: treeTicks(linux.pid),
        x: treeTicks(xvfb.pid), frame: (await page.evaluate(() => tovrineTest.figures())).frame };
    await sleep(seconds * 1000);
    const after = { metrics: await page.metrics(), browser: treeTicks(browserPid), saver: treeTicks(linux.pid),
        x: treeTicks(xvfb.pid), frame: (await page.evaluate(() => tovrineTest.figures())).frame };
    const cost = await page.evaluate(() => tovrineTest.cost());
    linux.stop();
    await page.close();
    const wall = after.metrics.Timestamp - before.metrics.Timestamp;
    const share = (ticks) => (100 * ticks) / hz / wall;
    const result = {
        name, world: `${shown.world.width} x ${shown.world.height}`, window: `${width} x ${height}`,
        fps: (after.frame - before.frame) / wall, frameMs: cost.msPerFrame, showMs: cost.showMs,
        mainThread: (100 * (after.metrics.TaskDuration - before.metrics.TaskDuration)) / wall,
        browser: share(after.browser - before.browser), saver: share(after.saver - before.saver),
        x: share(after.x - before.x),
        runnerMs: runnerBench(record ? ["--record", record] : ["--preset", "0"]),
    };
    const f = (x, d = 2) => x.toFixed(d);
    console.log(`bench: ${name}: world ${result.world}, shown at ${result.window}, over ${f(wall, 1)} s, ` +
        `load average ${fs.readFileSync("/proc/loadavg", "utf8").split(" ").slice(0, 3).join(" ")}`);
    console.log(`bench:   page: ${f(result.fps, 1)} frames a second; frame ${f(result.frameMs, 3)} ms and showing it ` +
        `${f(result.showMs, 3)} ms in the worker; main thread ${f(result.mainThread, 1)} % of a core; ` +
        `whole browser ${f(result.browser, 1)} % of a core`);
    console.log(`bench:   tovrine-world --bench: ${f(result.runnerMs, 3)} ms a frame`);
    console.log(`bench:   Linux saver in a ${result.window} window: ${f(result.saver, 1)} % of a core, ` +
        `and its X server ${f(result.x, 1)} % more`);
    console.log(`bench:   ratios: whole browser / Linux saver ${f(result.browser / result.saver)}x ` +
        `(/ the saver and its X server ${f(result.browser / (result.saver + result.x))}x); ` +
        `page frame / runner frame ${f(result.frameMs / result.runnerMs)}x`);
    return result;
}

// The browser's own cost of an animation on a canvas of `width` x `height`,
// as the page shows the world: a worker that draws one 20 x 20 square at
// each animation frame on the canvas handed to it.
async function measureYardstick(browser, width, height) {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 800 });
    await page.setContent(`<body style="margin:0;background:#000">
        <canvas id="c" width="${width}" height="${height}" style="width:${width}px;height:${height}px"></canvas>
        <script>
        const source = \`onmessage = (e) => {
            const canvas = e.data, g = canvas.getContext("2d", { alpha: false });
            let n = 0;
            const frame = () => {
                g.fillStyle = n % 2 ? "#ff0" : "#000";
                g.fillRect((7 * n) % (canvas.width - 20), (3 * n++) % (canvas.height - 20), 20, 20);
                requestAnimationFrame(frame);
            };
            requestAnimationFrame(frame);
        };\`;
        const worker = new Worker(URL.createObjectURL(new Blob([source])));
        const canvas = document.getElementById("c").transferControlToOffscreen();
        worker.postMessage(canvas, [canvas]);
        </script></body>`);
    await sleep(3000);
    const browserPid = browser.process().pid;
    const before = { wall: performance.now(), ticks: treeTicks(browserPid) };
    await sleep(seconds * 1000);
    const share = (100 * (treeTicks(browserPid) - before.ticks)) / hz / ((performance.now() - before.wall) / 1000);
    await page.close();
    return share;
}

const xvfb = await startXvfb();
const browser = await h.launch();
const places = await h.targets();
try {
    const url = places.list.find((p) => p.name === "file").url;
    for (const round of [1, 2]) {
        const defaults = await measure(browser, url, xvfb, `defaults, round ${round}`, null);
        const [width, height] = defaults.window.split(" x ").map(Number);
        const yardstick = await measureYardstick(browser, width, height);
        console.log(`bench: yardstick: one small square a frame on a ${defaults.window} canvas from a worker: ` +
            `whole browser ${yardstick.toFixed(1)} % of a core, ${(yardstick / defaults.saver).toFixed(2)}x ` +
            `the Linux saver at defaults above`);
        console.log(`bench: page at defaults / yardstick, round ${round}: ${(defaults.browser / yardstick).toFixed(2)}x`);
    }
    await measure(browser, url, xvfb, "entity-limit record", limitRecord);
} finally {
    await browser.close();
    places.close();
    xvfb.stop();
}
