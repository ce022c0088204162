/* SPDX-License-Identifier: GPL-3.0-or-later */
// The page in words: what a screen reader says for the card, what "Copy Page Text" copies and
// what `tessarine render --text` prints. It reads the data document and the page from
// window.TESSARINE itself, not from the drawn canvas, so it holds every fact the data gives,
// including those the picture leaves out for lack of room (a provider's third window, the
// calendar's later events, the older activity), and every failure or empty state in the words
// the picture uses. Reading order: the page title, when it was updated, then each slot from left
// to right, its heading first and then its facts, one to a line.
(() => {
    "use strict";
    const Tess = (window.Tess = window.Tess || {});

    let catalogue = null;
    if (typeof Tess.catalogue === "function")
        Tess.catalogue((loaded) => { catalogue = loaded; });

    const ui = () => Tess.ui;
    const F = () => Tess.format;

    function isObject(value) {
        return value !== null && typeof value === "object" && !Array.isArray(value);
    }

    function list(value) {
        return Array.isArray(value) ? value : [];
    }

    function str(value) {
        return typeof value === "string" ? value : "";
    }

    function num(value) {
        return typeof value === "number" && isFinite(value) ? value : 0;
    }

    // "Stand-up" stays; "Dentist." does not gain a second full stop.
    function sentence(text) {
        const clean = String(text).replace(/\s+/g, " ").trim();
        return clean === "" || /[.!?…:]$/.test(clean) ? clean : clean + ".";
    }

    // ---- headings -----------------------------------------------------------------------------

    // A widget's heading is its name in the catalogue, the one the layout editor shows; without
    // the catalogue, a provider's title in the data document's table, else the widget's short name.
    function widgetTitle(id, data) {
        const widgets = catalogue ? list(catalogue.widgets) : [];
        const widget = widgets.find((w) => isObject(w) && w.id === id);
        if (widget && typeof widget.title === "string" && widget.title)
            return widget.title;
        const provider = providers().row(id, data);
        if (provider && str(provider.title))
            return str(provider.title);
        const short =
            Tess.page && typeof Tess.page.shortName === "function" ? Tess.page.shortName(id, null, data) : null;
        return short || id;
    }

    function pageTitle(page, data) {
        if (Tess.page && typeof Tess.page.pageTitle === "function")
            return Tess.page.pageTitle(page, catalogue, data);
        return str(page.title) || "Page";
    }

    // ---- AI plans -----------------------------------------------------------------------------

    // Names and kinds as the plan widgets read them from the data document.
    function providers() {
        return Tess.providers;
    }

    // "resets at 11:29", "resets Fri 01:00", "resets on Sun 22 Mar"; "reset at 09:00" once past.
    function resetWords(seconds, now) {
        const said = F().resetsAt(seconds, now);
        if (!said)
            return null;
        const when = said.replace(/^resets? /, "");
        const verb = said.startsWith("resets") ? "resets" : "reset";
        if (/^\d\d:\d\d$/.test(when))
            return verb + " at " + when;
        return /^[A-Z][a-z]{2} \d\d:\d\d$/.test(when) ? verb + " " + when : verb + " on " + when;
    }

    // "5-hour window", "this week", "daily"; a name of its own ("Opus this week") as it stands.
    function windowName(w) {
        const label = str(w.label).trim() || "Plan";
        // One of several limits ("Spark · This week"): its name stays, the window's is said.
        const limit = label.lastIndexOf(" \u00b7 ");
        if (limit > 0)
            return label.slice(0, limit + 3) + windowName({ label: label.slice(limit + 3) });
        if (/(hour|minute|-day)$/i.test(label))
            return label + " window";
        return /^(this|daily|weekly|monthly|plan)\b/i.test(label) ? label.charAt(0).toLowerCase() + label.slice(1)
                                                                  : label;
    }

    // "Claude, 5-hour window, 42 percent used, resets at 11:29"; an unknown share is said to be
    // unknown, and a forecast that comes before the reset is said with its time.
    function windowFact(name, w, now) {
        const known = w.usedPercent !== null && w.usedPercent !== undefined && Number.isFinite(Number(w.usedPercent));
        const used = Math.round(num(w.usedPercent));
        const warning = !known ? "" : used >= 100 ? ", used up" : ui().isHigh(w.usedPercent) ? ", nearly used up" : "";
        const parts = [name, windowName(w), known ? used + " percent used" + warning : "usage unknown"];
        if (F().creditsNote(w))
            parts.push(F().creditsNote(w));
        const runsOut = Tess.forecast ? Tess.forecast.when(w, now) : null;
        if (runsOut)
            parts.push("runs out at about " + runsOut.replace(/^~/, "") + " at this pace");
        const reset = resetWords(w.resetsAt, now);
        if (reset)
            parts.push(reset);
        return parts.join(", ");
    }

    // "Last 30 days: 12,480,512 tokens, 6-day streak"
    function statFact(s) {
        const sub = str(s.sub).split("·").map((part) => part.trim()).filter(Boolean);
        const value = F().count(num(s.value));
        const first = sub.length ? value + " " + sub[0] : value;
        return [str(s.label) ? str(s.label) + ": " + first : first].concat(sub.slice(1)).join(", ");
    }

    function unavailableFacts(name, entry) {
        if (!entry)
            return [name + ": no data yet. Appears after the next refresh"];
        const headline = entry.status === "empty" ? "waiting for data" : "not available";
        const reason =
            str(entry.reason) || (entry.status === "ok" ? "No usage limits reported" : "No reason was given");
        return [name + ": " + headline + ". " + reason];
    }

    function providerFacts(id, data, now, options) {
        const entry = providers().entry(id, data);
        const name = providers().name(id, data);
        const dictation = providers().isDictation(id, data, catalogue);
        if (!entry || entry.status !== "ok")
            return unavailableFacts(name, entry);
        const facts = [];
        const plan = str(entry.plan);
        const seen = F().parseTime(str(entry.seenAt));
        if (!options.brief && (plan || seen)) {
            const about = [];
            if (plan)
                about.push(F().capitalised(plan) + " plan");
            if (seen)
                about.push("last seen " +
                           (F().daysBetween(seen, now) === 0 ? "today at " + F().time(seen) : F().shortDay(seen)));
            facts.push(name + ", " + about.join(", "));
        }
        const windows = list(entry.windows).filter(isObject);
        const stats = list(entry.stats).filter(isObject);
        windows.forEach((w) => facts.push(windowFact(name, w, now)));
        stats.forEach((s) => facts.push(name + ", " + statFact(s)));
        if (!windows.length && !dictation)
            facts.push(name + ": no usage limits reported");
        if (!windows.length && !stats.length && dictation)
            facts.push(name + ": no dictation yet. Words you dictate with " + name + " are counted here");
        return facts;
    }

    function allPlansFacts(data, now) {
        const chosen = [];
        (isObject(data.ai) ? list(data.ai.chosen) : []).forEach((id) => {
            if (typeof id === "string" && id && !chosen.includes(id))
                chosen.push(id);
        });
        if (!chosen.length)
            return ["No plans chosen. Pick the AI tools to follow under AI Plans in the menu"];
        return chosen.reduce((facts, id) => facts.concat(providerFacts(id, data, now, { brief: true })), []);
    }

    // ---- your day -----------------------------------------------------------------------------

    function todayFacts(now) {
        const f = F();
        const yearLength = f.dayOfYear(new Date(now.getFullYear(), 11, 31));
        return [
            "Today is " + f.DAY_LONG[now.getDay()] + " " + now.getDate() + " " + f.MONTH_LONG[now.getMonth()] + " " +
                now.getFullYear(),
            "Week " + f.isoWeek(now) + ", day " + f.dayOfYear(now) + " of " + yearLength
        ];
    }

    function weeksAndDays(days) {
        const weeks = Math.floor(days / 7);
        const rest = days % 7;
        if (weeks === 0)
            return null;
        return F().plural(weeks, "week", "weeks") + (rest ? " and " + F().plural(rest, "day", "days") : "");
    }

    // "Countdown: Launch in 44 days"
    function countdownFacts(data, now) {
        const f = F();
        const countdown = isObject(data.countdown) ? data.countdown : null;
        if (!countdown)
            return ["Countdown: no day chosen yet. Pick a day and give it a name in the layout editor"];
        const title = str(countdown.title).trim();
        const target = f.parseDay(str(countdown.date));
        if (!target)
            return ["Countdown: " + (title || "no day chosen") + ". Its date “" + str(countdown.date) +
                    "” is not a day; set it again in the layout editor"];
        const days = f.daysBetween(now, target);
        const on = ", on " + f.shortDayYear(target);
        if (days === 0)
            return ["Countdown: " + (title ? title + " is today" : "today") + on];
        if (days < 0)
            return ["Countdown: " + (title ? title + " was " : "") + f.plural(-days, "day", "days") + " ago" + on];
        const facts =
            ["Countdown: " +
             (title ? title + " in " + f.plural(days, "day", "days") : f.plural(days, "day", "days") + " to go") + on];
        const span = weeksAndDays(days);
        if (span)
            facts.push(span + " to go");
        return facts;
    }

    function calendarEvents(calendar) {
        return list(calendar.events)
            .filter(isObject)
            .map((event) => ({
                     title: str(event.title) || "Untitled",
                     start: F().parseTime(str(event.start)),
                     allDay: event.allDay === true,
                 }))
            .filter((event) => event.start)
            .sort((a, b) => {
                const dayA = F().dayKey(a.start);
                const dayB = F().dayKey(b.start);
                if (dayA !== dayB)
                    return dayA < dayB ? -1 : 1;
                if (a.allDay !== b.allDay)
                    return a.allDay ? -1 : 1;
                return a.start - b.start;
            });
    }

    // "today 09:30", "tomorrow, all day", "Sat 21 Mar 14:00"
    function eventWhen(event, now) {
        const f = F();
        const heading = f.dayHeading(event.start, now);
        const day = heading === "Today" || heading === "Tomorrow" ? heading.toLowerCase() : heading;
        return event.allDay ? day + ", all day" : day + " " + f.time(event.start);
    }

    function calendarFacts(data, now) {
        const calendar = isObject(data.calendar) ? data.calendar : null;
        if (!calendar || calendar.status !== "ok")
            return ["Calendar access is off. Allow it in Connections to see your next events here"];
        const events = calendarEvents(calendar);
        if (!events.length)
            return ["Nothing in the next 7 days. Your calendar is clear"];
        const upcoming =
            events.find((event) => event.allDay ? F().daysBetween(now, event.start) >= 0 : event.start >= now);
        const facts = [];
        if (upcoming)
            facts.push("Next event: " + upcoming.title + ", " + eventWhen(upcoming, now));
        const more = Math.max(0, Math.round(num(calendar.more)));
        facts.push(F().plural(events.length + more, "event", "events") + " in the next 7 days");
        events.forEach(
            (event) => facts.push(eventWhen(event, now).replace(/^./, (c) => c.toUpperCase()) + ": " + event.title));
        if (more)
            facts.push("And " + F().plural(more, "more event", "more events") + " this week");
        return facts;
    }

    // ---- GitHub -------------------------------------------------------------------------------

    function githubDays(gh) {
        const all = [];
        list(gh.weeks).forEach((week) => list(week).forEach((day) => {
            if (isObject(day) && F().parseDay(str(day.date)))
                all.push({ date: str(day.date), count: num(day.count) });
        }));
        return all;
    }

    function busiestFact(gh) {
        const busiest = isObject(gh.busiest) ? gh.busiest : {};
        const day = F().parseDay(str(busiest.date));
        if (!day || num(busiest.count) <= 0)
            return "Busiest day: none yet";
        return "Busiest day: " + F().plural(num(busiest.count), "contribution", "contributions") + " on " +
               F().shortDayYear(day);
    }

    function streakFacts(gh) {
        return [
            "Current streak: " + F().plural(num(gh.currentStreak), "day", "days"),
            "Longest streak: " + F().plural(num(gh.longestStreak), "day", "days")
        ];
    }

    function yearFacts(gh, now) {
        const f = F();
        const days = githubDays(gh);
        const weeks = Math.round(days.length / 7);
        const span = weeks >= 52 ? "the last year" : "the last " + f.plural(weeks, "week", "weeks");
        const today = days.find((day) => day.date === f.dayKey(now));
        const facts = [f.plural(num(gh.total), "contribution", "contributions") + " in " + span].concat(
            streakFacts(gh), [busiestFact(gh)]);
        facts.push("Days with contributions: " + f.count(days.filter((day) => day.count > 0).length) + " of " +
                   f.count(days.filter((day) => day.date <= f.dayKey(now)).length));
        if (today)
            facts.push("Today: " + f.plural(today.count, "contribution", "contributions"));
        return facts;
    }

    function monthFacts(gh, now) {
        const f = F();
        const rolling = now.getDate() <= 7;
        const weekday = (now.getDay() + 6) % 7;
        const first = rolling ? new Date(now.getFullYear(), now.getMonth(), now.getDate() - weekday - 28)
                              : new Date(now.getFullYear(), now.getMonth(), 1);
        const firstKey = f.dayKey(first);
        const todayKey = f.dayKey(now);
        const days = githubDays(gh).filter((day) => day.date >= firstKey && day.date <= todayKey);
        const total = days.reduce((sum, day) => sum + day.count, 0);
        const active = days.filter((day) => day.count > 0).length;
        const best = days.reduce((top, day) => (day.count > 0 && (!top || day.count > top.count) ? day : top), null);
        const period = rolling ? "Last 5 weeks" : f.MONTH_LONG[now.getMonth()] + " " + now.getFullYear();
        const facts = [
            period + ": " + f.plural(total, "contribution", "contributions"),
            "Days with contributions: " + active + " of " + (f.daysBetween(first, now) + 1)
        ];
        if (best)
            facts.push("Busiest: " + f.plural(best.count, "contribution", "contributions") + " on " +
                       f.shortDay(f.parseDay(best.date)));
        return facts;
    }

    const ACTIVITY = { merged: "Pull request merged", released: "New release", pushed: "Pushed" };

    function activityFacts(gh, now) {
        const items = list(gh.activity).filter(isObject);
        if (!items.length)
            return ["No recent activity. Pushes, merged pull requests and releases appear here"];
        return items.map((item) => {
            const type = ACTIVITY[item.type] ? item.type : "pushed";
            const at = F().parseTime(str(item.at));
            const parts = [
                ACTIVITY[type] + ": " + (str(item.title) || ACTIVITY[type]),
                "in " + (str(item.repo) || "an unnamed repository")
            ];
            if (at)
                parts.push(F().when(at, now));
            return parts.join(", ");
        });
    }

    function overviewFacts(gh) {
        const f = F();
        const prs = isObject(gh.prs) ? num(gh.prs.merged30) : 0;
        return [f.plural(num(gh.total), "contribution", "contributions") + " in the last 12 months"].concat(
            streakFacts(gh), [
                busiestFact(gh), "Last 30 days: " + f.plural(num(gh.last30), "contribution", "contributions"),
                "Merged pull requests: " + f.count(prs) + " in the last 30 days",
                "Releases: " + f.count(num(gh.releases30)) + " in the last 30 days",
                "Active days: " + f.count(githubDays(gh).filter((day) => day.count > 0).length) +
                    " in the last 12 months"
            ]);
    }

    function githubFacts(draw) {
        return (data, now) => {
            const gh = isObject(data.github) ? data.github : null;
            if (gh && gh.status === "unavailable")
                return ["GitHub not updated. " + (str(gh.reason) || "GitHub could not be read.")];
            if (!gh)
                return ["No GitHub data yet. Sign in to GitHub in Connections, then refresh"];
            return draw(gh, now);
        };
    }

    // ---- the page -----------------------------------------------------------------------------

    const FACTS = {
        "github.year": githubFacts(yearFacts),
        "github.month": githubFacts(monthFacts),
        "github.activity": githubFacts(activityFacts),
        "github.overview": githubFacts(overviewFacts),
        "plans.all": allPlansFacts,
        "today.date": (data, now) => todayFacts(now),
        "calendar.next": calendarFacts,
        "countdown": countdownFacts,
    };

    // The facts of a widget; every provider the page can draw has its widget, "provider.<id>".
    function factsOf(id, data) {
        if (Object.prototype.hasOwnProperty.call(FACTS, id))
            return FACTS[id];
        if (!providers().widget(id, data, catalogue))
            return null;
        const provider = id.slice("provider.".length);
        return (d, now) => providerFacts(provider, d, now, {});
    }

    // One slot: its heading, then its facts. A first fact that already begins with the heading
    // ("Countdown: Launch in 44 days") stands for both.
    function slotParagraph(id, data, now, drawn) {
        if (typeof id !== "string" || id === "")
            return ["Empty slot. Choose a widget in the layout editor."];
        const facts = factsOf(id, data);
        if (!facts)
            return ["Unknown widget " + id + ". Choose another one in the layout editor."];
        const heading = widgetTitle(id, data);
        let lines;
        try {
            lines = facts(data, now).map(sentence);
        } catch (error) {
            lines = ["Its facts could not be read."];
        }
        if (drawn && drawn.classList.contains("failed"))
            lines.push("This widget could not be drawn. It will try again at the next refresh.");
        if (lines.length && lines[0].startsWith(heading + ":"))
            return lines;
        return [heading].concat(lines);
    }

    // As many slots as the layout has columns, as the page is drawn: a slot the page leaves out
    // is empty, one beyond the columns is not shown.
    function slotCount(page) {
        const layouts = catalogue ? list(catalogue.layouts) : [];
        const layout = layouts.find((l) => isObject(l) && l.id === page.layout);
        const known = Tess.page && Tess.page.KNOWN_LAYOUTS ? Tess.page.KNOWN_LAYOUTS[page.layout] : null;
        const columns = layout ? list(layout.columns) : known;
        if (columns && columns.length > 0 && columns.every((c) => typeof c === "number" && isFinite(c) && c >= 0))
            return columns.length;
        return Math.max(list(page.slots).length, 1);
    }

    // The text of page `input.page` of `input.data`, in the form window.TESSARINE has.
    function pageText(input) {
        const data = isObject(input) && isObject(input.data) ? input.data : {};
        const pages = list(data.pages);
        const index = isObject(input) && Number.isInteger(input.page) ? input.page : 0;
        const page = isObject(pages[index]) ? pages[index] : { layout: "full", slots: [] };
        const now = F().parseTime(data.updatedAt) || new Date();
        const head = [pageTitle(page, data)];
        const updated = F().parseTime(data.updatedAt);
        if (updated)
            head.push("Updated " + F().time(updated) + " · " + F().shortDay(updated));
        const drawnSlots = document.querySelectorAll("#slots > .slot");
        const paragraphs = [head];
        const slots = list(page.slots);
        for (let i = 0; i < slotCount(page); ++i)
            paragraphs.push(slotParagraph(slots[i], data, now, drawnSlots[i] || null));
        return paragraphs.map((lines) => lines.join("\n")).join("\n\n");
    }

    // The shown page's text; the renderer asks for it once the page is drawn.
    function read() {
        try {
            return pageText(window.TESSARINE);
        } catch (error) {
            return "";
        }
    }

    // For the page audit: the text must not be empty, must begin with the page's drawn title and
    // must name every drawn slot's widget.
    function check(findings) {
        const text = read();
        if (text.trim() === "") {
            findings.push("text: the page has no text version");
            return;
        }
        const title = document.querySelector("#band .page-title");
        if (title && !text.startsWith(title.textContent))
            findings.push("text: does not begin with the page title “" + title.textContent + "”");
        document.querySelectorAll("#slots > .slot").forEach((slot, i) => {
            const id = slot.dataset.widget;
            const data = isObject(window.TESSARINE) && isObject(window.TESSARINE.data) ? window.TESSARINE.data : {};
            const name = !id ? "Empty slot" : factsOf(id, data) ? widgetTitle(id, data) : id;
            if (!text.includes(name))
                findings.push("text: slot " + i + " (" + (id || "empty") + ") is not named “" + name + "”");
        });
    }

    Tess.text = { read, pageText, check, factsOf };
})();
