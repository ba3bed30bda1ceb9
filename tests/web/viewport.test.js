// The world on screens of every shape and speed: the canvas follows the
// window with the world's aspect kept, and the world runs 100 frames a second
// whether the screen refreshes at 60, 120 or 144 Hz, with a long gap (a
// hidden tab) caught up only a little. The screen's refresh is simulated: the
// page's animation frames come from the test, with the times it chooses (the
// canvas stays the page's, so the page's clock asks for the frames; a
// worker that draws runs its frames by the same clock).
"use strict";
const assert = require("node:assert");
const { testBothWays, openPage, screenshot } = require("./harness.js");

function fakeAnimationFrames() {
    delete HTMLCanvasElement.prototype.transferControlToOffscreen;
    let waiting = [];
    window.requestAnimationFrame = (callback) => waiting.push(callback);
    window.animationFrameAt = (time) => {
        const now = waiting;
        waiting = [];
        now.forEach((callback) => callback(time));
    };
}

testBothWays("the world's shape and speed", async (browser, url, name) => {
    const { page, errors } = await openPage(browser, url, { beforeLoad: fakeAnimationFrames });

    const fit = async (width, height) => {
        await page.setViewport({ width, height });
        await page.waitForFunction(() => {
            const stage = document.getElementById("stage").getBoundingClientRect();
            const world = document.getElementById("world").getBoundingClientRect();
            return Math.abs(world.width - stage.width) < 2 || Math.abs(world.height - stage.height) < 2;
        }, { polling: 50, timeout: 5000 }).catch(() => {});
        return page.evaluate(() => {
            const world = document.getElementById("world");
            return { stage: document.getElementById("stage").getBoundingClientRect().toJSON(),
                shown: world.getBoundingClientRect().toJSON(), ...tovrineTest.worldSize() };
        });
    };
    const sizes = [[1280, 800], [1920, 1080], [700, 1000], [390, 844], [1024, 400]];
    for (const record of ["800 x 600", "1024 x 600"]) {
        await page.evaluate((width) => {
            const M = tovrineTest.module;
            M._tovrine_load_preset(0);
            const bytes = M.HEAPU8.slice(M._tovrine_record_buffer(), M._tovrine_record_buffer() + 128);
            new DataView(bytes.buffer).setInt32(64, width, true);
            return tovrineTest.importBytes(bytes);
        }, Number(record.split(" ")[0]));
        for (const [width, height] of sizes) {
            const { stage, shown, width: w, height: h } = await fit(width, height);
            const where = `${record} in ${width} x ${height}: ${JSON.stringify({ stage, shown })}`;
            assert.strictEqual(`${w} x ${h}`, record, where);
            assert.ok(Math.abs(shown.width / shown.height - w / h) < 0.01, `aspect kept, ${where}`);
            assert.ok(shown.width <= stage.width + 0.5 && shown.height <= stage.height + 0.5, `inside, ${where}`);
            assert.ok(stage.width - shown.width < 2 || stage.height - shown.height < 2, `as large as fits, ${where}`);
            const [left, right] = [shown.left - stage.left, stage.right - shown.right];
            const [top, bottom] = [shown.top - stage.top, stage.bottom - shown.bottom];
            assert.ok(Math.abs(left - right) < 2 && Math.abs(top - bottom) < 2, `bars on both sides, ${where}`);
        }
    }
    await screenshot(page, `wide-${name}`);

    // 100 frames a second at any refresh rate; a minute away catches up
    // at most a tenth of a second.
    const frames = await page.evaluate(async () => {
        await tovrineTest.startPreset(0, 1);
        tovrineTest.resume();
        const frame = async () => (await tovrineTest.figures()).frame;
        // Each screen refresh waits for the frames it asked for, as a real
        // refresh comes after the worker has answered.
        const refresh = async (time) => {
            animationFrameAt(time);
            await tovrineTest.settled();
        };
        const counts = [];
        let time = 5000.5;
        await refresh(time);
        for (const hertz of [60, 120, 144, 30]) {
            const before = await frame();
            for (let i = 1; i <= hertz; i++)
                await refresh(time + (i * 1000) / hertz);
            time += 1000;
            counts.push((await frame()) - before);
        }
        const before = await frame();
        await refresh((time += 60000));
        counts.push((await frame()) - before);
        return counts;
    });
    assert.deepStrictEqual(frames.slice(0, 4), [100, 100, 100, 100], "frames in a second at 60, 120, 144, 30 Hz");
    assert.ok(frames[4] <= 10, `after a minute hidden: ${frames[4]} frames at once`);
    assert.deepStrictEqual(errors, []);
    await page.close();
});
