// Frames a second of the game's round beside three pages in the same
// browser and viewport: a PixiJS 8 page drawing the round's scene (the peer),
// a plain WebGL 1 page drawing it with as few draws as its textures allow
// (the floor) and a page that only clears its canvas. The scene is one frame
// of the game's round, recorded from the game's own WebGL calls (its
// pictures as the game uploaded them, every quad where the game put it) into
// build-web/bench/, where PixiJS is installed too (npm). The pages take
// turns, N rounds each, in one run; medians and ranges are printed.
//   node bench/web/frames.mjs [--rounds N] [--seconds S] [--phone] [--capture]
//        [--pages game,peer,floor,clear] [--floor QUERY] [--shots DIR]
// --capture records the scene again (it is recorded when missing or older
// than the build); --floor QUERY is passed to the floor page (its options:
// see floor.html), to change one thing of it at a time; --shots keeps a
// screenshot of each page in DIR. Needs the web build
// and the native build's e2e probe and contents, as scripts/web/measure.mjs.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { kDesktopViewport, kPhoneViewport, openPage } from '../../tests/web/browser.mjs';
import { GameScreen } from '../../tests/web/game_screen.mjs';
import { startServer } from '../../tests/web/serve.mjs';

const kRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const kDist = process.env.TIDE_WEB_DIST || path.join(kRoot, 'build-web/dist');
const kWork = path.join(kRoot, 'build-web/bench');
const kPixiVersion = '8';

function option(name, fallback) {
  const at = process.argv.indexOf(`--${name}`);
  return at >= 0 ? process.argv[at + 1] : fallback;
}

const rounds = Number(option('rounds', 3));
const seconds = Number(option('seconds', 12));
const phone = process.argv.includes('--phone');
const pages = option('pages', 'game,peer,floor,clear').split(',');
const floorQuery = option('floor', '');
const shots = option('shots', '');
const viewport = phone ? kPhoneViewport : kDesktopViewport;

// The server's root is the repository: the game under build-web/dist, the
// pages here, the scene and PixiJS under build-web/bench.
const pagePath = (file) => path.relative(kRoot, path.join(kDist, file));
const benchPath = (file) => path.relative(kRoot, path.join(path.dirname(fileURLToPath(import.meta.url)), file));

function installPixi() {
  const pixi = path.join(kWork, 'node_modules/pixi.js/dist/pixi.min.js');
  if (fs.existsSync(pixi)) return;
  fs.mkdirSync(kWork, { recursive: true });
  if (!fs.existsSync(path.join(kWork, 'package.json'))) {
    fs.writeFileSync(path.join(kWork, 'package.json'), '{ "private": true }\n');
  }
  execFileSync('npm', ['install', '--no-audit', '--no-fund', `pixi.js@${kPixiVersion}`], { cwd: kWork,
    stdio: 'inherit' });
}

// Opens the game in the viewport and plays into a round: the measured stretch
// starts with the plate down and the opening overlay gone.
async function openRound(server, initScript) {
  const session = await openPage(`${server.url}${pagePath('index.html')}`, {
    phone, viewport, initScript,
  });
  const screen = new GameScreen(session, {
    probe: process.env.TIDE_PROBE || path.join(kRoot, 'build/tests/e2e_probe'),
    contents: process.env.E2E_CONTENTS || path.join(kRoot, 'build/contents'),
    shotDir: fs.mkdtempSync('/tmp/tide_frames_'),
  });
  try {
    // A new player's first start shows the how-to-play cards.
    await session.markCardsSeen({ reload: true });
    await screen.locate();
    await screen.waitForScene('title', 40);
    await session.page.waitForTimeout(6000);
    for (let i = 0; i < 4 && (await screen.scene(await screen.shot('now'))) === 'title'; i++) {
      await screen.tap(512, 300, 200);
      await session.page.waitForTimeout(1500);
    }
    await screen.waitForScene('game', 40);
    await session.page.waitForTimeout(3000);
    return session;
  } catch (error) {
    await session.close();
    throw error;
  } finally {
    fs.rmSync(screen.shotDir, { recursive: true, force: true });
  }
}

