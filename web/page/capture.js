// Pictures and clips of the world: a PNG at the world's own size, the very
// pixels the world shows for that frame, and a WebM clip of the canvas
// (MediaRecorder) with a time limit and a mark on the world while it records,
// made whole afterwards (webm.js) so that players know its length and seek.
(function (T) {
    "use strict";

    const $ = (id) => document.getElementById(id);
    const clipLimitMs = 60000;
    let recorder = null;
    let starting = false;  // the canvas is changing to the world's pixels
    let stopTimer = 0;

    function download(blob, name) {
        const link = document.createElement("a");
        link.href = URL.createObjectURL(blob);
        link.download = name;
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 1000);
    }

    // The PNG of the frame the first world shows, or null without a picture.
    async function pictureBlob() {
        const picture = await T.page.worlds[0].picture();
        if (!picture)
            return null;
        const canvas = document.createElement("canvas");
        canvas.width = picture.width;
        canvas.height = picture.height;
        canvas.getContext("2d").putImageData(new ImageData(picture.data, picture.width, picture.height), 0, 0);
        return new Promise((resolve) => canvas.toBlob(resolve, "image/png"));
    }

    async function savePicture() {
        const frame = (await T.page.worlds[0].figures()).frame;
        const blob = await pictureBlob();
        if (!blob) {
            T.messages.show("There is no picture of the world to save.", "bad");
            return;
        }
        download(blob, `tovrine-${String(frame).padStart(6, "0")}.png`);
        T.messages.show(`The picture of frame ${frame} was saved.`, "good");
    }

    function clipType() {
        if (typeof MediaRecorder !== "function")
            return null;
        return ["video/webm;codecs=vp9", "video/webm;codecs=vp8", "video/webm"]
            .find((type) => MediaRecorder.isTypeSupported(type)) || null;
    }

    // The clip is of the world's own pixels, as the picture is: the canvas
    // holds them while it records (a smaller video, and less to encode than
    // the canvas at the screen's size).
    async function startClip() {
        const type = clipType();
        const canvas = $("world");
        if (!type || typeof canvas.captureStream !== "function") {
            T.messages.show("This browser cannot record a clip of the world.", "bad");
            return;
        }
        starting = true;
        T.page.ownPixels = true;
        try {
            await T.page.fitCanvas();
        } finally {
            starting = false;
        }
        const chunks = [];
        recorder = new MediaRecorder(canvas.captureStream(30), { mimeType: type });
        recorder.ondataavailable = (e) => e.data.size && chunks.push(e.data);
        recorder.onstop = async () => {
            clearTimeout(stopTimer);
            recorder = null;
            T.page.ownPixels = false;
            T.page.fitCanvas();
            showRecording(false);
            const recorded = new Uint8Array(await new Blob(chunks).arrayBuffer());
            download(new Blob([T.webm.finish(recorded)], { type: "video/webm" }), "tovrine.webm");
            T.messages.show("The clip was saved as tovrine.webm.", "good");
        };
        recorder.start(1000);
        stopTimer = setTimeout(stopClip, clipLimitMs);
        showRecording(true);
    }

    function stopClip() {
        if (recorder && recorder.state !== "inactive")
            recorder.stop();
    }

    function showRecording(on) {
        $("recording-mark").hidden = !on;
        $("clip-button").textContent = on ? "Stop the clip" : "Record a clip";
        $("clip-button").setAttribute("aria-pressed", String(on));
    }

    function wire() {
        $("picture-button").addEventListener("click", savePicture);
        $("clip-button").addEventListener("click", () => (recorder ? stopClip() : starting || startClip()));
    }

    T.capture = { pictureBlob, wire, clipLimitMs };
})(self.tovrine = self.tovrine || {});
