/* SPDX-License-Identifier: GPL-3.0-or-later */
// Small building blocks shared by the widgets: elements, the slot's kicker line, calm messages,
// usage bars and stat blocks.
(() => {
    "use strict";
    const Tess = (window.Tess = window.Tess || {});

    function append(parent, content) {
        if (content === null || content === undefined || content === false)
            return;
        if (Array.isArray(content))
            content.forEach((child) => append(parent, child));
        else if (content instanceof Node)
            parent.appendChild(content);
        else
            parent.appendChild(document.createTextNode(String(content)));
    }

    // el("div", "a b", [children…]) or el("span", "a", "text")
    function el(tag, className, content) {
        const node = document.createElement(tag);
        if (className)
            node.className = className;
        append(node, content);
        return node;
    }

    function isObject(value) {
        return value !== null && typeof value === "object" && !Array.isArray(value);
    }

    function list(value) {
        return Array.isArray(value) ? value : [];
    }

    function number(value, fallback) {
        const n = Number(value);
        return typeof value === "number" && isFinite(n) ? n : fallback === undefined ? 0 : fallback;
    }

    function text(value, fallback) {
        return typeof value === "string" ? value : fallback === undefined ? "" : fallback;
    }

    // The slot's first line: a small label, with an optional detail at the right. The label wins
    // the room: the detail gives way (with an ellipsis) first. `mark` replaces the dot (a
    // provider's logo); `quiet` leaves the label out where the page title already says it.
    function kicker(label, detail, options) {
        const opts = options || {};
        // Under a page title that already names the widget, a mark alone on its line says nothing.
        if (opts.quiet && !detail)
            return el("div", "kicker");
        const mark = opts.quiet ? null : opts.mark ? opts.mark : el("span", "kicker-dot");
        if (mark)
            mark.classList.add("kicker-mark");
        return el("div", "kicker", [
            mark, opts.quiet ? null : el("span", "kicker-label", label),
            detail ? el("span", "kicker-detail ellipsis", detail) : null
        ]);
    }

    // A calm state in place of a widget's content: a glyph (a name or a ready mark), a short
    // headline and a hint.
    function message(headline, hint, glyph) {
        const mark = typeof glyph === "string" ? Tess.marks.glyph(glyph, 30) : glyph || null;
        if (mark)
            mark.classList.add("message-mark");
        return el("div", "message",
                  [mark, el("div", "message-headline", headline), hint ? el("div", "message-hint", hint) : null]);
    }

    // Usage at or above this share is flagged; judged on the figure as printed, so 84.5 (shown
    // as 85%) is flagged like 85.
    const HIGH_USAGE = 85;

    // A share as reported, or null when it is unknown (absent, null, not a number).
    function usedOf(percent) {
        return typeof percent === "number" && isFinite(percent) ? percent : null;
    }

    function isHigh(percent) {
        const used = usedOf(percent);
        return used !== null && Math.round(used) >= HIGH_USAGE;
    }

    // A usage bar; the fill is clamped to the track, the number beside it is not. An unknown
    // share has no fill at all: an empty bar would say 0.
    function bar(percent) {
        const known = usedOf(percent);
        const track = el("div", "bar" + (isHigh(percent) ? " bar-high" : "") + (known === null ? " bar-unknown" : ""));
        track.dataset.used = known === null ? "unknown" : String(known);
        if (known !== null) {
            const fill = el("div", "bar-fill");
            fill.style.width = Math.max(0, Math.min(100, known)) + "%";
            track.appendChild(fill);
        }
        return track;
    }

    // The printed percentage, with a warning mark when high: colour alone would not show it in
    // Mono or on the panel. The mark is sized in em, so it grows with the figure it marks.
    function percentFigure(percent, className) {
        const high = isHigh(percent);
        const node =
            el("span", className + " fit" + (high ? " high" : "") + (usedOf(percent) === null ? " unknown" : ""),
               [high ? Tess.marks.glyph("warning", 24) : null, Tess.format.percent(usedOf(percent))]);
        node.dataset.used = usedOf(percent) === null ? "unknown" : String(usedOf(percent));
        return node;
    }

    // A text that must never be cut mid-word (a window's name, a reset, a figure's label, a day
    // heading), with its shorter forms that are still right, longest first. fitProtected picks
    // the longest that fits; when none does, the text takes a second line.
    function protectedText(tag, className, forms) {
        const all = (Array.isArray(forms) ? forms : [forms]).filter((f) => typeof f === "string" && f !== "");
        const node = el(tag, "protected " + (className || ""), all[0] || "");
        node.dataset.forms = JSON.stringify(all);
        return node;
    }

    function cut(node) {
        return node.scrollWidth > node.clientWidth + 0.5;
    }

    // Chooses the forms of every protected text under `root`. Texts in one row give way together:
    // the row's later texts shorten first (a reset before a name), then the earlier ones; a row
    // whose shortest forms still do not fit wraps to a second line.
    function fitProtected(root) {
        const nodes = Array.from(root.querySelectorAll(".protected[data-forms]"));
        nodes.forEach((node) => {
            node.classList.remove("wraps");
            node.textContent = JSON.parse(node.dataset.forms)[0] || "";
            node.dataset.form = "0";
        });
        const rows = new Map();
        nodes.forEach((node) => {
            const row = node.parentElement;
            if (!rows.has(row))
                rows.set(row, []);
            rows.get(row).push(node);
        });
        rows.forEach((members, row) => {
            row.classList.remove("row-wraps");
            const shortenable = () => members.slice().reverse().find(
                (node) => Number(node.dataset.form) < JSON.parse(node.dataset.forms).length - 1);
            const crowded = () => members.some((node) => node.getClientRects().length > 0 && cut(node)) || cut(row);
            while (crowded()) {
                const next = shortenable();
                if (!next)
                    break;
                const forms = JSON.parse(next.dataset.forms);
                next.dataset.form = String(Number(next.dataset.form) + 1);
                next.textContent = forms[Number(next.dataset.form)];
            }
            // An optional text (a date beside "Today") goes before anything wraps.
            members.forEach((node) => {
                if (crowded() && node.classList.contains("optional") && cut(node))
                    node.textContent = "";
            });
            // A slot's first line has one line's height: nothing in it wraps.
            if (crowded() && !row.classList.contains("kicker")) {
                const style = getComputedStyle(row);
                if (style.display.includes("flex") && style.flexDirection.startsWith("row"))
                    row.classList.add("row-wraps");
                members.forEach((node) => {
                    if (cut(node))
                        node.classList.add("wraps");
                });
            }
        });
    }

    // "+2 more windows", or "+2 more" where that does not fit: what a widget left out is counted.
    function moreText(count, one, many, className) {
        if (count <= 0)
            return null;
        const node = protectedText("span", "more " + (className || ""),
                                   ["+" + count + " more " + (count === 1 ? one : many), "+" + count + " more"]);
        node.dataset.more = String(count);
        return node;
    }

    // A figure with its label: label above, value, optional second line. The label is protected;
    // the second line is made of pieces (split at " · ") that wrap between, never inside, them.
    function stat(label, value, sub, className) {
        return el("div", "stat" + (className ? " " + className : ""), [
            label ? protectedText("div", "stat-label", Array.isArray(label) ? label : [label]) : null,
            el("div", "stat-value fit", value), sub ? subLine(sub) : null
        ]);
    }

    function subLine(sub) {
        return el("div", "stat-sub", String(sub));
    }

    function overflows(node) {
        return node.scrollWidth > node.clientWidth + 0.5 || node.scrollHeight > node.clientHeight + 0.5;
    }

    // Tries each arrangement (a class on `node`) in turn and keeps the first whose content fits
    // the node's box; the last one stays when none does. Returns the class kept.
    // Protected texts are given their forms in each arrangement before it is measured, since a
    // text that takes a second line makes the arrangement taller.
    function firstThatFits(node, classes) {
        let chosen = classes[classes.length - 1];
        for (const name of classes) {
            classes.forEach((c) => node.classList.remove(c));
            node.classList.add(name);
            fitProtected(node);
            if (!overflows(node)) {
                chosen = name;
                break;
            }
        }
        classes.forEach((c) => node.classList.remove(c));
        node.classList.add(chosen);
        fitProtected(node);
        return chosen;
    }

    // Big figures shrink to the width they have rather than lose a digit: the width of their own
    // box, and never past the right edge of their slot.
    function fitWidth(node) {
        const slot = node.closest(".slot");
        const limit = slot ? slot.getBoundingClientRect().right : Infinity;
        const tooWide = () => node.scrollWidth > node.clientWidth + 0.5 ||
                              node.getBoundingClientRect().left + node.scrollWidth > limit + 0.5;
        const start = parseFloat(getComputedStyle(node).fontSize);
        const smallest = Math.min(start, Math.max(26, start * 0.4));
        let size = start;
        while (tooWide() && size > smallest) {
            size = Math.max(smallest, size - Math.max(1, size * 0.06));
            node.style.fontSize = size + "px";
        }
    }

    // Makes a box's width and height whole pixels (snapSize), then moves it by less than a pixel,
    // without disturbing the layout around it, so that its edges land on whole pixels
    // (snapPosition). All sizes are settled before any position: a size change moves siblings.
    function snapSize(node) {
        const box = node.getBoundingClientRect();
        if (box.width === 0 && box.height === 0)
            return;
        const width = Math.floor(box.width + 0.01);
        const height = Math.floor(box.height + 0.01);
        if (Math.abs(width - box.width) > 0.01 || Math.abs(height - box.height) > 0.01) {
            node.style.boxSizing = "border-box";
            node.style.width = width + "px";
            node.style.height = height + "px";
            node.style.flex = "none";
        }
    }

    function snapPosition(node) {
        const box = node.getBoundingClientRect();
        if (box.width === 0 && box.height === 0)
            return;
        const dx = Math.round(box.left) - box.left;
        const dy = Math.round(box.top) - box.top;
        if (Math.abs(dx) > 0.01 || Math.abs(dy) > 0.01) {
            node.style.position = getComputedStyle(node).position === "static" ? "relative" : node.style.position;
            node.style.left = (parseFloat(node.style.left) || 0) + dx + "px";
            node.style.top = (parseFloat(node.style.top) || 0) + dy + "px";
        }
    }

    // Bars measured in whole pixels: the track snapped, the fill a whole share of it.
    function snap(node) {
        snapSize(node);
        snapPosition(node);
    }

    function snapBar(track) {
        snap(track);
        const fill = track.querySelector(".bar-fill");
        if (!fill)
            return;
        const share = parseFloat(fill.style.width) / 100;
        fill.style.width = Math.round(track.getBoundingClientRect().width * share) + "px";
    }

    // A grid whose tracks are whole pixels: the columns (and rows) share out the room in whole
    // pixels, the gap stays as it is.
    function wholeTracks(grid, columns) {
        snap(grid);
        const style = getComputedStyle(grid);
        const gap = parseFloat(style.columnGap) || 0;
        const width = Math.floor(grid.getBoundingClientRect().width);
        const column = Math.floor((width - gap * (columns - 1)) / columns);
        grid.style.gridTemplateColumns = "repeat(" + columns + ", " + column + "px)";
        const rows = style.gridTemplateRows.split(" ").map(parseFloat).filter((v) => !isNaN(v));
        if (rows.length > 1)
            grid.style.gridTemplateRows = rows.map((r) => Math.floor(r) + "px").join(" ");
    }

    // The one-bit panel: the threshold frays any edge that falls between pixels, so the shapes
    // that draw lines and blocks are put on whole pixels after the layout.
    // Emoji asked for in colour (by the variation selector U+FE0F) are asked for as text, so the
    // panel's black-and-white emoji font draws them.
    function textEmoji(root) {
        const walker = document.createTreeWalker(document.getElementById("canvas") || root, NodeFilter.SHOW_TEXT);
        for (let node = walker.nextNode(); node; node = walker.nextNode()) {
            if (node.nodeValue.includes("\uFE0F"))
                node.nodeValue = node.nodeValue.replace(/\uFE0F/g, "\uFE0E");
        }
    }

    function settlePanel(root) {
        textEmoji(root);
        root.querySelectorAll(".month-grid").forEach((grid) => wholeTracks(grid, 7));
        const boxes =
            root.querySelectorAll(".overview-row, .provider-stats, .tally, .year-grid-box, .legend-cells, .kicker-dot");
        boxes.forEach(snapSize);
        boxes.forEach(snapPosition);
        root.querySelectorAll(".bar").forEach(snapBar);
    }

    // After every widget is drawn: figures fitted to their width and, on the panel, shapes put
    // on whole pixels.
    function settle(root, panel) {
        root.querySelectorAll(".fit").forEach(fitWidth);
        fitProtected(root);
        if (panel)
            settlePanel(root);
    }

    Tess.ui = {
        el,
        append,
        isObject,
        list,
        number,
        text,
        kicker,
        message,
        isHigh,
        usedOf,
        bar,
        percentFigure,
        stat,
        firstThatFits,
        overflows,
        settle,
        protectedText,
        fitProtected,
        moreText,
        subLine
    };
    Tess.widgets = Tess.widgets || {};
})();
