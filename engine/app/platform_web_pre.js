// Runs inside the web build's program before main: the page's storage for
// the player's settings, and the environment a page address can set.
// Linked with --pre-js beside platform_web.cpp.

Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  // "?stats" in the page's address asks for the TIDE_STATS report at exit.
  if (typeof location !== 'undefined' && /[?&]stats(=|&|$)/.test(location.search)) {
    ENV['TIDE_STATS'] = '1';
  }
  // The settings folder lives in the browser's IndexedDB, read before main
  // starts. Where there is none (some private windows) the settings last for
  // this visit only, which is said once on the console.
  FS.mkdir('/settings');
  FS.mount(IDBFS, {}, '/settings');
  addRunDependency('settings');
  FS.syncfs(true, function (error) {
    if (error) err('the settings are kept for this visit only (' + error + ')');
    removeRunDependency('settings');
  });
});

// Called by the program after it wrote a settings file.
Module['syncSettingsStorage'] = function () {
  FS.syncfs(false, function (error) {
    if (error) err('the settings could not be kept (' + error + ')');
  });
};
