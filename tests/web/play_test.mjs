// The web build played in Chromium as a player would on a phone held
// sideways, with one finger: the two logos, the title, a held touch, the
// how-to-play cards a new player meets, turned by taps, loading, a round, the
// pause menu opened (its full-screen button turns full screen on and off, its
// sound button mutes, which the page opened anew still finds in the settings
// storage) and closed, the page hidden during the round (the pause menu must
// open), plates dragged until "Finish!", the page hidden the moment the round
// ends (the best must reach the page's storage all the same), the clear
// scene, two taps back to the title, F12 to end, and the page opened anew,
// whose title shows that best. Screens are read by the native e2e probe
// against the game's own pictures; the console must carry the plate counts 1,
// 2, 3, ... as log lines (the game's standard output) and no error; sound
// must wait for the first touch and then run, with music playing in the
// title, the round and the clear scene; the browser must never turn a touch
// into mouse events as well. Prints the start times, the frame rate while the
// round is played and the tick rate. A second run plays with keys alone:
// Enter on the title, then the arrows and a held Space drag through blocks
// until a sweet is made.
//   node --test tests/web/play_test.mjs
// Needs build-web/dist (scripts/web/build.sh) and the native build's e2e
// probe and contents (TIDE_WEB_DIST, TIDE_PROBE and E2E_CONTENTS override).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { kDesktopViewport, withServedPage } from './browser.mjs';
import { GameScreen } from './game_screen.mjs';

const kRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const kDist = process.env.TIDE_WEB_DIST || path.join(kRoot, 'build-web/dist');
const kProbe = process.env.TIDE_PROBE || path.join(kRoot, 'build/tests/e2e_probe');
const kContents = process.env.E2E_CONTENTS || path.join(kRoot, 'build/contents');
const kRoundLimitS = Number(process.env.E2E_ROUND_LIMIT || 300);
// OpenAL's source state while it plays.
const kAlPlaying = 0x1012;
const kPlayerFileFolder = '/player_files';
const kBestFile = `${kPlayerFileFolder}/tide_marker/best_score.ini`;
const kSettingsFile = `${kPlayerFileFolder}/tide_marker/settings.ini`;
const kMutedSaved = `(() => { try { return /^mute = on$/m.test(FS.readFile('${kSettingsFile}', `
  + `{ encoding: 'utf8' })); } catch (e) { return false; } })()`;
// The arrow keys that take the key cursor from one block to another (the
// board is 6 blocks wide).
function arrowsBetween(from, to) {
  const keys = [];
  const dc = (to % 6) - (from % 6);
  const dr = Math.floor(to / 6) - Math.floor(from / 6);
  for (let i = 0; i < Math.abs(dc); i++) keys.push(dc > 0 ? 'ArrowRight' : 'ArrowLeft');
  for (let i = 0; i < Math.abs(dr); i++) keys.push(dr > 0 ? 'ArrowDown' : 'ArrowUp');
  return keys;
}

// The state of the page's audio: every context's state, and how many
// sources play a queue of several buffers (streamed music; effects have one).
function audioState(session) {
  return session.inspect(`(() => {
    const contexts = Object.values(AL.contexts);
    const sources = contexts.flatMap((c) => Object.values(c.sources));
    return {
      contexts: contexts.map((c) => c.audioCtx.state),
      music: sources.filter((s) => s && s.state === ${kAlPlaying} && s.bufQueue.length > 1).length,
    };
  })()`);
}

async function expectMusic(session, where) {
  const audio = await audioState(session);
  assert.deepEqual(audio.contexts, ['running'], `${where}: sound is not running`);
  assert.equal(audio.music, 1, `${where}: no music plays`);
}

// Polls a page expression until it is true, for at most 10 s.
async function waitUntil(session, expression, what) {
  for (let i = 0; i < 100 && !(await session.inspect(expression)); i++) await session.page.waitForTimeout(100);
  assert.ok(await session.inspect(expression), what);
}

// Taps until the scene changes from `from`: a tap the scene does not take yet
// (a drop-in, an overlay folding away) is repeated, as a player would.
async function tapUntilLeft(screen, from, vx, vy, what, holdMs = 80) {
  for (let attempt = 1; attempt <= 4; attempt++) {
    await screen.tap(vx, vy, holdMs);
    await screen.page.waitForTimeout(1500);
    if ((await screen.scene(await screen.shot('now'))) !== from) return;
  }
  throw new Error(`four touches did not leave the ${from} scene (${what})`);
}

