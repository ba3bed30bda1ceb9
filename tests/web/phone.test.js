// The page on a phone and a tablet (touch emulated): every function key's
// effect by taps alone, equal to the key's; full screen where the element
// full-screen call is missing; a world drawn large enough to read, turned
// sideways too; Apply in
// sight of the world; no visible control under 24 x 24 CSS pixels.
"use strict";
const assert = require("node:assert");
const { KnownDevices } = require("puppeteer-core");
const { testBothWays, screenshot, openPage } = require("./harness.js");

const phone = KnownDevices["iPhone 13"];  // 390 x 844, touch
const tablet = KnownDevices["iPad Mini"];  // 768 x 1024, touch

// Opens the page on a device, with the clock stopped, and waits for its world.
function openOn(browser, url, device, beforeLoad) {
    return openPage(browser, url, { device, beforeLoad });
}

// Every visible control smaller than 24 x 24 CSS pixels.
function smallControls(page) {
    return page.evaluate(() => [...document.querySelectorAll("button, input, select, textarea, a[href], [tabindex]")]
        .filter((e) => e.getClientRects().length > 0 && getComputedStyle(e).visibility !== "hidden")
        .map((e) => ({ e, box: e.getBoundingClientRect() }))
        .filter(({ box }) => box.width < 24 || box.height < 24)
        .map(({ e, box }) => `${e.id || e.name || e.textContent.trim() || e.tagName} ${box.width}x${box.height}`));
}

async function tapOn(page, selector) {
    const box = await (await page.$(selector)).boundingBox();
    await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
}

// Two taps sent at once, so a busy machine cannot stretch them apart.
async function doubleTap(page, x, y) {
    const session = await page.createCDPSession();
    const touch = (type) => session.send("Input.dispatchTouchEvent",
        { type, touchPoints: type === "touchEnd" ? [] : [{ x, y }] });
    await Promise.all([touch("touchStart"), touch("touchEnd"), touch("touchStart"), touch("touchEnd")]);
    await session.detach();
}

// Taps the world away from the bar, and waits for the bar.
async function showBar(page) {
    const box = await (await page.$("#world")).boundingBox();
    await page.touchscreen.tap(box.x + box.width / 4, box.y + box.height / 4);
    await page.waitForSelector("#touch-bar:not([hidden])", { timeout: 2000 });
}

// The world's figures after two frames and its record (its switches as the
// keys left them).
function state(page) {
    return page.evaluate(async () => {
        const figures = await tovrineTest.run(2);
        return { record: tovrineTest.appliedRecord(), figures };
    });
}

