/* SPDX-License-Identifier: GPL-3.0-or-later */
// The page audit: after the page is drawn, Tess.audit() lists what a reader would stumble over,
// one sentence per finding. Tests and the gallery call it; the page itself never does, so a
// refresh pays nothing for it. It checks widgets that failed to draw, text clipped without an
// ellipsis, boxes of neighbouring blocks that overlap, text too small for the Small card, text
// too faint against the colour actually behind it and, on the one-bit panel, shapes that do not
// sit on whole pixels (the threshold turns their soft edges into specks). It also judges meaning:
// items left out without a "+N more", unknown figures shown as 0, protected texts (names, resets,
// labels, day headings) cut at all, overlapping labels inside pictures, shapes that carry meaning
// under 3:1 against their neighbours or under 13 pixels, dates far away without their year, a
// first line that disagrees with the grid it names, a plan window running out before its reset
// that is left out or silent about it, and colour emoji on the one-bit panel.
(() => {
    "use strict";
    const Tess = (window.Tess = window.Tess || {});

    // The Small card shows the canvas at 0.38: 26 canvas pixels are about 10 pixels there, and
    // a shape that carries meaning needs 13 (5 there).
    const SMALLEST_TEXT = 26;
    const SMALLEST_SHAPE = 13;
    const FAR_MS = 183 * 86400000;
    const LARGE_TEXT = 36;
    const TOLERANCE = 0.75;

    function canvas() {
        return document.getElementById("canvas");
    }

    // "slot 2 (countdown)" or "header": where on the page a finding is.
    function place(node) {
        const element = node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement;
        const slot = element ? element.closest(".slot") : null;
        if (!slot)
            return "header";
        const index = Array.prototype.indexOf.call(slot.parentElement.children, slot);
        return "slot " + index + " (" + (slot.dataset.widget || "empty") + ")";
    }

    function sample(textValue) {
        const clean = textValue.replace(/\s+/g, " ").trim();
        return "“" + (clean.length > 32 ? clean.slice(0, 31) + "…" : clean) + "”";
    }

    function describe(element) {
        const name = typeof element.className === "string" ? element.className : element.getAttribute("class");
        const first = (name || "").split(/\s+/).filter(Boolean)[0];
        return first ? "." + first : element.tagName.toLowerCase();
    }

    function visibleTextNodes() {
        const found = [];
        const walker = document.createTreeWalker(canvas(), NodeFilter.SHOW_TEXT);
        for (let node = walker.nextNode(); node; node = walker.nextNode()) {
            if (node.nodeValue.trim() === "" || !node.parentElement)
                continue;
            const style = getComputedStyle(node.parentElement);
            if (style.visibility !== "visible" || textRects(node).length === 0)
                continue;
            found.push(node);
        }
        return found;
    }

    // The boxes of a text's lines. A line's box from the engine is the font's whole content
    // area, taller than the glyphs; it is trimmed to the line height (never below the font
    // size), the room the layout gives the line.
    function textRects(node) {
        if (node.parentElement instanceof SVGElement) {
            const box = node.parentElement.getBoundingClientRect();
            return box.width > 0 && box.height > 0 ? [rectOf(box)] : [];
        }
        const style = getComputedStyle(node.parentElement);
        const size = parseFloat(style.fontSize);
        const lineHeight = style.lineHeight === "normal" ? size * 1.2 : parseFloat(style.lineHeight);
        const height = Math.max(size * 0.8, Math.min(lineHeight, size * 1.25));
        const range = document.createRange();
        range.selectNodeContents(node);
        return Array.from(range.getClientRects()).filter((r) => r.width > 0 && r.height > 0).map((r) => {
            const trim = Math.max(0, (r.height - height) / 2);
            return { left: r.left, right: r.right, top: r.top + trim, bottom: r.bottom - trim };
        });
    }

    // ---- colours --------------------------------------------------------------------------

    function parseColour(value) {
        const match = /rgba?\(([^)]+)\)/.exec(value || "");
        if (!match)
            return null;
        const parts = match[1].split(/[\s,/]+/).filter(Boolean).map(Number);
        return { r: parts[0], g: parts[1], b: parts[2], a: parts.length > 3 ? parts[3] : 1 };
    }

    function over(top, bottom) {
        const a = top.a;
        return {
            r: top.r * a + bottom.r * (1 - a),
            g: top.g * a + bottom.g * (1 - a),
            b: top.b * a + bottom.b * (1 - a),
            a: 1
        };
    }

    function luminance(c) {
        const channel = (v) => {
            const s = v / 255;
            return s <= 0.03928 ? s / 12.92 : Math.pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
    }

    function contrast(a, b) {
        const la = luminance(a);
        const lb = luminance(b);
        return (Math.max(la, lb) + 0.05) / (Math.min(la, lb) + 0.05);
    }

    function hex(c) {
        return "#" + [c.r, c.g, c.b].map((v) => Math.round(v).toString(16).padStart(2, "0")).join("");
    }

    // The colour behind an element: the backgrounds of its ancestors laid over each other, from
    // the first opaque one up (the canvas paper is always opaque).
    function backgroundOf(element) {
        const layers = [];
        for (let node = element; node && node !== document.documentElement; node = node.parentElement) {
            const colour = parseColour(getComputedStyle(node).backgroundColor);
            if (colour && colour.a > 0) {
                layers.push(colour);
                if (colour.a >= 1)
                    break;
            }
        }
        let result = { r: 255, g: 255, b: 255, a: 1 };
        for (let i = layers.length - 1; i >= 0; --i)
            result = over(layers[i], result);
        return result;
    }

    function opacityOf(element) {
        let opacity = 1;
        for (let node = element; node && node !== document.documentElement; node = node.parentElement)
            opacity *= Number(getComputedStyle(node).opacity);
        return opacity;
    }

    // ---- geometry -------------------------------------------------------------------------

    function intersect(a, b) {
        const left = Math.max(a.left, b.left);
        const top = Math.max(a.top, b.top);
        const right = Math.min(a.right, b.right);
        const bottom = Math.min(a.bottom, b.bottom);
        return right > left && bottom > top ? { left, top, right, bottom } : null;
    }

    function rectOf(r) {
        return { left: r.left, top: r.top, right: r.right, bottom: r.bottom };
    }

    // The padding box an element clips its content to.
    function clipBox(element) {
        const box = element.getBoundingClientRect();
        const left = box.left + element.clientLeft;
        const top = box.top + element.clientTop;
        return { left, top, right: left + element.clientWidth, bottom: top + element.clientHeight };
    }

    function clips(style) {
        return style.overflowX !== "visible" || style.overflowY !== "visible";
    }

    function paints(element, style) {
        if (element instanceof SVGElement)
            return element.tagName.toLowerCase() === "svg";
        const background = parseColour(style.backgroundColor);
        if (background && background.a > 0)
            return true;
        return ["Top", "Right", "Bottom", "Left"].some((side) => parseFloat(style["border" + side + "Width"]) > 0);
    }

    // ---- the checks -----------------------------------------------------------------------

    function failedWidgets(findings) {
        document.querySelectorAll(".slot.failed")
            .forEach((slot) => findings.push(place(slot) + ": the widget could not be drawn (" +
                                             (slot.dataset.error || "no reason") + ")"));
    }

    function textChecks(findings) {
        const seenSize = new Set();
        const seenContrast = new Set();
        visibleTextNodes().forEach((node) => {
            const element = node.parentElement;
            const style = getComputedStyle(element);
            const size = parseFloat(style.fontSize);
            const where = place(node);
            if (size < SMALLEST_TEXT - 0.01) {
                const key = where + describe(element) + size;
                if (!seenSize.has(key)) {
                    seenSize.add(key);
                    findings.push(where + ": text " + sample(node.nodeValue) + " in " + describe(element) + " is " +
                                  Math.round(size * 10) / 10 + " px, under " + SMALLEST_TEXT);
                }
            }
            clipped(node, element, findings, where);
            const colour = parseColour(element instanceof SVGElement ? style.fill : style.color);
            if (colour && !seenContrast.has(element)) {
                seenContrast.add(element);
                const background = backgroundOf(element);
                const ink = over(Object.assign({}, colour, { a: colour.a * opacityOf(element) }), background);
                const ratio = contrast(ink, background);
                const needed = size >= LARGE_TEXT ? 3 : 4.5;
                if (ratio < needed - 0.005)
                    findings.push(where + ": text " + sample(node.nodeValue) + " in " + describe(element) +
                                  " has contrast " + ratio.toFixed(2) + ":1 (" + hex(ink) + " on " + hex(background) +
                                  "), under " + needed + ":1");
            }
        });
    }

    // Text reaching beyond a box that hides its overflow is cut; that is fine only where the box
    // ends the line with an ellipsis, or clamps its lines (which ends the last one with one).
    function clipped(node, element, findings, where) {
        let rects = textRects(node);
        for (let box = element; box && box !== document.body && rects.length; box = box.parentElement) {
            const style = getComputedStyle(box);
            if (!clips(style))
                continue;
            const area = clipBox(box);
            const horizontal = rects.some((r) => r.left < area.left - TOLERANCE || r.right > area.right + TOLERANCE);
            // Line boxes land on pixel rows, so a pixel up or down is rounding, not clipping.
            const vertical = rects.some((r) => r.top < area.top - 1.5 || r.bottom > area.bottom + 1.5);
            const ellipsis = style.textOverflow === "ellipsis" && !vertical;
            const clamped = style.webkitLineClamp !== "none" && style.webkitLineClamp !== "" && !horizontal;
            if ((horizontal || vertical) && !ellipsis && !clamped) {
                findings.push(where + ": text " + sample(node.nodeValue) + " is cut by " + describe(box) +
                              " without an ellipsis (" + beyond(rects, area) + ")");
                return;
            }
            // What is left visible goes on to be judged by the boxes further out.
            rects = rects.map((r) => intersect(r, area)).filter(Boolean);
        }
    }

    // How far text reaches past a box, side by side: "2.5 px right, 4 px bottom".
    function beyond(rects, area) {
        const sides = { left: 0, right: 0, top: 0, bottom: 0 };
        rects.forEach((r) => {
            sides.left = Math.max(sides.left, area.left - r.left);
            sides.right = Math.max(sides.right, r.right - area.right);
            sides.top = Math.max(sides.top, area.top - r.top);
            sides.bottom = Math.max(sides.bottom, r.bottom - area.bottom);
        });
        return Object.keys(sides)
            .filter((k) => sides[k] > TOLERANCE)
            .map((k) => Math.round(sides[k] * 10) / 10 + " px " + k)
            .join(", ");
    }

    // Each element's painted pieces (text lines, boxes with a background or border, pictures),
    // clipped as the page clips them. Siblings whose pieces cross each other overlap.
    function pieces(element, findings) {
        const style = getComputedStyle(element);
        if (style.display === "none" || style.visibility === "hidden")
            return [];
        let own = [];
        if (paints(element, style)) {
            const box = element.getBoundingClientRect();
            if (box.width > 0 && box.height > 0)
                own.push({ rect: rectOf(box), element });
        }
        if (element instanceof SVGElement)
            return own;
        const groups = [];
        element.childNodes.forEach((child) => {
            if (child.nodeType === Node.TEXT_NODE && child.nodeValue.trim() !== "")
                groups.push({ node: child, parts: textRects(child).map((r) => ({ rect: r, element })) });
            else if (child.nodeType === Node.ELEMENT_NODE)
                groups.push({ node: child, parts: pieces(child, findings) });
        });
        for (let i = 0; i < groups.length; ++i) {
            for (let j = i + 1; j < groups.length; ++j) {
                const hit = firstOverlap(groups[i].parts, groups[j].parts);
                if (hit)
                    findings.push(place(element) + ": " + label(groups[i].node) + " overlaps " + label(groups[j].node) +
                                  " in " + describe(element));
            }
        }
        groups.forEach((g) => (own = own.concat(g.parts)));
        if (clips(style) && element !== canvas()) {
            const area = clipBox(element);
            own = own.map((p) => ({ rect: intersect(p.rect, area), element: p.element })).filter((p) => p.rect);
        }
        return own;
    }

    function label(node) {
        return node.nodeType === Node.TEXT_NODE ? "text " + sample(node.nodeValue) : describe(node);
    }

    function firstOverlap(a, b) {
        for (const p of a) {
            for (const q of b) {
                const hit = intersect(p.rect, q.rect);
                if (hit && hit.right - hit.left > 1 && hit.bottom - hit.top > 1)
                    return hit;
            }
        }
        return null;
    }

    // The one-bit panel: every box and grid square on whole pixels, every edge a whole pixel wide.
    // One finding per kind of shape in a slot, with the first offender's position.
    function wholePixels(findings) {
        const off = (v) => Math.abs(v - Math.round(v)) > 0.01;
        const seen = new Map();
        const report = (element, what) => {
            const key = place(element) + " " + describe(element);
            if (!seen.has(key))
                seen.set(key, { element, what, count: 0 });
            seen.get(key).count += 1;
        };
        canvas().querySelectorAll("*").forEach((element) => {
            const style = getComputedStyle(element);
            if (style.display === "none" || style.visibility === "hidden")
                return;
            const shape = element instanceof SVGElement && !(element.closest(".logo, .glyph"));
            const isBox = !(element instanceof SVGElement) && paints(element, style);
            if (!isBox && !(shape && ["rect", "line"].includes(element.tagName.toLowerCase())))
                return;
            const box = element.getBoundingClientRect();
            if (box.width === 0 || box.height === 0)
                return;
            if ([box.left, box.top, box.width, box.height].some(off))
                report(element,
                       "sits at " + [box.left, box.top, box.width, box.height].map((v) => +v.toFixed(2)).join(", "));
            else if (isBox && ["Top", "Right", "Bottom", "Left"].some(
                                  (side) => off(parseFloat(style["border" + side + "Width"]))))
                report(element, "has a border of " + style.borderTopWidth);
            else if ((style.boxShadow.match(/-?[\d.]+px/g) || []).some((v) => off(parseFloat(v))))
                report(element, "has an outline of " + style.boxShadow);
        });
        seen.forEach(({ what, count }, key) =>
                         findings.push(key + " " + what + (count > 1 ? " (and " + (count - 1) + " more)" : "") +
                                       ", not on whole pixels"));
    }

    // ---- meaning ---------------------------------------------------------------------------

    function shown(element) {
        return element.getClientRects().length > 0 && getComputedStyle(element).visibility === "visible";
    }

    // A widget that says it shows fewer items than it has must count the rest where it is seen.
    function hiddenWithoutCount(findings) {
        canvas().querySelectorAll("[data-total][data-shown]").forEach((box) => {
            const left = Number(box.dataset.total) - Number(box.dataset.shown);
            if (!(left > 0))
                return;
            const counts = Array.from((box.parentElement || box).querySelectorAll("[data-more]"))
                               .filter((n) => shown(n) && (n.closest("[data-total]") === box || !box.contains(n)));
            if (!counts.some((n) => Number(n.dataset.more) === left))
                findings.push(place(box) + ": " + left + " of " + box.dataset.total + " items in " + describe(box) +
                              " are hidden without a “+" + left + " more”");
        });
    }

    // A plan window whose forecast comes before its reset is never left out, and says so where it
    // is drawn: every plan drawn on the page (a provider's body, a row of all plans) is checked
    // against the windows of its data.
    function forecastsKept(findings) {
        const data = window.TESSARINE && window.TESSARINE.data;
        const ai = data && typeof data.ai === "object" && data.ai ? data.ai : {};
        const entries = Array.isArray(ai.providers) ? ai.providers : [];
        canvas().querySelectorAll("[data-provider]").forEach((box) => {
            const entry = entries.find((e) => e && e.id === box.dataset.provider);
            if (!shown(box) || !entry || entry.status !== "ok" || !Array.isArray(entry.windows))
                return;
            entry.windows.filter((w) => w && Tess.forecast.isCritical(w)).forEach((w) => {
                const drawn = Array.from(box.querySelectorAll("[data-window]"))
                                  .find((n) => n.dataset.window === String(w.label) && shown(n));
                const told = drawn && Array.from(drawn.querySelectorAll(".window-forecast")).some(shown);
                if (!told)
                    findings.push(place(box) + ": " + entry.id + " · " + w.label +
                                  " runs out before its reset, but the page " +
                                  (drawn ? "does not say when" : "leaves the window out"));
            });
        });
    }

    function unknownAsZero(findings) {
        canvas().querySelectorAll("[data-used='unknown']").forEach((node) => {
            if (!shown(node))
                return;
            const drawn = /\d/.test(node.textContent) || node.querySelector(".bar-fill");
            if (drawn)
                findings.push(place(node) + ": an unknown share is drawn as " +
                              (node.textContent.trim() ? sample(node.textContent) : "an empty bar"));
        });
    }

    // A protected text is never cut, not even with an ellipsis: it takes a shorter form or a line.
    function protectedCut(findings) {
        canvas().querySelectorAll(".protected").forEach((node) => {
            if (!shown(node))
                return;
            const style = getComputedStyle(node);
            const horizontal = node.scrollWidth > node.clientWidth + TOLERANCE;
            const clampedAway = style.webkitLineClamp !== "none" && style.webkitLineClamp !== "" &&
                                node.scrollHeight > node.clientHeight + 1.5;
            if (horizontal || clampedAway)
                findings.push(place(node) + ": the protected text " + sample(node.textContent) + " in " +
                              describe(node) + " is cut mid-word");
        });
    }

    function svgOverlaps(findings) {
        canvas().querySelectorAll("svg").forEach((picture) => {
            const labels = Array.from(picture.querySelectorAll("text")).filter(shown);
            for (let i = 0; i < labels.length; ++i) {
                for (let j = i + 1; j < labels.length; ++j) {
                    const hit =
                        intersect(rectOf(labels[i].getBoundingClientRect()), rectOf(labels[j].getBoundingClientRect()));
                    if (hit && hit.right - hit.left > 0.5 && hit.bottom - hit.top > 0.5)
                        findings.push(place(picture) + ": labels " + sample(labels[i].textContent) + " and " +
                                      sample(labels[j].textContent) + " overlap in " + describe(picture));
                }
            }
        });
    }

    // The colour of an inset outline ("inset 0 0 0 2px rgb(…)"), or null.
    function outlineColour(style) {
        const match = /rgba?\([^)]+\)/.exec(style.boxShadow || "");
        return match && /inset/.test(style.boxShadow) ? parseColour(match[0]) : null;
    }

    function shapeContrast(findings, element, what, ink, behind) {
        const ratio = contrast(ink, behind);
        if (ratio < 3 - 0.005)
            findings.push(place(element) + ": " + what + " has contrast " + ratio.toFixed(2) + ":1 (" + hex(ink) +
                          " on " + hex(behind) + "), under 3:1");
    }

    // Shapes that carry meaning reach 3:1 against what they meet: a bar's track against the
    // paper and its fill against the track, a day with contributions against an empty day, a
    // logo, an empty slot's outline. They are also big enough to see on the Small card.
    function nonText(findings) {
        const seen = new Set();
        const once = (key) => !seen.has(key) && seen.add(key);
        canvas().querySelectorAll(".bar, .tally-day").forEach((track) => {
            if (!shown(track))
                return;
            const style = getComputedStyle(track);
            const behind = backgroundOf(track.parentElement);
            const edge =
                outlineColour(style) ||
                parseColour(style.borderTopColor && parseFloat(style.borderTopWidth) > 0 ? style.borderTopColor
                                                                                         : style.backgroundColor);
            const box = track.getBoundingClientRect();
            if (Math.min(box.height, box.width) < SMALLEST_SHAPE - 0.01 &&
                once(place(track) + "size" + describe(track)))
                findings.push(place(track) + ": " + describe(track) + " is " +
                              Math.round(Math.min(box.height, box.width)) + " px, under " + SMALLEST_SHAPE);
            if (edge && once(place(track) + "track" + describe(track)))
                shapeContrast(findings, track, "the track of " + describe(track), over(edge, behind), behind);
            const fill = track.querySelector(".bar-fill");
            if (fill && fill.getBoundingClientRect().width > 0 && once(place(track) + "fill")) {
                const inner = backgroundOf(track);
                shapeContrast(findings, track, "the fill of " + describe(track), backgroundOf(fill), inner);
            }
        });
        canvas().querySelectorAll("svg").forEach((picture) => {
            const empty = picture.querySelector("rect.level-0");
            const emptyFill = empty ? parseColour(getComputedStyle(empty).fill) : null;
            picture.querySelectorAll("rect.cell").forEach((cellNode) => {
                const box = cellNode.getBoundingClientRect();
                if (Math.min(box.width, box.height) < SMALLEST_SHAPE - 0.01 && once(place(picture) + "cellsize"))
                    findings.push(place(picture) + ": day cells are " +
                                  Math.round(Math.min(box.width, box.height) * 10) / 10 + " px, under " +
                                  SMALLEST_SHAPE);
                const fill = parseColour(getComputedStyle(cellNode).fill);
                if (emptyFill && fill && !cellNode.classList.contains("level-0") &&
                    once(place(picture) + "cell" + cellNode.getAttribute("class")))
                    shapeContrast(findings, picture, "a day of " + cellNode.getAttribute("class").replace("cell ", ""),
                                  fill, over(emptyFill, backgroundOf(picture.parentElement)));
            });
        });
        canvas().querySelectorAll(".logo").forEach((logo) => {
            if (!shown(logo) || !once(place(logo) + "logo"))
                return;
            const colour = parseColour(getComputedStyle(logo).color);
            const behind = backgroundOf(logo.parentElement);
            if (colour)
                shapeContrast(findings, logo, "the logo " + describe(logo),
                              over(Object.assign({}, colour, { a: colour.a * opacityOf(logo) }), behind), behind);
        });
        canvas().querySelectorAll(".slot.empty, .slot.unknown").forEach((slot) => {
            const style = getComputedStyle(slot);
            const colour = parseColour(style.borderTopColor);
            if (colour && parseFloat(style.borderTopWidth) > 0)
                shapeContrast(findings, slot, "the outline of the slot", colour, backgroundOf(slot.parentElement));
        });
    }

    // A date further than about six months from the refresh reads as this year's without its year.
    function farDates(findings) {
        const data = window.TESSARINE && window.TESSARINE.data;
        const now = data && typeof data.updatedAt === "string" ? new Date(data.updatedAt) : null;
        if (!now || isNaN(now.getTime()))
            return;
        canvas().querySelectorAll("[data-at]").forEach((node) => {
            const at = Number(node.dataset.at);
            if (!shown(node) || !isFinite(at) || Math.abs(at - now.getTime()) <= FAR_MS)
                return;
            if (!node.textContent.includes(String(new Date(at).getFullYear())) &&
                /[A-Z][a-z]{2}|\d/.test(node.textContent))
                findings.push(place(node) + ": the date " + sample(node.textContent) +
                              " is more than six months away and has no year");
        });
    }

    // The year grid's first line names the weeks the grid shows.
    function labelsAgree(findings) {
        canvas().querySelectorAll(".slot[data-widget='github.year']").forEach((slot) => {
            const grid = slot.querySelector(".year-grid[data-weeks]");
            const detail = slot.querySelector(".kicker-detail");
            if (!grid || !detail || !shown(detail))
                return;
            const weeks = Number(grid.dataset.weeks);
            const said = detail.textContent;
            const claims = /12 months|year/i.test(said) ? 52 : Number((/(\d+) weeks?/.exec(said) || [])[1]);
            if (isFinite(claims) && (claims >= 52) !== (weeks >= 52) || (claims < 52 && claims !== weeks))
                findings.push(place(slot) + ": the first line says " + sample(said) + " but the grid shows " + weeks +
                              " weeks");
        });
    }

    // On the one-bit panel a colour emoji thresholds into a blob: emoji must come from a
    // black-and-white face before the colour one. Light weights break up into specks there too.
    function panelEmoji(findings) {
        const emoji = /\p{Extended_Pictographic}/u;
        const thin = new Set();
        visibleTextNodes().forEach((node) => {
            const weight = Number(getComputedStyle(node.parentElement).fontWeight);
            if (weight < 400 && !thin.has(node.parentElement)) {
                thin.add(node.parentElement);
                findings.push(place(node) + ": text " + sample(node.nodeValue) + " is drawn at weight " + weight +
                              ", too thin for the panel");
            }
            if (!emoji.test(node.nodeValue))
                return;
            const family = getComputedStyle(node.parentElement).fontFamily;
            const colour = family.indexOf("Noto Color Emoji");
            const plain = family.indexOf("Symbola");
            if (plain < 0 || (colour >= 0 && colour < plain) || /\uFE0F/.test(node.nodeValue))
                findings.push(place(node) + ": the emoji in " + sample(node.nodeValue) +
                              " are drawn in colour on the panel");
        });
    }

    Tess.audit = function() {
        const findings = [];
        if (!canvas())
            return ["the page has no canvas"];
        failedWidgets(findings);
        textChecks(findings);
        pieces(canvas(), findings);
        hiddenWithoutCount(findings);
        unknownAsZero(findings);
        forecastsKept(findings);
        protectedCut(findings);
        svgOverlaps(findings);
        nonText(findings);
        farDates(findings);
        labelsAgree(findings);
        if (document.documentElement.classList.contains("panel")) {
            wholePixels(findings);
            panelEmoji(findings);
        }
        if (Tess.text)
            Tess.text.check(findings);
        return findings;
    };
})();
