// Records in and out of the page: an imported record changes the world, one
// the saver would refuse is refused with a message and leaves the running
// world alone; a share link opens the same world; a damaged link or damaged
// stored settings never run half of what they hold.
"use strict";
const assert = require("node:assert");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { testBothWays, openPage } = require("./harness.js");

const state = (page) =>
    page.evaluate(async () => ({
        record: tovrineTest.appliedRecord(),
        figures: await tovrineTest.figures(),
        message: tovrineTest.message(),
    }));

// Navigates away first, so that a link differing only in its fragment is a
// real load and not a jump within the page.
async function reload(page, url) {
    await page.goto("about:blank");
    await page.goto(url, { waitUntil: "load" });
    await page.waitForFunction(() => window.tovrineTest && window.tovrineTest.module, { polling: 100, timeout: 30000 });
    await page.evaluate(() => tovrineTest.ready);
}

testBothWays("records and links", async (browser, url, name) => {
    const { page, errors } = await openPage(browser, url);
    const preset = (i) =>
        page.evaluate((i) => {
            const M = tovrineTest.module;
            M._tovrine_load_preset(i);
            const at = M._tovrine_record_buffer();
            return Array.from(M.HEAPU8.slice(at, at + 128));
        }, i);
    const storm = await preset(2);

    // A good record dropped on the page replaces the world and is stored.
    await page.evaluate((bytes) => {
        const transfer = new DataTransfer();
        transfer.items.add(new File([new Uint8Array(bytes)], "storm.rec"));
        document.dispatchEvent(new DragEvent("drop", { dataTransfer: transfer, bubbles: true }));
    }, storm);
    await page.waitForFunction(() => /Imported/.test(tovrineTest.message()));
    let now = await state(page);
    assert.deepStrictEqual(now.record, storm, "the dropped record runs");
    assert.strictEqual(now.figures.frame, 0);
    assert.strictEqual(now.figures.vobs, storm[20], "a new civilization of the record's Vobs");

    // Export gives back the record file that runs.
    const exported = await page.evaluate(async () => {
        let saved = null;
        const click = HTMLAnchorElement.prototype.click;
        HTMLAnchorElement.prototype.click = function () {
            saved = { href: this.href, name: this.download };
        };
        document.getElementById("export-button").click();
        HTMLAnchorElement.prototype.click = click;
        const bytes = new Uint8Array(await (await fetch(saved.href)).arrayBuffer());
        return { name: saved.name, bytes: Array.from(bytes) };
    });
    assert.deepStrictEqual(exported, { name: "options.rec", bytes: storm });

    // Records the saver refuses: the message says so, the world goes on.
    const damaged = storm.slice();
    damaged[127] ^= 0x40;  // the version tag
    const levels = storm.slice();
    levels[52] = 0xff;  // birth strength far above the maximum
    levels[53] = 0xff;
    const refusals = [
        ["short", storm.slice(0, 127)],
        ["one byte long", storm.concat([0])],
        ["long", storm.concat(storm)],
        ["empty", []],
        ["damaged version", damaged],
        ["inconsistent levels", levels],
    ];
    for (const [what, bytes] of refusals) {
        const before = (await page.evaluate(() => tovrineTest.run(50))).frame;
        const message = await page.evaluate((b) => tovrineTest.importBytes(b), bytes);
        now = await state(page);
        assert.match(message, /refused and not imported/, what);
        assert.strictEqual(now.message, message, `${what}: the message is shown`);
        assert.deepStrictEqual(now.record, storm, `${what}: the world keeps its record`);
        assert.strictEqual((await page.evaluate(() => tovrineTest.run(5))).frame, before + 5,
            `${what}: the world goes on`);
    }

    // The file picker takes the same way: a long file is refused.
    const file = path.join(os.tmpdir(), `tovrine-long-${process.pid}.rec`);
    fs.writeFileSync(file, Buffer.alloc(4096, 7));
    const refused = now.message;  // the last refusal's, until the file's comes
    await (await page.$("#import-file")).uploadFile(file);
    await page.waitForFunction((refused) => tovrineTest.message() !== refused &&
        /not imported/.test(tovrineTest.message()), {}, refused);
    fs.rmSync(file);
    now = await state(page);
    assert.deepStrictEqual(now.record, storm, "a long file is refused");
    assert.match(now.message, /4096/, "the message names the file's size");

    // A number out of its range runs as the settings read it, and the
    // message says so rather than calling it a plain success.
    const whirls = storm.slice();
    whirls.splice(28, 4, 0xa0, 0x86, 0x01, 0x00);  // whirlCount 100000
    const read = await page.evaluate((b) => tovrineTest.importBytes(b), whirls);
    now = await state(page);
    assert.match(read, /Whirls 100000 read as 99999/);
    assert.strictEqual(now.message, read, "the message is shown");
    assert.notStrictEqual(await page.$eval("#world-message", (e) => e.className), "good", "no plain success");
    assert.deepStrictEqual(now.record.slice(28, 32), [0x9f, 0x86, 0x01, 0x00], "the world's record holds 99999");
    await page.evaluate((b) => tovrineTest.importBytes(b), storm);

    // A link opens the same world: with a fixed seed, with none typed (the
    // seed drawn at start is in the link) and as made before links had a
    // check; the address bar holds the link of the world that runs.
    const sign = await preset(4);
    const links = {};
    for (const [what, seed] of [["a fixed seed", 12345], ["no seed typed", null]]) {
        const original = await page.evaluate(async (seed) => {
            await tovrineTest.startPreset(4, seed);
            return { link: tovrineTest.shareLink(), address: location.href, figures: await tovrineTest.run(500) };
        }, seed);
        links[what] = original;
        assert.match(original.link, /#record=[A-Za-z0-9_-]+&seed=\d+&check=[0-9a-z]+$/, what);
        assert.strictEqual(original.address, original.link, `${what}: the address bar holds the link`);
        await reload(page, original.link);
        now = await state(page);
        assert.deepStrictEqual(now.record, sign, `${what}: the link's record runs`);
        assert.strictEqual(now.message, "", what);
        assert.deepStrictEqual(await page.evaluate(() => tovrineTest.run(500)), original.figures,
            `${what}: the same figures after 500 frames`);
    }
    const original = links["a fixed seed"];
    assert.match(original.link, /&seed=12345&/);
    const base = original.link.replace(/#.*$/, "");
    const hash = original.link.replace(/^[^#]*/, "");
    const encoded = hash.match(/record=([^&]*)/)[1];
    await reload(page, `${base}#record=${encoded}&seed=12345`);
    assert.deepStrictEqual(await page.evaluate(() => tovrineTest.run(500)), original.figures,
        "a link without a check, as made before, opens the same world");

    // Damaged links are refused whole, with a message by the world: the
    // stored record runs instead.
    const changed = (at) => hash.slice(0, at) + (hash[at] === "A" ? "B" : "A") + hash.slice(at + 1);
    for (const [what, bad] of [
        ["a changed character of the record", changed(20)],
        ["a changed seed", hash.replace("seed=12345", "seed=12346")],
        ["a changed check", hash.replace(/check=./, "check=_")],
    ]) {
        await reload(page, `${base}${bad}`);
        now = await state(page);
        assert.match(now.message, /damaged.*changed/, what);
        assert.deepStrictEqual(now.record, storm, `${what}: nothing of the damaged link runs`);
        assert.ok(await page.$eval("#world-message", (e) => !e.hidden && e.getBoundingClientRect().height > 0),
            `${what}: the message is shown`);
    }
    await reload(page, `${base}${hash.replace("seed=12345", "seed=12x45")}`);
    now = await state(page);
    assert.match(now.message, /damaged/, "a good record with a bad seed");
    assert.deepStrictEqual(now.record, storm, "nothing of the damaged link runs");
    for (const [what, bad] of [
        ["cut short", `#record=${encoded.slice(0, 100)}`],
        ["a foreign letter", `#record=${encoded.slice(0, 50)}!${encoded.slice(51)}`],
        ["a changed version tag", `#record=${encoded.slice(0, -2)}AA`],
        ["no record", "#seed=5"],
    ]) {
        const message = await page.evaluate((h) => tovrineTest.openLink(h), bad);
        assert.match(message, /damaged/, what);
        assert.deepStrictEqual((await state(page)).record, storm, `${what}: the world keeps its record`);
    }

    // Damaged stored settings fall back to the built-in ones without a word,
    // in the size of the world's place (as with no settings at all).
    const builtIn = await preset(0);
    await page.evaluate(() => localStorage.setItem("Tovrine (Doreroder v.1.1)/Options", "AAAA"));
    await reload(page, base);
    now = await state(page);
    const apartFromSize = (r) => [...r.slice(0, 64), ...r.slice(72)];
    assert.deepStrictEqual(apartFromSize(now.record), apartFromSize(builtIn));
    assert.strictEqual(now.message, "");
    assert.deepStrictEqual(errors, []);
    await page.close();
});