testBothWays("on a phone", async (browser, url, name) => {
    const { page, errors } = await openOn(browser, url, phone);

    // With no stored settings the world is drawn at its own size or nearly.
    const drawn = await page.evaluate(() => {
        const { width, height } = tovrineTest.worldSize();
        return { scale: document.getElementById("world").getBoundingClientRect().width / width, size: `${width} x ${height}` };
    });
    assert.ok(drawn.scale >= 0.9, `the world ${drawn.size} drawn at ${drawn.scale}`);

    // Turned sideways in the saver mode, and upright again beside the panel:
    // the world the page sized is sized again for its place each time.
    if (name === "served") {
        const sideways = { ...phone.viewport, width: phone.viewport.height, height: phone.viewport.width, isLandscape: true };
        await page.evaluate(() => tovrineFullView.enter(true));
        for (const [what, viewport, leave] of [["sideways, saver mode", sideways, false], ["upright", phone.viewport, true]]) {
            const before = await page.evaluate(() => tovrineTest.worldSize());
            if (leave)
                await page.evaluate(() => tovrineFullView.leave());
            await page.setViewport(viewport);
            await page.waitForFunction((w) => tovrineTest.worldSize().width !== w, { timeout: 5000 }, before.width);
            const scale = await page.evaluate(() => document.getElementById("world").getBoundingClientRect().width / tovrineTest.worldSize().width);
            assert.ok(scale >= 0.9, `${what}: the world drawn at ${scale}`);
            await screenshot(page, `phone-${what.replace(/\W+/g, "-")}`, {});
        }
    }
    assert.strictEqual(await page.$eval(".drop-hint", (e) => e.getClientRects().length), 0,
        "no word of dropping files on a touch screen");

    // Each button of the bar does what its key does, to the figures.
    for (const [label, key] of [["F1", "F1"], ["F2", "F2"], ["F3", "F3"], ["F12", "F12"]]) {
        const start = () => page.evaluate(async () => {
            await tovrineTest.startPreset(0, 5);
            await tovrineTest.run(200);
        });
        await start();
        const untouched = await state(page);
        await start();
        await page.keyboard.press(key);
        const byKey = await state(page);
        await start();
        await showBar(page);
        const button = await page.evaluateHandle((label) =>
            [...document.querySelectorAll("#touch-bar button")].find((b) => b.textContent.startsWith(`${label} `)), label);
        const box = await button.boundingBox();
        await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
        const byTap = await state(page);
        assert.deepStrictEqual(byTap, byKey, `${label} by tap and by key`);
        assert.notDeepStrictEqual(byTap, untouched, `${label} changed something`);
    }
    await showBar(page);
    await screenshot(page, `phone-bar-${name}`, {});
    assert.deepStrictEqual(await smallControls(page), [], "controls under 24 x 24 with the bar shown");
    // The bar hides by itself (a wait of seconds: once is enough).
    if (name === "file")
        await page.waitForSelector("#touch-bar[hidden]", { timeout: 8000 });
    else
        await new Promise((r) => setTimeout(r, 400));  // the next tap is no double tap

    // The page's pause is on the bar too: a tap resumes the paused world,
    // the next pauses it again.
    const paused = () => page.$eval("#pause-button", (b) => b.getAttribute("aria-pressed"));
    assert.strictEqual(await paused(), "true");
    for (const [label, expected] of [["Resume", "false"], ["Pause", "true"]]) {
        await showBar(page);
        assert.strictEqual(await page.$eval("#touch-bar button:last-child", (b) => b.textContent), label);
        await tapOn(page, "#touch-bar button:last-child");
        assert.strictEqual(await paused(), expected, `${label} on the bar toggles the page's pause`);
        await new Promise((r) => setTimeout(r, 400));  // the next tap is no double tap
    }

    // Double tap: full screen; a tap leaves it.
    const box = await (await page.$("#world")).boundingBox();
    const [x, y] = [box.x + box.width / 2, box.y + box.height / 3];
    await doubleTap(page, x, y);
    await page.waitForFunction(() => tovrinePage.inFullScreen(), { timeout: 5000 });
    await new Promise((r) => setTimeout(r, 400));
    await page.touchscreen.tap(x, y);
    await page.waitForFunction(() => !tovrinePage.inFullScreen(), { timeout: 5000 });

    // Apply in sight: the settings scrolled into view, Apply on the screen;
    // after it the new world is on the screen too.
    await page.$eval("#field-birthStrength", (e) => e.scrollIntoView({ block: "center" }));
    const inView = (selector) => page.$eval(selector, (e) => {
        const b = e.getBoundingClientRect();
        return b.top >= 0 && b.bottom <= window.innerHeight;
    });
    assert.ok(await inView("#apply-button"), "Apply is on the screen beside the form");
    await tapOn(page, "#apply-button");
    await page.waitForFunction(() => {
        const b = document.getElementById("world").getBoundingClientRect();
        return b.top >= -b.height / 2 && b.top < window.innerHeight / 2;
    }, { timeout: 5000 });
    assert.ok(await inView("#apply-button"), "Apply is still on the screen with the new world");
    await screenshot(page, `phone-${name}`, {});
    assert.deepStrictEqual(errors, []);
    await page.close();
});

