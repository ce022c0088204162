/* SPDX-License-Identifier: GPL-3.0-or-later */
// The page view: reads window.TESSARINE, lays out one page of the data document on the
// 1360 × 480 canvas, draws each slot's widget and then marks the body ready for the renderer.
(() => {
    "use strict";
    const Tess = window.Tess;
    const { el, isObject, list, text } = Tess.ui;
    const F = Tess.format;

    // The slot rectangles: one row, 40 in from the sides, 74 between columns, top 96, height 358.
    const CANVAS_WIDTH = 1360;
    const SIDE = 40;
    const GUTTER = 74;
    const SLOT_TOP = 96;
    const SLOT_HEIGHT = 358;

    // Used when the catalogue cannot be read; the catalogue's own values win. These copy
    // widgets.json, and a test keeps them equal to it. A provider's widget is named by the
    // providers table the data document carries.
    const KNOWN_LAYOUTS = {
        halves: [0.5, 0.5],
        full: [1],
        thirds: [1 / 3, 1 / 3, 1 / 3],
        twoThirdsLeft: [2 / 3, 1 / 3],
        twoThirdsRight: [1 / 3, 2 / 3],
        wideTwo: [0.5, 0.25, 0.25],
        quarters: [0.25, 0.25, 0.25, 0.25],
    };
    const KNOWN_SHORTS = {
        "github.overview": "GitHub",
        "github.year": "Year",
        "github.month": "Month",
        "github.activity": "Activity",
        "plans.all": "AI Plans",
        "today.date": "Today",
        "calendar.next": "Calendar",
        "countdown": "Countdown",
    };

    function slotRects(columns) {
        if (columns.length === 0)
            return [];
        const sum = Math.max(columns.reduce((a, c) => a + c, 0), 0.0001);
        const available = CANVAS_WIDTH - 2 * SIDE - GUTTER * (columns.length - 1);
        let x = SIDE;
        return columns.map((c) => {
            const width = (available * c) / sum;
            const rect = { x, y: SLOT_TOP, width, height: SLOT_HEIGHT };
            x += width + GUTTER;
            return rect;
        });
    }

    // Widgets choose what to show by the width they get: full 1280, two-thirds 804, half 603,
    // wide of three 566, one-third 377 to 402, narrow of three 283.
    function sizeClass(width) {
        if (width >= 1000)
            return "xl";
        if (width >= 700)
            return "l";
        if (width >= 520)
            return "m";
        if (width >= 340)
            return "s";
        return "xs";
    }

    // The colour group of a widget: its catalogue group when the catalogue names one of the
    // four known groups, else a guess from the id (a provider's by its kind in the document).
    const GROUP_KEYS = { "GitHub": "github", "AI plans": "plans", "Voice": "voice", "Your day": "day" };

    function groupOf(id, catalogue, data) {
        const widgets = catalogue ? list(catalogue.widgets) : [];
        const widget = widgets.find((w) => isObject(w) && w.id === id);
        if (widget && GROUP_KEYS[widget.group])
            return GROUP_KEYS[widget.group];
        if (id.startsWith("github."))
            return "github";
        if (id.startsWith("provider.") && Tess.providers.isDictation(id.slice("provider.".length), data, catalogue))
            return "voice";
        if (id === "plans.all" || id.startsWith("provider."))
            return "plans";
        return "day";
    }

    function columnsOf(layoutId, slotCount, catalogue) {
        const layouts = catalogue ? list(catalogue.layouts) : [];
        const layout = layouts.find((l) => isObject(l) && l.id === layoutId);
        const columns = layout ? list(layout.columns) : KNOWN_LAYOUTS[layoutId];
        if (columns && columns.length > 0 && columns.every((c) => typeof c === "number" && isFinite(c) && c >= 0))
            return columns;
        return new Array(Math.max(slotCount, 1)).fill(1);
    }

    function shortName(id, catalogue, data) {
        const widgets = catalogue ? list(catalogue.widgets) : [];
        const widget = widgets.find((w) => isObject(w) && w.id === id);
        if (widget && typeof widget.short === "string")
            return widget.short;
        if (catalogue && widgets.length > 0)
            return null;
        const provider = Tess.providers.row(id, data);
        return provider ? text(provider.name) || null : KNOWN_SHORTS[id] || null;
    }

    // The page's own title, else the short names of its widgets joined with middle dots.
    function pageTitle(page, catalogue, data) {
        if (typeof page.title === "string" && page.title !== "")
            return page.title;
        const names = [];
        list(page.slots).forEach((id) => {
            const name = typeof id === "string" ? shortName(id, catalogue, data) : null;
            if (name && !names.includes(name))
                names.push(name);
        });
        return names.length ? names.join(" · ") : "Empty page";
    }

    // A theme that tints logos gives each provider's the tint the table has for its appearance.
    function tintLogos(theme, data) {
        if (theme.tintedLogos !== true)
            return;
        const appearance = theme.appearance === "dark" ? "dark" : "light";
        Tess.providers.rows(data).forEach((row) => {
            const tint = isObject(row.tints) ? text(row.tints[appearance]) : "";
            if (tint && text(row.logo))
                document.documentElement.style.setProperty("--logo-" + row.logo, tint);
        });
    }

    function applyTheme(theme, panel, data) {
        const root = document.documentElement;
        root.classList.add(panel ? "panel" : "preview");
        if (panel || !isObject(theme))
            return;
        if (theme.appearance === "dark")
            root.classList.add("dark");
        const colours = isObject(theme.colours) ? theme.colours : {};
        Object.keys(colours).forEach((key) => {
            const value = colours[key];
            const name = "--" + key.replace(/([a-z])([A-Z0-9])/g, "$1-$2").toLowerCase();
            if (typeof value === "string")
                root.style.setProperty(name, value);
            else if (Array.isArray(value))
                value.forEach((v, i) => typeof v === "string" && root.style.setProperty(name + "-" + i, v));
        });
        tintLogos(theme, data);
    }

    function drawHeader(page, data, catalogue) {
        const header = document.getElementById("band");
        const title = el("h1", "page-title", pageTitle(page, catalogue, data));
        title.dir = "auto";
        header.appendChild(title);
        const updated = F.parseTime(data.updatedAt);
        if (updated)
            header.appendChild(el("div", "updated", "Updated " + F.time(updated) + " · " + F.shortDay(updated)));
    }

    // On the one-bit panel every edge must fall on a whole pixel, or the threshold frays it.
    function wholePixels(rect) {
        const left = Math.round(rect.x);
        return { x: left, y: rect.y, width: Math.round(rect.x + rect.width) - left, height: rect.height };
    }

    function drawSlot(id, rect, context) {
        const size = sizeClass(rect.width);
        const slot = el("section", "slot " + size);
        slot.style.left = rect.x + "px";
        slot.style.top = rect.y + "px";
        slot.style.width = rect.width + "px";
        slot.style.height = rect.height + "px";
        document.getElementById("slots").appendChild(slot);
        const ctx = Object.assign({}, context, { width: rect.width, height: rect.height, size });
        if (typeof id !== "string" || id === "") {
            slot.classList.add("empty");
            slot.appendChild(Tess.ui.message("Empty slot", "Choose a widget in the layout editor."));
            return;
        }
        slot.dataset.widget = id;
        slot.dataset.group = groupOf(id, ctx.catalogue, ctx.data);
        const widget = Tess.widgets[id] || Tess.providers.widget(id, ctx.data, ctx.catalogue);
        if (!widget) {
            slot.classList.add("unknown");
            const note = Tess.ui.message("Unknown widget", "Choose another one in the layout editor.");
            note.insertBefore(el("div", "message-code", id), note.querySelector(".message-hint"));
            slot.appendChild(note);
            return;
        }
        try {
            widget(slot, ctx);
        } catch (error) {
            // One broken widget must not blank the page: show a calm note and report it.
            console.error("widget " + id + " failed: " + (error && error.stack ? error.stack : error));
            slot.textContent = "";
            slot.classList.add("failed");
            slot.dataset.error = String(error && error.message ? error.message : error);
            slot.appendChild(
                Tess.ui.message("This widget could not be drawn", "It will try again at the next refresh."));
        }
    }

    function draw(catalogue) {
        const input = isObject(window.TESSARINE) ? window.TESSARINE : {};
        const data = isObject(input.data) ? input.data : {};
        const panel = input.mode === "panel";
        applyTheme(input.theme, panel, data);
        const pages = list(data.pages);
        const index = Number.isInteger(input.page) ? input.page : 0;
        const page = isObject(pages[index]) ? pages[index] : { layout: "full", slots: [] };
        const now = F.parseTime(data.updatedAt) || new Date();
        Tess.forecast.setPageTime(now);
        drawHeader(page, data, catalogue);
        const slots = list(page.slots);
        const rects = slotRects(columnsOf(text(page.layout), slots.length, catalogue));
        const context = { data, now, panel, logos: data.logos !== false, catalogue };
        // A page of one widget already carries its name in the title; the widget need not repeat it.
        context.titled = rects.length === 1 && !(typeof page.title === "string" && page.title !== "");
        rects.forEach((rect, i) => drawSlot(slots[i], panel ? wholePixels(rect) : rect, context));
        Tess.ui.settle(document.getElementById("slots"), panel);
    }

    // The canvas stays hidden (fully transparent) until everything is drawn and the fonts are
    // in, so any frame the renderer can see is either empty or the finished page; data-ready
    // follows two frames after the canvas is shown. The fonts are the system's, which the engine
    // reads at once; only a font still loading is waited for, since the font set's ready promise
    // also waits for the whole document to load and that costs the renderer a readiness poll.
    function markReady() {
        const ready = () => {
            document.body.classList.add("drawn");
            requestAnimationFrame(() => requestAnimationFrame(() => { document.body.dataset.ready = "1"; }));
        };
        if (document.fonts && document.fonts.status === "loading")
            document.fonts.ready.then(ready, ready);
        else
            ready();
    }

    function drawAndMarkReady(catalogue) {
        try {
            draw(catalogue);
        } catch (error) {
            console.error("page view failed: " + (error && error.stack ? error.stack : error));
        }
        markReady();
    }

    // Without the catalogue reader the page is still drawn, from the layouts it knows.
    function start() {
        if (typeof Tess.catalogue === "function")
            Tess.catalogue(drawAndMarkReady);
        else
            drawAndMarkReady(null);
    }

    // Draws the page again from new input in the page already loaded, for a renderer that keeps
    // one page view open between pictures. Everything a draw sets on the document is taken back
    // first, so the picture equals the one a fresh load with this input gives; data-ready is
    // cleared at once and set again when the new drawing is on screen.
    function redraw(input) {
        window.TESSARINE = input;
        delete document.body.dataset.ready;
        document.body.classList.remove("drawn");
        document.documentElement.removeAttribute("class");
        document.documentElement.removeAttribute("style");
        document.getElementById("band").textContent = "";
        document.getElementById("slots").textContent = "";
        start();
    }

    Tess.page = { slotRects, sizeClass, pageTitle, shortName, redraw, KNOWN_LAYOUTS, KNOWN_SHORTS };
    start();
})();
