// Small building blocks shared by the widgets: elements, the slot's kicker line, calm messages,
// usage bars and stat blocks.
(function () {
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

    // The slot's first line: a small label, with an optional detail at the right.
    function kicker(label, detail) {
        return el("div", "kicker", [el("span", "kicker-dot"), el("span", "kicker-label", label),
            detail ? el("span", "kicker-detail", detail) : null]);
    }

    // A calm state in place of a widget's content: a glyph (a name or a ready mark), a short
    // headline and a hint.
    function message(headline, hint, glyph) {
        const mark = typeof glyph === "string" ? Tess.marks.glyph(glyph, 30) : glyph || null;
        if (mark)
            mark.classList.add("message-mark");
        return el("div", "message", [mark, el("div", "message-headline", headline),
            hint ? el("div", "message-hint", hint) : null]);
    }

    // A usage bar; the fill is clamped to the track, the number beside it is not.
    function bar(percent) {
        const used = Math.max(0, Math.min(100, Number(percent) || 0));
        const track = el("div", "bar" + (used >= 85 ? " bar-high" : ""));
        const fill = el("div", "bar-fill");
        fill.style.width = used + "%";
        track.appendChild(fill);
        return track;
    }

    // A figure with its label: label above, value, optional second line.
    function stat(label, value, sub, className) {
        return el("div", "stat" + (className ? " " + className : ""), [label ? el("div", "stat-label", label) : null,
            el("div", "stat-value", value), sub ? el("div", "stat-sub", sub) : null]);
    }

    Tess.ui = { el, append, isObject, list, number, text, kicker, message, bar, stat };
    Tess.widgets = Tess.widgets || {};
})();