// Without the element full-screen call (an iPhone), the full-screen button
// makes the world fill the window with the page's controls hidden, and a tap
// leaves it.
testBothWays("full screen on an iPhone", async (browser, url, name) => {
    const { page, errors } = await openOn(browser, url, phone, () => {
        delete Element.prototype.requestFullscreen;
        delete Element.prototype.webkitRequestFullscreen;
    });
    await tapOn(page, "#fullscreen-button");
    const filled = await page.evaluate(() => {
        const world = document.getElementById("world").getBoundingClientRect();
        const stage = document.getElementById("stage").getBoundingClientRect();
        return { stage: [stage.left, stage.top, stage.width, stage.height], world: [world.width, world.height],
            window: [innerWidth, innerHeight], barShown: document.getElementById("bar").getClientRects().length > 0 };
    });
    assert.deepStrictEqual(filled.stage, [0, 0, ...filled.window], `the world fills the window: ${JSON.stringify(filled)}`);
    assert.ok(filled.world[0] >= filled.window[0] - 1 || filled.world[1] >= filled.window[1] - 1, JSON.stringify(filled));
    assert.strictEqual(filled.barShown, false, "the page's controls are hidden");
    await page.evaluate(() => tovrineTest.run(300));
    await screenshot(page, `iphone-full-screen-${name}`, {});
    await page.touchscreen.tap(100, 300);
    await page.waitForFunction(() => document.getElementById("bar").getClientRects().length > 0, { timeout: 5000 });
    assert.strictEqual(await page.evaluate(() => tovrinePage.inFullScreen()), false);
    // A double tap on the world goes in and stays.
    await new Promise((r) => setTimeout(r, 400));
    await doubleTap(page, 100, 300);
    await new Promise((r) => setTimeout(r, 300));
    assert.strictEqual(await page.evaluate(() => tovrinePage.inFullScreen()), true, "a double tap enters it");
    assert.deepStrictEqual(errors, []);
    await page.close();
});

testBothWays("on a tablet and a desktop", async (browser, url, name) => {
    // Held upright, the world takes at least half the screen.
    const { page, errors } = await openOn(browser, url, tablet);
    const share = await page.evaluate(() => {
        const b = document.getElementById("world").getBoundingClientRect();
        return (b.width * b.height) / (innerWidth * innerHeight);
    });
    assert.ok(share >= 0.5, `the world takes ${share} of the screen`);
    await screenshot(page, `tablet-${name}`, {});
    assert.deepStrictEqual(await smallControls(page), []);

    // Stored settings keep their size at the next visit (the address
    // without the link of the world that ran).
    await page.evaluate(() => tovrineTest.importBytes(Array.from((() => {
        const M = tovrineTest.module;
        M._tovrine_load_preset(0);
        return M.HEAPU8.slice(M._tovrine_record_buffer(), M._tovrine_record_buffer() + 128);
    })())));
    await page.goto(url, { waitUntil: "load" });
    await page.waitForFunction(() => window.tovrineTest && window.tovrineTest.module, { polling: 100, timeout: 30000 });
    await page.evaluate(() => window.tovrineTest.ready);
    assert.strictEqual(await page.evaluate(() => {
        const { width, height } = tovrineTest.worldSize();
        return `${width} x ${height}`;
    }), "800 x 600");

    // A desktop window: the panel beside the world, controls of full size.
    await page.emulate({ viewport: { width: 1280, height: 800 }, userAgent: await browser.userAgent() });
    await page.evaluate(() => localStorage.clear());
    await page.goto(url, { waitUntil: "load" });
    await page.waitForFunction(() => window.tovrineTest && window.tovrineTest.module, { polling: 100, timeout: 30000 });
    await page.evaluate(() => window.tovrineTest.ready);
    assert.strictEqual(await page.evaluate(() => document.documentElement.classList.contains("panel-below")), false);
    assert.deepStrictEqual(await smallControls(page), []);
    assert.deepStrictEqual(errors, []);
    await page.close();
});
