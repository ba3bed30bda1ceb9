// Three small ways of the page: the list of its keys (on "?"), the embed
// form of the link (the world alone, for a blog or a slide), and less
// motion (the world starts paused) for those whose system asks for it or
// who choose it.
(function (T) {
    "use strict";

    const $ = (id) => document.getElementById(id);
    const root = document.documentElement;
    const lessMotionKey = "Tovrine (Doreroder v.1.1)/Less motion";

    // "?" shows the keys wherever nothing is being typed.
    function onKey(e) {
        const typing = /^(INPUT|SELECT|TEXTAREA)$/.test(e.target.tagName);
        if (e.key !== "?" || typing || e.ctrlKey || e.altKey || e.metaKey || $("keys-help").open ||
            window.tovrinePage.inFullScreen())
            return;
        e.preventDefault();
        $("keys-help").showModal();
    }

    // The page's address and the world's part of the link, apart.
    function linkParts() {
        const link = T.links.shareLink();
        return { page: link.replace(/[?#].*$/, ""), world: link.slice(link.indexOf("#")) };
    }

    // The link of the world alone: the same world, no bar and no panel.
    function embedLink() {
        const { page, world } = linkParts();
        return `${page}?embed${world}`;
    }

    function embedCode() {
        const world = T.page.worlds[0];
        const attribute = (text) => text.replace(/&/g, "&amp;").replace(/"/g, "&quot;");
        return `<iframe src="${attribute(embedLink())}" width="${world.width}" height="${world.height}" ` +
            `title="Tovrine: ${attribute(T.records.name(T.page.applied))}" style="border:0;max-width:100%"></iframe>`;
    }

    // Called whenever the running world changes: the embed box follows it.
    function worldRunning() {
        $("embed-code").value = embedCode();
        const { page, world } = linkParts();
        $("embed-open").href = page + world;
    }

    function lessMotionWanted() {
        try {
            const kept = window.localStorage.getItem(lessMotionKey);
            if (kept !== null)
                return kept === "1";
        } catch (e) {
            // No storage: the system's wish decides.
        }
        return window.matchMedia("(prefers-reduced-motion: reduce)").matches;
    }

    function keepLessMotion(on) {
        try {
            window.localStorage.setItem(lessMotionKey, on ? "1" : "0");
        } catch (e) {
            // No storage: the choice lasts as long as the page.
        }
    }

    // At the start of a visit: less motion keeps the world paused, and says so.
    function startsPaused() {
        const less = lessMotionWanted();
        $("less-motion").checked = less;
        if (less)
            T.messages.show("Less motion: the world waits, paused. Resume (Space) runs it.", "");
        return less;
    }

    function wire() {
        document.addEventListener("keydown", onKey);
        $("keys-button").addEventListener("click", () => $("keys-help").showModal());
        $("embed-copy-button").addEventListener("click", async () => {
            $("embed-code").select();
            try {
                await navigator.clipboard.writeText($("embed-code").value);
                T.messages.show("The embed code was copied: put it in a page to show this world alone.", "good");
            } catch (e) {
                T.messages.show("The code could not be copied: select it in the box and copy it yourself.", "bad");
            }
        });
        $("less-motion").addEventListener("change", (e) => keepLessMotion(e.target.checked));
    }

    T.extras = { wire, worldRunning, startsPaused, embedded: () => root.classList.contains("embed") };
})(self.tovrine = self.tovrine || {});
