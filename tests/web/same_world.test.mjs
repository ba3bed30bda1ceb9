// The world in the page is the runner's world: for a preset or record and a
// seed, every frame's figures read from the page equal the lines of
// `tovrine-world --stats`, and the PNG the page saves of the last frame
// equals the runner's PNG of it to the pixel, at 32 bits and at 16; from the
// single file on disk and from the served folder. A link from the runs.csv
// of tovrine-sweep opens that run: its record, its seed, the runner's figures.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import h from "./harness.js";

const runner = process.env.TOVRINE_WORLD || path.join(h.repo, "build/native/tools/world/tovrine-world");
const sweeper = process.env.TOVRINE_SWEEP || path.join(h.repo, "build/native/tools/world/tovrine-sweep");
const limitRecord = path.join(h.repo, "tests/world/records/storm-limit-1024x768.rec");

// Several presets for thousands of frames (rebirths included), one at 32
// bits, and the entity limit at 1024 x 768.
const cases = [
    { name: "preset 0", preset: 0, seed: 1, frames: 3000 },
    { name: "preset 2", preset: 2, seed: 7, frames: 3000 },
    { name: "preset 5", preset: 5, seed: 42, frames: 2000 },
    { name: "32 bits", record: path.join(h.repo, "tests/world/records/alg0-800x600x32.rec"), seed: 9, frames: 1500 },
    { name: "entity limit", record: limitRecord, seed: 3, frames: 1000 },
];

function runnerSource(c) {
    return c.record ? ["--record", c.record] : ["--preset", String(c.preset)];
}

// The runner's lines and its PNG of the last frame.
function nativeRun(c, dir) {
    const out = execFileSync(runner, [...runnerSource(c), "--seed", String(c.seed), "--frames",
        String(c.frames), "--stats", "--png", dir, "--every", String(c.frames)],
    { maxBuffer: 256 << 20 });
    const png = fs.readdirSync(dir).filter((f) => f.endsWith(".png")).sort().pop();
    return { lines: out.toString().trim().split("\n"), png: fs.readFileSync(path.join(dir, png)) };
}

// The same run in the page, its figures after set-up and after every frame.
function pageRun(page, c) {
    const bytes = c.record ? [...fs.readFileSync(c.record)] : null;
    return page.evaluate(async ({ bytes, preset, seed, frames }) => {
        const failure = bytes ? await tovrineTest.startRecord(bytes, seed) : await tovrineTest.startPreset(preset, seed);
        if (failure)
            return { error: failure, lines: [] };
        return { lines: await tovrineTest.runLines(frames) };
    }, { bytes, preset: c.preset, seed: c.seed, frames: c.frames });
}

// Pixels of the PNG the page saves of its last frame that differ from the
// runner's PNG (both decoded by the browser), and the sizes. Every channel
// counts, at 16 bits too: both widen 5-6-5 the same way.
function pictureDifference(page, png) {
    return page.evaluate(async (native) => {
        const decode = async (data) => {
            const image = new Image();
            image.src = `data:image/png;base64,${data}`;
            await image.decode();
            const c = Object.assign(document.createElement("canvas"), { width: image.width, height: image.height });
            const g = c.getContext("2d");
            g.drawImage(image, 0, 0);
            return { width: c.width, height: c.height, data: g.getImageData(0, 0, c.width, c.height).data };
        };
        const theirs = await decode(native);
        const ours = await decode(await tovrineTest.png());
        const [a, b] = [ours.data, theirs.data];
        let differing = 0;
        if (ours.width === theirs.width && ours.height === theirs.height)
            for (let i = 0; i < a.length; i += 4)
                if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2])
                    differing++;
        return { differing, page: `${ours.width} x ${ours.height}`, native: `${theirs.width} x ${theirs.height}` };
    }, png.toString("base64"));
}

// A small sweep with a changed field, and its last run's link, record
// (decoded here, not by the page), seed and the runner's lines for it.
function sweepRun(dir) {
    const frames = 400;
    execFileSync(sweeper, ["--preset", "2", "--set", "whirlCount=3", "--seeds", "5-6", "--frames",
        String(frames), "--jobs", "2", "--out", path.join(dir, "sweep")], { stdio: "ignore" });
    const rows = fs.readFileSync(path.join(dir, "sweep/runs.csv"), "utf8").trim().split("\n");
    const header = rows[0].split(",");
    const row = rows[rows.length - 1].split(",");
    const link = row[header.indexOf("link")];
    const seed = Number(row[header.indexOf("seed")]);
    const record = Buffer.from(link.match(/#record=([A-Za-z0-9_-]+)&/)[1], "base64url");
    const file = path.join(dir, "run.rec");
    fs.writeFileSync(file, record);
    const out = execFileSync(runner, ["--record", file, "--seed", String(seed), "--frames", String(frames), "--stats"]);
    return { link, seed, frames, record: [...record], lines: out.toString().trim().split("\n") };
}

let browser, places, swept;
const native = new Map();
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "tovrine-same-world-"));

before(async () => {
    for (const c of cases) {
        const dir = path.join(scratch, c.name.replace(/ /g, "-"));
        fs.mkdirSync(dir);
        native.set(c.name, nativeRun(c, dir));
    }
    swept = sweepRun(scratch);
    browser = await h.launch();
    places = await h.targets();
});

after(async () => {
    places?.close();
    await browser?.close();
    fs.rmSync(scratch, { recursive: true, force: true });
});

for (const where of ["file", "served"]) {
    test(`the page's world is the runner's world (${where})`, async (t) => {
        const { url } = places.list.find((p) => p.name === where);
        const { page, errors } = await h.openPage(browser, url);
        for (const c of cases) {
            await t.test(c.name, async () => {
                const expected = native.get(c.name);
                const got = await pageRun(page, c);
                assert.equal(got.error, undefined, `the page refused or stopped the run: ${got.error}`);
                const first = got.lines.findIndex((line, i) => line !== expected.lines[i]);
                assert.equal(first, -1, `frame ${first}: page "${got.lines[first]}", ` +
                    `tovrine-world "${expected.lines[first]}"`);
                assert.equal(got.lines.length, expected.lines.length);
                const picture = await pictureDifference(page, expected.png);
                assert.equal(picture.page, picture.native);
                assert.equal(picture.differing, 0,
                    `pixels of the page's PNG of frame ${c.frames} differ from the runner's`);
            });
        }
        assert.deepEqual(errors, []);
        await page.close();
    });
}

// The link names the single file; in the served folder that name forwards
// to the page with the link's record and seed.
for (const where of ["file", "served"]) {
    test(`a sweep's link opens its run (${where})`, async () => {
        const { url } = places.list.find((p) => p.name === where);
        const target = new URL(swept.link, url).href;
        const { page, errors } = await h.openPage(browser, target);
        const opened = await page.evaluate(() => ({ record: tovrineTest.appliedRecord(), seed: tovrineTest.seed(),
            message: tovrineTest.message() }));
        assert.deepEqual(opened, { record: swept.record, seed: swept.seed, message: "" });
        const lines = await page.evaluate((frames) => tovrineTest.runLines(frames), swept.frames);
        const first = lines.findIndex((line, i) => line !== swept.lines[i]);
        assert.equal(first, -1, `frame ${first}: page "${lines[first]}", tovrine-world "${swept.lines[first]}"`);
        assert.equal(lines.length, swept.lines.length);
        assert.deepEqual(errors, []);
        await page.close();
    });
}
