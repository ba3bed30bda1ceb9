// On a web server the page keeps a copy of itself for visits without a
// network (sw.js, named by the manifest's page only). The single file from
// disk has nothing to keep and registers nothing.
(function () {
    "use strict";
    const served = /^https?:$/.test(window.location.protocol);
    if (!served || !("serviceWorker" in navigator) || !document.querySelector('link[rel="manifest"]'))
        return;
    window.addEventListener("load", () => {
        navigator.serviceWorker.register("sw.js").catch(() => {
            // No copy then (a browser that refuses workers on this address):
            // the page still works while the server answers.
        });
    });
})();
