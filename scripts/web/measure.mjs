// Measures the web build in headless Chromium (WebGL through SwiftShader, on
// this machine's processors): the download (each file and gzip -9), the time
// from opening the page to the program's start, its first picture and the
// title, then the frame and tick rates over a stretch of a round with no
// screenshots taken, and the WebAssembly memory at the end.
//   node scripts/web/measure.mjs [--seconds N] [--scale S] [--desktop]
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

const server = await startServer({ root: kDist });
const session = await openPage(`${server.url}index.html?stats`, {
  phone: !desktop,
  viewport: desktop ? kDesktopViewport : kPhoneViewport,
  scale,
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
  await session.page.waitForTimeout(6000);
  for (let i = 0; i < 4 && (await screen.scene(await screen.shot('now'))) === 'title'; i++) {
    await screen.tap(512, 300, 200);
    await session.page.waitForTimeout(1500);
  }
  await screen.waitForScene('game', 40);
  // The plate comes down and the opening overlay folds away first.
  await session.page.waitForTimeout(3000);
  await session.countFrames();
  const from = Date.now();
  await session.page.waitForTimeout(seconds * 1000);
  const frames = await session.framesCounted();
  const stretch = (Date.now() - from) / 1000;
  console.log(`round: ${(frames / stretch).toFixed(1)} frames/s over ${stretch.toFixed(1)} s `
    + `(${desktop ? 'desktop' : 'phone'} viewport, device pixel ratio ${scale})`);
  const memory = await session.inspect('HEAP8.length');
  console.log(`memory: ${(memory / 2 ** 20).toFixed(0)} MiB of WebAssembly memory`);
  await session.page.keyboard.press('F12');
  for (const loop of ['ticks', 'frames']) {
    const line = await session.waitForConsole(new RegExp(`^TIDE_STATS ${loop} `), 10000);
    console.log(line.text);
  }
  for (const problem of session.problems()) console.log(problem);
} finally {
  await session.close();
  await server.close();
}
