// Messages about what the person just did, shown over the top of the world,
// where the eyes are at every window size; each stays until dismissed or
// replaced by the next. A message may offer actions (buttons).
(function (T) {
    "use strict";

    const $ = (id) => document.getElementById(id);

    // kind: "bad" (refused, failed), "good" (done) or "" (to know).
    function show(text, kind = "", actions = []) {
        const box = $("world-message");
        $("world-message-text").textContent = text;
        box.className = kind;
        const buttons = $("world-message-actions");
        buttons.textContent = "";
        for (const { label, act } of actions) {
            const button = document.createElement("button");
            button.type = "button";
            button.textContent = label;
            button.addEventListener("click", () => {
                clear();
                act();
            });
            buttons.appendChild(button);
        }
        box.hidden = false;
        // Where the world is out of sight (a phone scrolled down to the
        // panel), it comes back into view with the message.
        const shown = box.getBoundingClientRect();
        if (shown.top < 0 || shown.bottom > window.innerHeight)
            $("stage").scrollIntoView({ block: "nearest" });
    }

    function clear() {
        $("world-message").hidden = true;
        $("world-message-text").textContent = "";
    }

    function text() {
        return $("world-message").hidden ? "" : $("world-message-text").textContent;
    }

    function wire() {
        $("world-message-close").addEventListener("click", clear);
    }

    T.messages = { show, clear, text, wire };
})(self.tovrine = self.tovrine || {});
