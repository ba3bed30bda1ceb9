// Keys and the mouse: the function keys reach the world; full screen is
// left as the saver is left: any other key, a click or real mouse travel.
(function (T) {
    "use strict";

    const $ = (id) => document.getElementById(id);
    const functionKeys = new Set([112, 113, 114, 123]);  // F1 F2 F3 F12
    let mouseAnchor = null;

    function stage() {
        return $("stage");
    }

    function inFullScreen() {
        return document.fullscreenElement === stage();
    }

    function enterFullScreen() {
        mouseAnchor = null;
        stage().requestFullscreen().catch(() => {});
    }

    function leaveFullScreen() {
        if (inFullScreen())
            document.exitFullscreen().catch(() => {});
    }

    // Space and "." are the time's keys, except where they are typed.
    function typing(e) {
        const t = e.target;
        return t && (t.isContentEditable || /^(INPUT|SELECT|TEXTAREA|BUTTON)$/.test(t.tagName));
    }

    function onKeyDown(e) {
        if (!inFullScreen() && !typing(e) && !e.ctrlKey && !e.altKey && !e.metaKey) {
            if (e.key === " ") {
                e.preventDefault();
                T.time.setPaused(!T.time.state.paused);
                return;
            }
            if (e.key === ".") {
                e.preventDefault();
                T.time.step();
                return;
            }
        }
        if (functionKeys.has(e.keyCode)) {
            e.preventDefault();
            T.page.functionKey(e.keyCode);
        } else if (inFullScreen()) {
            e.preventDefault();
            leaveFullScreen();
        }
    }

    function onMouseMove(e) {
        if (!inFullScreen())
            return;
        // Travel is measured from where the mouse first showed up, so the
        // move the browser reports on entering does not count.
        if (mouseAnchor === null) {
            mouseAnchor = { x: e.screenX, y: e.screenY };
            return;
        }
        if (Math.abs(e.screenX - mouseAnchor.x) + Math.abs(e.screenY - mouseAnchor.y) > 4)
            leaveFullScreen();
    }

    function wire() {
        $("fullscreen-button").addEventListener("click", enterFullScreen);
        document.addEventListener("keydown", onKeyDown);
        stage().addEventListener("mousedown", () => leaveFullScreen());
        stage().addEventListener("mousemove", onMouseMove);
        document.addEventListener("fullscreenchange", () => {
            mouseAnchor = null;
            T.page.fitCanvas();
        });
    }

    T.input = { wire, inFullScreen, enterFullScreen, leaveFullScreen };
})(self.tovrine = self.tovrine || {});
