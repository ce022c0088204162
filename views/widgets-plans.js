/* SPDX-License-Identifier: GPL-3.0-or-later */
// AI plan widgets: every chosen provider's windows together, one provider on its own, and the
// dictation statistics of Wispr Flow.
(() => {
    "use strict";
    const Tess = window.Tess;
    const { el, isObject, list, number, text, kicker, message, bar, stat, protectedText } = Tess.ui;
    const F = Tess.format;

    // ---- the providers --------------------------------------------------------------------
    // Names, logos and kinds come from the data document: each collected provider's entry, and
    // the program's table of every provider ("providers") for one that has no entry. The page
    // keeps no list of its own.

    function entryIn(id, data) {
        const entries = isObject(data) && isObject(data.ai) ? list(data.ai.providers).filter(isObject) : [];
        return entries.find((entry) => entry.id === id) || null;
    }

    function tableRows(data) {
        return isObject(data) ? list(data.providers).filter(isObject) : [];
    }

    function tableRow(id, data) {
        return tableRows(data).find((row) => row.id === id) || null;
    }

    // The table's row of a provider's widget, "provider.<id>"; null for any other widget.
    function widgetRow(widgetId, data) {
        return typeof widgetId === "string" && widgetId.startsWith("provider.")
                   ? tableRow(widgetId.slice("provider.".length), data)
                   : null;
    }

    function nameIn(id, data) {
        const entry = entryIn(id, data);
        const row = tableRow(id, data);
        return text(entry && entry.name) || text(row && row.name) || F.capitalised(id);
    }

    function logoIn(id, data) {
        const entry = entryIn(id, data);
        const row = tableRow(id, data);
        return text(entry && entry.logo) || text(row && row.logo);
    }

    function catalogued(widgetId, catalogue) {
        const widgets = isObject(catalogue) ? list(catalogue.widgets) : [];
        return widgets.find((w) => isObject(w) && w.id === widgetId) || null;
    }

    // Dictation figures rather than a plan's windows: by the table, else (for a document written
    // before the table was) by the catalogue's group of the provider's widget.
    function isDictation(id, data, catalogue) {
        const row = tableRow(id, data);
        if (row)
            return row.kind === "dictation";
        const widget = catalogued("provider." + id, catalogue);
        return Boolean(widget) && widget.group === "Voice";
    }

    function entryFor(id, ctx) {
        return entryIn(id, ctx.data);
    }

    function nameOf(id, ctx) {
        return nameIn(id, ctx.data);
    }

    function logoOf(id, size, ctx) {
        if (!ctx.logos)
            return null;
        return Tess.marks.logo(logoIn(id, ctx.data), size);
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
        // The collector's fixed reasons stand as they are; a server's raw answer is told by its
        // meaning.
        const reason = F.humanReason(text(entry.reason));
        if (reason)
            return reason;
        return entry.status === "ok" ? "No usage limits reported" : "No reason was given";
    }

    function isFailure(entry) {
        return !entry || entry.status !== "ok";
    }

    // When the tool's own report was written, when that is older than the refresh can explain:
    // stale data says so wherever it is shown.
    const STALE_MS = 60 * 60 * 1000;

    function seenForms(entry, ctx) {
        const seen = entry ? F.parseTime(text(entry.seenAt)) : null;
        if (!seen || ctx.now - seen < STALE_MS)
            return null;
        const days = F.daysBetween(seen, ctx.now);
        if (days === 0)
            return ["seen " + F.time(seen)];
        if (days < 7)
            return ["seen " + F.plural(days, "day", "days") + " ago", "seen " + F.DAY_SHORT[seen.getDay()]];
        return ["seen " + F.dayMonth(seen, ctx.now), F.dayMonth(seen, ctx.now)];
    }

    // ---- which windows to show ----------------------------------------------------------------

    // A window the page never leaves out: one at 85 % or more, or one whose forecast says it runs
    // out before it resets.
    function isPressing(w) {
        return Tess.ui.isHigh(w.usedPercent) || Tess.forecast.isCritical(w);
    }

    // Which windows stand when only `room` fit: the one nearest its limit and every pressing one
    // always, then the fullest; unknown shares last. They keep their own order.
    function pickWindows(all, room) {
        const ranked =
            all.map((w, i) => ({ w, i, used: Tess.ui.usedOf(w.usedPercent) }))
                .sort((a, b) => (b.used === null ? -1 : b.used) - (a.used === null ? -1 : a.used) || a.i - b.i);
        ranked.forEach((r, k) => (r.critical = (k === 0 && r.used !== null) || isPressing(r.w)));
        const critical = ranked.filter((r) => r.critical);
        const ordered = critical.concat(ranked.filter((r) => !r.critical));
        return ordered.slice(0, Math.max(room, critical.length)).sort((a, b) => a.i - b.i).map((r) => r.w);
    }

    // How near a provider is to a limit, for choosing which plans a crowded slot keeps: a window
    // at 85 % or more first, then a failure, then the fullest. A narrow slot, with room for a
    // line or two, keeps figures ahead of a plan that can only say why it has none.
    function planPriority(entry, narrow) {
        if (isFailure(entry))
            return narrow ? -2 : 400;
        const used = windows(entry).map((w) => Tess.ui.usedOf(w.usedPercent)).filter((u) => u !== null);
        const top = used.length ? Math.max(...used) : -1;
        return windows(entry).some(isPressing) ? 500 + top : top;
    }

    // ---- one provider -----------------------------------------------------------------------

    // The provider's first line is the kicker every slot has, with its logo for the dot; the
    // plan and when the tool was last seen stand at the right.
    function providerKicker(id, entry, ctx) {
        const plan = entry && typeof entry.plan === "string" && entry.plan ? F.humanWord(entry.plan) : null;
        const seen = entry ? F.parseTime(text(entry.seenAt)) : null;
        const seenText =
            seen ? "seen " + (F.daysBetween(seen, ctx.now) === 0 ? F.time(seen) : F.dayMonth(seen, ctx.now)) : null;
        const stale = isStale(entry, ctx);
        const detail = [plan, ctx.size !== "xs" || stale ? seenText : null].filter(Boolean).join(" · ");
        // A narrow first line that must say how old the data is gives it the logo's room.
        const mark = ctx.size === "xs" && stale ? null : logoOf(id, 30, ctx);
        const kick = kicker(nameOf(id, ctx), detail || null, { mark, quiet: ctx.titled });
        // Where the line is short, old data still says when it was seen; the plan's name and a
        // fresh time give way whole, never cut.
        const place = kick.querySelector(".kicker-detail");
        if (place) {
            const forms = [detail];
            if (stale && plan)
                forms.push(seenText);
            if (stale)
                forms.push(seenForms(entry, ctx).slice(-1)[0]);
            else if (plan && seenText)
                forms.push(plan);
            place.replaceWith(protectedText("span", "kicker-detail" + (stale ? "" : " optional"), forms));
        }
        if (stale)
            kick.classList.add("stale");
        return kick;
    }

    function isStale(entry, ctx) {
        return seenForms(entry, ctx) !== null;
    }

    // When the window runs out at the present pace, if that comes before its reset: a line of its
    // own in the warning style, so no arrangement hides it with the reset.
    function forecastLine(w, ctx) {
        const said = Tess.forecast.label(w, ctx.now);
        if (!said)
            return null;
        const line = el("div", "window-forecast-row high", [
            Tess.marks.glyph("warning", 24),
            protectedText("span", "window-forecast", [said, said.replace("runs out ", "out ")])
        ]);
        return line;
    }

    // The window's use since its period began, where the reset line has room beside it.
    function sparkOf(w, ctx) {
        return Tess.forecast.sparkline(w, { width: 96, height: 28, panel: ctx.panel === true });
    }

    // A spark line gives way to the reset it stands beside: where the reset had to take a
    // shorter form or a second line, the line goes and the reset is fitted again.
    function fitSparks(root) {
        let dropped = false;
        root.querySelectorAll(".sparkline").forEach((spark) => {
            const row = spark.parentElement;
            const squeezed =
                Array.from(row.querySelectorAll(".protected"))
                    .some((n) => (n.dataset.form && n.dataset.form !== "0") || n.classList.contains("wraps"));
            if (squeezed || row.scrollWidth > row.clientWidth + 0.5) {
                spark.remove();
                dropped = true;
            }
        });
        if (dropped)
            Tess.ui.fitProtected(root);
    }

    // One usage window: its name and percentage, the bar, when it resets and, when it runs out
    // first, when that will be. The name and the reset take shorter right forms where the room is
    // short, never a cut.
    function windowBlock(w, ctx, className) {
        const resets = F.resetForms(w.resetsAt, ctx.now);
        const at = F.resetMoment(w.resetsAt);
        const spark = sparkOf(w, ctx);
        const block = el("div", className, [
            el("div", "window-top",
               [
                   protectedText("span", "window-label", F.windowNames(text(w.label))),
                   resets.length ? protectedText("span", "window-inline-reset", resets.map((r) => "· " + r)) : null,
                   Tess.ui.percentFigure(w.usedPercent, "window-percent")
               ]),
            bar(w.usedPercent),
            F.creditsNote(w) ? el("div", "window-credits", F.creditsNote(w)) : null,
            resets.length || spark ? el("div", "window-reset-row",
                                        [resets.length ? protectedText("span", "window-reset", resets) : null, spark])
                                   : null,
            forecastLine(w, ctx),
        ]);
        block.dataset.window = text(w.label);
        if (at)
            block.querySelectorAll(".window-reset, .window-inline-reset")
                .forEach((n) => (n.dataset.at = String(at.getTime())));
        return block;
    }

    function statBlock(s, className) {
        const value = F.stat(number(s.value), text(s.format));
        return stat(F.windowNames(text(s.label)), value, F.humanLine(text(s.sub)), className);
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
        const all = windows(entry);
        const figures = stats(entry);
        const body = el("div", "body provider");
        slot.appendChild(body);
        if (!all.length) {
            // Without windows the statistics, if any, carry the widget.
            if (!figures.length) {
                body.appendChild(
                    message("No usage limits reported", "The tool reported no windows or totals to show."));
                return;
            }
            body.classList.add("figures-only");
            body.appendChild(el("div", "dictation", figures.slice(0, 2).map((f) => statBlock(f, "dictation-stat"))));
            body.appendChild(el("div", "provider-note", "No usage limits reported"));
            Tess.ui.firstThatFits(body, ["roomy", "regular", "compact"]);
            Tess.ui.fitProtected(body);
            return;
        }
        const grid = el("div", "windows");
        const more = el("div", "provider-more");
        body.appendChild(el("div", "windows-box", [grid, more]));
        body.dataset.total = String(all.length);
        body.dataset.provider = id;
        // In a wide slot the totals stand beside the windows, so the windows keep their large
        // figures; elsewhere they sit beneath.
        if (figures.length) {
            body.classList.add("with-stats");
            body.appendChild(
                el("div", "provider-stats", figures.slice(0, 2).map((f) => statBlock(f, "provider-stat"))));
        }
        // As many windows as fit, chosen by how near their limits they are.
        for (let room = all.length; room >= 1; --room) {
            const shown = pickWindows(all, room);
            grid.textContent = "";
            more.textContent = "";
            shown.forEach((w) => grid.appendChild(windowBlock(w, ctx, "window")));
            body.classList.toggle("has-forecast", shown.some((w) => Tess.forecast.isCritical(w)));
            grid.style.gridTemplateColumns = "repeat(" + windowColumns(shown.length, ctx.width) + ", minmax(0, 1fr))";
            Tess.ui.append(more, Tess.ui.moreText(all.length - shown.length, "window", "windows"));
            body.dataset.shown = String(shown.length);
            Tess.ui.firstThatFits(body, ["roomy", "regular", "compact", "tight"]);
            Tess.ui.fitProtected(body);
            fitSparks(body);
            if (!Tess.ui.overflows(body) || shown.length <= 1 || pickWindows(all, room - 1).length === shown.length)
                break;
        }
        // Where the windows that must stand leave no room for the totals, the totals give way and
        // are counted.
        const totals = body.querySelector(".provider-stats");
        if (totals && Tess.ui.overflows(body)) {
            totals.remove();
            Tess.ui.append(more, Tess.ui.moreText(figures.slice(0, 2).length, "figure", "figures"));
            Tess.ui.fitProtected(body);
        }
        // Still short of room, the count moves up beside the provider's name when that line is free.
        const kick = slot.querySelector(".kicker");
        if (more.textContent && Tess.ui.overflows(body) && kick && !kick.querySelector(".kicker-detail")) {
            more.querySelectorAll(".more").forEach((count) => {
                count.classList.add("kicker-detail");
                kick.appendChild(count);
            });
            more.textContent = "";
            Tess.ui.fitProtected(slot);
        }
        if (!more.textContent)
            more.remove();
    }

    // ---- dictation --------------------------------------------------------------------------

    function drawDictation(slot, ctx, id) {
        const entry = entryFor(id, ctx);
        slot.appendChild(providerKicker(id, entry, ctx));
        if (!entry || entry.status !== "ok") {
            slot.classList.add("provider-off");
            slot.appendChild(message(statusHeadline(entry), reasonOf(entry)));
            return;
        }
        const figures = stats(entry);
        // Nothing dictated at all reads as such, not as a row of zeros.
        if (!figures.length || figures.every((f) => number(f.value) === 0)) {
            slot.appendChild(message("No dictation yet",
                                     "Words you dictate with " + nameOf(id, ctx) + " are counted here.",
                                     Tess.marks.logo(logoIn(id, ctx.data), 30)));
            return;
        }
        const body = el("div", "body provider figures-only");
        slot.appendChild(body);
        body.appendChild(el("div", "dictation", figures.slice(0, 2).map((f) => statBlock(f, "dictation-stat"))));
        Tess.ui.firstThatFits(body, ["roomy", "regular", "compact"]);
        Tess.ui.fitProtected(body);
    }

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

    function planFigures(entry, narrow) {
        const figures = stats(entry);
        if (!figures.length)
            return el("div", "plan-reason", "No usage limits reported");
        return el("div", "plan-figures",
                  figures.slice(0, narrow ? 1 : 2)
                      .map((s) => el("div", "plan-figure", [
                               el("span", "plan-figure-value", F.stat(number(s.value), text(s.format))),
                               protectedText("span", "plan-figure-label", [text(s.label).toLowerCase()])
                           ])));
    }

    // The side line of a plan: when its data is old, and how many windows it leaves out.
    function planMeta(entry, ctx, hidden) {
        const parts = [];
        const seen = seenForms(entry, ctx);
        if (seen)
            parts.push(protectedText("span", "plan-seen", seen));
        const more = Tess.ui.moreText(hidden, "window", "windows", "plan-more");
        if (more)
            parts.push(more);
        return parts.length ? el("div", "plan-meta", parts) : null;
    }

    // One plan in a wide slot: its name (with the side line beneath) beside its windows.
    function widePlan(id, entry, ctx, room) {
        const off = isFailure(entry);
        const all = off ? [] : windows(entry);
        const shown = pickWindows(all, room);
        let summary;
        if (off)
            summary = el("div", "plan-reason", reasonOf(entry));
        else if (!all.length)
            summary = planFigures(entry, false);
        else {
            summary = el("div", "plan-windows", shown.map((w) => windowBlock(w, ctx, "plan-window")));
            summary.style.gridTemplateColumns =
                "repeat(" + Math.max(1, Math.min(room, shown.length)) + ", minmax(0, 1fr))";
        }
        const row = el("div", "plan" + (off ? " plan-off" : ""), [
            el("div", "plan-head",
               [
                   el("div", "plan-name", [logoOf(id, 30, ctx), el("span", "plan-title", nameOf(id, ctx))]),
                   planMeta(entry, ctx, all.length - shown.length)
               ]),
            summary,
        ]);
        row.dataset.total = String(all.length);
        row.dataset.shown = String(shown.length);
        row.dataset.provider = id;
        return row;
    }

    // Another window of a narrow plan that runs out before its reset, told in one line: its name
    // and when it runs out.
    function forecastBeside(w, ctx) {
        const when = Tess.forecast.when(w, ctx.now);
        const forms = [];
        F.windowNames(text(w.label)).forEach((name) => forms.push(name + " runs out " + when));
        F.windowNames(text(w.label)).slice(-1).forEach((name) => forms.push(name + " out " + when));
        const line = el("div", "window-forecast-row high",
                        [Tess.marks.glyph("warning", 24), protectedText("span", "window-forecast", forms)]);
        line.dataset.window = text(w.label);
        return line;
    }

    // One plan in a narrow slot: the name and the figure of the window nearest its limit on one
    // line, its bar, then which window that is and when it resets; a window that runs out before
    // its reset follows the same way, with when it runs out.
    function narrowPlan(id, entry, ctx) {
        const off = isFailure(entry);
        const all = off ? [] : windows(entry);
        // The most pressing window (at 85 % or more, else one running out before its reset, else
        // the one nearest its limit), and every other that runs out before its reset. The count
        // of the rest carries a warning mark when one of them is at 85 % or more too.
        const known = all.filter((w) => Tess.ui.usedOf(w.usedPercent) !== null);
        const nearest = known.sort((a, b) => b.usedPercent - a.usedPercent)[0] || all[0];
        const first = Tess.ui.isHigh(nearest && nearest.usedPercent)
                          ? nearest
                          : all.find((w) => Tess.forecast.isCritical(w)) || nearest;
        const shown = [first].concat(all.filter((w) => w !== first && Tess.forecast.isCritical(w))).filter(Boolean);
        const hiddenHigh = all.some((w) => !shown.includes(w) && Tess.ui.isHigh(w.usedPercent));
        // The narrowest slots leave the logo out: the name and the figure need the room.
        const head = el(
            "div", "plan-name",
            [ctx.size === "xs" ? null : logoOf(id, 30, ctx), protectedText("span", "plan-title", [nameOf(id, ctx)])]);
        const row = el("div", "plan narrow-plan" + (off ? " plan-off" : ""));
        row.dataset.total = String(all.length);
        row.dataset.shown = String(shown.length);
        row.dataset.provider = id;
        if (off || !all.length) {
            row.appendChild(head);
            row.appendChild(off ? el("div", "plan-reason", reasonOf(entry)) : planFigures(entry, true));
            Tess.ui.append(row, planMeta(entry, ctx, 0));
            return row;
        }
        const part = el("div", "narrow-window", [
            el("div", "plan-line", [head, Tess.ui.percentFigure(first.usedPercent, "window-percent")]),
            bar(first.usedPercent)
        ]);
        part.dataset.window = text(first.label);
        row.appendChild(part);
        const details = [protectedText("span", "window-label", F.windowNames(text(first.label)))];
        const resets = F.resetForms(first.resetsAt, ctx.now);
        if (resets.length) {
            const reset = protectedText("span", "window-reset", resets.map((r) => "· " + r));
            reset.dataset.at = String(F.resetMoment(first.resetsAt).getTime());
            details.push(reset);
        }
        if (F.creditsNote(first))
            details.push(protectedText("span", "window-credits", "· " + F.creditsNote(first)));
        const seen = seenForms(entry, ctx);
        if (seen)
            details.push(protectedText("span", "plan-seen", seen.map((t) => "· " + t)));
        const more = Tess.ui.moreText(all.length - shown.length, "window", "windows", "plan-more");
        if (more)
            details.push(hiddenHigh ? el("span", "more-group", [Tess.marks.glyph("warning", 24), more]) : more);
        part.appendChild(el("div", "plan-detail", details));
        Tess.ui.append(part, forecastLine(first, ctx));
        shown.slice(1).forEach((w) => row.appendChild(forecastBeside(w, ctx)));
        return row;
    }

    Tess.widgets["plans.all"] = function(slot, ctx) {
        const ids = chosenIds(ctx);
        slot.appendChild(kicker("AI plans", null, { quiet: ctx.titled }));
        if (ids.length === 0) {
            slot.appendChild(message("No plans chosen", "Pick the AI tools to follow under AI Plans in the menu."));
            return;
        }
        const narrow = ctx.size === "s" || ctx.size === "xs";
        const body = el("div", "body plans" + (narrow ? " plans-narrow" : ""));
        slot.appendChild(body);
        // Windows side by side, each given at least 230 points beside the plan's name.
        const room = Math.max(1, Math.min(3, Math.floor((ctx.width - 240) / 230)));
        const entries = ids.map((id, order) => ({ id, order, entry: entryFor(id, ctx) }));
        entries.forEach((p) => (p.priority = planPriority(p.entry, narrow)));
        const draw = (kept) => {
            body.textContent = "";
            kept.forEach(
                (p) => body.appendChild(narrow ? narrowPlan(p.id, p.entry, ctx) : widePlan(p.id, p.entry, ctx, room)));
            const left = entries.length - kept.length;
            if (left > 0) {
                const more = el("div", "plans-more", [Tess.ui.moreText(left, "plan", "plans")]);
                body.appendChild(more);
            }
            body.dataset.total = String(entries.length);
            body.dataset.shown = String(kept.length);
            Tess.ui.firstThatFits(body, ["roomy", "regular", "compact", "tight"]);
            Tess.ui.fitProtected(body);
            fitSparks(body);
        };
        // A crowded slot leaves out the plans furthest from their limits, never a window at 85 %
        // or more (nor, where the slot is wide, a failure) while another can go; the ones kept
        // stay in the user's order.
        let kept = entries.slice();
        draw(kept);
        while (Tess.ui.overflows(body) && kept.length > 1) {
            const lowest = kept.slice().sort((a, b) => a.priority - b.priority || b.order - a.order)[0];
            kept = kept.filter((p) => p !== lowest);
            draw(kept);
        }
        body.querySelectorAll(".plan-figures").forEach((figures) => {
            while (figures.children.length > 1 && figures.scrollWidth > figures.clientWidth + 1)
                figures.lastElementChild.remove();
        });
    };

    // A provider's own widget, "provider.<id>", for every provider the document's table or the
    // catalogue knows: dictation figures or a plan's windows, as its kind says; null for any
    // other id.
    function providerWidget(widgetId, data, catalogue) {
        if (typeof widgetId !== "string" || !widgetId.startsWith("provider."))
            return null;
        const id = widgetId.slice("provider.".length);
        if (!tableRow(id, data) && !catalogued(widgetId, catalogue))
            return null;
        const draw = isDictation(id, data, catalogue) ? drawDictation : drawProvider;
        return (slot, ctx) => draw(slot, ctx, id);
    }

    Tess.providers = {
        entry: entryIn,
        name: nameIn,
        logo: logoIn,
        isDictation,
        widget: providerWidget,
        rows: tableRows,
        row: widgetRow,
    };
})();
