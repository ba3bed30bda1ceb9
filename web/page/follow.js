// Looking at one Vob: a click or tap on it follows it. A box over the world
// says its strength, its meals since it last spawned, its look and where it
// goes, as the world has them, and the world's side rings it on the screen,
// until it dies or is let go. A whirl or a food deposit is followed too.
(function (T) {
    "use strict";

    const $ = (id) => document.getElementById(id);
    const reachPx = 16;  // CSS pixels from a Vob a click still picks it
    const directions = ["nowhere (still)", "right", "up", "left", "down", "up and right", "up and left",
        "down and left", "down and right"];

    let box = null;

    function make() {
        box = document.createElement("div");
        box.id = "follow-box";
        box.setAttribute("role", "status");
        box.hidden = true;
        box.innerHTML = '<p id="follow-text"></p><button type="button" id="let-go-button">Let go</button>';
        $("stage").appendChild(box);
        $("let-go-button").addEventListener("click", letGo);
    }

    function show(text, following) {
        $("follow-text").textContent = text;
        $("let-go-button").textContent = following ? "Let go" : "Close";
        box.hidden = false;
    }

    function describe(f) {
        const going = `going ${directions[f.direction] || "nowhere"} at ${f.x}, ${f.y}`;
        if (f.kind === "whirl")
            return `The whirl you follow, at ${f.x}, ${f.y}.`;  // a whirl keeps no direction of its own
        if (f.kind === "food")
            return `The food deposit you follow: strength ${f.strength}, at ${f.x}, ${f.y}.`;
        return `The Vob you follow: strength ${f.strength}, ${f.meals} meal${f.meals === 1 ? "" : "s"} since it ` +
            `last spawned, ${f.look}, ${going}.`;
    }

    // A click or tap at (x, y) on the screen: the Vob there (the first
    // world's), if any, is followed.
    async function pick(x, y) {
        const world = T.page.worlds[0];
        if (!world || !T.page.ready)
            return;
        const area = world.canvas.getBoundingClientRect();
        if (x < area.left || x >= area.right || y < area.top || y >= area.bottom)
            return;
        const wx = Math.floor(((x - area.left) * world.width) / area.width);
        const wy = Math.floor(((y - area.top) * world.height) / area.height);
        const reach = Math.max(2, Math.round((reachPx * world.width) / area.width));
        const f = await world.follow(wx, wy, reach);
        if (f)
            show(describe(f), true);
    }

    // What a batch of frames, a report or a pause said of the followed Vob.
    function update(answer) {
        const f = answer.followed;
        if (f) {
            show(describe(f), true);
            const world = T.page.worlds[0], area = world.canvas.getBoundingClientRect();
            T.zoom.keepInView(area.left + ((f.x + f.width / 2) * area.width) / world.width,
                area.top + ((f.y + f.height / 2) * area.height) / world.height);
        }
        else if (answer.followGone)
            show(`What you followed is gone (a Vob died, a deposit was eaten) by frame ${answer.figures ? answer.figures.frame : "now"}.`, false);
    }

    function letGo() {
        box.hidden = true;
        const world = T.page.worlds[0];
        if (world)
            world.letGo();
    }

    // A new world: nothing of the old one is followed.
    function clear() {
        if (box)
            box.hidden = true;
    }

    T.follow = { make, pick, update, clear, text: () => (box && !box.hidden ? $("follow-text").textContent : "") };
})(self.tovrine = self.tovrine || {});
