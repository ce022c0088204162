/* SPDX-License-Identifier: GPL-3.0-or-later */
// Formatting for the page view: numbers, day names and relative times in British English,
// written out by hand so a picture never depends on the engine's locale data.
(() => {
    "use strict";
    const Tess = (window.Tess = window.Tess || {});

    const DAY_SHORT = ["Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"];
    const DAY_LONG = ["Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"];
    const MONTH_SHORT = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"];
    const MONTH_LONG = [
        "January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November",
        "December"
    ];
    const DAY_MS = 86400000;

    function pad2(n) {
        return (n < 10 ? "0" : "") + n;
    }

    // 1234567 → "1,234,567"
    function count(value) {
        const n = Math.round(Number(value) || 0);
        const sign = n < 0 ? "−" : "";
        return sign + String(Math.abs(n)).replace(/\B(?=(\d{3})+(?!\d))/g, ",");
    }

    // Token counts read best short: 12480512 → "12.5M", 48210 → "48.2K", 950 → "950". A value
    // that rounds up to a thousand of its unit steps up to the next (999,999 → "1M", not "1000K").
    const UNITS = ["K", "M", "B", "T"];

    function compact(value) {
        const n = Math.abs(Math.round(Number(value) || 0));
        if (n < 1000)
            return String(n);
        let scaled = n;
        let unit = -1;
        while (unit < UNITS.length - 1 && (unit < 0 || Number(shortFigure(scaled)) >= 1000)) {
            scaled /= 1000;
            unit += 1;
        }
        return shortFigure(scaled) + UNITS[unit];
    }

    // One decimal below 100, none from 100: "12.5", "482".
    function shortFigure(scaled) {
        return scaled >= 99.95 ? String(Math.round(scaled)) : scaled.toFixed(1).replace(/\.0$/, "");
    }

    function stat(value, format) {
        return format === "tokens" ? compact(value) : count(value);
    }

    // An unknown share is drawn as unknown, never as 0.
    const UNKNOWN = "—";

    function percent(value) {
        if (typeof value !== "number" || !isFinite(value))
            return UNKNOWN;
        return Math.round(value) + "%";
    }

    function plural(n, one, many) {
        return count(n) + " " + (Math.abs(n) === 1 ? one : many);
    }

    // ISO 8601 text → Date, or null.
    function parseTime(text) {
        if (typeof text !== "string" || text === "")
            return null;
        const moment = new Date(text);
        return isNaN(moment.getTime()) ? null : moment;
    }

    // "yyyy-MM-dd" → a local Date at midnight, or null. Anything else is not a day.
    function parseDay(text) {
        const match = typeof text === "string" ? /^(\d{4})-(\d{2})-(\d{2})$/.exec(text) : null;
        if (!match)
            return null;
        const day = new Date(Number(match[1]), Number(match[2]) - 1, Number(match[3]));
        return day.getMonth() === Number(match[2]) - 1 ? day : null;
    }

    function dayKey(moment) {
        return moment.getFullYear() + "-" + pad2(moment.getMonth() + 1) + "-" + pad2(moment.getDate());
    }

    function startOfDay(moment) {
        return new Date(moment.getFullYear(), moment.getMonth(), moment.getDate());
    }

    // Whole calendar days from a to b (local dates), unaffected by clock changes.
    function daysBetween(a, b) {
        const utcA = Date.UTC(a.getFullYear(), a.getMonth(), a.getDate());
        const utcB = Date.UTC(b.getFullYear(), b.getMonth(), b.getDate());
        return Math.round((utcB - utcA) / DAY_MS);
    }

    function time(moment) {
        return pad2(moment.getHours()) + ":" + pad2(moment.getMinutes());
    }

    // "Thu 19 Mar"
    function shortDay(moment) {
        return DAY_SHORT[moment.getDay()] + " " + moment.getDate() + " " + MONTH_SHORT[moment.getMonth()];
    }

    // "Thu 19 Mar 2026"
    function shortDayYear(moment) {
        return shortDay(moment) + " " + moment.getFullYear();
    }

    // "Today", "Tomorrow", else "Sat 21 Mar".
    function dayHeading(moment, now) {
        const offset = daysBetween(now, moment);
        if (offset === 0)
            return "Today";
        if (offset === 1)
            return "Tomorrow";
        return shortDay(moment);
    }

    // A date further away than about six months carries its year, or it reads as this year's.
    const FAR_DAYS = 183;

    function dayMonth(moment, now) {
        const far = Math.abs(daysBetween(now, moment)) > FAR_DAYS;
        return moment.getDate() + " " + MONTH_SHORT[moment.getMonth()] + (far ? " " + moment.getFullYear() : "");
    }

    // "Thu 28 Aug", or "Thu 28 Aug 2025" when further than about six months from now.
    function dateText(moment, now) {
        return DAY_SHORT[moment.getDay()] + " " + dayMonth(moment, now);
    }

    function resetMoment(seconds) {
        const value = Number(seconds);
        if (seconds === null || seconds === undefined || typeof seconds === "boolean" || !isFinite(value))
            return null;
        const moment = new Date(value * 1000);
        return isNaN(moment.getTime()) ? null : moment;
    }

    // Every right way to say when a window resets, longest first, so a narrow slot can take a
    // shorter one rather than cut a word: "resets Sun 22 Mar", "resets Sun", "Sun". Empty when
    // the time is unknown.
    function resetForms(seconds, now) {
        const moment = resetMoment(seconds);
        if (!moment)
            return [];
        const days = daysBetween(now, moment);
        const clock = time(moment);
        const weekday = DAY_SHORT[moment.getDay()];
        if (moment <= now) {
            const past = days === 0 ? clock : shortDay(moment);
            return ["reset " + past, past];
        }
        if (days === 0)
            return ["resets " + clock, clock];
        if (moment - now < DAY_MS)
            return ["resets " + weekday + " " + clock, "resets " + clock, clock];
        if (days < 7)
            return [
                "resets " + weekday + " " + moment.getDate() + " " + MONTH_SHORT[moment.getMonth()],
                "resets " + weekday, weekday
            ];
        const date = dayMonth(moment, now);
        return ["resets " + weekday + " " + date, "resets " + date, date];
    }

    // When a window resets, as a still picture can show it for hours: "resets 14:30" later
    // today, "resets Fri 01:00" within a day, else "resets Sun 22 Mar" (with the year when far
    // away); null when unknown.
    function resetsAt(seconds, now) {
        const forms = resetForms(seconds, now);
        return forms.length ? forms[0] : null;
    }

    // When something happened, for activity lists, in words that stay true in a still picture:
    // "14:02" today, "Wed 14:02" within the week, else "12 Mar".
    function when(moment, now) {
        const days = daysBetween(moment, now);
        if (days === 0)
            return time(moment);
        if (days > 0 && days < 7)
            return DAY_SHORT[moment.getDay()] + " " + time(moment);
        return dayMonth(moment, now);
    }

    // ISO week number (weeks start on Monday; week 1 holds the year's first Thursday).
    function isoWeek(moment) {
        const day = new Date(Date.UTC(moment.getFullYear(), moment.getMonth(), moment.getDate()));
        const weekday = day.getUTCDay() || 7;
        day.setUTCDate(day.getUTCDate() + 4 - weekday);
        const yearStart = new Date(Date.UTC(day.getUTCFullYear(), 0, 1));
        return Math.ceil(((day - yearStart) / DAY_MS + 1) / 7);
    }

    function dayOfYear(moment) {
        return daysBetween(new Date(moment.getFullYear(), 0, 1), moment) + 1;
    }

    function capitalised(text) {
        const value = String(text || "");
        return value ? value.charAt(0).toUpperCase() + value.slice(1) : value;
    }

    // A collector's word made human: "Enterprise_trial" → "Enterprise trial", "daily_tokens" →
    // "Daily tokens".
    function humanWord(value) {
        return capitalised(String(value || "").replace(/[_]+/g, " ").replace(/\s+/g, " ").trim());
    }

    // A window's name in every right form, longest first: "5-hour" → ["5-hour", "5 h"],
    // "This week" → ["This week", "Week"], "720-hour" → ["Monthly"].
    const HOUR_NAMES = { 24: "Daily", 168: "Weekly", 720: "Monthly", 744: "Monthly", 8760: "Yearly" };

    function windowNames(label) {
        // A window of one of several limits ("Spark · 5-hour"): the limit's name stays whole in
        // every form, the window's name shortens.
        const parts = String(label || "").split(" \u00b7 ");
        if (parts.length > 1) {
            const limit = parts.slice(0, -1).join(" \u00b7 ");
            return windowNames(parts[parts.length - 1]).map((form) => limit + " \u00b7 " + form);
        }
        const name = humanWord(label) || "Plan";
        const hours = /^(\d+)[- ]?(?:hour|hours|h)$/i.exec(name);
        if (hours) {
            const n = Number(hours[1]);
            if (HOUR_NAMES[n])
                return [HOUR_NAMES[n], HOUR_NAMES[n].replace(/ly$/, "").replace(/^Dai$/, "Day")];
            return [n + "-hour", n + " h"];
        }
        const forms = [name];
        const shorter = {
            "this week": "Week",
            "this month": "Month",
            "today": "Today",
            "weekly": "Week",
            "monthly": "Month",
            "daily": "Day"
        }[name.toLowerCase()];
        if (shorter && shorter !== name)
            forms.push(shorter);
        return forms;
    }

    // What a used-up window still has to spend: "credits 125.50 left", "unlimited credits"; null
    // while the window has room, or when nothing remains.
    function creditsNote(w) {
        const used = w && typeof w.usedPercent === "number" ? w.usedPercent : null;
        const credits = w && w.credits && typeof w.credits === "object" ? w.credits : null;
        if (used === null || Math.round(used) < 100 || !credits)
            return null;
        if (credits.unlimited === true)
            return "unlimited credits";
        const balance = typeof credits.balance === "string" ? credits.balance.trim() : "";
        if (!balance)
            return "credits left";
        return Number(balance) > 0 || !isFinite(Number(balance)) ? "credits " + balance + " left" : null;
    }

    // A collector's ready-made line made grammatical and readable: "1 dictations" → "1
    // dictation", "1000 wpm" → "1,000 wpm", and a streak's hyphen that never breaks the line.
    function humanLine(line) {
        let result = String(line || "").replace(/\b(\d{4,})\b/g, (m) => count(Number(m)));
        result = result.replace(/(^|[^\d,])1 ([a-z]+)s\b/g, "$11 $2");
        result = result.replace(/(\d)-day\b/g, "$1\u2011day");
        // A number keeps its word on its line: "142 wpm" never breaks between them.
        return result.replace(/(\d) (?=[a-z])/g, "$1\u00a0");
    }

    // A reason from a collector, as a person would say it: a server's raw body (JSON, an address,
    // a stack) never reaches the page, its meaning does.
    function humanReason(reason) {
        const textValue = String(reason || "").trim();
        if (!textValue)
            return "";
        let message = textValue;
        if (/^[{[]/.test(textValue)) {
            try {
                const parsed = JSON.parse(textValue);
                const inner = parsed && (parsed.error && (parsed.error.message || parsed.error) || parsed.message);
                message = typeof inner === "string" ? inner : "";
            } catch (error) {
                message = "";
            }
        }
        // Sentences that point at an address are left out; an address inside one is dropped.
        message = message.split(/(?<=[.!?])\s+/).filter((part) => !/:\/\//.test(part)).join(" ") ||
                  message.replace(/(?:[,;]?\s*(?:see|at|visit))?\s*\b(?:https?|wss?):\/\/\S+/gi, "");
        message = message.replace(/\s+/g, " ").trim();
        const status = /\b(4\d\d|5\d\d)\b/.exec(textValue);
        if (!message || /[{}<>]/.test(message) || message.length > 120) {
            if (status && status[1] === "401" || /unauthori[sz]ed|sign in|log ?in/i.test(textValue))
                return "The service asked to sign in again";
            if (status && status[1] === "429" || /rate.?limit/i.test(textValue))
                return "The service is busy; it will be asked again at the next refresh";
            return "The service answered with an error; it will be asked again at the next refresh";
        }
        return capitalised(message.replace(/[.:;,\s]+$/, ""));
    }

    Tess.format = {
        DAY_SHORT,
        DAY_LONG,
        MONTH_SHORT,
        MONTH_LONG,
        count,
        compact,
        stat,
        percent,
        plural,
        parseTime,
        parseDay,
        dayKey,
        startOfDay,
        daysBetween,
        time,
        shortDay,
        shortDayYear,
        dayHeading,
        resetsAt,
        resetForms,
        when,
        isoWeek,
        dayOfYear,
        capitalised,
        dayMonth,
        humanWord,
        windowNames,
        creditsNote,
        humanLine,
        humanReason,
        UNKNOWN,
        FAR_DAYS,
        dateText,
        resetMoment,
    };
})();
