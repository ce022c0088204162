/* SPDX-License-Identifier: GPL-3.0-or-later */
// A plan window's forecast for the page view: the short "runs out ~15:40" label and a spark line
// of the window's use since its period began. Both read the window object of the data document:
// "runsOutAt" (seconds since 1970, or null), "resetsAt" and "series" (percentages, oldest first).
// Nothing here places itself on the page; the plan widgets decide where the label and the line go.
(() => {
    "use strict";
    const Tess = (window.Tess = window.Tess || {});
    const SVG = "http://www.w3.org/2000/svg";
    const DAY_SHORT = ["Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"];
    const FIVE_MINUTES = 300000;

    function finite(value) {
        return typeof value === "number" && isFinite(value) ? value : null;
    }

    function pad2(n) {
        return (n < 10 ? "0" : "") + n;
    }

    const WEEK = 7 * 24 * 3600;
    // The update time of the page being drawn, for the callers that ask about a window alone.
    let pageTime = null;

    function setPageTime(now) {
        pageTime = now instanceof Date && isFinite(now.getTime()) ? now : null;
    }

    // A percentage the page can stand behind: a number from 0 to 100.
    function isPercent(value) {
        const v = finite(value);
        return v !== null && v >= 0 && v <= 100;
    }

    // The moment the window reaches 100 %, or null. A forecast is drawn only when it makes sense
    // against the page's update time `now` (a Date): after it and before the window's reset, or,
    // with no reset known, within the week a forecast reaches; and only for a window whose use is
    // a percentage from 0 to 100. Anything else is drawn as no forecast. Without `now`, the time
    // given to setPageTime() counts.
    function runsOutAt(window, now) {
        if (window === null || typeof window !== "object")
            return null;
        const runsOut = finite(window.runsOutAt);
        if (runsOut === null || !isPercent(window.usedPercent))
            return null;
        const time = now instanceof Date && isFinite(now.getTime()) ? now : pageTime;
        const updated = time === null ? null : time.getTime() / 1000;
        if (updated !== null && runsOut <= updated)
            return null;
        const resets = finite(window.resetsAt);
        if (resets !== null)
            return runsOut < resets ? runsOut : null;
        return updated === null || runsOut - updated <= WEEK ? runsOut : null;
    }

    // A forecast that comes before the reset is a critical fact of the page.
    function isCritical(window, now) {
        return runsOutAt(window, now) !== null;
    }

    // "~15:40" today, "~Thu 14:00" on another day; the forecast is a pace, so the time is given to
    // the nearest five minutes. Null when there is nothing to say.
    function when(window, now) {
        const runsOut = runsOutAt(window, now);
        if (runsOut === null)
            return null;
        const moment = new Date(Math.round((runsOut * 1000) / FIVE_MINUTES) * FIVE_MINUTES);
        const today = now instanceof Date && moment.getFullYear() === now.getFullYear() &&
                      moment.getMonth() === now.getMonth() && moment.getDate() === now.getDate();
        const time = pad2(moment.getHours()) + ":" + pad2(moment.getMinutes());
        return "~" + (today ? time : DAY_SHORT[moment.getDay()] + " " + time);
    }

    // "runs out ~15:40", "runs out ~Thu 14:00", or null.
    function label(window, now) {
        const moment = when(window, now);
        return moment === null ? null : "runs out " + moment;
    }

    // The window's use over its period, or nothing when any figure is not a percentage from 0 to
    // 100: a line through made-up figures would be no forecast either.
    function seriesOf(window) {
        const values = window && Array.isArray(window.series) ? window.series : [];
        const known = values.map((v) => finite(v)).filter((v) => v !== null);
        return known.every(isPercent) ? known : [];
    }

    // The spark line as an inline SVG element `width` × `height` pixels, on a 0–100 % scale, or
    // null when the window has fewer than two points. On Panel Pixels (`options.panel`) it is plain
    // black on whole pixels, so the one-bit picture keeps it whole; in the other looks it is drawn
    // in the slot's accent, or the warning colour when the window runs out before its reset, over
    // a faint area in the track colour. `options.now` is the page's update time.
    function sparkline(window, options) {
        const opts = options || {};
        const values = seriesOf(window);
        if (values.length < 2)
            return null;
        const width = Math.max(Math.round(finite(opts.width) || 120), 8);
        const height = Math.max(Math.round(finite(opts.height) || 28), 8);
        const panel = opts.panel === true;
        const stroke = panel ? 2 : 2.5;
        const inset = stroke / 2;
        const place = (v, i) => {
            let x = (i / (values.length - 1)) * (width - stroke) + inset;
            let y = height - inset - (v / 100) * (height - stroke);
            if (panel) {
                x = Math.round(x);
                y = Math.round(y);
            }
            return x.toFixed(2) + "," + y.toFixed(2);
        };
        const points = values.map(place);

        const svg = document.createElementNS(SVG, "svg");
        svg.setAttribute("class", "sparkline");
        svg.setAttribute("width", width);
        svg.setAttribute("height", height);
        svg.setAttribute("viewBox", "0 0 " + width + " " + height);
        svg.setAttribute("aria-hidden", "true");
        if (!panel) {
            const area = document.createElementNS(SVG, "polygon");
            area.setAttribute("points",
                              [inset + "," + height].concat(points, [(width - inset) + "," + height]).join(" "));
            area.setAttribute("fill", "var(--track)");
            area.setAttribute("stroke", "none");
            svg.appendChild(area);
        }
        const line = document.createElementNS(SVG, "polyline");
        line.setAttribute("points", points.join(" "));
        line.setAttribute("fill", "none");
        line.setAttribute("stroke", panel ? "#000" : isCritical(window, opts.now) ? "var(--warn)" : "var(--accent)");
        line.setAttribute("stroke-width", stroke);
        line.setAttribute("stroke-linejoin", "round");
        line.setAttribute("stroke-linecap", panel ? "square" : "round");
        if (panel)
            line.setAttribute("shape-rendering", "crispEdges");
        svg.appendChild(line);
        return svg;
    }

    Tess.forecast = { runsOutAt, isCritical, when, label, sparkline, setPageTime };
})();
