// The page as a screen saver: full screen and the saver mode hold a screen
// wake lock (a stub navigator.wakeLock here) and let go of it on leaving; it
// is asked for again when the tab comes back, and a refusal is said over the
// world. The saver mode and a fixed seed are kept across a reload.
"use strict";
const assert = require("node:assert");
const { testBothWays, openPage, screenshot } = require("./harness.js");

// A wake lock that counts what is asked of it; `refuse` makes it say no.
function stubWakeLock() {
    const stub = { requests: 0, held: new Set(), refuse: false };
    stub.request = async (type) => {
        stub.requests++;
        if (stub.refuse || type !== "screen")
            throw new DOMException("Not allowed here", "NotAllowedError");
        const sentinel = new EventTarget();
        sentinel.type = type;
        sentinel.release = async () => {
            if (stub.held.delete(sentinel))
                sentinel.dispatchEvent(new Event("release"));
        };
        stub.held.add(sentinel);
        return sentinel;
    };
    // What the browser does when the tab is hidden: the lock goes.
    stub.hide = () => [...stub.held].forEach((s) => s.release());
    Object.defineProperty(navigator, "wakeLock", { configurable: true, value: stub });
    Object.defineProperty(document, "visibilityState", { configurable: true,
        get: () => window.fakeVisibility || "visible" });
}

testBothWays("the screen saver page", async (browser, url, name) => {
    const { page, errors } = await openPage(browser, url, { beforeLoad: stubWakeLock });
    const lock = () => page.evaluate(() => ({ held: navigator.wakeLock.held.size, requests: navigator.wakeLock.requests }));
    const until = (f, arg) => page.waitForFunction(f, { polling: 50, timeout: 5000 }, arg);

    // A fixed seed is kept with the settings.
    await page.$eval("#seed", (e) => (e.value = "4242"));
    await page.click("#apply-button");
    await until(() => tovrineTest.seed() === 4242);

    // Full screen takes the lock; a key leaves it and lets go.
    await page.click("#fullscreen-button");
    await until(() => document.fullscreenElement !== null && navigator.wakeLock.held.size === 1);
    await page.keyboard.press("KeyA");
    await until(() => document.fullscreenElement === null && navigator.wakeLock.held.size === 0);

    // The saver mode: the world alone, no pointer, the lock held.
    await page.click("#saver-button");
    await until(() => navigator.wakeLock.held.size === 1);
    const alone = await page.evaluate(() => ({
        bar: document.getElementById("bar").getClientRects().length,
        side: document.getElementById("side").getClientRects().length,
        cursor: getComputedStyle(document.getElementById("world")).cursor,
    }));
    assert.deepStrictEqual(alone, { bar: 0, side: 0, cursor: "none" });
    await page.evaluate(() => tovrineTest.run(300));
    await screenshot(page, `saver-mode-${name}`, {});

    // Hidden and back: the browser dropped the lock, the page asks again.
    const before = (await lock()).requests;
    await page.evaluate(() => {
        navigator.wakeLock.hide();
        window.fakeVisibility = "hidden";
        document.dispatchEvent(new Event("visibilitychange"));
    });
    assert.strictEqual((await lock()).held, 0);
    await page.evaluate(() => {
        window.fakeVisibility = "visible";
        document.dispatchEvent(new Event("visibilitychange"));
    });
    await until(() => navigator.wakeLock.held.size === 1);
    assert.strictEqual((await lock()).requests, before + 1);

    // The next visit (the address without the link of the world that ran)
    // keeps the saver mode and the seed.
    await page.goto(url, { waitUntil: "load" });
    await until(() => window.tovrineTest && tovrineTest.module && navigator.wakeLock.held.size === 1);
    await page.evaluate(() => tovrineTest.ready);
    assert.deepStrictEqual(await page.evaluate(() => ({
        saver: document.documentElement.classList.contains("saver-mode"),
        seed: tovrineTest.seed(),
        box: document.getElementById("seed").value,
    })), { saver: true, seed: 4242, box: "4242" });

    // A click leaves it, lets go of the lock, and it stays left after a reload.
    await page.mouse.click(200, 200);
    await until(() => !document.documentElement.classList.contains("full-view") && navigator.wakeLock.held.size === 0);
    await page.reload({ waitUntil: "load" });
    await until(() => window.tovrineTest && tovrineTest.module);
    assert.strictEqual(await page.evaluate(() => document.documentElement.classList.contains("full-view")), false);

    // Refused: the page says so over the world.
    await page.evaluate(() => (navigator.wakeLock.refuse = true));
    await page.click("#saver-button");
    await until(() => /refused/.test(document.getElementById("wake-message").textContent));
    assert.ok(await page.$eval("#wake-message", (e) => e.getClientRects().length > 0), "the refusal is shown");
    await page.keyboard.press("KeyA");
    assert.deepStrictEqual(errors, []);
    await page.close();
});
