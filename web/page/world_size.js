// The world's size and the panel's place. With no stored settings and no
// link the world is made the size of the place it has, one world pixel to
// one CSS pixel, as the Windows sheet starts from the desktop's mode: on a
// phone its text is then as large as it was drawn. And the panel goes below
// the world whenever that leaves the world more room (a tablet held
// upright, a narrow window).
(function () {
    "use strict";
    const root = document.documentElement;
    const panelWidth = 340;  // #side beside the world (tovrine.css)
    const belowShare = 0.7;  // of the window's height, the world's at most with the panel below (phone.css)
    const smallest = 160;
    const largest = 8192;

    function barHeight() {
        return document.getElementById("bar").getBoundingClientRect().height;
    }

    // The world's place with the panel beside it and below it, in CSS pixels.
    function places() {
        const width = root.clientWidth, height = window.innerHeight;
        return {
            beside: { w: width - panelWidth, h: height - barHeight() },
            // Below, the world is no taller than a portrait 3 x 4, so the
            // settings' first lines and Apply show under it.
            below: { w: width, h: Math.min(height * belowShare, (width * 4) / 3) },
        };
    }

    function worldAspect() {
        const [w, h] = getComputedStyle(root).getPropertyValue("--world-aspect").split("/").map(Number);
        return w > 0 && h > 0 ? w / h : 4 / 3;
    }

    // The area a world of `aspect` is shown at in `place`.
    function shownArea(place, aspect) {
        const w = Math.max(0, Math.min(place.w, place.h * aspect));
        return w * (w / aspect);
    }

    function choosePlace() {
        const { beside, below } = places();
        const aspect = worldAspect();
        root.classList.toggle("panel-below", shownArea(below, aspect) > shownArea(beside, aspect));
    }

    // A record of the same world at the size of its place.
    function fitted(bytes) {
        choosePlace();
        const place = places()[root.classList.contains("panel-below") ? "below" : "beside"];
        const side = (n) => Math.max(smallest, Math.min(largest, Math.floor(n)));
        const out = bytes.slice();
        const view = new DataView(out.buffer, out.byteOffset, out.byteLength);
        view.setInt32(64, side(place.w), true);  // screenWidth
        view.setInt32(68, side(place.h), true);  // screenHeight
        return out;
    }

    choosePlace();
    window.addEventListener("resize", choosePlace);
    // A new world may have another shape (page.js sets --world-aspect).
    new MutationObserver(choosePlace).observe(root, { attributes: true, attributeFilter: ["style"] });

    window.tovrineWorldSize = { fitted };
})();