// Plates dragged until the clear scene shows; at most 27 blocks a plate, so
// no plate is perfect (the fever after one slows the gauge down).
async function playRound(screen, limitS) {
  const deadline = Date.now() + limitS * 1000;
  let plates = 0;
  for (;;) {
    assert.ok(Date.now() < deadline, `no clear scene after ${limitS} s of play (${plates} plates)`);
    if (await screen.session.inspect('window.tideRoundEnd !== undefined')) return plates;
    const shotPath = await screen.shot('now');
    const scene = await screen.scene(shotPath);
    if (scene === 'clear') {
      screen.log(`clear, after ${plates} plates`);
      return plates;
    }
    const cells = scene === 'game' ? await screen.plan(shotPath, 27) : null;
    if (cells) {
      plates += 1;
      await screen.dragCells(cells);
      await screen.page.waitForTimeout(1000);
    } else {
      await screen.page.waitForTimeout(300);
    }
  }
}

// Waits until the page's storage itself (IndexedDB, not the program's files
// in memory) holds best as the best score.
async function storedBest(session, best) {
  const read = `new Promise((resolve) => {
    const open = indexedDB.open('${kPlayerFileFolder}');
    open.onsuccess = () => {
      const get = open.result.transaction('FILE_DATA').objectStore('FILE_DATA').get('${kBestFile}');
      get.onsuccess = () => {
        open.result.close();
        resolve(new TextDecoder().decode(get.result?.contents ?? new Uint8Array()));
      };
    };
  })`;
  const deadline = Date.now() + 10000;
  for (let text = ''; !new RegExp(`^best = ${best}$`, 'm').test(text); text = await session.inspect(read)) {
    assert.ok(Date.now() < deadline, `the hidden page's storage holds '${text}', not the best ${best}`);
    await session.page.waitForTimeout(100);
  }
}

// The clear scene: a tap makes the count jump to the score, which then stands
// still; a second tap once the scene has run more than 128 ticks leads back
// to the title. Returns the score. The customer's hearts float up across the
// score for a while: reads go on until two in a row are whole and agree.
async function leaveClear(screen) {
  const shown = Date.now();
  await screen.page.waitForTimeout(1000);
  await screen.tap(512, 300);
  let first = '';
  let second = '';
  for (let read = 0; read < 20; read++) {
    await screen.page.waitForTimeout(400);
    first = second;
    second = await screen.digits(await screen.shot('snapped'), 'clear');
    if (/^\d{8}$/.test(second) && first === second) break;
  }
  assert.match(second, /^\d{8}$/, `the clear scene's score reads '${second}'`);
  assert.equal(first, second, 'the score still moves after the tap');
  const wait = shown + 4000 - Date.now();
  if (wait > 0) await screen.page.waitForTimeout(wait);
  await screen.tap(512, 300);
  await screen.waitForScene('title', 15, 'title_again');
  return Number(second);
}

// The screenshots' folder: E2E_KEEP_SHOTS, or a temporary one that goes when
// the test has passed (the body sets `passed`) and is kept, and named, when
// it failed.
function screenshotFolder(t) {
  const kept = process.env.E2E_KEEP_SHOTS;
  const shots = { path: kept || fs.mkdtempSync(path.join(os.tmpdir(), 'tide_web_')), passed: false };
  fs.mkdirSync(shots.path, { recursive: true });
  if (!kept) {
    t.after(() => {
      if (shots.passed) fs.rmSync(shots.path, { recursive: true, force: true });
      else console.log(`screenshots kept in ${shots.path}`);
    });
  }
  return shots;
}

