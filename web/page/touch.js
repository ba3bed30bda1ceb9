// Touch: a tap on the world shows a small bar over it with what the function
// keys do, full screen, the saver mode and (where the page has it) pause;
// it hides again by itself. A double tap toggles full screen. In full screen
// a tap leaves it, as a click does.
(function () {
    "use strict";
    const page = window.tovrinePage;
    const stage = page.stage;
    const hideAfterMs = 4000;
    const doubleTapMs = 350;
    const tapTravel = 12;  // CSS pixels a finger may slip in a tap
    const keys = [
        { key: 112, label: "F1", what: "Cloud", title: "Shows or hides the cloud of figures" },
        { key: 113, label: "F2", what: "Numbers", title: "Steps through the Vobs' numbers: strength, then life too, then none" },
        { key: 114, label: "F3", what: "Near death", title: "The Vobs' numbers only near death, or not" },
        { key: 123, label: "F12", what: "Reset strength", title: "Gives every Vob the same strength" },
    ];

    const bar = document.createElement("div");
    bar.id = "touch-bar";
    bar.setAttribute("role", "toolbar");
    bar.setAttribute("aria-label", "The function keys");
    bar.hidden = true;

    function addButton(text, title, action) {
        const button = document.createElement("button");
        button.type = "button";
        button.innerHTML = text;
        button.title = title;
        button.addEventListener("click", (e) => {
            e.stopPropagation();
            action();
        });
        bar.appendChild(button);
        return button;
    }

    for (const k of keys)
        addButton(`<b>${k.label}</b> ${k.what}`, `${k.label}: ${k.title}`, () => {
            page.pressKey(k.key);
            showBar();
        });
    addButton("Full screen", "The world alone on the screen", () => {
        hideBar();
        page.enterFullScreen();
    });
    addButton("Saver", "The world alone, the screen kept awake", () => {
        hideBar();
        window.tovrineFullView.enter(true);
    });
    const pause = addButton("Pause", "Stop or go on", () => {
        if (typeof page.pauseToggle === "function")
            page.pauseToggle();
        showBar();
    });
    stage.appendChild(bar);

    let hideTimer = 0;
    function showBar() {
        pause.hidden = typeof page.pauseToggle !== "function";
        pause.textContent = page.paused && page.paused() ? "Resume" : "Pause";
        bar.hidden = false;
        clearTimeout(hideTimer);
        hideTimer = setTimeout(hideBar, hideAfterMs);
    }
    function hideBar() {
        clearTimeout(hideTimer);
        bar.hidden = true;
    }

    // Taps are judged on the pointer events of fingers and pens; the mouse
    // keeps the keyboard's ways.
    let down = null;
    let lastTap = -Infinity;
    stage.addEventListener("pointerdown", (e) => {
        if (e.pointerType === "mouse" || !e.isPrimary)
            return;
        down = { x: e.clientX, y: e.clientY, onBar: bar.contains(e.target), full: page.inFullScreen() };
    });
    stage.addEventListener("pointercancel", () => (down = null));
    stage.addEventListener("pointerup", (e) => {
        const start = down;
        down = null;
        if (!start || e.pointerType === "mouse")
            return;
        if (start.onBar) {
            // A double tap is two taps on the world with nothing between.
            lastTap = -Infinity;
            return;
        }
        if (Math.hypot(e.clientX - start.x, e.clientY - start.y) > tapTravel)
            return;
        if (start.full) {
            // The tap that leaves full screen starts no double tap.
            lastTap = -Infinity;
            takenAt = performance.now();
            page.leaveFullScreen();
            return;
        }
        if (e.timeStamp - lastTap < doubleTapMs) {
            lastTap = -Infinity;
            takenAt = performance.now();
            hideBar();
            page.enterFullScreen();
            return;
        }
        lastTap = e.timeStamp;
        showBar();
    });
    // A tap that entered or left full screen is this script's alone: the
    // mouse presses the browser makes of the taps afterwards (one for each
    // tap of a double tap) would leave full screen again at once (page.js),
    // so for a moment they are kept from the page.
    const mouseAfterTapMs = 800;
    let takenAt = -Infinity;
    window.addEventListener("mousedown", (e) => {
        if (performance.now() - takenAt < mouseAfterTapMs)
            e.stopPropagation();
    }, true);
    document.addEventListener("fullscreenchange", hideBar);
    document.addEventListener("tovrine-fullview", hideBar);
})();
