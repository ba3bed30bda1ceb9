// Records and their fields as the module judges them: the page never
// decides what a record means, it asks. Also the text forms a record takes
// in the store and in links.
(function (T) {
    "use strict";

    const recordSize = 128;
    const ok = 0, refused = 1, outOfMemory = 2;
    let M = null;

    function use(module) {
        M = module;
    }

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

    function presetRecord(index) {
        M._tovrine_load_preset(index);
        return bufferRecord();
    }

    function presetNames() {
        const names = [];
        for (let i = 0; i < M._tovrine_preset_count(); i++)
            names.push(text(M._tovrine_preset_name(i)));
        return names;
    }

    // The module's verdict on bytes as a record: "" or why it is refused.
    function refusal(bytes, length) {
        length = putRecord(bytes, length);
        return M._tovrine_check_record(length) === ok ? "" : text(M._tovrine_message());
    }

    // The fields of the pages for a record, as the module lists them.
    function fields(bytes) {
        putRecord(bytes);
        return JSON.parse(text(M._tovrine_fields_json()));
    }

    // `bytes` with each [name, text] of `values` read as the pages read their boxes.
    function withFields(bytes, values) {
        putRecord(bytes);
        for (const [name, value] of values)
            M.ccall("tovrine_set_field", "number", ["string", "string"], [name, value]);
        return bufferRecord();
    }

    // The "Notice!" the pages show before storing the record, or "".
    function entityNotice(bytes) {
        putRecord(bytes);
        return typeof M._tovrine_entity_notice === "function" ? text(M._tovrine_entity_notice()) : "";
    }

    function name(bytes) {
        const field = bytes.subarray(76, 120);
        const end = field.indexOf(0);
        return String.fromCharCode(...field.subarray(0, end < 0 ? field.length : end));
    }

    // The module's texts break their lines for a dialog of fixed width; the
    // page lets them flow, keeping the blank lines between paragraphs.
    function flowing(message) {
        return message.replace(/\r\n/g, "\n").split(/\n{2,}/).map((p) => p.replace(/\n/g, " ")).join("\n\n");
    }

    // A message of the module as a sentence of the page's.
    function sentence(message) {
        const t = flowing(message).trim();
        return /[.!?]$/.test(t) ? t : `${t}.`;
    }

    // A seed as typed: null when empty, undefined when it is not one.
    function parseSeed(textValue) {
        const t = textValue.trim();
        if (t === "")
            return null;
        if (!/^\d{1,10}$/.test(t) || Number(t) > 4294967295)
            return undefined;
        return Number(t);
    }

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

    T.records = {
        size: recordSize, ok, refused, outOfMemory,
        use, text, putRecord, bufferRecord, presetRecord, presetNames, refusal, fields, withFields,
        entityNotice, name, flowing, sentence, parseSeed, toBase64, fromBase64Url, toBase64Url,
    };
})(self.tovrine = self.tovrine || {});
