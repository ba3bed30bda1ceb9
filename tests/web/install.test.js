// The served folder is an app that installs and opens without a network: the
// manifest's icons are of the sizes it names, drawn at them (not enlarged),
// the maskable one opaque to its corners; a new version is shown at the
// next visit and becomes the copy, whatever the browser's HTTP cache holds;
// a reload with the network cut, or with one that never answers, shows the
// world.
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
    assert.ok(manifest.icons.some((icon) => icon.purpose === "maskable" && icon.sizes === "512x512"), "a maskable icon");
});

let browser, copy, server;
// "down": every request dropped; "slow": connected and never answered.
let network = "up";

before(async () => {
    // A copy of the folder, so the test can put a new version on the server,
    // served as Python's http.server does: files two days old by their
    // Last-Modified and no Cache-Control, which lets the browser keep them.
    copy = fs.mkdtempSync(path.join(os.tmpdir(), "tovrine-site-"));
    fs.cpSync(site, copy, { recursive: true });
    const old = new Date(Date.now() - 2 * 86400e3).toUTCString();
    server = await h.serve(copy, () => (network === "up" ? true : network === "slow" ? "hang" : false),
        { "Last-Modified": old });
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

// A visit as a person makes it (a reload would ask the browser to check its cache).
async function visit(page) {
    await page.goto(server.url, { waitUntil: "load" });
    await page.waitForFunction(() => window.tovrineTest && window.tovrineTest.module, { polling: 100, timeout: 30000 });
    await page.evaluate(() => window.tovrineTest.ready);
}

const copies = (page) => page.evaluate(() => caches.keys());
const version = (page) => page.evaluate(() => document.querySelector('meta[name="tovrine-test"]')?.content || "first");

test("served, the page opens with no network or a silent one, and a new version arrives", async () => {
    const { page, errors } = await h.openPage(browser, server.url);
    // Kept once the worker controls the page.
    await page.evaluate(() => navigator.serviceWorker.ready.then(() => navigator.serviceWorker.controller ||
        new Promise((resolve) => navigator.serviceWorker.addEventListener("controllerchange", resolve, { once: true }))));
    const firstCopy = await copies(page);
    assert.strictEqual(firstCopy.length, 1, `copies: ${firstCopy}`);

    // The icons as the browser decodes them: the 512 drawn at its size
    // changes colour between almost any two columns somewhere (an enlarged
    // 48 only between its blocks, 48 places), and the maskable one has no
    // transparent pixel.
    const icons = await page.evaluate(async () => Promise.all(["icon-512.png", "icon-maskable-512.png"].map(async (name) => {
        const image = new Image();
        image.src = name;
        await image.decode();
        const c = new OffscreenCanvas(image.width, image.height);
        const g = c.getContext("2d");
        g.drawImage(image, 0, 0);
        const pixels = new Uint32Array(g.getImageData(0, 0, c.width, c.height).data.buffer);
        const edges = new Set();
        for (let i = 1; i < pixels.length; i++)
            if (i % c.width && pixels[i] !== pixels[i - 1])
                edges.add(i % c.width);
        return { edges: edges.size, clear: pixels.filter((p) => p >>> 24 !== 255).length };
    })));
    assert.ok(icons[0].edges > 400, `the 512 icon changes colour at ${icons[0].edges} columns`);
    assert.strictEqual(icons[1].clear, 0, "the maskable icon is opaque");

    // A new version on the server (a file changed, so the build names the
    // copy anew): shown at the next visit, and kept as the copy, although
    // the browser holds the old files and may think them fresh.
    const index = path.join(copy, "index.html"), worker = path.join(copy, "sw.js");
    fs.writeFileSync(index, fs.readFileSync(index, "utf8").replace("<head>", '<head><meta name="tovrine-test" content="next">'));
    fs.writeFileSync(worker, fs.readFileSync(worker, "utf8").replace(firstCopy[0], `${firstCopy[0]}-next`));
    await visit(page);
    assert.strictEqual(await version(page), "next", "the next visit shows the new version");
    await page.waitForFunction((old) => caches.keys().then((names) =>
        names.length === 1 && names[0] === `${old}-next`), { polling: 100, timeout: 15000 }, firstCopy[0]);

    // The page offline, and the server answering nothing (the worker's own
    // requests do not go through the page's network): the new copy opens.
    await page.setOfflineMode(true);
    network = "down";
    await visit(page);
    assert.strictEqual(await version(page), "next", "offline, the copy is of the new version");
    const shown = await worldShown(page);
    assert.ok(shown.vobs > 0 && shown.lit > 500, `offline: ${JSON.stringify(shown)}`);

    // A network that connects and never answers: the copy after a few seconds.
    await page.setOfflineMode(false);
    network = "slow";
    const started = Date.now();
    await visit(page);
    const waited = Date.now() - started;
    network = "up";
    server.answerHung();
    assert.ok(waited < 15000, `a silent network held the page ${waited} ms`);
    assert.ok((await worldShown(page)).vobs > 0, "the world runs from the copy");
    assert.deepStrictEqual(errors, []);
    await page.close();
});
