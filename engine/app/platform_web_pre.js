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

// Called by the program after it renamed a settings file into place. One
// copy into IndexedDB runs at a time; a call while one runs asks for one
// more after it (which takes every change made meanwhile), so quick changes
// cost at most two copies and the last state is always copied.
var settingsSyncRunning = false;
var settingsSyncAgain = false;
Module['syncSettingsStorage'] = function () {
  if (settingsSyncRunning) {
    settingsSyncAgain = true;
    return;
  }
  settingsSyncRunning = true;
  FS.syncfs(false, function (error) {
    settingsSyncRunning = false;
    if (error) err('the settings could not be kept (' + error + ')');
    if (settingsSyncAgain) {
      settingsSyncAgain = false;
      Module['syncSettingsStorage']();
    }
  });
};
