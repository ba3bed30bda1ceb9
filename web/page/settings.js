// The settings panel: the fields of the "Playing God!" and "System/Limits"
// pages made from the module's field list, the algorithm choice, the seed,
// and Apply, which judges the form as the pages do and starts a new world.
(function (T) {
    "use strict";

    const R = T.records;
    const $ = (id) => document.getElementById(id);
    let fieldList = [];
    let formBase = null;  // the record the form edits (its name and unlisted fields)
    let lastApply = Promise.resolve();
    // What the function keys switch: set at once, the world goes on.
    const displayFields = ["showCloud", "statsMode", "includeLife"];

    // Fills the panel from the record the form starts from: the controls are
    // made once from the module's field list, then only their values change.
    function fill(bytes, seed) {
        formBase = bytes.slice();
        fieldList = R.fields(formBase);
        for (const field of fieldList) {
            const id = `field-${field.name}`;
            if (!$(id) && !document.querySelector(`[name="${id}"]`))
                makeControl(field, id);
            setControl(field, id);
        }
        fillAlgorithmChoice(bytes);
        $("seed").value = seed === null ? "" : String(seed);
        showApplyHint();
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
                if (c.help)
                    label.title = c.help;
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
            if (field.range)
                input.title = field.range;
        }
        box.appendChild(row);
        explain(field, id, box);
    }

    // The field's one-line explanation (and range) under its control, as the
    // description of the record's fields gives it.
    function explain(field, id, box) {
        if (!field.help)
            return;
        const hint = document.createElement("p");
        hint.className = "hint field-help";
        hint.id = `${id}-help`;
        const help = field.range ? field.help : field.help.charAt(0).toUpperCase() + field.help.slice(1);
        hint.textContent = field.range ? `${field.range}: ${help}` : help;
        box.appendChild(hint);
        const control = $(id) || box.querySelector(`[name="${id}"]`).closest(".choice");
        control.setAttribute("aria-describedby", hint.id);
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

    const fieldNamed = (name) => fieldList.find((f) => f.name === name);

    // The display switches as the running world has them now.
    function showDisplay(record) {
        for (const field of R.fields(record))
            if (displayFields.includes(field.name))
                setControl(field, `field-${field.name}`);
        showApplyHint();
    }

    // The display field a control belongs to, or null.
    function displayFieldOf(control) {
        const id = control.name || control.id || "";
        const name = id.replace(/^field-/, "");
        return displayFields.includes(name) ? fieldNamed(name) : null;
    }

    const sameBytes = (a, b) => a.length === b.length && a.every((x, i) => x === b[i]);

    // Whether Apply starts a world of other rules than the running one.
    function rulesChanged() {
        if (!T.page.applied || !formBase)
            return false;
        const display = displayFields.map((name) => [name, controlText(fieldNamed(name))]);
        return !sameBytes(formRecord(), R.withFields(T.page.applied, display)) ||
            R.parseSeed($("seed").value) !== T.page.appliedSeed;
    }

    function showApplyHint() {
        $("apply-hint").textContent = rulesChanged()
            ? "Apply starts a new world with the changed rules."
            : "The cloud and the numbers switch at once. Apply starts a new world of the same rules.";
    }

    function fillAlgorithmChoice(bytes) {
        const select = $("algorithm");
        const name = R.name(bytes);
        select.textContent = "";
        const names = R.presetNames();
        names.forEach((presetName, i) => select.add(new Option(presetName, String(i))));
        const found = names.indexOf(name);
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
        const seed = $("seed").value;
        fill(R.withFields(R.presetRecord(Number(choice)), machine), null);
        $("seed").value = seed;
        $("algorithm").value = choice;
    }

    // The record the form describes, read as the pages read their boxes.
    function formRecord() {
        return R.withFields(formBase, fieldList.map((f) => [f.name, controlText(f)]));
    }

    function showNotice(message) {
        const dialog = $("notice");
        $("notice-text").textContent = R.flowing(message);
        return new Promise((resolve) => {
            dialog.addEventListener("close", () => resolve(dialog.returnValue === "ok"), { once: true });
            dialog.returnValue = "cancel";
            dialog.showModal();
            $("notice-ok").focus();
        });
    }

    // How each number box was read, where that is not what it shows:
    // 'Vobs: "3x" read as 3'.
    function readings(record) {
        const read = new Map(R.fields(record).map((f) => [f.name, String(f.value)]));
        return fieldList
            .filter((f) => f.kind === "number" && controlText(f).trim() !== read.get(f.name))
            .map((f) => `${f.label}: "${controlText(f)}" read as ${read.get(f.name)}`);
    }

    function refuse(text) {
        $("settings-message").textContent = text;
        T.messages.show(`The settings were not applied: ${text}`, "bad");
    }

    async function apply() {
        $("settings-message").textContent = "";
        const seed = R.parseSeed($("seed").value);
        if (seed === undefined) {
            refuse("the seed is a whole number from 0 to 4294967295, or empty.");
            return;
        }
        const record = formRecord();
        const refusal = R.refusal(record);
        if (refusal) {
            refuse(R.sentence(refusal));
            return;
        }
        const notice = R.entityNotice(record);
        if (notice && !(await showNotice(notice)))
            return;
        const read = readings(record);
        const failure = await T.page.startWorld(record, seed);
        if (failure) {
            refuse(R.sentence(failure));
            return;
        }
        T.links.worldChosen();
        // The new world starts in sight (on a phone the form is below it).
        $("stage").scrollIntoView({ block: "nearest" });
        T.messages.show(["A new world started."].concat(read.map((r) => `${r}.`)).join("\n"), "good");
    }

    function wire() {
        $("settings-form").addEventListener("submit", (event) => {
            event.preventDefault();
            lastApply = apply();
        });
        $("revert-button").addEventListener("click", () => {
            $("settings-message").textContent = "";
            fill(T.page.applied, T.page.appliedSeed);
        });
        $("algorithm").addEventListener("change", onAlgorithmChosen);
        $("settings-form").addEventListener("change", (e) => {
            const field = displayFieldOf(e.target);
            if (field)
                T.page.setDisplay(field.name, controlText(field));
        });
        $("settings-form").addEventListener("input", showApplyHint);
        $("settings-form").addEventListener("change", showApplyHint);
        $("strength-reset-button").addEventListener("click", () => T.page.functionKey(123));
    }

    T.settings = { fill, wire, showDisplay, lastApply: () => lastApply };
})(self.tovrine = self.tovrine || {});
