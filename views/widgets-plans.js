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
        return entry.status === "ok" ? "No usage windows reported" : "No reason was given";
    }

    function windowLabel(w) {
        return F.capitalised(text(w.label) || "Plan");
    }

    // ---- one provider -----------------------------------------------------------------------

    function providerHeader(id, entry, ctx) {
        const big = ctx.size === "xl" || ctx.size === "l";
        const plan = entry && typeof entry.plan === "string" && entry.plan ? F.capitalised(entry.plan) : null;
        const seen = entry ? F.parseTime(text(entry.seenAt)) : null;
        const seenText = seen ? "Seen " + (F.daysBetween(seen, ctx.now) === 0 ? F.time(seen) : F.shortDay(seen)) : null;
        return el("div", "provider-head", [logoOf(id, entry, big ? 34 : 30, ctx),
            el("div", "provider-name ellipsis", nameOf(id, entry)), plan ? el("span", "pill", plan) : null,
            seenText && ctx.size !== "xs" ? el("div", "provider-seen", seenText) : null]);
    }

    function windowBlock(w, ctx) {
        const reset = F.resetsIn(w.resetsAt, ctx.now);
        return el("div", "window", [
            el("div", "window-top", [el("span", "window-label ellipsis", windowLabel(w)),
                el("span", "window-percent", F.percent(number(w.usedPercent)))]),
            bar(number(w.usedPercent)),
            el("div", "window-reset ellipsis", reset || "\u00a0"),
        ]);
    }

    function statBlock(s) {
        const value = F.stat(number(s.value), text(s.format));
        return stat(text(s.label), value, text(s.sub), "provider-stat");
    }

    function drawProvider(slot, ctx, id) {
        const entry = entryFor(id, ctx);
        slot.appendChild(providerHeader(id, entry, ctx));
        if (!entry || entry.status !== "ok") {
            slot.classList.add("provider-off");
            slot.appendChild(message(statusHeadline(entry), reasonOf(entry)));
            return;
        }
        const room = ctx.size === "xs" || ctx.size === "s" ? 2 : 3;
        const shown = windows(entry).slice(0, room);
        const figures = stats(entry);
        if (!shown.length) {
            // Without windows the statistics, if any, carry the widget.
            const note = message("No usage windows", "The tool reported no limits to show.");
            if (figures.length)
                note.insertBefore(el("div", "provider-stats alone", figures.slice(0, 2).map(statBlock)), note.firstChild);
            slot.appendChild(note);
            return;
        }
        const body = el("div", "body provider");
        slot.appendChild(body);
        body.appendChild(el("div", "windows count-" + shown.length, shown.map((w) => windowBlock(w, ctx))));
        if (figures.length)
            body.appendChild(el("div", "provider-stats", figures.slice(0, 2).map(statBlock)));
    }

    ["claude", "codex", "grok", "gemini"].forEach((id) => {
        Tess.widgets["provider." + id] = (slot, ctx) => drawProvider(slot, ctx, id);
    });

    // ---- Wispr Flow -------------------------------------------------------------------------

    Tess.widgets["provider.wispr"] = function (slot, ctx) {
        const entry = entryFor("wispr", ctx);
        slot.appendChild(providerHeader("wispr", entry, ctx));
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
        const body = el("div", "body dictation");
        slot.appendChild(body);
        figures.slice(0, 2).forEach((s) => {
            const value = F.stat(number(s.value), text(s.format));
            body.appendChild(stat(text(s.label), value, text(s.sub), "dictation-stat"));
        });
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

    function planSummary(entry, ctx, crowded) {
        if (!entry || entry.status !== "ok")
            return el("div", "plan-reason", reasonOf(entry));
        const shown = windows(entry);
        if (shown.length === 0) {
            const figures = stats(entry);
            const narrow = ctx.size === "s" || ctx.size === "xs";
            if (figures.length)
                return el("div", "plan-figures", figures.slice(0, narrow ? 1 : 2).map((s) => el("div", "plan-figure", [
                    el("span", "plan-figure-value", F.stat(number(s.value), text(s.format))),
                    el("span", "plan-figure-label", " " + text(s.label).toLowerCase())])));
            return el("div", "plan-reason", "No usage windows reported");
        }
        const narrow = ctx.size === "s" || ctx.size === "xs";
        const room = ctx.size === "xl" ? 3 : narrow && crowded ? 1 : 2;
        return el("div", "plan-windows count-" + Math.min(room, shown.length), shown.slice(0, room).map((w) => {
            const reset = F.resetsIn(w.resetsAt, ctx.now);
            return el("div", "plan-window", [
                el("div", "window-top", [el("span", "window-label ellipsis", windowLabel(w)),
                    el("span", "window-percent", F.percent(number(w.usedPercent)))]),
                bar(number(w.usedPercent)),
                el("div", "window-reset ellipsis", reset || "\u00a0"),
            ]);
        }));
    }

    Tess.widgets["plans.all"] = function (slot, ctx) {
        const ids = chosenIds(ctx);
        slot.appendChild(kicker("AI plans"));
        if (ids.length === 0) {
            slot.appendChild(message("No plans chosen", "Pick the AI tools to follow under AI Plans in the menu."));
            return;
        }
        const body = el("div", "body plans rows-" + Math.min(ids.length, 5));
        slot.appendChild(body);
        ids.slice(0, 5).forEach((id) => {
            const entry = entryFor(id, ctx);
            const off = !entry || entry.status !== "ok";
            body.appendChild(el("div", "plan" + (off ? " plan-off" : ""), [
                el("div", "plan-name", [logoOf(id, entry, 26, ctx), el("span", "ellipsis", nameOf(id, entry))]),
                planSummary(entry, ctx, ids.length > 3),
            ]));
        });
    };
})();
