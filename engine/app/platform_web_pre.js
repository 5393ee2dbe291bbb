// Runs inside the web build's program before main: the page's storage for
// the player's files (settings, best score), and the environment a page
// address can set. Linked with --pre-js beside platform_web.cpp.

// The folder of the player's files; IndexedDB keeps each mounted folder in a
// database named after its path. Earlier builds kept them under the folder
// they had, '/settings'.
var kPlayerFileFolder = '/player_files';
var kEarlierFolder = '/settings';

// Copies the files and folders under from into to (an empty folder).
function copyPlayerFiles(from, to) {
  for (const name of FS.readdir(from)) {
    if (name === '.' || name === '..') continue;
    const source = from + '/' + name;
    const target = to + '/' + name;
    const mode = FS.lstat(source).mode;
    if (FS.isDir(mode)) {
      FS.mkdir(target);
      copyPlayerFiles(source, target);
    } else if (FS.isFile(mode)) {
      FS.writeFile(target, FS.readFile(source));
    }
  }
}

function folderEmpty(path) {
  return FS.readdir(path).every((name) => name === '.' || name === '..');
}

Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  // "?stats" in the page's address asks for the TIDE_STATS report at exit.
  if (typeof location !== 'undefined' && /[?&]stats(=|&|$)/.test(location.search)) {
    ENV['TIDE_STATS'] = '1';
  }
  // The player's files live in the browser's IndexedDB, read before main
  // starts. Where there is none (some private windows) they last for this
  // visit only, which is said once on the console. Files an earlier build
  // kept in its folder are copied over, once, while the new folder is still
  // empty, and the copy is stored before main starts; the earlier database
  // stays as it was.
  FS.mkdir(kPlayerFileFolder);
  FS.mount(IDBFS, {}, kPlayerFileFolder);
  FS.mkdir(kEarlierFolder);
  FS.mount(IDBFS, {}, kEarlierFolder);
  addRunDependency('player files');
  FS.syncfs(true, function (error) {
    const copy = !error && folderEmpty(kPlayerFileFolder) && !folderEmpty(kEarlierFolder);
    if (copy) copyPlayerFiles(kEarlierFolder, kPlayerFileFolder);
    FS.unmount(kEarlierFolder);
    FS.rmdir(kEarlierFolder);
    if (error) err('the player\'s files are kept for this visit only (' + error + ')');
    if (!copy) {
      removeRunDependency('player files');
      return;
    }
    FS.syncfs(false, function (error) {
      if (error) err('the player\'s files could not be kept (' + error + ')');
      removeRunDependency('player files');
    });
  });
});

// Called by the program after it renamed a player's file into place. One
// copy into IndexedDB runs at a time; a call while one runs asks for one
// more after it (which takes every change made meanwhile), so quick changes
// cost at most two copies and the last state is always copied.
var playerFileSyncRunning = false;
var playerFileSyncAgain = false;
Module['syncPlayerFileStorage'] = function () {
  if (playerFileSyncRunning) {
    playerFileSyncAgain = true;
    return;
  }
  playerFileSyncRunning = true;
  FS.syncfs(false, function (error) {
    playerFileSyncRunning = false;
    if (error) err('the player\'s files could not be kept (' + error + ')');
    if (playerFileSyncAgain) {
      playerFileSyncAgain = false;
      Module['syncPlayerFileStorage']();
    }
  });
};
