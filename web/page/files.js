// Record files: import (the file picker, a dropped file and the tests take
// the same way in) and export of the running world's record.
(function (T) {
    "use strict";

    const R = T.records;
    const $ = (id) => document.getElementById(id);

    // "" when the record runs, else the message (also shown by the world).
    async function importBytes(bytes, fileName, length = bytes.length) {
        const what = fileName ? `"${fileName}"` : "The record";
        const refusal = R.refusal(bytes, length);
        if (refusal) {
            const text = `${what} was refused and not imported: ${R.sentence(refusal)} The world goes on as it was.`;
            T.messages.show(text, "bad");
            return text;
        }
        const { record, changes } = inRange(bytes);
        const failure = await T.page.startWorld(record, T.page.appliedSeed);
        if (failure) {
            const text = `${what} was not imported: ${R.sentence(failure)} The world before it starts again.`;
            T.messages.show(text, "bad");
            return text;
        }
        T.links.worldChosen();
        const imported = `Imported ${fileName ? what : "the record"}: ${R.name(T.page.applied)}`;
        if (changes.length) {
            // Not a plain success: the world runs with other values than the file's.
            const text = `${imported}, with numbers out of their range read as the settings read them: ${changes.join("; ")}.`;
            T.messages.show(text, "");
            return text;
        }
        T.messages.show(`${imported}.`, "good");
        return "";
    }

    // The record with each number out of its range read as the settings read
    // their boxes, so the world, the panel, the link and the stored record
    // agree: { record, changes: ['Whirls 100000 read as 99999', ...] }.
    function inRange(bytes) {
        const outside = R.fields(bytes).filter((f) => f.kind === "number" && (f.value < f.min || f.value > f.max));
        const record = R.withFields(bytes, outside.map((f) => [f.name, String(f.value)]));
        const read = new Map(R.fields(record).map((f) => [f.name, f.value]));
        return { record, changes: outside.map((f) => `${f.label} ${f.value} read as ${read.get(f.name)}`) };
    }

    async function importFile(file) {
        if (!file)
            return;
        // The first bytes are all a record can be; a longer file is refused by its size.
        const bytes = new Uint8Array(await file.slice(0, R.size).arrayBuffer());
        return importBytes(bytes, file.name, file.size);
    }

    function exportRecord() {
        const blob = new Blob([T.page.applied], { type: "application/octet-stream" });
        const link = document.createElement("a");
        link.href = URL.createObjectURL(blob);
        link.download = "options.rec";
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 1000);
    }

    function wireDrop() {
        let dragDepth = 0;
        document.addEventListener("dragenter", (e) => {
            e.preventDefault();
            dragDepth++;
            $("drop-cover").hidden = false;
        });
        document.addEventListener("dragleave", () => {
            if (--dragDepth <= 0) {
                dragDepth = 0;
                $("drop-cover").hidden = true;
            }
        });
        document.addEventListener("dragover", (e) => e.preventDefault());
        document.addEventListener("drop", (e) => {
            e.preventDefault();
            dragDepth = 0;
            $("drop-cover").hidden = true;
            if (T.page.applied && e.dataTransfer.files.length)
                importFile(e.dataTransfer.files[0]);
        });
    }

    function wire() {
        $("import-button").addEventListener("click", () => $("import-file").click());
        $("import-file").addEventListener("change", (e) => {
            importFile(e.target.files[0]);
            e.target.value = "";
        });
        $("export-button").addEventListener("click", exportRecord);
        wireDrop();
    }

    T.files = { importBytes, wire };
})(self.tovrine = self.tovrine || {});
