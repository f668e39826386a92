// Node 18 and later have fetch, which this emscripten then takes for loading
// the .wasm by URL, and fails on a plain path: hand it the bytes instead.
Module['wasmBinary'] = require('fs').readFileSync(__filename.replace(/\.js$/, '.wasm'));