test('the web build played on a phone through to Finish! and back to the title', { timeout: 900000 }, async (t) => {
  for (const [what, where] of [['web build', kDist], ['e2e probe', kProbe], ['contents', kContents]]) {
    assert.ok(fs.existsSync(where), `no ${what} at ${where} (scripts/web/build.sh builds both)`);
  }
  const shots = screenshotFolder(t);
  const shotDir = shots.path;
  // "?stats": the program reports its tick and frame rates when it ends.
  await withServedPage(kDist, 'index.html?stats', { phone: true }, async (session) => {
    const screen = new GameScreen(session, { probe: kProbe, contents: kContents, shotDir });
    // The program's test events, kept; the round's end is answered in the
    // task after its tick, before any frame: the page is hidden then.
    await session.inspect(`(() => {
      window.tideEvents = [];
      Module.onTestEvent = (line) => {
        window.tideEvents.push(line);
        if (!window.tideHideAtRoundEnd || !line.startsWith('round end ')) return;
        window.tideRoundEnd = Number(line.slice(10));
        Promise.resolve().then(() => {
          Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
          Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => 'hidden' });
          document.dispatchEvent(new Event('visibilitychange'));
        });
      };
    })()`);
    // Every mouse event the page sees: a touch must reach the game once,
    // never again as the mouse events a browser makes of an unhandled touch.
    await session.inspect(`(() => {
      window.tideMouseEvents = 0;
      for (const type of ['mousedown', 'mouseup']) {
        document.addEventListener(type, () => { window.tideMouseEvents += 1; }, true);
      }
    })()`);
    await screen.locate();
    console.log('logos, title');
    await screen.waitForScene('logo1', 30);
    await screen.waitForScene('logo2', 30);
    await screen.waitForScene('title', 30);
    const titleMs = Date.now() - session.started;
    const readyMs = await session.inspect(`performance.getEntriesByName('tide-ready')[0].startTime`);
    const before = await audioState(session);
    assert.deepEqual(before.contexts, ['suspended'], 'sound ran before any touch');

    // The drop-in takes about 4 s; a touch during it only skips it.
    await session.page.waitForTimeout(6000);
    await screen.waitForScene('title', 5, 'title_standing');
    console.log('a held touch, loading, round');
    await tapUntilLeft(screen, 'title', 512, 300, 'Touch Start', 300);
    // A new player's first start: the how-to-play cards, turned by taps; the
    // last one starts the round.
    for (let card = 1; card <= 4; card++) {
      await waitUntil(session, `window.tideEvents.includes('cards ${card}')`, `card ${card} of 4 did not show`);
      await session.page.waitForTimeout(300);
      await screen.tap(512, 300);
    }
    await screen.waitForScene('loading', 20);
    const gameShot = await screen.waitForScene('game', 30, 'game_start');
    assert.equal(await screen.digits(gameShot, 'hud'), '00000000');
    await session.page.waitForTimeout(1500);
    await expectMusic(session, 'the round');

    console.log('the pause menu');
    await tapUntilLeft(screen, 'game', 55, 40, 'the pause button');
    await screen.waitForScene('pause', 5);
    // The full-screen button turns the page's full screen (which the first
    // touch turned on) off, then on again.
    const wasFull = await session.inspect('document.fullscreenElement !== null');
    for (const want of [!wasFull, wasFull]) {
      await screen.tap(660, 496);
      await waitUntil(session, `(document.fullscreenElement !== null) === ${want}`,
        `the full-screen button did not turn full screen ${want ? 'on' : 'off'}`);
      await screen.locate();
    }
    await screen.tap(360, 496);
    await waitUntil(session, kMutedSaved, 'the sound button\'s mute is not in the settings storage');
    await screen.tap(810, 496);
    await screen.waitForScene('game', 10, 'game_resumed');

    console.log('the page hidden during the round');
    await session.setPageHidden(true);
    await session.page.waitForTimeout(1000);
    const hidden = await audioState(session);
    assert.deepEqual(hidden.contexts, ['suspended'], 'sound went on while the page was hidden');
    await session.setPageHidden(false);
    await screen.waitForScene('pause', 10, 'pause_after_hiding');
    await session.page.waitForTimeout(500);
    await expectMusic(session, 'the pause menu after the page came back');
    await screen.tap(810, 496);
    await screen.waitForScene('game', 10, 'game_resumed_again');

    console.log('playing plates');
    // The new best must reach the page's storage although the page is
    // hidden the moment the round ends.
    await session.inspect('window.tideHideAtRoundEnd = true');
    await session.countFrames();
    const roundStart = Date.now();
    const plates = await playRound(screen, kRoundLimitS);
    const roundSeconds = (Date.now() - roundStart) / 1000;
    const roundFps = (await session.framesCounted()) / roundSeconds;
    assert.ok(plates >= 1, 'no plate was played');
    const ended = await session.inspect('window.tideRoundEnd');
    assert.ok(ended > 0, `the round ended with ${ended}`);
    await storedBest(session, ended);
    await session.setPageHidden(false);
    await screen.waitForScene('clear', 30, 'clear');
    await expectMusic(session, 'the clear scene');

    console.log('the clear scene');
    const score = await leaveClear(screen);
    assert.equal(score, ended, 'the clear scene shows another score than the round ended with');
    assert.match(await session.inspect(`FS.readFile('${kBestFile}', { encoding: 'utf8' })`),
      new RegExp(`^best = ${score}$`, 'm'), 'the best score is not in the page\'s storage');
    await expectMusic(session, 'the title again');
    assert.equal(await session.inspect('window.tideMouseEvents'), 0,
      'the browser turned touches into mouse events as well');

    console.log('F12');
    await session.page.keyboard.press('F12');
    const frames = await session.waitForConsole(/^TIDE_STATS frames /, 10000);
    const ticks = await session.waitForConsole(/^TIDE_STATS ticks /, 10000);
    await session.page.waitForTimeout(500);
    assert.match(await session.inspect(`document.getElementById('message').textContent`), /has ended/);

    const counts = session.lines.filter((l) => l.type === 'log').map((l) => l.text);
    assert.ok(counts.length >= 1, 'no plate count on the console');
    assert.deepEqual(counts, counts.map((_, i) => String(i + 1)),
      'the console log holds more than the plate counts 1, 2, 3, ...');
    assert.deepEqual(session.problems(), []);

    console.log('the page opened anew');
    // At the desktop's size, where the title's small digits are drawn large
    // enough to read whole.
    await session.page.setViewportSize(kDesktopViewport);
    await session.page.reload({ waitUntil: 'load' });
    await screen.locate();
    await screen.waitForScene('title', 60, 'title_reopened');
    assert.ok(await session.inspect(kMutedSaved), 'the page opened anew lost the sound button\'s mute');
    const wanted = String(score).padStart(8, '0');
    let best = '';
    for (let read = 0; read < 20 && best !== wanted; read++) {
      await session.page.waitForTimeout(500);
      best = await screen.digits(await screen.shot('title_best'), 'title');
    }
    assert.equal(best, wanted, 'the title of the page opened anew does not show the best score');

    const steady = (line) => /steady_fps=([\d.]+)/.exec(line.text)[1];
    console.log(`figures: ready ${readyMs.toFixed(0)} ms, title seen ${titleMs} ms after opening; `
      + `round of ${plates} plates in ${roundSeconds.toFixed(1)} s at ${roundFps.toFixed(1)} frames/s; `
      + `steady ticks ${steady(ticks)}/s, frames ${steady(frames)}/s over the run; score ${score}`);
  });
  shots.passed = true;
});

