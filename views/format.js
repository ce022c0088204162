// Formatting for the page view: numbers, day names and relative times in British English,
// written out by hand so a picture never depends on the engine's locale data.
(function () {
    "use strict";
    const Tess = (window.Tess = window.Tess || {});

    const DAY_SHORT = ["Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"];
    const DAY_LONG = ["Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"];
    const MONTH_SHORT = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"];
    const MONTH_LONG = ["January", "February", "March", "April", "May", "June", "July", "August", "September",
        "October", "November", "December"];
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

    function percent(value) {
        const n = Number(value);
        if (!isFinite(n))
            return "–";
        return Math.round(n) + "%";
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

    // When a window resets, as a still picture can show it for hours: "resets 14:30" later
    // today, "resets Fri 01:00" within a day, else "resets Sun 22 Mar"; null when unknown.
    function resetsAt(seconds, now) {
        const value = Number(seconds);
        if (seconds === null || seconds === undefined || typeof seconds === "boolean" || !isFinite(value))
            return null;
        const moment = new Date(value * 1000);
        if (isNaN(moment.getTime()))
            return null;
        if (moment <= now)
            return "reset " + (daysBetween(moment, now) === 0 ? time(moment) : shortDay(moment));
        const days = daysBetween(now, moment);
        if (days === 0)
            return "resets " + time(moment);
        if (moment - now < DAY_MS)
            return "resets " + DAY_SHORT[moment.getDay()] + " " + time(moment);
        return "resets " + shortDay(moment);
    }

    // When something happened, for activity lists, in words that stay true in a still picture:
    // "14:02" today, "Wed 14:02" within the week, else "12 Mar".
    function when(moment, now) {
        const days = daysBetween(moment, now);
        if (days === 0)
            return time(moment);
        if (days > 0 && days < 7)
            return DAY_SHORT[moment.getDay()] + " " + time(moment);
        return moment.getDate() + " " + MONTH_SHORT[moment.getMonth()];
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

    Tess.format = {
        DAY_SHORT, DAY_LONG, MONTH_SHORT, MONTH_LONG,
        count, compact, stat, percent, plural, parseTime, parseDay, dayKey, startOfDay, daysBetween, time,
        shortDay, shortDayYear, dayHeading, resetsAt, when, isoWeek, dayOfYear, capitalised,
    };
})();
