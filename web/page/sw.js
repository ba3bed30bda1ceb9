// The served page's own copy of itself, so that after one visit it opens
// with no network. The build fills in the cache's name (the version and a
// digest of the files, so every new version has a new name and a new
// worker) and the list of files. While the network answers, the page comes
// from it and is always the newest; without one, or when it has not
// answered within a few seconds, from the copy. A new version's worker
// takes over at once and drops the older copies.
//
// Every request this worker makes goes around the browser's HTTP cache: a
// server that sends only Last-Modified lets the browser keep a file for
// days by its own guess, and a new version would then be put up in vain.
"use strict";

const cacheName = "@CACHE_NAME@";
const files = ["@FILES@"];
// How long the network has before the copy is used; once it has been slow,
// the rest of the page comes from the copy at once for a while, so a page
// is never put together from two versions.
const patienceMs = 3000, slowForMs = 10000;
let slowUntil = 0;

self.addEventListener("install", (event) => {
    event.waitUntil(caches.open(cacheName)
        .then((cache) => cache.addAll(files.map((file) => new Request(file, { cache: "no-store" }))))
        .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names
            .filter((name) => name.startsWith("tovrine-") && name !== cacheName)
            .map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

async function fromCopy(request) {
    const cache = await caches.open(cacheName);
    return cache.match(request, { ignoreSearch: true });
}

// The network's answer, or the copy when the network fails or is slow. A
// slow network still gets its chance to bring a new version: the worker
// looks for one in the background, and it fills a copy of its own.
async function answer(request) {
    const network = fetch(new Request(request, { cache: "no-store" }));
    network.catch(() => {});  // a late failure after the copy answered is no one's
    let timer;
    const patience = Date.now() < slowUntil ? 0 : patienceMs;
    const slow = new Promise((resolve) => (timer = setTimeout(() => resolve("slow"), patience)));
    try {
        const first = await Promise.race([network, slow]);
        if (first !== "slow")
            return first;
        const copy = await fromCopy(request);
        if (!copy)
            return await network;
        if (patience)
            self.registration.update().catch(() => {});
        slowUntil = Date.now() + slowForMs;
        return copy;
    } catch (e) {
        return (await fromCopy(request)) || Response.error();
    } finally {
        clearTimeout(timer);
    }
}

self.addEventListener("fetch", (event) => {
    const request = event.request;
    if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin)
        return;
    event.respondWith(answer(request));
});
