/* SPDX-License-Identifier: GPL-3.0-or-later */
// GitHub widgets: the contribution year, this month, the activity feed and the overview.
(() => {
    "use strict";
    const Tess = window.Tess;
    const { el, isObject, list, number, text, kicker, message, stat } = Tess.ui;
    const F = Tess.format;
    const SVG = "http://www.w3.org/2000/svg";

    // The section's figures, or null when there are none: no section, or one that says why
    // GitHub could not be read this time.
    function github(ctx) {
        const gh = ctx.data.github;
        return isObject(gh) && gh.status !== "unavailable" ? gh : null;
    }

    // The slot of a GitHub widget without figures says why, in words large enough to read on
    // the smallest card; the rest of the page is drawn as usual.
    function noGitHub(slot, label, ctx) {
        slot.appendChild(kicker(label, null, { quiet: ctx && ctx.titled }));
        const gh = ctx.data.github;
        const failed = isObject(gh) && gh.status === "unavailable";
        const reason = failed ? text(gh.reason) : "";
        const note =
            failed ? message("GitHub not updated", reason || "GitHub could not be read.", Tess.marks.logo("github", 30))
                   : message("No GitHub data yet", "Sign in to GitHub in Connections, then refresh.",
                             Tess.marks.logo("github", 30));
        note.classList.add("github-missing");
        slot.appendChild(note);
    }

    function days(gh) {
        const all = [];
        list(gh.weeks).forEach((week) => list(week).forEach((day) => {
            if (isObject(day))
                all.push({ date: text(day.date), count: number(day.count), level: clampLevel(day.level) });
        }));
        return all;
    }

    function clampLevel(level) {
        const n = Math.round(number(level));
        return Math.max(0, Math.min(4, n));
    }

    function svg(tag, attributes) {
        const node = document.createElementNS(SVG, tag);
        Object.keys(attributes).forEach((key) => node.setAttribute(key, attributes[key]));
        return node;
    }

    // One day cell. Colour looks fill the whole cell with the level's colour. The panel shows an
    // empty day as a thin ring, the first level as a heavy ring and the others as black squares
    // growing to the whole cell, all on whole pixels: a day with contributions never reads as a
    // speck beside one without.
    function cell(x, y, size, level, panel) {
        if (panel) {
            if (level <= 1)
                return outline(x, y, size, level === 0 ? 1 : Math.max(3, Math.round(size * 0.22)), level);
            // Levels 2 and 3 are black squares with a white hole that shrinks as the level grows;
            // level 4 is solid. Every one fills the whole cell.
            const group = svg("g", {});
            group.appendChild(
                svg("rect", { x, y, width: size, height: size, fill: "#000", class: "cell level-" + level }));
            const hole = panelHole(size, level);
            if (hole > 0) {
                const offset = (size - hole) / 2;
                group.appendChild(svg(
                    "rect", { x: x + offset, y: y + offset, width: hole, height: hole, fill: "#fff", class: "hole" }));
            }
            return group;
        }
        return svg("rect", {
            x,
            y,
            width: size,
            height: size,
            rx: Math.max(1.5, size * 0.2),
            fill: "var(--level-" + level + ")",
            class: "cell level-" + level
        });
    }

    // The white hole in a level's black square on the panel, centred on whole pixels.
    function panelHole(size, level) {
        const shares = [0, 0, 0.46, 0.2, 0];
        const hole = Math.round(size * shares[level]);
        return hole === 0 ? 0 : Math.max(2, hole - ((size - hole) % 2));
    }

    // A square ring of whole-pixel rectangles (a stroked shape would sit on half pixels).
    function outline(x, y, size, width, level) {
        const group = svg("g", level === undefined ? {} : { class: "cell level-" + level });
        [[x, y, size, width], [x, y + size - width, size, width], [x, y, width, size],
         [x + size - width, y, width, size]]
            .forEach(([rx, ry, w, h]) =>
                         group.appendChild(svg("rect", { x: rx, y: ry, width: w, height: h, fill: "#000" })));
        return group;
    }

    // ---- github.year ------------------------------------------------------------------------

    // The busiest day in the one form every GitHub widget uses: "31 on Sat 14 Mar".
    function busiestDay(gh) {
        const busiest = isObject(gh.busiest) ? gh.busiest : {};
        const day = F.parseDay(text(busiest.date));
        return day && number(busiest.count) > 0 ? { count: number(busiest.count), day } : null;
    }

    function busiestText(busiest, now) {
        return F.count(busiest.count) + " on " + F.dateText(busiest.day, now);
    }

    // What a number of weeks covers, in words: "the last year", "the last 31 weeks".
    function span(weeks) {
        return weeks >= 52 ? "the last year" : "the last " + F.plural(weeks, "week", "weeks");
    }

    function yearStats(gh, ctx, dataWeeks) {
        const total = number(gh.total);
        const current = number(gh.currentStreak);
        const longest = number(gh.longestStreak);
        const row = el("div", "year-stats");
        const narrow = ctx.size === "s" || ctx.size === "xs";
        // The total covers the data's year whatever part of it the grid shows, and says so.
        row.appendChild(stat(null, F.count(total), "contributions in " + span(dataWeeks), "hero"));
        row.appendChild(stat(null, narrow ? F.count(current) : F.plural(current, "day", "days"),
                             ctx.size === "xs" ? "streak"
                             : narrow          ? "day streak"
                                               : "current streak"));
        if (ctx.size === "xl" || ctx.size === "l")
            row.appendChild(stat(null, F.plural(longest, "day", "days"), "longest streak"));
        return row;
    }

    const MONTH_ROW = 30;

    // The data's days regrouped into weeks that start on Monday, as the month grid and the
    // British calendar do: [{ days: [{ date, level, row }] }], oldest first.
    function mondayWeeks(gh) {
        const weeks = [];
        let current = null;
        let currentKey = null;
        days(gh)
            .map((day) => ({ day, date: F.parseDay(day.date) }))
            .filter((d) => d.date)
            .sort((a, b) => a.date - b.date)
            .forEach(({ day, date }) => {
                const row = (date.getDay() + 6) % 7;
                const monday = new Date(date.getFullYear(), date.getMonth(), date.getDate() - row);
                const key = F.dayKey(monday);
                if (key !== currentKey) {
                    current = { days: [] };
                    currentKey = key;
                    weeks.push(current);
                }
                current.days.push({ date: day.date, level: day.level, row, parsed: date });
            });
        return weeks;
    }

    // Cells stay at least 13 canvas pixels (5 on the Small card): narrow slots show the most
    // recent weeks rather than shrink them.
    const MIN_PITCH = 16.5;

    // The grid's cell pitch across and down and the weeks it shows: as wide as the slot allows,
    // at most 26 down per cell; cells may be up to half as wide again as tall, so the grid
    // reaches the slot's right edge. The panel keeps the pitches whole so every square lands on
    // whole pixels.
    function yearGridLayout(weeks, ctx, height) {
        const labelWidth = ctx.size === "xl" || ctx.size === "l" ? 60 : 0;
        const width = ctx.width - labelWidth;
        const down = Math.max(MIN_PITCH, Math.min(26, (height - MONTH_ROW) / 7));
        let shown = Math.max(1, Math.min(weeks.length, Math.floor(width / MIN_PITCH)));
        let across = Math.min(width / shown, down * 1.5);
        let pitchDown = Math.min(down, across);
        if (ctx.panel) {
            across = Math.floor(across);
            pitchDown = Math.floor(pitchDown);
            shown = Math.min(weeks.length, Math.max(1, Math.floor(width / across)));
        }
        const visible = weeks.slice(Math.max(0, weeks.length - shown));
        return { visible, across, pitch: pitchDown, labelWidth, height: MONTH_ROW + pitchDown * 7 };
    }

    function yearGrid(ctx, layout) {
        const { visible, across, pitch, labelWidth } = layout;
        const gap = ctx.panel ? Math.max(3, Math.round(pitch * 0.2)) : pitch * 0.2;
        const size = pitch - gap;
        const cellWidth = across - gap;
        const gridWidth = labelWidth + across * visible.length;
        const root = svg("svg", { width: gridWidth, height: MONTH_ROW + pitch * 7, class: "year-grid" });
        root.dataset.weeks = String(Math.round(visible.reduce((sum, week) => sum + week.days.length, 0) / 7));
        const todayKey = F.dayKey(ctx.now);
        // Month names are spaced by their width in pixels, not by columns.
        const labelRoom = 3 * 26 * 0.62 + 12;
        let lastLabelEnd = -Infinity;
        visible.forEach((week, column) => {
            const x = labelWidth + column * across;
            week.days.forEach((day) => {
                const y = MONTH_ROW + day.row * pitch;
                const level = clampLevel(day.level);
                const offset = ctx.panel ? Math.floor((cellWidth - size) / 2) : 0;
                const shape =
                    ctx.panel ? cell(x + offset, y, size, level, true) : wideCell(x, y, cellWidth, size, level);
                root.appendChild(shape);
                if (day.date === todayKey)
                    root.appendChild(todayMark(x + offset, y, ctx.panel ? size : cellWidth, size, ctx.panel));
            });
            const first = week.days.find((d) => d.parsed.getDate() === 1);
            if (first && x >= lastLabelEnd && x + labelRoom - 12 <= gridWidth) {
                const label = svg("text", { x, y: 22, class: "grid-label" });
                label.textContent = F.MONTH_SHORT[first.parsed.getMonth()];
                root.appendChild(label);
                lastLabelEnd = x + labelRoom;
            }
        });
        if (labelWidth) {
            [[0, "Mon"], [2, "Wed"], [4, "Fri"]].forEach(([row, name]) => {
                const label =
                    svg("text", { x: 0, y: MONTH_ROW + row * pitch + size / 2, class: "grid-label day-label" });
                label.textContent = name;
                root.appendChild(label);
            });
        }
        return root;
    }

    function wideCell(x, y, width, height, level) {
        return svg("rect", {
            x,
            y,
            width,
            height,
            rx: Math.max(1.5, height * 0.2),
            fill: "var(--level-" + level + ")",
            class: "cell level-" + level
        });
    }

    // Today's cell: a ring in the colour looks; on the panel a whole-pixel ring around the cell.
    function todayMark(x, y, width, height, panel) {
        if (panel)
            return outline(x - 2, y - 2, height + 4, 1);
        return svg("rect", {
            x: x - 1.5,
            y: y - 1.5,
            width: width + 3,
            height: height + 3,
            rx: Math.max(2.5, height * 0.26),
            fill: "none",
            stroke: "var(--ink)",
            "stroke-width": 1.6
        });
    }

    // "Less ■■■■■ More", and the busiest day when there is room.
    function yearLegend(gh, ctx, pitch, withNote) {
        const size =
            ctx.panel ? Math.max(14, Math.min(20, Math.floor(pitch))) : Math.max(14, Math.min(20, pitch * 0.8));
        const swatches = svg("svg", { width: 5 * (size + 4), height: size, class: "legend-cells" });
        for (let level = 0; level <= 4; ++level)
            swatches.appendChild(cell(level * (size + 4), 0, size, level, ctx.panel));
        const busiest = busiestDay(gh);
        const note = withNote && busiest
                         ? el("span", "legend-note ellipsis", "Busiest: " + busiestText(busiest, ctx.now))
                         : null;
        return el("div", "year-legend",
                  [el("span", "legend-word", "Less"), swatches, el("span", "legend-word", "More"), note]);
    }

    const LEGEND_HEIGHT = 46;
    const GRID_GAP = 22;

    Tess.widgets["github.year"] = function(slot, ctx) {
        const gh = github(ctx);
        if (!gh)
            return noGitHub(slot, "Contributions", ctx);
        const weeks = mondayWeeks(gh);
        // The detail is filled in once the grid knows how many weeks it shows; it holds its
        // place meanwhile, so the first line keeps its height while the grid is measured.
        const kick = kicker("Contributions", ctx.size !== "xs" ? "\u00a0" : null, { quiet: ctx.titled });
        slot.appendChild(kick);
        const body = el("div", "body year");
        slot.appendChild(body);
        // Both the figures and the first line count whole weeks of days, so they agree however
        // the data's weeks begin.
        const stats = yearStats(gh, ctx, Math.round(days(gh).length / 7));
        body.appendChild(stats);
        // Wide slots keep the legend beside the figures, so the grid gets the height to reach
        // across the whole slot.
        const wide = ctx.size === "xl" || ctx.size === "l";
        const available = body.clientHeight - stats.offsetHeight - GRID_GAP;
        const withLegend = wide || (ctx.size !== "xs" && (available - LEGEND_HEIGHT - MONTH_ROW) / 7 >= MIN_PITCH);
        const layout = yearGridLayout(weeks, ctx, withLegend && !wide ? available - LEGEND_HEIGHT : available);
        const box = el("div", "year-grid-box", yearGrid(ctx, layout));
        box.style.marginTop = GRID_GAP + "px";
        body.appendChild(box);
        if (wide)
            stats.appendChild(yearLegend(gh, ctx, layout.pitch, false));
        else if (withLegend)
            body.appendChild(yearLegend(gh, ctx, layout.pitch, ctx.size === "m"));
        // Figures never squeeze each other: the legend beside them goes first, then the longest
        // streak.
        const squeezed = () => Tess.ui.overflows(stats) || Array.from(stats.querySelectorAll(".stat-value, .stat-sub"))
                                                               .some((n) => n.scrollWidth > n.clientWidth + 0.5);
        while (squeezed() && stats.children.length > 1)
            stats.lastElementChild.remove();
        // The first line says what the grid shows, not what the data holds.
        const detail = kick.querySelector(".kicker-detail");
        const shownWeeks = Number(box.firstChild.dataset.weeks);
        if (detail && shownWeeks > 0) {
            const forms =
                shownWeeks >= 52
                    ? ["Last 12 months", "12 months"]
                    : ["Last " + F.plural(shownWeeks, "week", "weeks"), F.plural(shownWeeks, "week", "weeks")];
            // The figures and the month names still say the span where the line is too short.
            detail.replaceWith(Tess.ui.protectedText("span", "kicker-detail optional", forms));
        } else if (detail)
            detail.remove();
    };

    // ---- github.month -----------------------------------------------------------------------

    // The days the widget shows: this month, or, in the first week of a month (when this month
    // alone would be a row of empty squares), the five weeks up to the end of this week.
    function monthPeriod(now) {
        if (now.getDate() > 7) {
            const first = new Date(now.getFullYear(), now.getMonth(), 1);
            const last = new Date(now.getFullYear(), now.getMonth() + 1, 0);
            return { first, last, rolling: false };
        }
        const weekday = (now.getDay() + 6) % 7;
        const first = new Date(now.getFullYear(), now.getMonth(), now.getDate() - weekday - 28);
        const last = new Date(now.getFullYear(), now.getMonth(), now.getDate() - weekday + 6);
        return { first, last, rolling: true };
    }

    function periodDates(period) {
        const dates = [];
        for (let d = period.first; d <= period.last; d = new Date(d.getFullYear(), d.getMonth(), d.getDate() + 1))
            dates.push(d);
        return dates;
    }

    function monthDays(gh, period) {
        const first = F.dayKey(period.first);
        const last = F.dayKey(period.last);
        const byDate = {};
        days(gh).forEach((day) => {
            if (day.date >= first && day.date <= last)
                byDate[day.date] = day;
        });
        return byDate;
    }

    function monthSummary(byDate, period, now) {
        const today = F.dayKey(now);
        const entries = Object.keys(byDate).sort().filter((key) => key <= today).map((key) => byDate[key]);
        const total = entries.reduce((sum, day) => sum + day.count, 0);
        const active = entries.filter((day) => day.count > 0).length;
        let best = null;
        entries.forEach((day) => {
            if (day.count > 0 && (!best || day.count > best.count))
                best = day;
        });
        return { total, active, best, elapsed: F.daysBetween(period.first, now) + 1 };
    }

    function monthCalendar(byDate, ctx, period, showCounts) {
        const now = ctx.now;
        const dates = periodDates(period);
        const offset = (period.first.getDay() + 6) % 7;
        const rows = Math.ceil((offset + dates.length) / 7);
        const grid = el("div", "month-grid rows-" + rows);
        const names = ctx.size === "xs" || ctx.size === "s" ? ["M", "T", "W", "T", "F", "S", "S"]
                                                            : ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"];
        names.forEach((name) => grid.appendChild(el("div", "month-head", name)));
        for (let i = 0; i < offset; ++i)
            grid.appendChild(el("div", "month-day blank"));
        dates.forEach((date) => {
            const offsetDays = F.daysBetween(now, date);
            const day = byDate[F.dayKey(date)];
            const future = offsetDays > 0;
            const level = day && !future ? day.level : 0;
            const classes = ["month-day", "level-" + level];
            if (future)
                classes.push("future");
            if (offsetDays === 0)
                classes.push("today");
            const cellNode = el("div", classes.join(" "), [
                el("span", "month-date", String(date.getDate())),
                showCounts && !future && day && day.count > 0 ? el("span", "month-count", F.count(day.count)) : null
            ]);
            grid.appendChild(cellNode);
        });
        return grid;
    }

    // The count beside the month's name is never cut to a shorter number: it drops its word,
    // then the name shortens ("Dec", "5 weeks"), and only then would the line wrap.
    function monthKickerForms(head, period, ctx, total) {
        const detail = head.querySelector(".kicker-detail");
        const name = head.querySelector(".kicker-label");
        if (!detail || !name)
            return;
        const count = F.count(total);
        const word = total === 1 ? " contribution" : " contributions";
        detail.replaceWith(Tess.ui.protectedText("span", "kicker-detail",
                                                 detail.textContent === count ? [count] : [count + word, count]));
        const short = period.rolling ? "5 weeks" : F.MONTH_SHORT[ctx.now.getMonth()];
        name.replaceWith(Tess.ui.protectedText("span", "kicker-label", [name.textContent, short]));
    }

    Tess.widgets["github.month"] = function(slot, ctx) {
        const gh = github(ctx);
        const monthName = F.MONTH_LONG[ctx.now.getMonth()];
        if (!gh)
            return noGitHub(slot, monthName, ctx);
        const period = monthPeriod(ctx.now);
        const byDate = monthDays(gh, period);
        const summary = monthSummary(byDate, period, ctx.now);
        const wide = ctx.size === "xl" || ctx.size === "l";
        const narrow = ctx.size === "s" || ctx.size === "xs";
        const label = period.rolling ? "Last 5 weeks" : narrow ? monthName : monthName + " " + ctx.now.getFullYear();
        const head = kicker(label, wide ? null
                                        : F.count(summary.total) + (narrow                ? ""
                                                                    : summary.total === 1 ? " contribution"
                                                                                          : " contributions"));
        slot.appendChild(head);
        monthKickerForms(head, period, ctx, summary.total);
        const body = el("div", "body month");
        slot.appendChild(body);
        if (wide) {
            const side = el("div", "month-side", [
                stat(null, F.count(summary.total),
                     period.rolling ? "contributions in 5 weeks" : "contributions this month", "hero"),
                stat(null, summary.active + " of " + summary.elapsed, "days with contributions"),
                summary.best ? stat(null, F.count(summary.best.count),
                                    "busiest, on " + F.dateText(F.parseDay(summary.best.date), ctx.now))
                             : null,
            ]);
            body.appendChild(side);
        }
        const sideBox = body.querySelector(".month-side");
        body.appendChild(monthCalendar(byDate, ctx, period, ctx.size === "xl"));
        // The figures beside the grid never run past the slot: the busiest day goes first.
        while (sideBox && sideBox.children.length > 1 && Tess.ui.overflows(sideBox))
            sideBox.lastElementChild.remove();
        // A count that would run into the date gives way; the cell's colour still tells the level.
        body.querySelectorAll(".month-count").forEach((count) => {
            const cellNode = count.parentElement;
            if (cellNode.scrollWidth > cellNode.clientWidth + 0.5)
                cellNode.removeChild(count);
        });
    };

    // ---- github.activity --------------------------------------------------------------------

    function activityItem(item, ctx) {
        const type = ["merged", "released", "pushed"].includes(item.type) ? item.type : "pushed";
        const at = F.parseTime(text(item.at));
        // The repository gives way to the time, which is never cut: "Wed 14:02", then "Wed".
        const meta = [el("span", "activity-repo ellipsis", text(item.repo) || "—")];
        if (at) {
            const when = F.when(at, ctx.now);
            const whenNode =
                Tess.ui.protectedText("span", "activity-when", ["· " + when, "· " + when.replace(/ \d\d:\d\d$/, "")]);
            whenNode.dataset.at = String(at.getTime());
            meta.push(whenNode);
        }
        return el("div", "activity-item", [
            el("div", "activity-glyph", Tess.marks.glyph(type, 22)),
            el("div", "activity-text",
               [
                   el("div", "activity-title ellipsis", text(item.title) || describe(type)),
                   el("div", "activity-meta", meta)
               ]),
        ]);
    }

    function describe(type) {
        return type === "merged" ? "Pull request merged" : type === "released" ? "New release" : "Pushed";
    }

    Tess.widgets["github.activity"] = function(slot, ctx) {
        const gh = github(ctx);
        if (!gh)
            return noGitHub(slot, "Activity", ctx);
        const items = list(gh.activity).filter(isObject);
        const columns = ctx.size === "xl" ? 2 : 1;
        const rows = 5;
        // The items the feed leaves out are counted on its first line, or, where that line has
        // no room beside the name, in the last row of the feed.
        let shown = items.slice(0, rows * columns);
        let more = Tess.ui.moreText(items.length - shown.length, "item", "items", "kicker-detail");
        const kick = kicker("Activity", more ? "\u00a0" : null, { quiet: ctx.titled });
        if (more)
            kick.querySelector(".kicker-detail").replaceWith(more);
        slot.appendChild(kick);
        if (items.length === 0) {
            slot.appendChild(message("No recent activity", "Pushes, merged pull requests and releases appear here."));
            return;
        }
        Tess.ui.fitProtected(kick);
        if (more && (ctx.size === "xs" || more.scrollWidth > more.clientWidth + 0.5 || Tess.ui.overflows(kick))) {
            more.remove();
            shown = items.slice(0, rows * columns - 1);
            more = el("div", "activity-more", [Tess.ui.moreText(items.length - shown.length, "item", "items")]);
        } else
            more = null;
        const body = el("div", "body activity columns-" + columns);
        slot.appendChild(body);
        body.dataset.total = String(items.length);
        body.dataset.shown = String(shown.length);
        shown.forEach((item) => body.appendChild(activityItem(item, ctx)));
        Tess.ui.append(body, more);
    };

    // ---- github.overview --------------------------------------------------------------------

    Tess.widgets["github.overview"] = function(slot, ctx) {
        const gh = github(ctx);
        if (!gh)
            return noGitHub(slot, "Overview", ctx);
        slot.appendChild(kicker("Overview", null, { quiet: ctx.titled }));
        const busiest = busiestDay(gh);
        const prs = isObject(gh.prs) ? number(gh.prs.merged30) : 0;
        const activeDays = days(gh).filter((day) => day.count > 0).length;
        const figures = [
            [["Contributions", "Total"], F.count(number(gh.total)), "last 12 months"],
            [
                ["Current streak", "Streak"], F.count(number(gh.currentStreak)),
                number(gh.currentStreak) === 1 ? "day" : "days"
            ],
            [
                ["Longest streak", "Longest"], F.count(number(gh.longestStreak)),
                number(gh.longestStreak) === 1 ? "day" : "days"
            ],
            busiest ? [["Busiest day", "Busiest"], F.count(busiest.count), "on " + F.dateText(busiest.day, ctx.now)]
                    : [["Busiest day", "Busiest"], "—", "no contributions yet"],
            [["Last 30 days", "30 days"], F.count(number(gh.last30)), "contributions"],
            [["Merged PRs", "PRs"], F.count(prs), "last 30 days"],
            ["Releases", F.count(number(gh.releases30)), "last 30 days"],
        ];
        if (ctx.size === "xl" || ctx.size === "l")
            figures.push([["Active days", "Active"], F.count(activeDays), "last 12 months"]);
        if (ctx.size === "s" || ctx.size === "xs" || ctx.size === "m") {
            // Each label and value in its shorter right forms: a narrow slot says "Streak", never
            // "Curr…".
            const compact = [
                [["Contributions", "Total"], [F.count(number(gh.total))]],
                [["Current streak", "Streak"], [F.plural(number(gh.currentStreak), "day", "days"), F.count(number(gh.currentStreak)) + " d"]],
                [["Longest streak", "Longest"], [F.plural(number(gh.longestStreak), "day", "days"), F.count(number(gh.longestStreak)) + " d"]],
                [["Busiest day", "Busiest"], busiest ? [busiestText(busiest, ctx.now), F.count(busiest.count) + " on " + F.dayMonth(busiest.day, ctx.now)]
                    : ["—"]],
                [["Last 30 days", "30 days"], [F.count(number(gh.last30))]],
                [["Merged PRs", "PRs"], [F.count(prs)]],
                [["Releases"], [F.count(number(gh.releases30))]],
            ];
            const rows = el("div", "body overview-rows");
            compact.forEach(([label, value]) => rows.appendChild(el("div", "overview-row", [
                Tess.ui.protectedText("span", "overview-row-label", label),
                Tess.ui.protectedText("span", "overview-row-value", value)
            ])));
            slot.appendChild(rows);
            Tess.ui.fitProtected(rows);
            // Rows that do not fit go, the least telling first, and are counted.
            const order = [6, 5, 2, 3, 4, 1];
            const all = Array.from(rows.children);
            let left = 0;
            while (Tess.ui.overflows(rows) && left < order.length) {
                all[order[left]].remove();
                left += 1;
                rows.querySelectorAll(".overview-more").forEach((n) => n.remove());
                rows.appendChild(
                    el("div", "overview-row overview-more", [Tess.ui.moreText(left, "figure", "figures")]));
                Tess.ui.fitProtected(rows);
            }
            rows.dataset.total = String(all.length);
            rows.dataset.shown = String(all.length - left);
            return;
        }
        const body = el("div", "body overview");
        slot.appendChild(body);
        figures.forEach(([label, value, sub], i) => body.appendChild(
                            stat(label, value, sub, i === 0 ? "overview-stat first" : "overview-stat")));
    };
})();
