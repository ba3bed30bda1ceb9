// The world's worker when the page is served as separate files.
importScripts("tovrine-engine.js", "world.js");
