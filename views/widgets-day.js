/* SPDX-License-Identifier: GPL-3.0-or-later */
// Your-day widgets: today's date, the countdown and the next calendar events.
(() => {
    "use strict";
    const Tess = window.Tess;
    const { el, append, isObject, list, text, kicker, message, protectedText } = Tess.ui;
    const F = Tess.format;

    // ---- today.date -------------------------------------------------------------------------

    function miniMonth(now) {
        const first = new Date(now.getFullYear(), now.getMonth(), 1);
        const length = new Date(now.getFullYear(), now.getMonth() + 1, 0).getDate();
        const offset = (first.getDay() + 6) % 7;
        const grid = el("div", "mini-month");
        ["M", "T", "W", "T", "F", "S", "S"].forEach((d) => grid.appendChild(el("div", "mini-head", d)));
        for (let i = 0; i < offset; ++i)
            grid.appendChild(el("div", "mini-day"));
        for (let date = 1; date <= length; ++date) {
            const classes = ["mini-day"];
            if (date === now.getDate())
                classes.push("today");
            else if (date < now.getDate())
                classes.push("past");
            grid.appendChild(el("div", classes.join(" "), String(date)));
        }
        return grid;
    }

    Tess.widgets["today.date"] = function(slot, ctx) {
        const now = ctx.now;
        const yearLength = F.dayOfYear(new Date(now.getFullYear(), 11, 31));
        slot.appendChild(kicker("Today", null, { quiet: ctx.titled }));
        const body = el("div", "body today-body");
        slot.appendChild(body);
        body.appendChild(el("div", "today-number", String(now.getDate())));
        body.appendChild(el("div", "today-words", [
            el("div", "today-weekday", F.DAY_LONG[now.getDay()]),
            el("div", "today-month", F.MONTH_LONG[now.getMonth()] + " " + now.getFullYear()),
            el("div", "today-detail", "Week " + F.isoWeek(now) + " · day " + F.dayOfYear(now) + " of " + yearLength),
        ]));
        if (ctx.size === "xl" || ctx.size === "l")
            body.appendChild(miniMonth(now));
    };

    // ---- countdown --------------------------------------------------------------------------

    function weeksAndDays(days) {
        const weeks = Math.floor(days / 7);
        const rest = days % 7;
        if (weeks === 0)
            return null;
        return F.plural(weeks, "week", "weeks") + (rest ? " and " + F.plural(rest, "day", "days") : "");
    }

    // One square per day still to go, today first, in one row or two balanced rows, when the
    // count is small enough to read at a glance; nothing when it is not.
    function tally(days, ctx) {
        // Wider slots get wider squares, so the strip reads as part of the figure above it.
        const cellWidth = ctx.size === "xl" ? 44 : ctx.size === "l" ? 32 : 22;
        const gap = 6;
        const smallest = 14;
        const fitsInRow = Math.floor((ctx.width + gap) / (smallest + gap));
        if (days < 2 || days > fitsInRow * 2)
            return null;
        const perRow = days <= fitsInRow ? days : Math.ceil(days / 2);
        let width = Math.min(cellWidth, (ctx.width - gap * (perRow - 1)) / perRow);
        if (ctx.panel)
            width = Math.floor(width);
        const strip = el("div", "tally");
        for (let i = 0; i < days; ++i)
            strip.appendChild(el("span", i === 0 ? "tally-day first" : "tally-day"));
        strip.style.gridTemplateColumns = "repeat(" + perRow + ", " + width + "px)";
        return strip;
    }

    Tess.widgets["countdown"] = function(slot, ctx) {
        const countdown = isObject(ctx.data.countdown) ? ctx.data.countdown : null;
        if (!countdown) {
            slot.appendChild(kicker("Countdown", null, { quiet: ctx.titled }));
            slot.appendChild(
                message("Count down to a day", "Pick a day and give it a name in the layout editor.", "flag"));
            return;
        }
        // An unnamed countdown is called so once, by its first line, not again as its title.
        const title = text(countdown.title).trim();
        const target = F.parseDay(text(countdown.date));
        slot.appendChild(kicker("Countdown", null, { quiet: ctx.titled && !title }));
        if (!target) {
            slot.appendChild(message(
                title || "No day chosen",
                "Its date “" + text(countdown.date) + "” is not a day; set it again in the layout editor.", "flag"));
            return;
        }
        const days = F.daysBetween(ctx.now, target);
        const body = el("div", "body countdown");
        slot.appendChild(body);
        if (title) {
            const heading = el("div", "countdown-title", title);
            heading.dir = "auto";
            body.appendChild(heading);
        }
        let figure;
        let words;
        if (days === 0) {
            figure = "Today";
            words = null;
        } else if (days > 0) {
            figure = F.count(days);
            words = days === 1 ? "day to go" : "days to go";
        } else {
            figure = F.count(-days);
            words = days === -1 ? "day ago" : "days ago";
        }
        body.appendChild(
            el("div",
               "countdown-figure" + (days === 0 ? " is-today"
                                     : days < 0 ? " is-past"
                                                : ""),
               [el("span", "countdown-number fit", figure), words ? el("span", "countdown-words", words) : null]));
        const span = days > 0 ? weeksAndDays(days) : null;
        body.appendChild(el("div", "countdown-date", [
            el("span", null, F.shortDayYear(target)),
            span && ctx.size !== "xs" ? el("span", "countdown-span", " · " + span) : null
        ]));
        if (days > 0)
            append(body, tally(days, ctx));
    };

    // ---- calendar.next ----------------------------------------------------------------------

    const HEADING = 46;
    const ROW = 40;
    const GROUP_GAP = 14;
    const MORE_LINE = 40;
    const COLUMN_MIN = 250;

    // Events grouped by day, earliest first. An event that began before today and still runs
    // belongs under Today: the past days are not part of the next seven.
    function eventsByDay(events, now) {
        const today = F.startOfDay(now);
        const groups = [];
        events.forEach((event) => {
            const start = F.parseTime(text(event.start));
            if (!start)
                return;
            const ongoing = start < today;
            const day = ongoing ? today : F.startOfDay(start);
            const key = F.dayKey(day);
            let group = groups.find((g) => g.key === key);
            if (!group) {
                group = { key, day, events: [] };
                groups.push(group);
            }
            group.events.push({ title: text(event.title), start, allDay: event.allDay === true, ongoing });
        });
        groups.sort((a, b) => a.day - b.day);
        const rank = (e) => (e.ongoing ? 0 : e.allDay ? 1 : 2);
        groups.forEach((g) => g.events.sort((a, b) => rank(a) - rank(b) || a.start - b.start));
        return groups;
    }

    // Fills columns top to bottom with day groups. A day's events go on in the next column (under
    // its heading again) when the current one is full, so no column stands half empty while
    // events are left out. Returns the columns and how many events were left out.
    function flow(groups, columns, height) {
        const result = [];
        let column = null;
        let used = 0;
        let left = 0;
        const open = () => {
            if (result.length >= columns)
                return false;
            column = [];
            result.push(column);
            used = 0;
            return true;
        };
        const rowsFor = (space) => Math.floor((space - HEADING) / ROW);
        let full = !open();
        groups.forEach((group) => {
            let index = 0;
            while (index < group.events.length && !full) {
                const gap = column.length ? GROUP_GAP : 0;
                const room = rowsFor(height - used - gap);
                if (room < 1) {
                    full = !open();
                    continue;
                }
                const part = group.events.slice(index, index + room);
                column.push({ group, events: part, continued: index > 0 });
                used += gap + HEADING + part.length * ROW;
                index += part.length;
            }
            left += group.events.length - index;
        });
        return { columns: result, left };
    }

    function eventTime(event) {
        if (event.ongoing)
            return "Ongoing";
        return event.allDay ? "All day" : F.time(event.start);
    }

    function eventRow(event) {
        const title = el("span", "event-title ellipsis", event.title || "Untitled");
        title.dir = "auto";
        return el("div", "event", [
            el("span", "event-time" + (event.allDay || event.ongoing ? " all-day" : ""), eventTime(event)),
            title,
        ]);
    }

    function dayBlock(part, ctx) {
        const heading = F.dayHeading(part.group.day, ctx.now);
        const named = heading === "Today" || heading === "Tomorrow";
        const details = part.continued ? ["continued"]
                        : named        ? [F.shortDay(part.group.day), F.dayMonth(part.group.day, ctx.now)]
                                       : null;
        return el("div", "day-group", [
            el("div", "day-heading",
               [
                   protectedText("span", "day-name", [heading]),
                   details && ctx.size !== "xs" ? protectedText("span", "day-date optional", details) : null
               ]),
            part.events.map(eventRow),
        ]);
    }

    // The fewest columns that hold every event, so titles get the width the slot has. When none
    // holds them all, the most events whose titles still read whole in their columns: a short
    // title list takes more columns, a long one keeps its width and counts the rest.
    const TIME_ROOM = 104;

    function calendarLayout(groups, width, height, titleWidth) {
        const most = Math.max(1, Math.min(4, Math.floor((width + 40) / (COLUMN_MIN + 40))));
        let best = null;
        for (let columns = 1; columns <= most; ++columns) {
            const laid = flow(groups, columns, columns === 1 ? height : height - MORE_LINE);
            if (laid.left === 0 && columns === 1)
                return laid;
            const candidate = laid.left === 0 ? laid : flow(groups, columns, height - MORE_LINE);
            const room = (width - 40 * (columns - 1)) / columns - TIME_ROOM;
            const shownEvents = candidate.columns.flat().flatMap((part) => part.events);
            const cut = shownEvents.filter((event) => titleWidth(event) > room).length;
            const readable = columns === 1 || cut <= shownEvents.length / 4;
            if (readable && (!best || shownEvents.length > best.shown))
                best = { laid: candidate, shown: shownEvents.length };
            if (laid.left === 0)
                break;
        }
        return best ? best.laid : flow(groups, 1, height - MORE_LINE);
    }

    Tess.widgets["calendar.next"] = function(slot, ctx) {
        const calendar = isObject(ctx.data.calendar) ? ctx.data.calendar : null;
        slot.appendChild(kicker("Next 7 days", null, { quiet: ctx.titled }));
        if (!calendar || calendar.status !== "ok") {
            slot.appendChild(
                message("Calendar access is off", "Allow it in Connections to see your next events here.", "calendar"));
            return;
        }
        const events = list(calendar.events).filter(isObject);
        // Events of the week beyond the ones the document carries.
        const beyond = typeof calendar.more === "number" && calendar.more > 0 ? Math.round(calendar.more) : 0;
        const groups = eventsByDay(events, ctx.now);
        if (groups.length === 0) {
            slot.appendChild(message("Nothing in the next 7 days", "Your calendar is clear.", "calendar"));
            return;
        }
        const body = el("div", "body calendar");
        slot.appendChild(body);
        // A week with more events than the document carries keeps a line for their count.
        // Each title's natural width, measured once in the title's own style.
        const probe = el("span", "event-title probe");
        body.appendChild(probe);
        const widths = new Map();
        const titleWidth = (event) => {
            if (!widths.has(event)) {
                probe.textContent = event.title || "Untitled";
                widths.set(event, probe.getBoundingClientRect().width);
            }
            return widths.get(event);
        };
        const laid = calendarLayout(groups, ctx.width, body.clientHeight - (beyond > 0 ? MORE_LINE : 0), titleWidth);
        probe.remove();
        body.classList.add("columns-" + laid.columns.length);
        laid.columns.forEach(
            (column) => body.appendChild(el("div", "calendar-column", column.map((part) => dayBlock(part, ctx)))));
        const left = laid.left + beyond;
        body.dataset.total = String(events.length + beyond);
        body.dataset.shown = String(events.length - laid.left);
        if (left > 0)
            slot.appendChild(el("div", "calendar-more", [Tess.ui.moreText(left, "event", "events")]));
        // Titles start at one line whatever the time beside them says.
        const times = Array.from(body.querySelectorAll(".event-time"));
        const widest = Math.ceil(Math.max(0, ...times.map((t) => t.scrollWidth)));
        times.forEach((t) => (t.style.flexBasis = widest + "px"));
        Tess.ui.fitProtected(body);
    };
})();
