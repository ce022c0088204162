/* SPDX-License-Identifier: GPL-3.0-or-later */
// AI plan widgets: every chosen provider's windows together, one provider on its own, and the
// dictation statistics of Wispr Flow.
(function () {
    "use strict";
    const Tess = window.Tess;
    const { el, isObject, list, number, text, kicker, message, bar, stat } = Tess.ui;
    const F = Tess.format;

    const NAMES = { claude: "Claude", codex: "Codex", grok: "Grok", gemini: "Gemini", wispr: "Wispr Flow" };
    const LOGOS = { claude: "claude", codex: "openai", grok: "grok", gemini: "gemini", wispr: "wispr" };

    function providers(ctx) {
        return isObject(ctx.data.ai) ? list(ctx.data.ai.providers).filter(isObject) : [];
    }

    function entryFor(id, ctx) {
        return providers(ctx).find((entry) => entry.id === id) || null;
    }

    function nameOf(id, entry) {
        return text(entry && entry.name) || NAMES[id] || F.capitalised(id);
    }

    function logoOf(id, entry, size, ctx) {
        if (!ctx.logos)
            return null;
        return Tess.marks.logo(text(entry && entry.logo) || LOGOS[id] || "", size);
    }

    function windows(entry) {
        return list(entry.windows).filter((w) => isObject(w));
    }

    function stats(entry) {
        return list(entry.stats).filter((s) => isObject(s));
    }

    function statusHeadline(entry) {
        if (!entry)
            return "No data yet";
        return entry.status === "empty" ? "Waiting for data" : "Not available";
    }

    function reasonOf(entry) {
        if (!entry)
            return "Appears after the next refresh";
        // The collector's reasons are shown exactly as they stand.
        const reason = text(entry.reason);
        if (reason)
            return reason;
        return entry.status === "ok" ? "No usage limits reported" : "No reason was given";
    }

    function windowLabel(w) {
        return F.capitalised(text(w.label) || "Plan");
    }

    // ---- one provider -----------------------------------------------------------------------

    // The provider's first line is the kicker every slot has, with its logo for the dot; the
    // plan and when the tool was last seen stand at the right.
    function providerKicker(id, entry, ctx) {
        const plan = entry && typeof entry.plan === "string" && entry.plan ? F.capitalised(entry.plan) : null;
        const seen = entry ? F.parseTime(text(entry.seenAt)) : null;
        const seenText = seen ? "seen " + (F.daysBetween(seen, ctx.now) === 0 ? F.time(seen) : F.shortDay(seen)) : null;
        const detail = [plan, ctx.size !== "xs" ? seenText : null].filter(Boolean).join(" · ");
        return kicker(nameOf(id, entry), detail || null, { mark: logoOf(id, entry, 26, ctx), quiet: ctx.titled });
    }

    // One usage window: its label and percentage, the bar, and when it resets. The reset time
    // is also given inline (shown in the compact arrangement, where the reset line is not).
    function windowBlock(w, ctx, className) {
        const reset = F.resetsAt(w.resetsAt, ctx.now);
        return el("div", className, [
            el("div", "window-top", [el("span", "window-label ellipsis", [windowLabel(w),
                reset ? el("span", "window-inline-reset", " · " + reset) : null]),
                Tess.ui.percentFigure(number(w.usedPercent), "window-percent")]),
            bar(number(w.usedPercent)),
            reset ? el("div", "window-reset ellipsis", reset) : null,
        ]);
    }

    function statBlock(s, className) {
        const value = F.stat(number(s.value), text(s.format));
        return stat(text(s.label), value, text(s.sub), className);
    }

    // How many windows stand side by side: as many as get 300 points each.
    function windowColumns(count, width) {
        return Math.max(1, Math.min(count, Math.floor((width + 40) / 340)));
    }

    function drawProvider(slot, ctx, id) {
        const entry = entryFor(id, ctx);
        slot.appendChild(providerKicker(id, entry, ctx));
        if (!entry || entry.status !== "ok") {
            slot.classList.add("provider-off");
            slot.appendChild(message(statusHeadline(entry), reasonOf(entry)));
            return;
        }
        const shown = windows(entry);
        const figures = stats(entry);
        const body = el("div", "body provider");
        slot.appendChild(body);
        if (!shown.length) {
            // Without windows the statistics, if any, carry the widget.
            if (!figures.length) {
                body.appendChild(message("No usage limits reported", "The tool reported no windows or totals to show."));
                return;
            }
            body.classList.add("figures-only");
            body.appendChild(el("div", "dictation", figures.slice(0, 2).map((f) => statBlock(f, "dictation-stat"))));
            body.appendChild(el("div", "provider-note", "No usage limits reported"));
            Tess.ui.firstThatFits(body, ["roomy", "regular", "compact"]);
            return;
        }
        const columns = windowColumns(shown.length, ctx.width);
        const grid = el("div", "windows", shown.map((w) => windowBlock(w, ctx, "window")));
        grid.style.gridTemplateColumns = "repeat(" + columns + ", minmax(0, 1fr))";
        body.appendChild(grid);
        if (figures.length)
            body.appendChild(el("div", "provider-stats", figures.slice(0, 2).map((f) => statBlock(f, "provider-stat"))));
        if (Tess.ui.firstThatFits(body, ["roomy", "regular", "compact", "tight"]) === "tight" && Tess.ui.overflows(body))
            dropUntilFits(body, grid, shown.length);
    }

    // The last resort of a crowded slot: fewer windows, and a line saying how many are left out.
    function dropUntilFits(body, grid, total) {
        const more = el("div", "provider-more", "");
        body.appendChild(more);
        while (grid.children.length > 1 && Tess.ui.overflows(body)) {
            grid.removeChild(grid.lastChild);
            more.textContent = "+ " + (total - grid.children.length) + " more";
        }
        if (!more.textContent)
            body.removeChild(more);
    }

    ["claude", "codex", "grok", "gemini"].forEach((id) => {
        Tess.widgets["provider." + id] = (slot, ctx) => drawProvider(slot, ctx, id);
    });

    // ---- Wispr Flow -------------------------------------------------------------------------

    Tess.widgets["provider.wispr"] = function (slot, ctx) {
        const entry = entryFor("wispr", ctx);
        slot.appendChild(providerKicker("wispr", entry, ctx));
        if (!entry || entry.status !== "ok") {
            slot.classList.add("provider-off");
            slot.appendChild(message(statusHeadline(entry), reasonOf(entry)));
            return;
        }
        const figures = stats(entry);
        if (!figures.length) {
            slot.appendChild(message("No dictation yet", "Words you dictate with Wispr Flow are counted here."));
            return;
        }
        const body = el("div", "body provider figures-only");
        slot.appendChild(body);
        body.appendChild(el("div", "dictation", figures.slice(0, 2).map((f) => statBlock(f, "dictation-stat"))));
        Tess.ui.firstThatFits(body, ["roomy", "regular", "compact"]);
    };

    // ---- all chosen plans -------------------------------------------------------------------

    function chosenIds(ctx) {
        const chosen = isObject(ctx.data.ai) ? list(ctx.data.ai.chosen) : [];
        const ids = [];
        chosen.forEach((id) => {
            if (typeof id === "string" && id && !ids.includes(id))
                ids.push(id);
        });
        return ids;
    }

    function planSummary(entry, ctx, narrow) {
        if (!entry || entry.status !== "ok")
            return el("div", "plan-reason", reasonOf(entry));
        const shown = windows(entry);
        if (shown.length === 0) {
            const figures = stats(entry);
            if (figures.length)
                return el("div", "plan-figures", figures.slice(0, narrow ? 1 : 2).map((s) => el("div", "plan-figure", [
                    el("span", "plan-figure-value", F.stat(number(s.value), text(s.format))),
                    el("span", "ellipsis", text(s.label).toLowerCase())])));
            return el("div", "plan-reason", "No usage limits reported");
        }
        const room = ctx.size === "xl" ? 3 : narrow ? 1 : 2;
        const grid = el("div", "plan-windows", shown.slice(0, room).map((w) => windowBlock(w, ctx, "plan-window")));
        grid.style.gridTemplateColumns = "repeat(" + Math.min(room, shown.length) + ", minmax(0, 1fr))";
        return grid;
    }

    Tess.widgets["plans.all"] = function (slot, ctx) {
        const ids = chosenIds(ctx);
        slot.appendChild(kicker("AI plans", null, { quiet: ctx.titled }));
        if (ids.length === 0) {
            slot.appendChild(message("No plans chosen", "Pick the AI tools to follow under AI Plans in the menu."));
            return;
        }
        const narrow = ctx.size === "s" || ctx.size === "xs";
        const body = el("div", "body plans");
        slot.appendChild(body);
        ids.slice(0, 5).forEach((id) => {
            const entry = entryFor(id, ctx);
            const off = !entry || entry.status !== "ok";
            body.appendChild(el("div", "plan" + (off ? " plan-off" : ""), [
                el("div", "plan-name", [logoOf(id, entry, 26, ctx), el("span", "ellipsis", nameOf(id, entry))]),
                planSummary(entry, ctx, narrow),
            ]));
        });
        Tess.ui.firstThatFits(body, ["roomy", "regular", "compact", "tight"]);
        // A figure is never cut: the second one goes when both do not fit side by side.
        body.querySelectorAll(".plan-figures").forEach((figures) => {
            while (figures.children.length > 1 && figures.scrollWidth > figures.clientWidth + 1)
                figures.lastElementChild.remove();
        });
    };
})();
