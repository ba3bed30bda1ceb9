// While the world is shown alone (full screen or the saver mode) the screen
// stays awake: a screen wake lock (Screen Wake Lock API), asked for again
// when the tab comes back (the browser lets go of it when the tab is
// hidden), and let go of on leaving. Where it is refused, or the browser has
// none, a line over the world says so for a while.
(function () {
    "use strict";
    const page = window.tovrinePage;
    const message = document.createElement("p");
    message.id = "wake-message";
    message.setAttribute("role", "status");
    page.stage.appendChild(message);
    let lock = null;
    let asking = false;
    let messageTimer = 0;

    function say(text) {
        message.textContent = text;
        clearTimeout(messageTimer);
        if (text)
            messageTimer = setTimeout(() => (message.textContent = ""), 6000);
    }

    const wanted = () => page.inFullScreen() && document.visibilityState === "visible";

    async function take() {
        if (lock || asking)
            return;
        if (!navigator.wakeLock || typeof navigator.wakeLock.request !== "function") {
            say("This browser cannot keep the screen awake: it may sleep while the world runs.");
            return;
        }
        asking = true;
        try {
            const taken = await navigator.wakeLock.request("screen");
            asking = false;
            taken.addEventListener("release", () => {
                if (lock === taken)
                    lock = null;
            });
            lock = taken;
            if (!wanted())
                letGo();
        } catch (e) {
            asking = false;
            say(`The browser refused to keep the screen awake (${e.message || e.name}): it may sleep.`);
        }
    }

    function letGo() {
        const held = lock;
        lock = null;
        if (held)
            held.release().catch(() => {});
    }

    function update() {
        if (wanted())
            take();
        else
            letGo();
    }

    document.addEventListener("fullscreenchange", update);
    document.addEventListener("tovrine-fullview", update);
    document.addEventListener("visibilitychange", update);
    // The saver mode kept from the last visit is already on.
    update();

    // For the tests: whether the page holds a lock now.
    window.tovrineWakeLock = { held: () => lock !== null };
})();
