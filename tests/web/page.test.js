// The page loads without a console error and draws the world: Vobs, whirls
// and the cloud are found by their colours in screenshots, F1 hides and shows
// the cloud, and at phone width the panel sits below the world. Zoomed in,
// the world is drawn by nearest pixel with its figures and PNG unchanged, and
// a click follows the Vob under it with the world's own values. "?" lists
// the keys; the embed form of the link shows the world alone, paused for a
// system that asks for less motion.
"use strict";
const assert = require("node:assert");
const { testBothWays, openPage, screenshot, colourCounts, labelled, typeInto } = require("./harness.js");

// The artwork's colours: the Vobs' yellow, the whirls' lilac arms (food is
// blue without the red), the cloud's dark navy.
const colours = {
    vob: (r, g, b) => r > 200 && g > 150 && b < 90,
    whirl: (r, g, b) => b > 200 && r > g + 15,
    cloud: (r, g, b) => r <= 12 && g <= 12 && b >= 36 && b <= 72,
};
const cloudCorner = { x: 0, y: 0, w: 0.12, h: 0.12 };

// A world of one Vob, whose figures are its own: strengthSum is its
// strength, xSum and ySum its place.
async function zoomAndFollow(page) {
    const state = () => page.evaluate(async () => ({ figures: await tovrineTest.figures(), png: await tovrineTest.png() }));
    const before = await page.evaluate(async () => {
        const R = tovrine.records;
        await tovrineTest.startRecord(Array.from(R.withFields(R.presetRecord(0), [["initialVobs", "1"]])), 1);
        await tovrineTest.run(100);
    }).then(state);
    // The Vob's middle on the screen, through the canvas as it is shown now.
    const vobOnScreen = () => page.evaluate(async () => {
        const f = await tovrineTest.figures();
        const c = document.getElementById("world").getBoundingClientRect();
        const { width, height } = tovrineTest.worldSize();
        return { x: c.left + ((f.xSum + 8) * c.width) / width, y: c.top + ((f.ySum + 8) * c.height) / height };
    });
    let at = await vobOnScreen();
    await page.mouse.move(at.x, at.y);
    await page.mouse.wheel({ deltaY: -600 });
    assert.ok(await page.evaluate(() => tovrine.zoom.level()) > 2, "the wheel zooms in");
    assert.deepStrictEqual(await state(), before, "zoomed, the same figures and PNG");

    // Nearest pixel: the zoomed view has no colour the world's picture lacks.
    at = await vobOnScreen();
    const shot = await page.screenshot({ clip: { x: at.x - 80, y: at.y - 80, width: 160, height: 160 } });
    const strange = await page.evaluate(async (data) => {
        const picture = await tovrineTest.picture();
        const known = new Set(new Uint32Array(picture.data.buffer));
        const image = new Image();
        image.src = `data:image/png;base64,${data}`;
        await image.decode();
        const c = new OffscreenCanvas(image.width, image.height);
        const g = c.getContext("2d");
        g.drawImage(image, 0, 0);
        return new Uint32Array(g.getImageData(0, 0, c.width, c.height).data.buffer).filter((p) => !known.has(p)).length;
    }, Buffer.from(shot).toString("base64"));
    assert.strictEqual(strange, 0, "pixels of colours the world does not have");

    // A click on the Vob follows it: its values are the world's, frame after frame.
    await page.mouse.click(at.x, at.y);
    for (const frames of [0, 50]) {
        const f = await page.evaluate((n) => tovrineTest.run(n), frames);
        await page.waitForFunction((f) => tovrineTest.followed().includes(`strength ${f.strengthSum},`),
            { timeout: 5000 }, f);
        assert.match(await page.evaluate(() => tovrineTest.followed()),
            new RegExp(`strength ${f.strengthSum}, .* at ${f.xSum}, ${f.ySum}\\.$`), `after ${frames} more frames`);
    }
    await screenshot(page, "follow-zoomed");
    await page.click("#let-go-button");
    assert.strictEqual(await page.evaluate(() => tovrineTest.followed()), "", "let go");
    await page.keyboard.press("0");
    assert.strictEqual(await page.evaluate(() => tovrine.zoom.level()), 1, "0 fits the world again");
}

async function keysAndEmbed(browser, page) {
    await page.focus("#world");
    await page.keyboard.press("?");
    assert.ok(await page.$eval("#keys-help", (d) => d.open), "? shows the keys");
    await page.click("#keys-help button");
    const { code, record, seed } = await page.evaluate(() => ({ code: document.getElementById("embed-code").value,
        record: tovrineTest.appliedRecord(), seed: tovrineTest.seed() }));
    const src = code.match(/<iframe src="([^"]+)"/)[1].replace(/&amp;/g, "&");
    const embedded = await openPage(browser, src, { width: 640, height: 480,
        media: [{ name: "prefers-reduced-motion", value: "reduce" }] });
    const seen = await embedded.page.evaluate(() => ({
        shown: ["bar", "side", "world"].map((id) => document.getElementById(id).getClientRects().length > 0),
        world: document.getElementById("world").getBoundingClientRect().width,
        record: tovrineTest.appliedRecord(), seed: tovrineTest.seed(), message: tovrineTest.message() }));
    assert.deepStrictEqual(seen.shown, [false, false, true], "embedded: the world without the bar and the panel");
    assert.ok(seen.world >= 630, `the world fills the frame: ${seen.world}`);
    assert.deepStrictEqual([seen.record, seen.seed], [record, seed], "the same world");
    assert.match(seen.message, /^Less motion/, "paused for a system that asks for less motion");
    assert.deepStrictEqual(embedded.errors, []);
    await embedded.page.close();
}

