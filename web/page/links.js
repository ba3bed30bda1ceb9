// Where a world's settings are kept: the browser's store (the record, as
// the registry keeps it under the saver's key) and share links (the record,
// and the seed when one is fixed).
(function (T) {
    "use strict";

    const R = T.records;
    const $ = (id) => document.getElementById(id);
    const storageKey = "Tovrine (Doreroder v.1.1)/Options";

    function store(bytes) {
        try {
            window.localStorage.setItem(storageKey, R.toBase64(bytes));
        } catch (e) {
            // No storage (a private window, a file page in some browsers): the
            // settings last as long as the page.
        }
    }

    // The stored record, or null when there is none or it is damaged: the
    // saver then runs its built-in settings without a word.
    function stored() {
        let value = null;
        try {
            value = window.localStorage.getItem(storageKey);
        } catch (e) {
            return null;
        }
        if (value === null || !/^[A-Za-z0-9+/]*={0,2}$/.test(value))
            return null;
        let bytes;
        try {
            bytes = Uint8Array.from(atob(value), (c) => c.charCodeAt(0));
        } catch (e) {
            return null;
        }
        return R.refusal(bytes) === "" ? bytes : null;
    }

    function shareLink() {
        const base = window.location.href.replace(/#.*$/, "");
        let hash = `#record=${R.toBase64Url(T.page.applied)}`;
        if (T.page.appliedSeed !== null)
            hash += `&seed=${T.page.appliedSeed}`;
        return base + hash;
    }

    // The link is judged whole before anything of it is used: "" when the
    // page has no link, else its world is started or the message says why not.
    function open(hash) {
        if (!hash || hash === "#")
            return "";
        const parameters = new URLSearchParams(hash.replace(/^#/, ""));
        const encoded = parameters.get("record");
        const seedText = parameters.get("seed");
        const bytes = encoded === null ? null : R.fromBase64Url(encoded);
        const seed = seedText === null ? null : R.parseSeed(seedText);
        let refusal = "";
        if (bytes === null)
            refusal = "it holds no settings record.";
        else if (seed === undefined)
            refusal = "its seed is not a whole number from 0 to 4294967295.";
        else
            refusal = R.refusal(bytes) || T.page.startWorld(bytes, seed);
        const out = $("file-message");
        out.classList.remove("good");
        if (refusal) {
            out.textContent = `This link is damaged and was not opened:\n${R.sentence(refusal)}`;
            return out.textContent;
        }
        out.textContent = "";
        return "";
    }

    function forgetLink() {
        if (window.location.hash) {
            try {
                history.replaceState(null, "", window.location.href.replace(/#.*$/, ""));
            } catch (e) {
                // Some file pages refuse it; the old link then stays in the address.
            }
        }
        $("share-link").value = shareLink();
    }

    // A world the person chose (Apply, an import) is kept for the next visit
    // and the address no longer names the link's.
    function worldChosen() {
        store(T.page.applied);
        forgetLink();
    }

    function copy() {
        const link = $("share-link");
        link.select();
        if (navigator.clipboard)
            navigator.clipboard.writeText(link.value).catch(() => document.execCommand("copy"));
        else
            document.execCommand("copy");
    }

    function wire() {
        $("copy-button").addEventListener("click", copy);
        window.addEventListener("hashchange", () => open(window.location.hash));
    }

    T.links = { store, stored, shareLink, open, worldChosen, wire };
})(self.tovrine = self.tovrine || {});
