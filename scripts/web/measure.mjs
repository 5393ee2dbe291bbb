// Measures the web build in headless Chromium (WebGL through SwiftShader, on
// this machine's processors): the download (each file and gzip -9), the time
// from opening the page to the program's start, its first picture and the
// title, then the frame and tick rates over a stretch of a round with no
// screenshots taken, and the WebAssembly memory at the end. With --visits
// instead: the bytes the server sent for a first visit (the page's files and
// the service worker's copies of them) and for a repeat visit, and the time
// from a reload without network to the title. With --gl-calls: also the
// WebGL calls and draws a frame of the round makes (counting them costs some
// frames, so the frame rate of such a run is not the game's).
//   node scripts/web/measure.mjs [--seconds N] [--scale S] [--desktop] [--visits] [--gl-calls]
// --scale: the device pixel ratio (a phone has 2 or 3; the canvas then has
// that many pixels per CSS pixel to fill). Needs build-web/dist and the
// native build's e2e probe and contents, as tests/web/play_test.mjs does.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';

import { kDesktopViewport, kPhoneViewport, openPage } from '../../tests/web/browser.mjs';
import { GameScreen } from '../../tests/web/game_screen.mjs';
import { startServer } from '../../tests/web/serve.mjs';

const kRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const kDist = process.env.TIDE_WEB_DIST || path.join(kRoot, 'build-web/dist');

function option(name, fallback) {
  const at = process.argv.indexOf(`--${name}`);
  return at >= 0 ? process.argv[at + 1] : fallback;
}

const seconds = Number(option('seconds', 20));
const scale = Number(option('scale', 1));
const desktop = process.argv.includes('--desktop');
const visits = process.argv.includes('--visits');
const glCalls = process.argv.includes('--gl-calls');

// Wraps every method of the WebGL context to count the calls, and the draws
// among them, in window.tideGl.
const kCountGlCalls = `(() => {
  const counts = { calls: 0, draws: 0 };
  window.tideGl = counts;
  const proto = WebGLRenderingContext.prototype;
  for (const name of Object.getOwnPropertyNames(proto)) {
    const field = Object.getOwnPropertyDescriptor(proto, name);
    if (name === 'constructor' || typeof field.value !== 'function') continue;
    const original = field.value;
    const draw = name === 'drawArrays' || name === 'drawElements';
    proto[name] = function (...args) {
      counts.calls++;
      if (draw) counts.draws++;
      return original.apply(this, args);
    };
  }
})();`;

let raw = 0;
let packed = 0;
for (const name of fs.readdirSync(kDist).sort()) {
  const bytes = fs.readFileSync(path.join(kDist, name));
  const gz = zlib.gzipSync(bytes, { level: 9 }).length;
  raw += bytes.length;
  packed += gz;
  console.log(`download ${name}: ${bytes.length} bytes, ${gz} gzip -9`);
}
console.log(`download total: ${(raw / 1e6).toFixed(2)} MB, ${(packed / 1e6).toFixed(2)} MB gzip -9`);

// The bytes the server sent for the requests from the given one on.
function served(server, from) {
  const requests = server.requests.slice(from);
  const bytes = requests.reduce((sum, r) => sum + r.bytes, 0);
  const answers = requests.map((r) => `${r.path} ${r.status}`).join(', ');
  return `${bytes} bytes in ${requests.length} requests (${answers})`;
}

const server = await startServer({ root: kDist });
const profileDir = visits ? fs.mkdtempSync('/tmp/tide_measure_profile_') : undefined;
const session = await openPage(`${server.url}index.html?stats`, {
  phone: !desktop,
  viewport: desktop ? kDesktopViewport : kPhoneViewport,
  scale,
  profileDir,
  initScript: glCalls ? kCountGlCalls : undefined,
});
const screen = new GameScreen(session, {
  probe: process.env.TIDE_PROBE || path.join(kRoot, 'build/tests/e2e_probe'),
  contents: process.env.E2E_CONTENTS || path.join(kRoot, 'build/contents'),
  shotDir: fs.mkdtempSync('/tmp/tide_measure_'),
});
try {
  await screen.locate();
  await screen.waitForScene('logo1', 30);
  const firstPicture = Date.now() - session.started;
  await screen.waitForScene('title', 30);
  const title = Date.now() - session.started;
  const ready = await session.inspect(`performance.getEntriesByName('tide-ready')[0].startTime`);
  console.log(`start: program running ${ready.toFixed(0)} ms, first logo seen ${firstPicture} ms, `
    + `title seen ${title} ms after opening the page`);
  if (visits) await measureVisits();
  else await measureRound();
  for (const problem of session.problems()) console.log(problem);
  fs.rmSync(screen.shotDir, { recursive: true, force: true });
} finally {
  await session.close();
  await server.close();
  if (profileDir) fs.rmSync(profileDir, { recursive: true, force: true });
}

// The downloads of a first and a repeat visit, and a start without network.
async function measureVisits() {
  await session.inspect(`navigator.serviceWorker.ready.then(() => caches.keys())`);
  await session.page.waitForTimeout(2000);
  console.log(`first visit: ${served(server, 0)}`);
  const second = server.requests.length;
  await session.page.reload({ waitUntil: 'load' });
  await screen.waitForScene('title', 30);
  await session.page.waitForTimeout(2000);
  console.log(`repeat visit: ${served(server, second)}`);
  await session.page.context().setOffline(true);
  const reloaded = Date.now();
  await session.page.reload({ waitUntil: 'load' });
  await screen.waitForScene('logo1', 30);
  const logo = Date.now() - reloaded;
  await screen.waitForScene('title', 30);
  console.log(`offline: first logo seen ${logo} ms, title seen ${Date.now() - reloaded} ms after the reload`);
}

// The frames and ticks over a stretch of a round.
async function measureRound() {
  // A new player's first start shows the how-to-play cards: the round is
  // measured on a later visit, whose first touch starts it.
  await session.markCardsSeen({ reload: true });
  await screen.waitForScene('title', 40);
  await session.page.waitForTimeout(6000);
  for (let i = 0; i < 4 && (await screen.scene(await screen.shot('now'))) === 'title'; i++) {
    await screen.tap(512, 300, 200);
    await session.page.waitForTimeout(1500);
  }
  await screen.waitForScene('game', 40);
  // The plate comes down and the opening overlay folds away first.
  await session.page.waitForTimeout(3000);
  const glBefore = glCalls ? await session.inspect('({ ...window.tideGl })') : undefined;
  await session.countFrames();
  const from = Date.now();
  await session.page.waitForTimeout(seconds * 1000);
  const frames = await session.framesCounted();
  const stretch = (Date.now() - from) / 1000;
  console.log(`round: ${(frames / stretch).toFixed(1)} frames/s over ${stretch.toFixed(1)} s `
    + `(${desktop ? 'desktop' : 'phone'} viewport, device pixel ratio ${scale})`);
  if (glCalls) {
    const glAfter = await session.inspect('({ ...window.tideGl })');
    console.log(`round: ${((glAfter.calls - glBefore.calls) / frames).toFixed(0)} WebGL calls and `
      + `${((glAfter.draws - glBefore.draws) / frames).toFixed(1)} draws a frame`);
  }
  const memory = await session.inspect('HEAP8.length');
  console.log(`memory: ${(memory / 2 ** 20).toFixed(0)} MiB of WebAssembly memory`);
  await session.page.keyboard.press('F12');
  for (const loop of ['ticks', 'frames']) {
    const line = await session.waitForConsole(new RegExp(`^TIDE_STATS ${loop} `), 10000);
    console.log(line.text);
  }
}