testBothWays("the world and its cloud", async (browser, url, name) => {
    const { page, errors } = await openPage(browser, url);
    await page.evaluate(async () => {
        await tovrineTest.startPreset(0, 1);
        await tovrineTest.run(300);
    });
    await screenshot(page, `desktop-${name}`);
    const shown = await colourCounts(page, await screenshot(page, `world-${name}`, "#world"), colours);
    assert.ok(shown.vob > 100, `Vobs' yellow: ${JSON.stringify(shown)}`);
    assert.ok(shown.whirl > 20, `whirls' lilac: ${JSON.stringify(shown)}`);
    const cloud = async (label) => {
        const png = await screenshot(page, `cloud-${label}-${name}`, "#world");
        return (await colourCounts(page, png, { cloud: colours.cloud }, cloudCorner)).cloud;
    };
    const before = await cloud("on");
    await page.keyboard.press("F1");
    await page.evaluate(() => tovrineTest.run(1));
    const hidden = await cloud("off");
    await page.keyboard.press("F1");
    await page.evaluate(() => tovrineTest.run(1));
    const again = await cloud("again");
    // A whirl under the corner has a little of the cloud's navy.
    assert.ok(before > 1000 && again > 1000 && hidden < before / 10,
        `cloud pixels: shown ${before}, after F1 ${hidden}, after F1 again ${again}`);

    if (name === "served") {
        await zoomAndFollow(page);
        await keysAndEmbed(browser, page);
    }

    // Full screen as in the saver: the function keys stay in it, a real
    // move of the mouse or a click leaves it.
    await page.click("#fullscreen-button");
    await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 5000 });
    assert.strictEqual(await page.evaluate(() => getComputedStyle(document.fullscreenElement).cursor), "none");
    await page.keyboard.press("F2");
    await page.mouse.move(100, 100);
    await page.mouse.move(102, 102);
    assert.ok(await page.evaluate(() => document.fullscreenElement !== null), "F2 and a 4-pixel move stay");
    await page.mouse.move(110, 104);
    await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 5000 });
    await page.click("#fullscreen-button");
    await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 5000 });
    await page.mouse.down();
    await page.mouse.up();
    await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 5000 });

    // The panel: a field read as the page reads its box, the error box's
    // rules, the notice's Cancel and OK, and Apply building a new world.
    const field = (label) => labelled(page, label);
    const type = (label, value) => typeInto(page, label, value);
    const apply = () => page.evaluate(() => {
        document.getElementById("apply-button").click();
        return document.getElementById("settings-message").textContent;
    });
    await type("Birth Strength", "5000");
    assert.match(await apply(), /Max Strength/, "birth strength above the maximum is refused");
    assert.strictEqual(await page.evaluate(async () => (await tovrineTest.figures()).frame) > 0, true, "the world goes on");
    await type("Birth Strength", "1200");
    await type("Vobs", "25 Vobs");
    await apply();
    let figures = await page.evaluate(() => tovrineTest.lastApply().then(() => tovrineTest.figures()));
    assert.deepStrictEqual([figures.frame, figures.vobs], [0, 25], "Apply starts a world of 25 Vobs");
    const notice = async (answer, vobs) => {
        await type("Vobs", vobs);
        await apply();
        await page.waitForSelector("#notice[open]");
        await page.click(answer === "ok" ? "#notice-ok" : "#notice button[value=cancel]");
        return page.evaluate(() => tovrineTest.lastApply().then(() => tovrineTest.run(0)));
    };
    figures = await notice("cancel", "6000");
    assert.strictEqual(figures.vobs, 25, "Cancel on the notice keeps the world");
    figures = await notice("ok", "999999");
    assert.deepStrictEqual([figures.frame, figures.vobs], [0, 5000], "OK: as many Vobs as allowed");
    assert.strictEqual(await (await field("Vobs")).evaluate((e) => e.value), "99999", "the box's largest");

    // The clock runs the world by itself once the test lets go.
    const frame = await page.evaluate(async () => (await tovrineTest.figures()).frame);
    await page.evaluate(() => tovrineTest.resume());
    await page.waitForFunction(async (f) => (await tovrineTest.figures()).frame > f + 20, { timeout: 10000 }, frame);

    await page.setViewport({ width: 390, height: 844 });
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    const layout = await page.evaluate(() => {
        const box = (id) => document.getElementById(id).getBoundingClientRect().toJSON();
        return { world: box("world"), side: box("side"), width: document.documentElement.scrollWidth };
    });
    assert.ok(layout.side.top >= layout.world.bottom - 1, `the panel below the world: ${JSON.stringify(layout)}`);
    assert.ok(layout.width <= 390, `nothing wider than the phone: ${layout.width}`);
    await screenshot(page, `phone-${name}`, { fullPage: true });
    assert.deepStrictEqual(errors, []);
    await page.close();
});
