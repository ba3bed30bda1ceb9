// The chart of the last five minutes: one sample every 25 frames (a quarter
// second of world time), redrawn at most once a second, on a log scale
// so that figures from one to many thousands share it.
(function (T) {
    "use strict";

    const sampleFrames = 25;
    const chartSamples = 1200;
    const chartRedrawMs = 1000;
    const series = [
        { key: "vobs", label: "Vobs", colour: "#ff5a4a" },
        { key: "food", label: "Food", colour: "#5ad15a" },
        { key: "remains", label: "Remains", colour: "#9c9c9c" },
        { key: "history", label: "History", colour: "#5aa8ff" },
        { key: "civilizations", label: "Civilizations", colour: "#ffd24a" },
    ];
    const $ = (id) => document.getElementById(id);
    // An unchanged text is left alone: it would cost a layout.
    const setText = (element, text) => element.textContent !== text && (element.textContent = text);

    // Per world: its samples, and the frame of its last one. The second
    // world of a pair is drawn dashed.
    let worlds = [{ samples: [], last: -Infinity }];
    let lastDraw = 0;

    function clear(index = 0) {
        worlds[index] = { samples: [], last: -Infinity };
        worlds.length = Math.max(worlds.length, index + 1);
    }

    function removeWorld(index) {
        worlds.length = Math.min(worlds.length, index);
        $("legend-second").hidden = worlds.length < 2;
        draw();
    }

    function buildLegend() {
        const legend = $("legend");
        const frame = document.createElement("li");
        frame.innerHTML = `Frame<output id="figure-frame">-</output>`;
        legend.appendChild(frame);
        for (const s of series) {
            const item = document.createElement("li");
            item.innerHTML = `<span class="swatch" style="background:${s.colour}"></span>${s.label}<output id="figure-${s.key}">-</output>`;
            legend.appendChild(item);
        }
    }

    // Takes the samples a batch of frames brought to world `index` (one
    // every 25 frames of the world) and redraws when the last drawing is
    // old enough.
    function add(newSamples, now, index = 0) {
        const w = worlds[index];
        for (const f of newSamples) {
            if (f.frame - w.last < sampleFrames)
                continue;
            w.last = f.frame;
            w.samples.push(f);
        }
        if (w.samples.length > chartSamples)
            w.samples.splice(0, w.samples.length - chartSamples);
        if (newSamples.length)
            drawSoon(now);
    }

    // Draws now, or when the last drawing is old enough: samples that came
    // while the chart waited (a step while paused) are never left unshown.
    let waiting = 0;
    function drawSoon(now) {
        if (waiting)
            return;
        const wait = lastDraw + chartRedrawMs - now;
        if (wait <= 0) {
            lastDraw = now;
            draw();
            return;
        }
        waiting = setTimeout(() => {
            waiting = 0;
            lastDraw = performance.now();
            draw();
        }, wait);
    }

    function draw() {
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
        for (const w of worlds)
            for (const f of w.samples)
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
        const longest = Math.max(...worlds.map((w) => w.samples.length));
        const span = Math.min(chartSamples, Math.max(longest, chartSamples / 5));
        const step = (width - left) / (span - 1);
        const minutes = Math.round((span * sampleFrames) / 6000);
        g.textAlign = "right";
        g.textBaseline = "top";
        g.fillStyle = "#888";
        g.fillText(`the last ${minutes} min`, width - 4, 2);
        worlds.forEach(({ samples }, index) => {
            const start = width - (samples.length - 1) * step;
            g.setLineDash(index ? [4, 3] : []);
            for (const s of series) {
                if (samples.length === 0 || samples[0][s.key] === undefined)
                    continue;
                g.strokeStyle = s.colour;
                g.lineWidth = 1.5;
                g.beginPath();
                samples.forEach((f, i) => (i ? g.lineTo : g.moveTo).call(g, start + i * step, y(f[s.key])));
                g.stroke();
            }
        });
        g.setLineDash([]);
        $("legend-second").hidden = worlds.length < 2;
    }

    // The figures line: those of the frame world `index` shows now, with its
    // number (the chart's samples are up to 25 frames older).
    function showFigures(f, index = 0) {
        const figure = (key) => (f[key] !== undefined ? String(f[key]) : "-");
        if (index === 0) {
            setText($("figure-frame"), figure("frame"));
            for (const s of series)
                setText($(`figure-${s.key}`), figure(s.key));
            return;
        }
        setText($("legend-second"), `The second world (dashed), frame ${figure("frame")}: ` +
            series.map((s) => `${s.label} ${figure(s.key)}`).join(", "));
    }

    T.chart = { buildLegend, clear, removeWorld, add, draw, showFigures };
})(self.tovrine = self.tovrine || {});
