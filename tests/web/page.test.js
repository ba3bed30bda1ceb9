// The page loads without a console error and draws the world: Vobs, whirls
// and the cloud are found by their colours in screenshots, F1 hides and shows
// the cloud, and at phone width the panel sits below the world.
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
