/* SPDX-License-Identifier: GPL-3.0-or-later */
// Tessarine's own simple marks for the services and the page view's few glyphs, drawn as
// strokes on a 24 × 24 grid. The service marks match resources/logos/<name>.svg.
(() => {
    "use strict";
    const Tess = (window.Tess = window.Tess || {});
    const SVG = "http://www.w3.org/2000/svg";

    const LOGOS = {
        github:
            "<circle cx=\"6.5\" cy=\"5.5\" r=\"2.5\"/><circle cx=\"6.5\" cy=\"18.5\" r=\"2.5\"/><circle cx=\"17.5\" cy=\"7.5\" r=\"2.5\"/><path d=\"M6.5 8v8\"/><path d=\"M17.5 10c0 4.2-4.4 4.6-9.3 6.8\"/>",
        claude: "<path d=\"M12 3v18\"/><path d=\"M4.2 7.5l15.6 9\"/><path d=\"M4.2 16.5l15.6-9\"/>",
        openai:
            "<rect x=\"3\" y=\"4\" width=\"18\" height=\"16\" rx=\"4\"/><path d=\"M7.5 9.5l3 2.5-3 2.5\"/><path d=\"M13 15h4\"/>",
        grok: "<path d=\"M19 7.2A8 8 0 1 0 20 12h-7.5\"/>",
        gemini: "<circle cx=\"9\" cy=\"12\" r=\"6\"/><circle cx=\"15\" cy=\"12\" r=\"6\"/>",
        wispr: "<path d=\"M5 10v4\"/><path d=\"M9.5 6v12\"/><path d=\"M14 8.5v7\"/><path d=\"M18.5 11v2\"/>",
    };

    const GLYPHS = {
        merged:
            "<circle cx=\"7\" cy=\"6\" r=\"2.2\"/><circle cx=\"7\" cy=\"18\" r=\"2.2\"/><circle cx=\"17\" cy=\"14\" r=\"2.2\"/><path d=\"M7 8.2v7.6\"/><path d=\"M7 8.5c0 3 3 5.5 7.8 5.5\"/>",
        released:
            "<path d=\"M3.5 12.2V4.5a1 1 0 0 1 1-1h7.7l8.3 8.3a1.4 1.4 0 0 1 0 2l-6.6 6.6a1.4 1.4 0 0 1-2 0z\"/><circle cx=\"8\" cy=\"8\" r=\"1.6\"/>",
        pushed: "<path d=\"M12 18V6\"/><path d=\"M7 10.5l5-5 5 5\"/><path d=\"M5 20.5h14\"/>",
        calendar:
            "<rect x=\"3.5\" y=\"5\" width=\"17\" height=\"15.5\" rx=\"3\"/><path d=\"M3.5 10h17\"/><path d=\"M8 3v4\"/><path d=\"M16 3v4\"/>",
        flag: "<path d=\"M5 21V4\"/><path d=\"M5 4.5h11l-2.5 4 2.5 4H5\"/>",
        warning:
            "<path d=\"M12 3.5l9.5 16.5h-19z\" fill=\"currentColor\"/><path d=\"M12 10v4.5\" stroke=\"var(--paper)\"/><path d=\"M12 17.2v.1\" stroke=\"var(--paper)\"/>",
        spark: "<path d=\"M12 4v16\"/><path d=\"M4 12h16\"/>",
    };

    function build(markup, size, className) {
        const svg = document.createElementNS(SVG, "svg");
        svg.setAttribute("viewBox", "0 0 24 24");
        svg.setAttribute("width", size);
        svg.setAttribute("height", size);
        svg.setAttribute("fill", "none");
        svg.setAttribute("stroke", "currentColor");
        svg.setAttribute("stroke-width", "2");
        svg.setAttribute("stroke-linecap", "round");
        svg.setAttribute("stroke-linejoin", "round");
        svg.setAttribute("class", className);
        svg.innerHTML = markup;
        return svg;
    }

    // A service mark in its own tint, the CSS variable "--logo-<name>" that the theme or the
    // providers table sets, else in the ink; null for an unknown logo.
    function logo(name, size) {
        if (!Object.prototype.hasOwnProperty.call(LOGOS, name))
            return null;
        const svg = build(LOGOS[name], size, "logo logo-" + name);
        svg.style.setProperty("--logo-tint", "var(--logo-" + name + ")");
        return svg;
    }

    function glyph(name, size) {
        return build(GLYPHS[name] || GLYPHS.spark, size, "glyph glyph-" + name);
    }

    Tess.marks = { LOGOS, logo, glyph };
})();
