// The world's size and the panel's place. With no stored settings and no
// link the world is made the size of the place it has, one world pixel to
// one CSS pixel, as the Windows sheet starts from the desktop's mode: on a
// phone its text is then as large as it was drawn. And the panel goes below
// the world whenever that leaves the world more room (a tablet held
// upright, a narrow window). A world the page sized is sized again when its
// place changes (a phone turned sideways); a size the person set is kept.
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

    // The world's place with the panel beside it and below it, in CSS pixels;
    // alone in the window (the saver mode, full screen), the whole window.
    function places() {
        const width = root.clientWidth, height = window.innerHeight;
        if (root.classList.contains("full-view") || root.classList.contains("embed") || document.fullscreenElement) {
            const whole = { w: width, h: height };
            return { beside: whole, below: whole };
        }
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

    function currentPlace() {
        choosePlace();
        return places()[root.classList.contains("panel-below") ? "below" : "beside"];
    }

    const view = (bytes) => new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    // screenWidth and screenHeight of a record.
    const sizeOf = (bytes) => ({ w: view(bytes).getInt32(64, true), h: view(bytes).getInt32(68, true) });
    let chosen = null;  // the size fitted() chose last

    // A record of the same world at the size of its place.
    function fitted(bytes) {
        const place = currentPlace();
        const side = (n) => Math.max(smallest, Math.min(largest, Math.floor(n)));
        const out = bytes.slice();
        chosen = { w: side(place.w), h: side(place.h) };
        view(out).setInt32(64, chosen.w, true);
        view(out).setInt32(68, chosen.h, true);
        return out;
    }

    // The world of `bytes` sized again for its place when the page chose its
    // size and the place now differs by more than a tenth a side, or only
    // when it would be shown below 0.9 of its size (`whenShrunk`: the world
    // alone in the window or back beside the panel, where a bigger world is
    // enlarged rather than started again); else null.
    function refitted(bytes, whenShrunk) {
        const size = sizeOf(bytes);
        if (!chosen || size.w !== chosen.w || size.h !== chosen.h)
            return null;
        const place = currentPlace();
        const apart = (a, b) => Math.abs(a - b) > 0.1 * b;
        const change = whenShrunk ? Math.min(place.w / size.w, place.h / size.h) < 0.9
            : apart(place.w, size.w) || apart(place.h, size.h);
        if (!change)
            return null;
        const out = fitted(bytes);
        const next = sizeOf(out);
        return next.w !== size.w || next.h !== size.h ? out : null;
    }

    choosePlace();
    window.addEventListener("resize", choosePlace);
    // A new world may have another shape (page.js sets --world-aspect).
    new MutationObserver(choosePlace).observe(root, { attributes: true, attributeFilter: ["style"] });

    window.tovrineWorldSize = { fitted, refitted };
})();
