// The page's side of a world: it talks to world.js, in a Web Worker when
// the browser has them (showing on the canvas from the worker when it has
// OffscreenCanvas), else in the page itself. Every call answers with a
// promise; the worker does one thing at a time, in the order asked.
(function (T) {
    "use strict";

    // The worker's script: the served page has it as a file; the single
    // file makes it from the engine's and world.js's own inlined text.
    function makeWorker() {
        const engine = document.getElementById("engine-script");
        const world = document.getElementById("world-script");
        if (engine.src)
            return new Worker("tovrine-worker.js");
        const source = new Blob([engine.textContent, "\n", world.textContent], { type: "text/javascript" });
        return new Worker(URL.createObjectURL(source));
    }

    class World {
        constructor(canvas) {
            this.canvas = canvas;
            this.context = null;
            this.waiting = new Map();
            this.nextId = 1;
            this.where = "";
            this.width = canvas.width;
            this.height = canvas.height;
            this.animates = false;
            this.onReport = null;
        }

        // Starts the engine: in a worker when one answers, else in the page.
        async connect() {
            if (typeof Worker === "function") {
                try {
                    const worker = makeWorker();
                    const failed = new Promise((resolve, reject) => (worker.onerror = (e) => reject(e.message || "no worker")));
                    worker.onmessage = (event) => this.settle(event.data);
                    this.post = (message, transfer) => worker.postMessage(message, transfer || []);
                    const answer = await Promise.race([this.call({ type: "init" }), failed]);
                    if (!answer.ok)
                        throw new Error(answer.message);
                    worker.onerror = (e) => {
                        this.broke(e.message || "the worker ended");
                        for (const [id, resolve] of this.waiting)
                            resolve(T.failedAnswer(id, "the worker ended"));
                        this.waiting.clear();
                    };
                    this.worker = worker;
                    const taken = await this.takeCanvas();
                    // Runs its own frames where it draws them itself.
                    this.animates = answer.animates === true && this.where === "worker";
                    return taken;
                } catch (e) {
                    this.worker = null;
                }
            }
            const host = T.worldHost((answer) => this.settle(answer));
            this.post = (message) => host.receive(message);
            this.where = "page";
            return this.call({ type: "init", canvas: this.canvas });
        }

        // The canvas goes to the worker where it can draw there; otherwise
        // the worker sends each new picture and the page draws it.
        async takeCanvas() {
            if (typeof this.canvas.transferControlToOffscreen === "function") {
                const offscreen = this.canvas.transferControlToOffscreen();
                this.where = "worker";
                return this.call({ type: "canvas", canvas: offscreen }, [offscreen]);
            }
            this.context = this.canvas.getContext("2d", { alpha: false });
            this.where = "worker, drawn by the page";
            return { ok: true };
        }

        call(message, transfer) {
            message.id = this.nextId++;
            return new Promise((resolve) => {
                this.waiting.set(message.id, resolve);
                this.post(message, transfer);
            });
        }

        settle(answer) {
            if (answer.error)
                this.broke(answer.error);
            if (answer.report && this.onReport)
                return this.onReport(answer);
            if (answer.picture)
                this.draw(answer.picture);
            const resolve = this.waiting.get(answer.id);
            this.waiting.delete(answer.id);
            if (resolve)
                resolve(answer);
        }

        // The engine failed in a call: the world stops where it is, and the
        // page says so rather than waiting for answers that never come.
        broke(why) {
            T.time.state.stopped = true;
            T.messages.show(`The world's engine failed and the world stopped (${why}). ` +
                "Reload the page to start again.", "bad");
        }

        draw(picture) {
            if (!this.context)
                return;
            if (this.canvas.width !== picture.width || this.canvas.height !== picture.height) {
                this.canvas.width = picture.width;
                this.canvas.height = picture.height;
            }
            this.context.putImageData(new ImageData(picture.data, picture.width, picture.height), 0, 0);
        }

        // Builds a new world: { result, message, record, seed, width, height, figures }.
        async start(bytes, seed) {
            const answer = await this.call({ type: "start", bytes: bytes.slice(), seed });
            if (answer.width) {
                this.width = answer.width;
                this.height = answer.height;
            }
            return answer;
        }

        // Shows the world on `width` x `height` pixels of its canvas, where
        // the canvas is drawn by the world's side (else the page scales it).
        // Settles once it does.
        showAt(width, height) {
            if (this.context || (width === this.shownWidth && height === this.shownHeight))
                return Promise.resolve();
            this.shownWidth = width;
            this.shownHeight = height;
            return this.call({ type: "size", width, height });
        }

        // Runs `steps` frames and shows the last: { ran, ms, samples, figures, ended? }.
        step(steps, every) {
            return this.call({ type: "step", steps, every });
        }

        // Runs frames by the worker's own clock at `speed` until halted.
        play(speed) {
            return this.call({ type: "play", speed });
        }

        // What ran since the last report: { ran, ms, samples, showMs, ended? }.
        halt() {
            return this.call({ type: "halt" });
        }

        // Follows the Vob at world point (x, y) or nearest it within `reach`
        // pixels: the followed Vob, or null when none is there or followed.
        follow(x, y, reach) {
            return this.call({ type: "follow", x, y, reach }).then((a) => a.followed || null);
        }

        letGo() {
            return this.call({ type: "letGo" });
        }

        figures() {
            return this.call({ type: "figures" }).then((a) => a.figures);
        }

        // The picture the world shows: { width, height, data (RGBA) } or undefined.
        picture() {
            return this.call({ type: "picture" }).then((a) => a.picture);
        }

        // A key down or up; the answer holds the world's record as the key left it.
        // Ends the worker (the second world of a pair when it closes).
        close() {
            if (this.worker)
                this.worker.terminate();
            this.worker = null;
        }

        key(code, down) {
            return this.call({ type: "key", code, down });
        }

        // A display switch of the running world set at once: { result, record }.
        display(name, text) {
            return this.call({ type: "display", name, text });
        }
    }

    T.World = World;
})(self.tovrine = self.tovrine || {});
