// Linked (--pre-js) into the web build's tests run under Node.js: the test
// program sees the environment it was started with, as a native one does
// (Emscripten's programs otherwise see a fixed environment of their own).
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  for (var name in process.env) ENV[name] = process.env[name];
});
