// Heavy worlds: the page watches the frame rate against the one the world
// should run at. A world far behind for a few seconds is said to be so by
// the world, with a way back to the last world that ran well (or, on a
// first visit, to the built-in algorithm at the size of its place); a world that
// ran out of memory, or was far behind when the page was closed, is kept
// in mind, and the next visit asks before starting it again.
(function (T) {
    "use strict";

    const R = T.records;
    const troubleKey = "Tovrine (Doreroder v.1.1)/Trouble";
    const farBehind = 0.5;  // of the rate the world should run at
    const runsWell = 0.8;
    const judgeMs = 3000;  // how long a rate must last to count

    let goodSince = null, behindSince = null;
    let told = false;
    let lastGood = null;  // { record, seed } of the last world that ran well

    function readTrouble() {
        try {
            const kept = JSON.parse(window.localStorage.getItem(troubleKey) || "null");
            return kept && typeof kept.record === "string" ? kept : null;
        } catch (e) {
            return null;
        }
    }

    function markTrouble(record, seed, reason) {
        try {
            window.localStorage.setItem(troubleKey, JSON.stringify({ record: R.toBase64(record), seed, reason }));
        } catch (e) {
            // Without storage nothing is remembered, and nothing asked.
        }
    }

    function clearTrouble(record) {
        const kept = readTrouble();
        if (kept && kept.record === R.toBase64(record))
            window.localStorage.removeItem(troubleKey);
    }

    // Why `record` should not start unasked: the reason kept, or "".
    function trouble(record) {
        const kept = readTrouble();
        return kept && kept.record === R.toBase64(record) ? kept.reason : "";
    }

    function worldStarted() {
        goodSince = behindSince = null;
        told = false;
    }

    function worldEnded() {
        markTrouble(T.page.applied, T.page.seed, "ran out of memory");
    }

    // Called about once a second with the frames a second the world ran and
    // the rate it should run at.
    function judge(rate, target) {
        const now = performance.now();
        if (T.time.state.paused || T.time.state.stopped || target === Infinity || document.hidden) {
            goodSince = behindSince = null;
            return;
        }
        if (rate >= runsWell * target) {
            behindSince = null;
            goodSince = goodSince === null ? now : goodSince;
            if (now - goodSince >= judgeMs) {
                lastGood = { record: T.page.applied, seed: T.page.seed };
                clearTrouble(T.page.applied);
            }
        } else if (rate < farBehind * target) {
            goodSince = null;
            behindSince = behindSince === null ? now : behindSince;
            if (now - behindSince >= judgeMs && !told) {
                told = true;
                markTrouble(T.page.applied, T.page.seed, `ran far behind, at ${Math.round(rate)} of ${target} frames a second`);
                tellFarBehind(rate, target);
            }
        }
    }

    // The built-in algorithm, the size of the place it has.
    const builtIn = () => window.tovrineWorldSize.fitted(R.presetRecord(0));

    function tellFarBehind(rate, target) {
        const back = lastGood && R.toBase64(lastGood.record) !== R.toBase64(T.page.applied) ? lastGood : null;
        const action = back
            ? { label: `Go back to ${R.name(back.record) || "the last world"}, seed ${back.seed}`, act: () => T.page.startWorld(back.record, back.seed) }
            : { label: "Start the built-in algorithm", act: () => T.page.startWorld(builtIn(), null) };
        T.messages.show(`This world is far behind: ${Math.round(rate)} of ${target} frames a second. ` +
            "It goes on, more slowly than it should." + (back ? " The last world that ran well:" : ""), "bad", [action]);
    }

    // At the start of a visit: `record` runs unless it was in trouble; then
    // the built-in algorithm runs until the person says to start it.
    async function startAtVisit(record, seed) {
        const reason = trouble(record);
        if (!reason)
            return T.page.startWorld(record, seed);
        const failure = await T.page.startWorld(builtIn(), null);
        T.messages.show(`The world "${R.name(record)}" ${reason} when the page was last open, so it was not started ` +
            "again: the built-in algorithm runs.", "bad",
        [{ label: "Start it anyway", act: () => T.page.startWorld(record, seed) }]);
        return failure;
    }

    T.heavy = { judge, worldStarted, worldEnded, startAtVisit, markTrouble, lastGood: () => lastGood };
})(self.tovrine = self.tovrine || {});
