// The page around the world: it loads the wasm module, runs the world by the
// clock, presents it on the canvas, and gives the settings panel, record files,
// share links and the chart. Every rule about records and fields is the
// module's; the page only shows what it says.
(function () {
    "use strict";

    const recordSize = 128;
    // The store keeps the record as the registry does, under the saver's key.
    const storageKey = "Tovrine (Doreroder v.1.1)/Options";
    const seedKey = "Tovrine (Doreroder v.1.1)/Seed";
    const functionKeys = new Set([112, 113, 114, 123]);  // F1 F2 F3 F12
    const ok = 0, refused = 1, outOfMemory = 2;
    // The chart: one sample every 25 frames (a quarter second of world time),
    // five minutes of them, redrawn at most four times a second.
    const sampleFrames = 25;
    const chartSamples = 1200;
    const chartRedrawMs = 250;
    const series = [
        { key: "vobs", label: "Vobs", colour: "#ff5a4a" },
        { key: "food", label: "Food", colour: "#5ad15a" },
        { key: "remains", label: "Remains", colour: "#9c9c9c" },
        { key: "history", label: "History", colour: "#5aa8ff" },
        { key: "civilizations", label: "Civilizations", colour: "#ffd24a" },
    ];

    const $ = (id) => document.getElementById(id);
    const canvas = $("world");
    const context = canvas.getContext("2d");
    const stage = $("stage");

    let M = null;
    // A test may ask for the clock to stand still from the start.
    let paused = window.tovrineTestStartsPaused === true;
    let stopped = false;  // the world ran out of memory; Apply builds a new one
    let applied = null;  // the record the running world was built from
    let appliedSeed = null;  // the seed the person fixed, or null
    let formBase = null;  // the record the form edits (its name and unlisted fields)
    let samples = [];
    let lastSampleFrame = -Infinity;
    let lastChartDraw = 0;
    let resolveReady;
    const ready = new Promise((resolve) => (resolveReady = resolve));

    // ---- the module's calls ----

    function text(pointer) {
        return M.UTF8ToString(pointer);
    }

    // Puts a record's bytes into the module's buffer and returns the length to
    // judge: only the first bytes are needed, the length is the real one, so
    // the module can name it when it refuses.
    function putRecord(bytes, length = bytes.length) {
        M.HEAPU8.set(bytes.subarray(0, recordSize), M._tovrine_record_buffer());
        return length;
    }

    function bufferRecord() {
        const at = M._tovrine_record_buffer();
        return M.HEAPU8.slice(at, at + recordSize);
    }

    function currentRecord() {
        M._tovrine_load_current();
        return bufferRecord();
    }

    function presetRecord(index) {
        M._tovrine_load_preset(index);
        return bufferRecord();
    }

    // The module's verdict on bytes as a record: "" or why it is refused.
    function recordRefusal(bytes, length) {
        length = putRecord(bytes, length);
        return M._tovrine_check_record(length) === ok ? "" : text(M._tovrine_message());
    }

    function figures() {
        const f = text(M._tovrine_stats()).trim().split(/\s+/).map(Number);
        const names = ["frame", "vobs", "history", "peak", "food", "remains", "whirls",
            "strengthSum", "xSum", "ySum"];
        const out = {};
        names.forEach((name, i) => (out[name] = f[i]));
        if (typeof M._tovrine_civilizations === "function")
            out.civilizations = M._tovrine_civilizations();
        return out;
    }

    // Builds a new world; "" or the message of the refusal, in which case the
    // running world is the one that ran before.
    function startWorld(bytes, seed) {
        const length = putRecord(bytes);
        const hasSeed = seed !== null ? 1 : 0;
        const result = M._tovrine_start(length, hasSeed, hasSeed ? seed : 0);
        if (result === refused)
            return text(M._tovrine_message());
        if (result === outOfMemory) {
            // The module built the previous record again.
            applied = currentRecord();
            stopped = false;
            worldStarted();
            return text(M._tovrine_message());
        }
        applied = currentRecord();
        appliedSeed = seed;
        stopped = false;
        worldStarted();
        return "";
    }

    function worldStarted() {
        samples = [];
        lastSampleFrame = -Infinity;
        const width = M._tovrine_width(), height = M._tovrine_height();
        if (canvas.width !== width || canvas.height !== height) {
            canvas.width = width;
            canvas.height = height;
        }
        document.documentElement.style.setProperty("--world-aspect", `${width} / ${height}`);
        fitCanvas();
        $("algorithm-name").textContent = recordName(applied);
        $("stage-message").textContent = "";
        $("share-link").value = shareLink();
        // The panel shows the settings of the world that runs.
        fillForm(applied);
        present();
    }

    function recordName(bytes) {
        const name = bytes.subarray(76, 120);
        const end = name.indexOf(0);
        return String.fromCharCode(...name.subarray(0, end < 0 ? name.length : end));
    }

    // ---- the clock and the canvas ----

    function present() {
        const pixels = M._tovrine_present();
        const width = M._tovrine_width(), height = M._tovrine_height();
        // No world (a failed start): nothing to show, and an empty ImageData throws.
        if (pixels === 0 || width <= 0 || height <= 0)
            return;
        const view = new Uint8ClampedArray(M.HEAPU8.buffer, pixels, width * height * 4);
        context.putImageData(new ImageData(view, width, height), 0, 0);
    }

    function onAnimationFrame(now) {
        window.requestAnimationFrame(onAnimationFrame);
        if (paused || stopped)
            return;
        const ticks = M._tovrine_advance(now);
        if (ticks < 0) {
            // The world outgrew memory: it stops, as the saver closes.
            stopped = true;
            $("stage-message").textContent =
                "The world ran out of memory and stopped. Apply the settings to start a new one.";
            return;
        }
        if (ticks > 0) {
            present();
            sample(now);
        }
    }

    // Scales the canvas to the stage with its aspect kept; the stage's black
    // shows around it.
    function fitCanvas() {
        const box = stage.getBoundingClientRect();
        const scale = Math.min(box.width / canvas.width, box.height / canvas.height);
        if (!(scale > 0))
            return;
        canvas.style.width = `${Math.floor(canvas.width * scale)}px`;
        canvas.style.height = `${Math.floor(canvas.height * scale)}px`;
    }

    // ---- the chart ----

    function sample(now) {
        const frame = M._tovrine_frame_count();
        if (frame - lastSampleFrame < sampleFrames)
            return;
        lastSampleFrame = frame;
        samples.push(figures());
        if (samples.length > chartSamples)
            samples.splice(0, samples.length - chartSamples);
        if (now - lastChartDraw >= chartRedrawMs) {
            lastChartDraw = now;
            drawChart();
        }
    }

    function buildLegend() {
        const legend = $("legend");
        for (const s of series) {
            const item = document.createElement("li");
            item.innerHTML = `<span class="swatch" style="background:${s.colour}"></span>${s.label}<output id="figure-${s.key}">-</output>`;
            legend.appendChild(item);
        }
    }

    // Figures from one to many thousands share the chart on a log scale.
    function drawChart() {
        const chart = $("chart");
        const g = chart.getContext("2d");
        // Drawn at the size it is shown, in the screen's own pixels, so it stays sharp.
        const box = chart.getBoundingClientRect();
        const ratio = window.devicePixelRatio || 1;
        const width = Math.max(1, Math.round(box.width)), height = Math.max(1, Math.round(box.height));
        if (chart.width !== Math.round(width * ratio) || chart.height !== Math.round(height * ratio)) {
            chart.width = Math.round(width * ratio);
            chart.height = Math.round(height * ratio);
        }
        g.setTransform(ratio, 0, 0, ratio, 0, 0);
        const left = 34, top = 6, bottom = 6;
        g.fillStyle = "#000";
        g.fillRect(0, 0, width, height);
        let largest = 10;
        for (const f of samples)
            for (const s of series)
                if (f[s.key] > largest)
                    largest = f[s.key];
        const decades = Math.ceil(Math.log10(largest + 1));
        const y = (v) => top + (height - top - bottom) * (1 - Math.log10(v + 1) / decades);
        g.font = "10px sans-serif";
        g.textAlign = "right";
        g.textBaseline = "middle";
        for (let d = 0; d <= decades; d++) {
            const v = Math.pow(10, d) - (d === 0 ? 1 : 0);
            g.strokeStyle = "#2a2a2a";
            g.beginPath();
            g.moveTo(left, y(v));
            g.lineTo(width, y(v));
            g.stroke();
            g.fillStyle = "#888";
            g.fillText(d === 0 ? "0" : d < 4 ? String(v) : `1e${d}`, left - 4, y(v));
        }
        // The first minute fills the width; later ones squeeze in up to five.
        const span = Math.min(chartSamples, Math.max(samples.length, chartSamples / 5));
        const step = (width - left) / (span - 1);
        const start = width - (samples.length - 1) * step;
        const minutes = Math.round((span * sampleFrames) / 6000);
        g.textAlign = "right";
        g.textBaseline = "top";
        g.fillStyle = "#888";
        g.fillText(`the last ${minutes} min`, width - 4, 2);
        for (const s of series) {
            if (samples.length === 0 || samples[0][s.key] === undefined)
                continue;
            g.strokeStyle = s.colour;
            g.lineWidth = 1.5;
            g.beginPath();
            samples.forEach((f, i) => (i ? g.lineTo : g.moveTo).call(g, start + i * step, y(f[s.key])));
            g.stroke();
        }
        const last = samples[samples.length - 1];
        for (const s of series)
            $(`figure-${s.key}`).textContent = last && last[s.key] !== undefined ? last[s.key] : "-";
    }

    // ---- the settings panel ----

    let fieldList = [];

    // Fills the panel from the record the form starts from: the controls are
    // made once from the module's field list, then only their values change.
    function fillForm(bytes) {
        formBase = bytes.slice();
        putRecord(formBase);
        fieldList = JSON.parse(text(M._tovrine_fields_json()));
        for (const field of fieldList) {
            const id = `field-${field.name}`;
            if (!$(id) && !document.querySelector(`[name="${id}"]`))
                makeControl(field, id);
            setControl(field, id);
        }
        fillAlgorithmChoice(bytes);
        $("seed").value = appliedSeed === null ? "" : String(appliedSeed);
    }

    function choiceEntries(field) {
        return (field.choices || []).map((c, i) =>
            typeof c === "object" ? { value: String(c.value), label: c.label !== undefined ? c.label : String(c.value) }
                : field.kind === "mode" ? { value: String(c), label: String(c) } : { value: String(i), label: String(c) });
    }

    // The box of the field's group on its page, made on first use: the
    // pages' group boxes become fieldsets with the group's name.
    function groupBox(field) {
        const page = $(/limit/i.test(field.page) ? "page-limits" : "page-god");
        if (!field.group)
            return page;
        const key = `${field.page}/${field.group}`;
        let box = [...page.querySelectorAll("fieldset.group")].find((f) => f.dataset.key === key);
        if (!box) {
            box = document.createElement("fieldset");
            box.className = "group";
            box.dataset.key = key;
            box.innerHTML = "<legend></legend>";
            box.firstChild.textContent = field.group;
            page.appendChild(box);
        }
        return box;
    }

    function makeControl(field, id) {
        const box = groupBox(field);
        const row = document.createElement("div");
        if (field.kind === "switch") {
            row.className = "row check";
            row.innerHTML = `<input type="checkbox" id="${id}"><label for="${id}"></label>`;
            row.querySelector("label").textContent = field.label;
        } else if (field.kind === "choice") {
            // Radio buttons named by their group's legend, or by a legend of their own.
            row.className = "choice";
            let group = row;
            if (field.label !== field.group) {
                row.innerHTML = `<fieldset class="choice"><legend></legend></fieldset>`;
                row.querySelector("legend").textContent = field.label;
                group = row.firstChild;
            }
            for (const [i, c] of choiceEntries(field).entries()) {
                const label = document.createElement("label");
                label.innerHTML = `<input type="radio" name="${id}" id="${id}-${i}"> `;
                label.firstChild.value = c.value;
                label.append(c.label);
                group.appendChild(label);
            }
        } else if (field.kind === "mode") {
            row.className = "row";
            row.innerHTML = `<label for="${id}"></label><select id="${id}"></select>`;
            row.querySelector("label").textContent = field.label === field.group ? "Display mode" : field.label;
            for (const c of choiceEntries(field))
                row.querySelector("select").add(new Option(c.label, c.value));
        } else {
            row.className = "row";
            row.innerHTML = `<label for="${id}"></label><input type="text" inputmode="numeric" autocomplete="off" id="${id}">`;
            row.querySelector("label").textContent = field.label;
            const input = row.querySelector("input");
            if (field.maxLength)
                input.maxLength = field.maxLength;
            if (field.min !== undefined && field.max !== undefined)
                input.title = `${field.min} to ${field.max}`;
        }
        box.appendChild(row);
    }

    function setControl(field, id) {
        if (field.kind === "switch") {
            $(id).checked = Number(field.value) !== 0;
        } else if (field.kind === "choice") {
            // The module gives the choice the page shows for any stored value.
            document.querySelectorAll(`[name="${id}"]`).forEach((r) => (r.checked = r.value === String(field.value)));
        } else if (field.kind === "mode") {
            const select = $(id);
            const value = String(field.value);
            if (![...select.options].some((o) => o.value === value))
                select.add(new Option(value, value));
            select.value = value;
        } else {
            $(id).value = String(field.value);
        }
    }

    function controlText(field) {
        const id = `field-${field.name}`;
        if (field.kind === "switch")
            return $(id).checked ? "1" : "0";
        if (field.kind === "choice") {
            const chosen = document.querySelector(`[name="${id}"]:checked`);
            return chosen ? chosen.value : "0";
        }
        return $(id).value;
    }

    function fillAlgorithmChoice(bytes) {
        const select = $("algorithm");
        const name = recordName(bytes);
        select.textContent = "";
        let found = -1;
        for (let i = 0; i < M._tovrine_preset_count(); i++) {
            const presetName = text(M._tovrine_preset_name(i));
            select.add(new Option(presetName, String(i)));
            if (found < 0 && presetName === name)
                found = i;
        }
        if (found < 0) {
            select.add(new Option(name || "(unnamed)", "current"), 0);
            select.value = "current";
        } else {
            select.value = String(found);
        }
    }

    // Choosing an algorithm loads it into the form as the "Load/Save" page
    // loads a slot: the entity limit and the display mode stay.
    function onAlgorithmChosen() {
        const choice = $("algorithm").value;
        if (choice === "current")
            return;
        const machine = fieldList.filter((f) => /limit/i.test(f.page)).map((f) => [f.name, controlText(f)]);
        M._tovrine_load_preset(Number(choice));
        for (const [name, value] of machine)
            M.ccall("tovrine_set_field", "number", ["string", "string"], [name, value]);
        const seed = $("seed").value;
        fillForm(bufferRecord());
        $("seed").value = seed;
        $("algorithm").value = choice;
    }

    // The record the form describes, read as the pages read their boxes.
    function formRecord() {
        putRecord(formBase);
        for (const field of fieldList)
            M.ccall("tovrine_set_field", "number", ["string", "string"], [field.name, controlText(field)]);
        return bufferRecord();
    }

    function parseSeed(textValue) {
        const t = textValue.trim();
        if (t === "")
            return null;
        if (!/^\d{1,10}$/.test(t) || Number(t) > 4294967295)
            return undefined;
        return Number(t);
    }

    function showNotice(message) {
        const dialog = $("notice");
        $("notice-text").textContent = flowing(message);
        return new Promise((resolve) => {
            dialog.addEventListener("close", () => resolve(dialog.returnValue === "ok"), { once: true });
            dialog.returnValue = "cancel";
            dialog.showModal();
            $("notice-ok").focus();
        });
    }

    // The module's texts break their lines for a dialog of fixed width; the
    // page lets them flow, keeping the blank lines between paragraphs.
    function flowing(message) {
        return message.replace(/\r\n/g, "\n").split(/\n{2,}/).map((p) => p.replace(/\n/g, " ")).join("\n\n");
    }

    let lastApply = Promise.resolve();

    function onApply(event) {
        event.preventDefault();
        lastApply = apply();
    }

    async function apply() {
        const message = $("settings-message");
        message.textContent = "";
        const seed = parseSeed($("seed").value);
        if (seed === undefined) {
            message.textContent = "The seed is a whole number from 0 to 4294967295, or empty.";
            return;
        }
        const record = formRecord();
        const refusal = recordRefusal(record);
        if (refusal) {
            message.textContent = flowing(refusal);
            return;
        }
        if (typeof M._tovrine_entity_notice === "function") {
            putRecord(record);
            const notice = text(M._tovrine_entity_notice());
            if (notice && !(await showNotice(notice)))
                return;
        }
        const failure = startWorld(record, seed);
        if (failure) {
            message.textContent = flowing(failure);
            return;
        }
        storeRecord(applied);
        forgetLink();
        // The new world starts in sight (on a phone the form is below it).
        stage.scrollIntoView({ block: "nearest" });
    }

    // ---- the store ----

    function toBase64(bytes) {
        return btoa(String.fromCharCode(...bytes));
    }

    // Strict: only the alphabet of base64url without padding; null otherwise.
    function fromBase64Url(textValue) {
        if (!/^[A-Za-z0-9_-]*$/.test(textValue) || textValue.length % 4 === 1)
            return null;
        const binary = atob(textValue.replace(/-/g, "+").replace(/_/g, "/"));
        return Uint8Array.from(binary, (c) => c.charCodeAt(0));
    }

    function toBase64Url(bytes) {
        return toBase64(bytes).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
    }

    // The seed the person fixed goes with the record, so a reload shows the same world.
    function storeRecord(bytes) {
        try {
            window.localStorage.setItem(storageKey, toBase64(bytes));
            if (appliedSeed === null)
                window.localStorage.removeItem(seedKey);
            else
                window.localStorage.setItem(seedKey, String(appliedSeed));
        } catch (e) {
            // No storage (a private window, a file page in some browsers): the
            // settings last as long as the page.
        }
    }

    // The stored record, or null when there is none or it is damaged: the
    // saver then runs its built-in settings without a word.
    function storedRecord() {
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
        return recordRefusal(bytes) === "" ? bytes : null;
    }

    // The stored seed, or null (none, or not a seed).
    function storedSeed() {
        try {
            const seed = parseSeed(window.localStorage.getItem(seedKey) || "");
            return seed === undefined ? null : seed;
        } catch (e) {
            return null;
        }
    }

    // ---- record files ----

    // The same way in for the file picker, a dropped file and the tests.
    function importBytes(bytes, fileName, length = bytes.length) {
        const out = $("file-message");
        out.classList.remove("good");
        const what = fileName ? `"${fileName}"` : "The file";
        const refusal = recordRefusal(bytes, length);
        if (refusal) {
            out.textContent = `${what} was not imported:\n${sentence(refusal)}\nThe world goes on as it was.`;
            return out.textContent;
        }
        const failure = startWorld(bytes, appliedSeed);
        if (failure) {
            out.textContent = `${what} was not imported:\n${sentence(failure)}`;
            return out.textContent;
        }
        storeRecord(applied);
        forgetLink();
        out.classList.add("good");
        out.textContent = `Imported ${fileName ? what : "the record"}: ${recordName(applied)}.`;
        return "";
    }

    // A message of the module as a sentence of the page's.
    function sentence(message) {
        const t = message.trim();
        return /[.!?]$/.test(t) ? t : `${t}.`;
    }

    async function importFile(file) {
        if (!file)
            return;
        // The first bytes are all a record can be; a longer file is refused by its size.
        const bytes = new Uint8Array(await file.slice(0, recordSize).arrayBuffer());
        return importBytes(bytes, file.name, file.size);
    }

    function exportRecord() {
        const blob = new Blob([applied], { type: "application/octet-stream" });
        const link = document.createElement("a");
        link.href = URL.createObjectURL(blob);
        link.download = "options.rec";
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 1000);
    }

    // ---- share links: the record, and the seed when one is fixed ----

    function shareLink() {
        const base = window.location.href.replace(/#.*$/, "");
        let hash = `#record=${toBase64Url(applied)}`;
        if (appliedSeed !== null)
            hash += `&seed=${appliedSeed}`;
        return base + hash;
    }

    // The link is judged whole before anything of it is used: "" when the
    // page has no link, else its world is started or the message says why not.
    function openLink(hash) {
        if (!hash || hash === "#")
            return "";
        const parameters = new URLSearchParams(hash.replace(/^#/, ""));
        const encoded = parameters.get("record");
        const seedText = parameters.get("seed");
        const bytes = encoded === null ? null : fromBase64Url(encoded);
        const seed = seedText === null ? null : parseSeed(seedText);
        let refusal = "";
        if (bytes === null)
            refusal = "it holds no settings record.";
        else if (seed === undefined)
            refusal = "its seed is not a whole number from 0 to 4294967295.";
        else
            refusal = recordRefusal(bytes) || startWorld(bytes, seed);
        const out = $("file-message");
        out.classList.remove("good");
        if (refusal) {
            out.textContent = `This link is damaged and was not opened:\n${sentence(refusal)}`;
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

    // ---- full screen, as the saver: any key but the function keys, a click or
    // real mouse travel leaves it. The world alone in the window (saver_mode.js)
    // counts as full screen: it is the saver mode, and full screen where the
    // browser has no element full screen (iPhones) ----

    let mouseAnchor = null;
    const fullView = () => window.tovrineFullView || { active: () => false, enter() {}, leave() {} };

    function inFullScreen() {
        return document.fullscreenElement === stage || fullView().active();
    }

    function enterFullScreen() {
        mouseAnchor = null;
        if (typeof stage.requestFullscreen === "function")
            stage.requestFullscreen().catch(() => fullView().enter(false));
        else
            fullView().enter(false);
    }

    function leaveFullScreen() {
        if (document.fullscreenElement === stage)
            document.exitFullscreen().catch(() => {});
        fullView().leave();
    }

    function fittedToPlace(bytes) {
        return window.tovrineWorldSize ? window.tovrineWorldSize.fitted(bytes) : bytes;
    }

    // ---- wiring ----

    function wire() {
        $("settings-form").addEventListener("submit", onApply);
        $("revert-button").addEventListener("click", () => {
            $("settings-message").textContent = "";
            fillForm(applied);
        });
        $("algorithm").addEventListener("change", onAlgorithmChosen);
        $("import-button").addEventListener("click", () => $("import-file").click());
        $("import-file").addEventListener("change", (e) => {
            importFile(e.target.files[0]);
            e.target.value = "";
        });
        $("export-button").addEventListener("click", exportRecord);
        $("copy-button").addEventListener("click", () => {
            const link = $("share-link");
            link.select();
            if (navigator.clipboard)
                navigator.clipboard.writeText(link.value).catch(() => document.execCommand("copy"));
            else
                document.execCommand("copy");
        });
        $("panel-button").addEventListener("click", () => {
            const side = $("side");
            side.hidden = !side.hidden;
            $("panel-button").setAttribute("aria-expanded", String(!side.hidden));
            $("panel-button").textContent = side.hidden ? "Show the panel" : "Hide the panel";
        });
        $("fullscreen-button").addEventListener("click", enterFullScreen);

        document.addEventListener("keydown", (e) => {
            if (functionKeys.has(e.keyCode)) {
                e.preventDefault();
                if (M)
                    M._tovrine_key(e.keyCode, 1);
            } else if (inFullScreen()) {
                e.preventDefault();
                leaveFullScreen();
            }
        });
        document.addEventListener("keyup", (e) => {
            if (functionKeys.has(e.keyCode) && M)
                M._tovrine_key(e.keyCode, 0);
        });
        stage.addEventListener("mousedown", () => leaveFullScreen());
        stage.addEventListener("mousemove", (e) => {
            if (M) {
                const box = canvas.getBoundingClientRect();
                const x = Math.floor(((e.clientX - box.left) * canvas.width) / box.width);
                const y = Math.floor(((e.clientY - box.top) * canvas.height) / box.height);
                M._tovrine_mouse(x, y, e.buttons);
            }
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
        });
        for (const change of ["fullscreenchange", "tovrine-fullview"])
            document.addEventListener(change, () => {
                mouseAnchor = null;
                fitCanvas();
            });
        new ResizeObserver(fitCanvas).observe(stage);
        window.addEventListener("hashchange", () => openLink(window.location.hash));

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
            if (M && e.dataTransfer.files.length)
                importFile(e.dataTransfer.files[0]);
        });
    }

    async function main() {
        buildLegend();
        wire();
        if (typeof window.createTovrine !== "function") {
            $("stage-message").textContent = "The world's engine did not load.";
            return;
        }
        try {
            M = await window.createTovrine({});
        } catch (e) {
            $("stage-message").textContent = `The world's engine did not load: ${e}`;
            return;
        }
        tovrineTest.module = M;
        // A link names its own world; without one (or when it is damaged) the
        // stored settings run, or the built-in ones.
        openLink(window.location.hash);
        // With neither, the world takes the size of the place it has
        // (world_size.js), as the sheet starts from the desktop's mode.
        if (applied === null) {
            const stored = storedRecord();
            if (!stored || startWorld(stored, storedSeed()))
                startWorld(fittedToPlace(presetRecord(0)), null);
        }
        window.requestAnimationFrame(onAnimationFrame);
        resolveReady();
    }

    // For the browser tests: pause the clock, run frames, read figures and go
    // through the same ways in as a person.
    const tovrineTest = {
        ready,
        module: null,
        pause() {
            paused = true;
        },
        resume() {
            paused = false;
        },
        figures: () => figures(),
        // A new world of built-in algorithm `index` with a fixed seed, as Apply makes it.
        startPreset: (index, seed) => startWorld(presetRecord(index), seed),
        // Runs `frames` frames at once and shows the last; returns the figures.
        run(frames) {
            for (let i = 0; i < frames; i++)
                M._tovrine_tick();
            present();
            return figures();
        },
        present: () => present(),
        importBytes: (bytes) => importBytes(Uint8Array.from(bytes)),
        openLink: (hash) => openLink(hash),
        shareLink: () => shareLink(),
        appliedRecord: () => Array.from(applied),
        drawChart: () => drawChart(),
        // Settles when the last Apply has done all it will (after the notice's answer).
        lastApply: () => lastApply,
    };
    window.tovrineTest = tovrineTest;

    // ---- what the page's other scripts use (touch.js, wakelock.js,
    // saver_mode.js, world_size.js) ----
    window.tovrinePage = {
        ready,
        stage,
        canvas,
        // A function key pressed and let go, as from the keyboard.
        pressKey(keyCode) {
            if (M && functionKeys.has(keyCode)) {
                M._tovrine_key(keyCode, 1);
                M._tovrine_key(keyCode, 0);
            }
        },
        inFullScreen,
        enterFullScreen,
        leaveFullScreen,
        // The lab's pause, where the page has one: the touch bar shows a
        // Pause button only when this is a function.
        pauseToggle: undefined,
    };

    main();
})();
