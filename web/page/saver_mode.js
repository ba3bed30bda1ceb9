// The world alone in the window: the bar, the panel and the pointer hidden,
// the world as large as the window lets it be. Two ways in: the saver mode,
// which the person chooses and which is kept across a reload (like the
// settings), and full screen where the browser has no element full screen
// (iPhones). page.js counts either as full screen, so a key, a tap, a click
// or real mouse travel leaves it.
(function () {
    "use strict";
    const storageKey = "Tovrine (Doreroder v.1.1)/Saver";
    const root = document.documentElement;

    function keep(on) {
        try {
            if (on)
                window.localStorage.setItem(storageKey, "1");
            else
                window.localStorage.removeItem(storageKey);
        } catch (e) {
            // No storage: the mode lasts as long as the page.
        }
    }

    function kept() {
        try {
            return window.localStorage.getItem(storageKey) === "1";
        } catch (e) {
            return false;
        }
    }

    function set(on, saver) {
        const was = root.classList.contains("full-view");
        root.classList.toggle("full-view", on);
        root.classList.toggle("saver-mode", on && saver);
        keep(on && saver);
        if (was !== on)
            document.dispatchEvent(new Event("tovrine-fullview"));
    }

    window.tovrineFullView = {
        active: () => root.classList.contains("full-view"),
        saver: () => root.classList.contains("saver-mode"),
        // saver: the saver mode (kept across a reload), else full screen's stand-in.
        enter: (saver) => set(true, saver === true),
        leave: () => set(false, false),
    };

    const button = document.createElement("button");
    button.type = "button";
    button.id = "saver-button";
    button.textContent = "Saver";
    button.title = "The world alone, the screen kept awake; a key, a tap or the mouse leaves it";
    button.addEventListener("click", () => window.tovrineFullView.enter(true));
    const fullScreen = document.getElementById("fullscreen-button");
    fullScreen.after(button);

    // The embed form of a link (?embed) shows the world alone for good: no
    // bar, no panel, and no saver mode kept from another visit.
    if (/[?&]embed(=|&|$)/.test(window.location.search))
        root.classList.add("embed");
    else if (kept())
        set(true, true);
})();
