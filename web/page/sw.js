// The served page's own copy of itself, so that after one visit it opens
// with no network. The build fills in the cache's name (the version and a
// digest of the files, so every new version has a new name and a new
// worker) and the list of files. While the network answers, the page comes
// from it and is always the newest; without one, from the copy. A new
// version's worker takes over at once and drops the older copies.
"use strict";

const cacheName = "@CACHE_NAME@";
const files = ["@FILES@"];

self.addEventListener("install", (event) => {
    event.waitUntil(caches.open(cacheName)
        .then((cache) => cache.addAll(files))
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
    return (await cache.match(request, { ignoreSearch: true })) || Response.error();
}

self.addEventListener("fetch", (event) => {
    const request = event.request;
    if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin)
        return;
    event.respondWith(fetch(request).catch(() => fromCopy(request)));
});
