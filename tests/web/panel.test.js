// What the person does in the panel and hears back by the world: each field
// explained where it is set, how a
// number box was read, the display switches that act at once, Apply saying
// when it starts a new world, the copied link, a clip with its mark, its
// length known and a seek in it, and a
// world that was in trouble asked about at the next visit.
"use strict";
const assert = require("node:assert");
const { testBothWays, openPage, screenshot, colourCounts, labelled, typeInto } = require("./harness.js");

const cloud = (r, g, b) => r <= 12 && g <= 12 && b >= 36 && b <= 72;

// The message by the world: its text, and whether it is shown within the
// stage and the window.
const worldMessage = (page) =>
    page.evaluate(() => {
        const box = document.getElementById("world-message");
        const shown = box.getBoundingClientRect(), stage = document.getElementById("stage").getBoundingClientRect();
        return { text: tovrineTest.message(), visible: !box.hidden && shown.height > 0 && shown.top >= -1 &&
            shown.bottom <= window.innerHeight && shown.top >= stage.top && shown.bottom <= stage.bottom };
    });

testBothWays("the panel and its messages", async (browser, url, name) => {
    const { page, errors } = await openPage(browser, url, { width: 1366, height: 900 });
    await page.evaluate(() => tovrineTest.startPreset(0, 1));
    const input = (label) => labelled(page, label);
    const type = (label, value) => typeInto(page, label, value);
    const hint = () => page.$eval("#apply-hint", (e) => e.textContent);

    // Every field explained under its control, numbers with their range.
    const explained = await page.evaluate(() => [...document.querySelectorAll("#page-god, #page-limits")]
        .flatMap((p) => [...p.querySelectorAll("input, select")])
        .filter((c) => c.type !== "radio" || c.id.endsWith("-0"))  // a choice once
        .map((c) => [c.type === "radio" ? c.name : c.id, c.type === "radio" ? c.closest(".choice") : c])
        .map(([name, c]) => [name, document.getElementById(c.getAttribute("aria-describedby"))?.textContent || ""]));
    assert.strictEqual(explained.length, 17, JSON.stringify(explained));
    for (const [control, text] of explained)
        assert.ok(text.length > 20, `${control} explained: "${text}"`);
    const explanation = (id) => explained.find(([c]) => c === id)[1];
    assert.match(explanation("field-whirlCount"), /^0 to 99999: the whirls created/);
    assert.match(explanation("field-maxEntities"), /^0 to 9999999: /);

    // How the boxes were read, by the world, at a desktop's size and a phone's.
    assert.match(await hint(), /same rules/);
    await type("Vobs", "3x");
    await type("Whirls", "1e3");
    assert.match(await hint(), /changed rules/);
    await page.click("#apply-button");
    await page.evaluate(() => tovrineTest.lastApply());
    let message = await worldMessage(page);
    assert.match(message.text, /A new world started/);
    assert.match(message.text, /Vobs: "3x" read as 3\./);
    assert.match(message.text, /Whirls: "1e3" read as 1\./);
    assert.ok(message.visible, `the message is in view by the world: ${JSON.stringify(message)}`);
    await screenshot(page, `message-desktop-${name}`);
    // On a phone, Apply far down the panel brings the world and the message into view.
    await page.setViewport({ width: 390, height: 844 });
    await type("Vobs", "12x");
    await page.$eval("#apply-button", (e) => e.scrollIntoView());
    await page.click("#apply-button");
    await page.evaluate(() => tovrineTest.lastApply());
    message = await worldMessage(page);
    assert.match(message.text, /Vobs: "12x" read as 12\./);
    assert.ok(message.visible, `on a phone too: ${JSON.stringify(message)}`);
    await screenshot(page, `message-phone-${name}`);
    await page.setViewport({ width: 1366, height: 900 });
    await new Promise((r) => setTimeout(r, 1000));
    assert.ok((await worldMessage(page)).visible, "it stays");
    await page.click("#world-message-close");
    assert.strictEqual((await worldMessage(page)).text, "", "until dismissed");

    // The cloud switches off from the panel at once: the same world goes on.
    const before = await page.evaluate(() => tovrineTest.run(10));
    const corner = async () => (await colourCounts(page, await screenshot(page, `panel-cloud-${name}`, "#world"),
        { cloud }, { x: 0, y: 0, w: 0.12, h: 0.12 })).cloud;
    assert.ok(await corner() > 1000, "the cloud is shown");
    // Clear of the Apply bar, which stays at the foot of the panel.
    const showCloud = await input("Show Cloud");
    await showCloud.evaluate((e) => e.scrollIntoView({ block: "center" }));
    await showCloud.click();
    const after = await page.evaluate(() => tovrineTest.run(1));
    assert.strictEqual(after.frame, before.frame + 1, "no new world");
    assert.ok(await corner() < 100, "the cloud is gone");
    assert.match(await page.evaluate(() => location.href), /#record=/);
    assert.strictEqual(await page.evaluate(() => tovrineTest.appliedRecord()[16]), 0, "the link's record has no cloud");
    assert.match(await hint(), /same rules/, "a display switch is no change of rules");
    await page.keyboard.press("F1");
    await page.waitForFunction(() => document.getElementById("field-showCloud").checked, { timeout: 5000 });

    // Copying the link says so.
    await page.click("#copy-button");
    await page.waitForFunction(() => /copied/.test(tovrineTest.message()), { timeout: 5000 });

    // A clip: the mark while it records, then a video of the world's size.
    const clip = await page.evaluate(async () => {
        let saved = null;
        const click = HTMLAnchorElement.prototype.click;
        HTMLAnchorElement.prototype.click = function () {
            saved = { href: this.href, name: this.download };
        };
        tovrineTest.resume();
        document.getElementById("clip-button").click();
        await new Promise((r) => setTimeout(r, 1200));
        const marked = !document.getElementById("recording-mark").hidden;
        document.getElementById("clip-button").click();
        while (!saved)
            await new Promise((r) => setTimeout(r, 50));
        HTMLAnchorElement.prototype.click = click;
        tovrineTest.pause();
        const video = document.createElement("video");
        video.src = saved.href;
        await new Promise((resolve, reject) => ((video.onloadedmetadata = resolve), (video.onerror = reject)));
        const duration = video.duration;
        // A seek to the middle lands there (a clip without an index cannot).
        video.currentTime = duration / 2;
        await new Promise((resolve, reject) => ((video.onseeked = resolve), (video.onerror = reject)));
        return { marked, name: saved.name, size: `${video.videoWidth} x ${video.videoHeight}`,
            unmarked: document.getElementById("recording-mark").hidden, duration, at: video.currentTime,
            seekable: video.seekable.length ? video.seekable.end(0) : 0 };
    });
    const { duration, at, seekable, ...shown } = clip;
    assert.deepStrictEqual(shown, { marked: true, name: "tovrine.webm", size: "800 x 600", unmarked: true });
    assert.ok(duration > 0.8 && duration < 5, `the clip's length is known: ${duration} s`);
    assert.ok(Math.abs(at - duration / 2) < 0.2 && seekable >= duration - 0.1, `seeked to ${at} of ${duration} s, seekable to ${seekable}`);
    assert.deepStrictEqual(errors, []);
    await page.close();
});

testBothWays("a world in trouble is not started again unasked", async (browser, url) => {
    const { page, errors } = await openPage(browser, url);
    const storm = await page.evaluate(async () => {
        const record = tovrine.records.presetRecord(2);
        tovrine.links.store(record);
        tovrine.heavy.markTrouble(record, 5, "ran out of memory");
        return Array.from(record);
    });
    const builtIn = await page.evaluate(() => Array.from(tovrine.records.presetRecord(0)));
    for (const address of [url, `${url}#record=${Buffer.from(storm).toString("base64url")}&seed=5`]) {
        await page.goto("about:blank");
        await page.goto(address, { waitUntil: "load" });
        await page.waitForFunction(() => window.tovrineTest && window.tovrineTest.module, { timeout: 30000 });
        await page.evaluate(() => tovrineTest.ready);
        // The built-in algorithm, at the size of its place (not 800 x 600).
        const running = await page.evaluate(() => tovrineTest.appliedRecord());
        const apartFromSize = (r) => [...r.slice(0, 64), ...r.slice(72)];
        assert.deepStrictEqual(apartFromSize(running), apartFromSize(builtIn), `${address}: the built-in algorithm runs`);
        assert.notDeepStrictEqual(running.slice(64, 72), builtIn.slice(64, 72), `${address}: fitted to its place`);
        const message = await worldMessage(page);
        assert.match(message.text, /ran out of memory/);
        assert.ok(message.visible);
    }
    await page.click("#world-message-actions button");
    await page.waitForFunction((storm) => tovrineTest.appliedRecord().join() === storm.join(), { timeout: 10000 }, storm);
    assert.strictEqual(await page.evaluate(() => tovrineTest.seed()), 5, "the link's seed, when asked");
    assert.deepStrictEqual(errors, []);
    await page.close();
});
