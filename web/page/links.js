// Where a world's settings are kept: the browser's store (the record, as
// the registry keeps it under the saver's key) and links. A link holds the
// record, the seed the world runs with (fixed or drawn) and a check of
// both, so that whoever opens it sees the same world and a link changed on
// the way is refused; links made before the check still open. The address
// bar always holds the link of the world that runs.
(function (T) {
    "use strict";

    const R = T.records;
    const $ = (id) => document.getElementById(id);
    const storageKey = "Tovrine (Doreroder v.1.1)/Options";
    const seedKey = "Tovrine (Doreroder v.1.1)/Seed";

    // The seed the person fixed goes with the record, so that the next visit
    // shows the same world; a drawn seed is drawn again.
    function store(bytes, seed) {
        try {
            window.localStorage.setItem(storageKey, R.toBase64(bytes));
            if (seed === null)
                window.localStorage.removeItem(seedKey);
            else
                window.localStorage.setItem(seedKey, String(seed));
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

    // The stored seed, or null (none, or not a seed).
    function storedSeed() {
        try {
            const seed = R.parseSeed(window.localStorage.getItem(seedKey) || "");
            return seed === undefined ? null : seed;
        } catch (e) {
            return null;
        }
    }

    // FNV-1a of the link's text, in base 36: any one changed character
    // changes it.
    function check(textValue) {
        let hash = 0x811c9dc5;
        for (let i = 0; i < textValue.length; i++) {
            hash ^= textValue.charCodeAt(i);
            hash = Math.imul(hash, 0x01000193) >>> 0;
        }
        return hash.toString(36);
    }

    // The link's hash: the world's record and seed, the second world's when
    // there is a pair, and the check of all of it.
    function linkHash(bytes, seed, second) {
        let body = `record=${R.toBase64Url(bytes)}&seed=${seed}`;
        if (second)
            body += `&record2=${R.toBase64Url(second.applied)}&seed2=${second.seed}`;
        return `#${body}&check=${check(body)}`;
    }

    function shareLink() {
        return window.location.href.replace(/#.*$/, "") + linkHash(T.page.applied, T.page.seed, T.pair.current());
    }

    // One world's record and seed from the link's parameters `record` and
    // `seed` (with `suffix`): { bytes, seed } or { refusal }.
    function readWorld(parameters, suffix, which) {
        const encoded = parameters.get(`record${suffix}`);
        const seedText = parameters.get(`seed${suffix}`);
        const bytes = encoded === null ? null : R.fromBase64Url(encoded);
        const seed = seedText === null ? null : R.parseSeed(seedText);
        if (bytes === null)
            return { refusal: `it holds no settings record${which}.` };
        if (seed === undefined)
            return { refusal: `its seed${which} is not a whole number from 0 to 4294967295.` };
        const refusal = R.refusal(bytes);
        return refusal ? { refusal } : { bytes, seed };
    }

    // Reads a link's hash whole: { bytes, seed } or { refusal }.
    function readLink(hash) {
        const body = hash.replace(/^#/, "");
        const parameters = new URLSearchParams(body);
        const given = parameters.get("check");
        if (given !== null) {
            const checked = body.replace(/&check=[^&]*$/, "");
            if (checked === body || check(checked) !== given)
                return { refusal: "a character of it was changed (its check does not match)." };
        }
        const first = readWorld(parameters, "", "");
        if (first.refusal || parameters.get("record2") === null)
            return first;
        const second = readWorld(parameters, "2", " for the second world");
        return second.refusal ? second : { ...first, second };
    }

    // The link is judged whole before anything of it is used: "" when the
    // page has no link or its world runs, else the message says why not.
    // At the start of a visit a world that was in trouble is asked about.
    async function open(hash, atVisit = false) {
        if (!hash || hash === "#" || (T.page.applied && hash === linkHash(T.page.applied, T.page.seed, T.pair.current())))
            return "";
        const link = readLink(hash);
        const start = atVisit ? T.heavy.startAtVisit : T.page.startWorld;
        if (!link.refusal && !link.second && T.pair.current())
            await T.pair.close();
        let refusal = link.refusal || (await start(link.bytes, link.seed));
        if (!refusal && link.second)
            refusal = await T.pair.open(link.second.bytes, link.second.seed);
        if (refusal) {
            const text = `This link is damaged and was not opened: ${R.sentence(refusal)}`;
            T.messages.show(text, "bad");
            followWorld();
            return text;
        }
        return "";
    }

    // The address bar and the link box name the world that runs.
    function followWorld() {
        if (!T.page.applied)
            return;
        const link = shareLink();
        $("share-link").value = link;
        if (window.location.href === link)
            return;
        try {
            history.replaceState(null, "", link);
        } catch (e) {
            // Some file pages refuse it; the link box still has the link.
        }
    }

    function worldRunning() {
        followWorld();
        T.extras.worldRunning();
    }

    // A world the person chose (Apply, an import) is kept for the next visit.
    function worldChosen() {
        store(T.page.applied, T.page.appliedSeed);
    }

    async function copy() {
        const link = $("share-link");
        link.select();
        let copied = false;
        try {
            await navigator.clipboard.writeText(link.value);
            copied = true;
        } catch (e) {
            copied = document.execCommand("copy");
        }
        if (copied)
            T.messages.show("The link to this world was copied. Whoever opens it sees the same world.", "good");
        else
            T.messages.show("The link could not be copied: select it in the box and copy it yourself.", "bad");
    }

    function wire() {
        $("copy-button").addEventListener("click", copy);
        window.addEventListener("hashchange", () => open(window.location.hash));
    }

    T.links = { store, stored, storedSeed, shareLink, open, worldRunning, worldChosen, wire };
})(self.tovrine = self.tovrine || {});
