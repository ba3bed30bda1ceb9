// Looking closer: the wheel or a pinch zooms the world (up to 16 times) about
// the point under the pointer, a drag moves it, and "0" brings it back to fit
// ("+" and "-" zoom about the middle). Only the canvas's place on the screen
// changes, enlarged by nearest pixel: the world, its figures and its pictures
// are those of the fitted view. The world alone in the window is not zoomed.
(function (T) {
    "use strict";

    const $ = (id) => document.getElementById(id);
    const largest = 16;
    const dragTravel = 4;  // CSS pixels a press may slip and still be a click

    let zoom = 1, panX = 0, panY = 0;  // pan in CSS pixels from the middle
    const pointers = new Map();  // pointer id -> {x, y} while pressed
    let gesture = null;  // {x, y, zoom, panX, panY, spread, moved} at its start

    const canvases = () => T.page.worlds.map((w) => w.canvas);
    const alone = () => window.tovrineFullView.active() || document.fullscreenElement !== null;

    // The pan that keeps the enlarged canvas over its whole place: no black
    // comes in at an edge.
    function clampedPan() {
        const canvas = canvases()[0];
        const w = canvas ? canvas.offsetWidth : 0, h = canvas ? canvas.offsetHeight : 0;
        const limitX = ((zoom - 1) * w) / 2, limitY = ((zoom - 1) * h) / 2;
        return { x: Math.max(-limitX, Math.min(limitX, panX)), y: Math.max(-limitY, Math.min(limitY, panY)) };
    }

    // Shows the zoom. The pan is kept as it was asked for: a canvas shrunk for
    // a moment (a window resized) shows it clamped, and whole again after.
    function apply() {
        const pan = clampedPan();
        const transform = zoom === 1 ? "" : `translate(${pan.x}px, ${pan.y}px) scale(${zoom})`;
        for (const canvas of canvases())
            canvas.style.transform = transform;
        $("stage").classList.toggle("zoomed", zoom > 1);
        $("zoom-mark").hidden = zoom === 1;
        $("zoom-mark").textContent = `${Math.round(zoom * 10) / 10}x (0 fits)`;
    }

    // The canvas's middle on the screen as if it were not zoomed.
    function layoutMiddle(canvas) {
        const box = canvas.getBoundingClientRect();
        const pan = clampedPan();
        return { x: box.left + box.width / 2 - pan.x, y: box.top + box.height / 2 - pan.y };
    }

    // Zooms to `next` with the world's point that was at `from` (on the
    // screen, at zoom `start` and pan `startPan`) brought to `to`.
    function zoomMoving(next, from, to, start = null) {
        const canvas = canvases()[0];
        if (!canvas)
            return;
        if (!start) {
            const pan = clampedPan();
            start = { zoom, panX: pan.x, panY: pan.y };
        }
        const m = layoutMiddle(canvas);
        const ux = (from.x - m.x - start.panX) / start.zoom, uy = (from.y - m.y - start.panY) / start.zoom;
        zoom = Math.max(1, Math.min(largest, next));
        panX = to.x - m.x - ux * zoom;
        panY = to.y - m.y - uy * zoom;
        ({ x: panX, y: panY } = clampedPan());
        apply();
    }

    // Zooms to `next` keeping the point (x, y) of the screen where it is.
    function zoomAbout(next, x, y) {
        zoomMoving(next, { x, y }, { x, y });
    }

    function fit() {
        zoom = 1;
        panX = panY = 0;
        apply();
    }

    function middle() {
        const box = $("stage").getBoundingClientRect();
        return [box.left + box.width / 2, box.top + box.height / 2];
    }

    function onWheel(e) {
        if (alone() || !canvases().some((c) => c === e.target))
            return;
        e.preventDefault();
        const unit = e.deltaMode === 1 ? 16 : e.deltaMode === 2 ? 400 : 1;
        zoomAbout(zoom * Math.exp(-e.deltaY * unit * 0.002), e.clientX, e.clientY);
    }

    function spread() {
        const [a, b] = [...pointers.values()];
        return b ? Math.hypot(a.x - b.x, a.y - b.y) : 0;
    }

    function centre() {
        const list = [...pointers.values()];
        return { x: list.reduce((s, p) => s + p.x, 0) / list.length, y: list.reduce((s, p) => s + p.y, 0) / list.length };
    }

    function startGesture() {
        const c = centre();
        const pan = clampedPan();
        gesture = { ...c, zoom, panX: pan.x, panY: pan.y, spread: spread(), moved: gesture ? gesture.moved : false };
    }

    function onPointerDown(e) {
        if (alone() || !canvases().includes(e.target) || (e.pointerType === "mouse" && e.button !== 0))
            return;
        pointers.set(e.pointerId, { x: e.clientX, y: e.clientY });
        startGesture();
    }

    // A drag moves the world; a pinch zooms it about the fingers' middle,
    // which carries the world's point that was under it.
    function onPointerMove(e) {
        if (!pointers.has(e.pointerId))
            return;
        pointers.set(e.pointerId, { x: e.clientX, y: e.clientY });
        const c = centre();
        if (Math.hypot(c.x - gesture.x, c.y - gesture.y) > dragTravel || pointers.size > 1)
            gesture.moved = true;
        if (!gesture.moved)
            return;
        const ratio = pointers.size > 1 && gesture.spread > 0 ? spread() / gesture.spread : 1;
        zoomMoving(gesture.zoom * ratio, gesture, c, gesture);
    }

    // A press that did not move is a click on the world: it picks what is
    // under it (follow.js).
    function onPointerUp(e) {
        if (!pointers.has(e.pointerId))
            return;
        pointers.delete(e.pointerId);
        const clicked = gesture && !gesture.moved && pointers.size === 0;
        if (pointers.size)
            startGesture();
        else if (clicked && T.follow)
            T.follow.pick(e.clientX, e.clientY);
        if (!pointers.size)
            gesture = null;
    }

    function onKey(e) {
        if (alone() || e.ctrlKey || e.altKey || e.metaKey || /^(INPUT|SELECT|TEXTAREA)$/.test(e.target.tagName))
            return;
        if (e.key === "0")
            fit();
        else if (e.key === "+" || e.key === "=")
            zoomAbout(zoom * 1.5, ...middle());
        else if (e.key === "-")
            zoomAbout(zoom / 1.5, ...middle());
        else
            return;
        e.preventDefault();
    }

    function wire() {
        const stage = $("stage");
        const mark = document.createElement("p");
        mark.id = "zoom-mark";
        mark.hidden = true;
        stage.appendChild(mark);
        stage.addEventListener("wheel", onWheel, { passive: false });
        stage.addEventListener("pointerdown", onPointerDown);
        window.addEventListener("pointermove", onPointerMove);
        window.addEventListener("pointerup", onPointerUp);
        window.addEventListener("pointercancel", (e) => {
            pointers.delete(e.pointerId);
            gesture = null;
        });
        document.addEventListener("keydown", onKey);
        // The world alone in the window is always seen whole.
        for (const toggle of ["tovrine-fullview", "fullscreenchange"])
            document.addEventListener(toggle, fit);
    }

    // Zoomed, the screen point (x, y) is brought to the middle when it has
    // left the middle part of the stage (a followed Vob walking off).
    function keepInView(x, y) {
        if (zoom === 1)
            return;
        const box = $("stage").getBoundingClientRect();
        const inner = (v, start, length) => v >= start + 0.2 * length && v <= start + 0.8 * length;
        if (!inner(x, box.left, box.width) || !inner(y, box.top, box.height))
            zoomMoving(zoom, { x, y }, { x: box.left + box.width / 2, y: box.top + box.height / 2 });
    }

    T.zoom = { wire, fit, zoomAbout, apply, keepInView, level: () => zoom };
})(self.tovrine = self.tovrine || {});
