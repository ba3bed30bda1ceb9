// The served folder is an app that installs and opens without a network: the
// manifest's icons are of the sizes it names; after one visit, a reload with
// the network cut shows the world; a new
// version's worker replaces the old copy at the next visit.
"use strict";
const assert = require("node:assert");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { test, before, after } = require("node:test");
const h = require("./harness.js");

const site = path.join(h.webDir, "site");

test("the manifest's icons are of the sizes it names", () => {
    const manifest = JSON.parse(fs.readFileSync(path.join(site, "manifest.webmanifest"), "utf8"));
    const sizes = manifest.icons.map((icon) => icon.sizes);
    assert.ok(sizes.includes("192x192") && sizes.includes("512x512"), `sizes: ${sizes}`);
    for (const icon of manifest.icons) {
        const png = fs.readFileSync(path.join(site, icon.src));
        assert.strictEqual(png.toString("latin1", 12, 16), "IHDR", icon.src);
        assert.strictEqual(`${png.readUInt32BE(16)}x${png.readUInt32BE(20)}`, icon.sizes, icon.src);
    }
});

let browser, copy, server;
let networkDown = false;

before(async () => {
    // A copy of the folder, so the test can put a new version on the server.
    copy = fs.mkdtempSync(path.join(os.tmpdir(), "tovrine-site-"));
    fs.cpSync(site, copy, { recursive: true });
    server = await h.serve(copy, () => !networkDown);
    browser = await h.launch();
});

after(async () => {
    await browser?.close();
    server?.close();
    fs.rmSync(copy, { recursive: true, force: true });
});

// The world is there and drawn: figures, and lit pixels in its picture.
function worldShown(page) {
    return page.evaluate(async () => {
        const { vobs } = await tovrineTest.run(50);
        const pixels = (await tovrineTest.picture()).data;
        let lit = 0;
        for (let i = 0; i < pixels.length; i += 4)
            lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 60;
        return { vobs, lit };
    });
}

async function waitForReady(page) {
    await page.waitForFunction(() => window.tovrineTest && window.tovrineTest.module, { polling: 100, timeout: 30000 });
    await page.evaluate(() => window.tovrineTest.ready);
}

test("served, the page opens again with no network, and a new version replaces the old", async () => {
    const { page, errors } = await h.openPage(browser, server.url);
    // Kept once the worker controls the page.
    await page.evaluate(() => navigator.serviceWorker.ready.then(() => navigator.serviceWorker.controller ||
        new Promise((resolve) => navigator.serviceWorker.addEventListener("controllerchange", resolve, { once: true }))));
    const firstCopy = await page.evaluate(() => caches.keys());
    assert.strictEqual(firstCopy.length, 1, `copies: ${firstCopy}`);

    // The page offline, and the server answering nothing (the worker's own
    // requests do not go through the page's network).
    await page.setOfflineMode(true);
    networkDown = true;
    await page.reload({ waitUntil: "load" });
    await waitForReady(page);
    const shown = await worldShown(page);
    assert.ok(shown.vobs > 0 && shown.lit > 500, `offline: ${JSON.stringify(shown)}`);

    // A new version on the server: its worker takes over and the old copy goes.
    await page.setOfflineMode(false);
    networkDown = false;
    const worker = path.join(copy, "sw.js");
    fs.writeFileSync(worker, fs.readFileSync(worker, "utf8").replace(firstCopy[0], `${firstCopy[0]}-next`));
    await page.reload({ waitUntil: "load" });
    await waitForReady(page);
    await page.waitForFunction((old) => caches.keys().then((names) =>
        names.length === 1 && names[0] === `${old}-next`), { polling: 100, timeout: 15000 }, firstCopy[0]);
    assert.deepStrictEqual(errors, []);
    await page.close();
});
