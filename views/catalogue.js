/* SPDX-License-Identifier: GPL-3.0-or-later */
// Starts reading the catalogue (widgets.json) as soon as the page begins to load, so the file
// arrives while the other scripts are still being read and the page can be drawn at once.
(() => {
    "use strict";
    const Tess = (window.Tess = window.Tess || {});
    let result;
    let read = false;
    const waiting = [];

    function finish(catalogue) {
        if (read)
            return;
        read = true;
        result = catalogue;
        waiting.splice(0).forEach((done) => done(result));
    }

    function isObject(value) {
        return value !== null && typeof value === "object" && !Array.isArray(value);
    }

    try {
        const request = new XMLHttpRequest();
        request.open("GET", "widgets.json");
        request.timeout = 1000;
        request.onload = () => {
            try {
                const parsed = JSON.parse(request.responseText);
                finish(isObject(parsed) ? parsed : null);
            } catch (error) {
                finish(null);
            }
        };
        request.onerror = request.ontimeout = () => finish(null);
        request.send();
    } catch (error) {
        finish(null);
    }

    // Calls `done` with the catalogue, or null when it cannot be read, once it is known.
    Tess.catalogue = function(done) {
        if (read)
            done(result);
        else
            waiting.push(done);
    };
})();