test('the web build played with keys alone makes a sweet', { timeout: 180000 }, async (t) => {
  const shots = screenshotFolder(t);
  const shotDir = shots.path;
  await withServedPage(kDist, 'index.html', {}, async (session) => {
    await session.markCardsSeen({ reload: true });
    const screen = new GameScreen(session, { probe: kProbe, contents: kContents, shotDir });
    const keyboard = session.page.keyboard;
    await screen.locate();
    await screen.waitForScene('title', 60, 'keys_title');
    await session.page.waitForTimeout(6000);
    for (let attempt = 1; attempt <= 4; attempt++) {
      await keyboard.down('Enter');
      await session.page.waitForTimeout(700);
      await keyboard.up('Enter');
      await session.page.waitForTimeout(1500);
      if ((await screen.scene(await screen.shot('now'))) !== 'title') break;
    }
    await screen.waitForScene('game', 40, 'keys_game');
    let cells = null;
    for (let read = 0; read < 20 && !cells; read++) {
      await session.page.waitForTimeout(500);
      cells = await screen.plan(await screen.shot('keys_plate'), 27);
    }
    assert.ok(cells, 'no plate could be read in the round');
    // The cursor starts on the top-left block.
    let cursor = 0;
    const walkTo = async (cell) => {
      for (const key of arrowsBetween(cursor, cell)) {
        await keyboard.press(key);
        await session.page.waitForTimeout(80);
      }
      cursor = cell;
    };
    await walkTo(cells[0]);
    await keyboard.down(' ');
    await session.page.waitForTimeout(60);
    for (const cell of cells.slice(1)) await walkTo(cell);
    await session.page.waitForTimeout(50);
    await keyboard.up(' ');
    await session.waitForConsole(/^1$/, 10000);
    await session.page.waitForTimeout(3000);
    const digits = await screen.digits(await screen.shot('keys_sweet'), 'hud');
    assert.match(digits, /^\d{8}$/);
    assert.ok(Number(digits) > 0, `a sweet made with keys scored '${digits}'`);
    assert.deepEqual(session.problems(), []);
  });
  shots.passed = true;
});