// Records one frame of the round into build-web/bench: scene.json (the
// draws, the context's attributes) and each texture's pixels as uploaded.
async function captureScene(server) {
  const script = fs.readFileSync(path.join(path.dirname(fileURLToPath(import.meta.url)), 'capture.js'), 'utf8');
  const session = await openRound(server, script);
  try {
    const captured = await session.inspect('window.tideCapture.arm()');
    const textures = await session.inspect('window.tideCapture.textures()');
    const used = new Set(captured.frame.filter((e) => e.draw).map((e) => e.texture));
    fs.rmSync(path.join(kWork, 'textures'), { recursive: true, force: true });
    fs.mkdirSync(path.join(kWork, 'textures'), { recursive: true });
    const kept = [];
    for (const texture of textures) {
      if (!used.has(texture.id)) continue;
      const pixels = await session.inspect(`window.tideCapture.pixels(${texture.id})`);
      fs.writeFileSync(path.join(kWork, 'textures', `${texture.id}.bin`), Buffer.from(pixels, 'base64'));
      kept.push(texture);
    }
    const scene = { ...captured, textures: kept, viewport };
    fs.writeFileSync(path.join(kWork, 'scene.json'), JSON.stringify(scene));
    const draws = captured.frame.filter((e) => e.draw);
    console.log(`scene: ${draws.length} draws, ${kept.length} textures, context ${JSON.stringify(captured.attributes)}`);
  } finally {
    await session.close();
  }
}

// Frames a second over the stretch, counted by the page's animation frames.
async function countFrames(session) {
  await session.countFrames();
  const from = Date.now();
  await session.page.waitForTimeout(seconds * 1000);
  const frames = await session.framesCounted();
  return frames / ((Date.now() - from) / 1000);
}

async function measure(server, name) {
  if (name === 'game') {
    const session = await openRound(server);
    try {
      if (shots) await session.screenshot(path.join(shots, 'game.png'));
      return await countFrames(session);
    } finally {
      await session.close();
    }
  }
  const query = name === 'floor' ? floorQuery : '';
  const session = await openPage(`${server.url}${benchPath(`${name}.html`)}${query ? `?${query}` : ''}`, {
    phone, viewport,
  });
  try {
    await session.waitForConsole(/^ready$/, 30000);
    await session.page.waitForTimeout(2000);
    if (shots) await session.screenshot(path.join(shots, `${name}.png`));
    const rate = await countFrames(session);
    const problems = session.problems();
    if (problems.length) throw new Error(`${name}: ${problems.join('\n')}`);
    return rate;
  } finally {
    await session.close();
  }
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

installPixi();
const server = await startServer({ root: kRoot });
try {
  const scene = path.join(kWork, 'scene.json');
  const wasm = path.join(kDist, 'tide_marker.wasm');
  if (process.argv.includes('--capture') || !fs.existsSync(scene)
    || fs.statSync(scene).mtimeMs < fs.statSync(wasm).mtimeMs) {
    await captureScene(server);
  }
  const results = Object.fromEntries(pages.map((p) => [p, []]));
  for (let round = 0; round < rounds; round++) {
    for (const name of pages) {
      const rate = await measure(server, name);
      results[name].push(rate);
      console.log(`round ${round + 1} ${name}: ${rate.toFixed(1)} frames/s`);
    }
  }
  const where = phone ? `phone ${viewport.width} x ${viewport.height}` : `desktop ${viewport.width} x ${viewport.height}`;
  console.log(`${where}, ${rounds} rounds of ${seconds} s, load average ${fs.readFileSync('/proc/loadavg', 'utf8').split(' ')[0]}:`);
  for (const name of pages) {
    const values = results[name];
    console.log(`  ${name.padEnd(5)} ${median(values).toFixed(1)} frames/s (${Math.min(...values).toFixed(1)}`
      + `-${Math.max(...values).toFixed(1)})`);
  }
} finally {
  await server.close();
}
