// What the page's browser tests share: Debian's Chromium driven headless by
// puppeteer-core (never a downloaded browser), the two ways the page is
// opened (the single file from disk, the separate files from a small server
// on 127.0.0.1), console errors, screenshots and their colours.
"use strict";
const fs = require("node:fs");
const http = require("node:http");
const os = require("node:os");
const path = require("node:path");
const puppeteer = require("puppeteer-core");

const repo = path.resolve(__dirname, "../..");
const webDir = process.env.TOVRINE_WEB_DIR || path.join(repo, "build/web");
const shotDir = path.join(repo, "build/test-logs/web");

async function launch() {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), "tovrine-chromium-"));
    const browser = await puppeteer.launch({
        executablePath: process.env.TOVRINE_CHROMIUM || "/usr/bin/chromium",
        headless: true,
        args: ["--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            `--user-data-dir=${profile}`],
    });
    // Closed for sure: a browser that does not answer the close within 10 s
    // is killed, so a test file never outlives its browser.
    const close = browser.close.bind(browser);
    const child = browser.process();
    browser.close = async () => {
        let timer;
        await Promise.race([close().catch(() => {}), new Promise((r) => (timer = setTimeout(r, 10000)))]);
        clearTimeout(timer);
        if (child && child.exitCode === null && child.signalCode === null)
            child.kill("SIGKILL");
        fs.rmSync(profile, { recursive: true, force: true });
    };
    return browser;
}

const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css",
    ".wasm": "application/wasm", ".png": "image/png" };

// Serves `dir` on 127.0.0.1 at a free port; GET only, nothing outside it.
// `heard` (if given) is told of every request and may refuse it (false): the
// connection is dropped, as when the network is down; or leave it
// unanswered ("hang"), as a network that connects and never answers, until
// `answerHung()` drops them all. `headers` go with every file (a
// Last-Modified, say).
function serve(dir, heard = () => true, headers = {}) {
    const hung = [];
    const server = http.createServer((request, response) => {
        const answer = heard(request);
        if (answer === false) {
            request.socket.destroy();
            return;
        }
        if (answer === "hang") {
            hung.push(request.socket);
            return;
        }
        let name = decodeURIComponent(new URL(request.url, "http://x").pathname);
        if (name.endsWith("/"))
            name += "index.html";
        const file = path.join(dir, path.normalize(name));
        if (request.method !== "GET" || !file.startsWith(dir + path.sep) || !fs.existsSync(file)) {
            response.writeHead(404).end();
            return;
        }
        response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream", ...headers });
        fs.createReadStream(file).pipe(response);
    });
    return new Promise((resolve) =>
        server.listen(0, "127.0.0.1", () =>
            resolve({ url: `http://127.0.0.1:${server.address().port}/`,
                answerHung: () => hung.splice(0).forEach((socket) => socket.destroy()),
                close: () => (server.closeAllConnections(), server.close()) })));
}

// The page both ways: [{name, url}], and a close() for the server.
async function targets() {
    const single = path.join(webDir, "tovrine.html");
    const site = path.join(webDir, "site");
    for (const need of [single, path.join(site, "index.html")])
        if (!fs.existsSync(need))
            throw new Error(`${need} is missing: run make web first`);
    const server = await serve(site);
    return {
        list: [{ name: "file", url: `file://${single}` }, { name: "served", url: server.url }],
        close: server.close,
    };
}

// Opens the page at a viewport size and waits for its world, paused; every console
// error, page error and failed request is collected in `errors`.
// `device` (puppeteer's KnownDevices) emulates a phone or tablet instead of
// a desktop window of width x height; `media` emulates CSS media features
// ([{ name, value }]).
async function openPage(browser, url, { width = 1280, height = 800, device, beforeLoad, media } = {}) {
    const page = await browser.newPage();
    const errors = [];
    page.on("console", (m) => m.type() === "error" && errors.push(`console: ${m.text()}`));
    page.on("pageerror", (e) => errors.push(`page: ${e.message}`));
    page.on("requestfailed", (r) => errors.push(`request: ${r.url()} ${r.failure().errorText}`));
    if (media)
        await page.emulateMediaFeatures(media);
    if (device)
        await page.emulate(device);
    else
        await page.setViewport({ width, height });
    // The clock stands still until the test resumes it, so frames are the test's.
    await page.evaluateOnNewDocument(() => (window.tovrineTestStartsPaused = true));
    if (beforeLoad)
        await page.evaluateOnNewDocument(beforeLoad);
    await page.goto(url, { waitUntil: "load" });
    await page.waitForFunction(() => window.tovrineTest && window.tovrineTest.module, { polling: 100, timeout: 30000 });
    await page.evaluate(() => window.tovrineTest.ready);
    return { page, errors };
}

// Saves a screenshot under build/test-logs/web/ and returns its PNG bytes:
// of the element `what` names, or of the page with `what` as options.
async function screenshot(page, name, what) {
    fs.mkdirSync(shotDir, { recursive: true });
    const file = path.join(shotDir, `${name}.png`);
    if (typeof what === "string")
        return (await page.$(what)).screenshot({ path: file });
    return page.screenshot({ path: file, ...what });
}

// Counts the pixels of a PNG that each named test accepts, in a box given as
// fractions of the picture ({x, y, w, h}, default the whole). The browser
// decodes the picture, so the count sees what a person would.
async function colourCounts(page, png, tests, box = { x: 0, y: 0, w: 1, h: 1 }) {
    const source = Object.fromEntries(Object.entries(tests).map(([k, f]) => [k, f.toString()]));
    return page.evaluate(async (data, source, box) => {
        const image = new Image();
        image.src = `data:image/png;base64,${data}`;
        await image.decode();
        const c = document.createElement("canvas");
        c.width = image.width;
        c.height = image.height;
        const g = c.getContext("2d");
        g.drawImage(image, 0, 0);
        const x = Math.floor(box.x * c.width), y = Math.floor(box.y * c.height);
        const w = Math.max(1, Math.floor(box.w * c.width)), h = Math.max(1, Math.floor(box.h * c.height));
        const pixels = g.getImageData(x, y, w, h).data;
        const tests = Object.entries(source).map(([k, f]) => [k, eval(`(${f})`)]);
        const counts = Object.fromEntries(tests.map(([k]) => [k, 0]));
        for (let i = 0; i < pixels.length; i += 4)
            for (const [k, f] of tests)
                if (f(pixels[i], pixels[i + 1], pixels[i + 2]))
                    counts[k]++;
        return counts;
    }, Buffer.from(png).toString("base64"), source, box);
}

// The control a <label> names, and typing into it as a person does (the box
// emptied first).
function labelled(page, label) {
    return page.evaluateHandle((label) =>
        [...document.querySelectorAll("label")].find((l) => l.textContent.trim() === label).control, label);
}

async function typeInto(page, label, value) {
    const box = await labelled(page, label);
    await box.evaluate((e) => (e.value = ""));
    await box.type(value);
}

// One test run twice, on the page from disk and served, with one browser and
// one server for the whole file: body(browser, url, name), name "file" or "served".
function testBothWays(title, body) {
    const { test, before, after } = require("node:test");
    let browser, where;
    before(async () => {
        browser = await launch();
        where = await targets();
    });
    after(async () => {
        await browser.close();
        where.close();
    });
    for (const name of ["file", "served"])
        test(`${title}, the page ${name === "file" ? "from disk" : "served"}`, () =>
            body(browser, where.list.find((t) => t.name === name).url, name));
}

module.exports = { launch, serve, targets, openPage, testBothWays, screenshot, colourCounts, labelled, typeInto,
    webDir, repo };
