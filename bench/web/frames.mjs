// Frames a second of the game's round beside three pages in the same
// browser and viewport: a PixiJS 8 page drawing the round's scene (the peer),
// a plain WebGL 1 page drawing it with as few draws as its textures allow
// (the floor) and a page that only clears its canvas. The scene is one frame
// of the game's round, recorded from the game's own WebGL calls (its
// pictures as the game uploaded them, every quad where the game put it) into
// build-web/bench/, where PixiJS is installed too (npm). The pages take
// turns, N rounds each, in one run; medians and ranges are printed, of the
// frames a second and of the processor time the browser (all its processes)
// used a frame.
//   node bench/web/frames.mjs [--rounds N] [--seconds S] [--phone] [--capture]
//        [--pages game,peer,floor,clear] [--shots DIR] [--profile]
// --capture records the scene again (it is recorded when missing or older
// than the build); a page in --pages may carry options in its address
// (floor?antialias=1: see floor.html), to change one thing at a time, and
// may come more than once with different options; --shots keeps a
// screenshot of each page in DIR. --profile instead prints where the game's
// page spends its main thread's time over the stretch. Needs the web build
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
async function openRound(server, initScript, marker = newMarker(), dist = '') {
  const session = await openPage(`${server.url}${dist ? `${dist}/index.html` : pagePath('index.html')}`, {
    phone, viewport, initScript, browserArgs: [marker],
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

// The processor time (ms) the browser's processes (the one started with
// marker on its command line and its descendants) have used so far, in all
// and by kind of process (gpu-process, renderer, utility, browser...).
function browserCpuMs(marker) {
  const parents = new Map();
  const times = new Map();
  const kinds = new Map();
  let root = null;
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parents.set(entry, fields[1]);
      times.set(entry, Number(fields[11]) + Number(fields[12]));
      const command = fs.readFileSync(`/proc/${entry}/cmdline`, 'utf8');
      kinds.set(entry, (/--type=([\w-]+)/.exec(command) || [null, 'browser'])[1]);
      if (!root && command.includes(marker)) root = entry;
    } catch {
      // The process ended meanwhile.
    }
  }
  const ms = { all: 0 };
  for (const [pid, time] of times) {
    for (let p = pid; p && p !== '0' && p !== '1'; p = parents.get(p)) {
      if (p === root) {
        const kind = pid === root ? 'browser' : kinds.get(pid);
        ms[kind] = (ms[kind] || 0) + time * 10;
        ms.all += time * 10;
        break;
      }
    }
  }
  return ms;
}

// Frames a second over the stretch, counted by the page's animation frames,
// and the browser's processor time a frame (less hostage to the machine's
// other work than the rate).
async function countFrames(session, marker) {
  await session.countFrames();
  const from = Date.now();
  const cpuFrom = browserCpuMs(marker);
  await session.page.waitForTimeout(seconds * 1000);
  const frames = await session.framesCounted();
  const cpuTo = browserCpuMs(marker);
  const kinds = Object.keys(cpuTo).filter((k) => k !== 'all')
    .map((k) => `${k} ${((cpuTo[k] - (cpuFrom[k] || 0)) / frames).toFixed(1)}`).join(', ');
  return { rate: frames / ((Date.now() - from) / 1000), cpu: (cpuTo.all - cpuFrom.all) / frames, kinds };
}
// The functions of the page's main thread that took the most time over the
// stretch (self time, a sampling profile of the page's JavaScript and
// WebAssembly), printed.
async function profileStretch(session) {
  await session.cdp.send('Profiler.enable');
  await session.cdp.send('Profiler.setSamplingInterval', { interval: 500 });
  await session.cdp.send('Profiler.start');
  await session.page.waitForTimeout(seconds * 1000);
  const { profile } = await session.cdp.send('Profiler.stop');
  const self = new Map();
  const byId = new Map(profile.nodes.map((n) => [n.id, n]));
  const gaps = profile.timeDeltas;
  profile.samples.forEach((id, i) => {
    const frame = byId.get(id).callFrame;
    const name = `${frame.functionName || '(anonymous)'} ${frame.url.split('/').pop()}:${frame.lineNumber}`;
    self.set(name, (self.get(name) || 0) + (gaps[i + 1] || 0) / 1000);
  });
  const total = profile.endTime / 1000 - profile.startTime / 1000;
  console.log(`profile of the game's main thread over ${(total / 1000).toFixed(1)} s (ms of self time):`);
  for (const [name, ms] of [...self].sort((a, b) => b[1] - a[1]).slice(0, 25)) {
    console.log(`  ${ms.toFixed(0).padStart(6)} ${name}`);
  }
}

// Options of the game's page, to take one thing away at a time: noaudio
// (no Web Audio: the game runs silent, decoding no music), nopanner (Web
// Audio's panners replaced by plain gains), timer=MS (the
// tick timer's 4 ms period replaced); dist=DIR, another build's page (a
// folder under the repository, say a copy of build-web/dist from before a
// change).
function gameOptions(options) {
  const script = [];
  if (options.has('noaudio')) script.push('delete window.AudioContext; delete window.webkitAudioContext;');
  if (options.has('nopanner')) {
    // Each panner becomes a gain of the centre's equal-power level, which
    // takes the panner's settings and ignores them.
    script.push(`AudioContext.prototype.createPanner = function () {
      const node = this.createGain();
      node.gain.value = Math.SQRT1_2;
      const param = () => ({ value: 0, setValueAtTime() {} });
      Object.assign(node, { setPosition() {}, setOrientation() {}, positionX: param(), positionY: param(),
        positionZ: param(), orientationX: param(), orientationY: param(), orientationZ: param() });
      return node;
    };`);
  }
  if (options.has('timer')) {
    script.push(`{ const set = window.setInterval; window.setInterval = (f, ms, ...rest) =>
      set(f, ms === 4 ? ${Number(options.get('timer'))} : ms, ...rest); }`);
  }
  return script.length ? script.join('\n') : undefined;
}

let marks = 0;
const newMarker = () => `--tide-bench-page=${process.pid}-${++marks}`;

async function measure(server, page) {
  const [name, query] = page.split('?');
  const marker = newMarker();
  if (name === 'game') {
    const options = new URLSearchParams(query);
    const session = await openRound(server, gameOptions(options), marker, options.get('dist') || '');
    try {
      if (shots) await session.screenshot(path.join(shots, 'game.png'));
      return await countFrames(session, marker);
    } finally {
      await session.close();
    }
  }
  const session = await openPage(`${server.url}${benchPath(`${name}.html`)}${query ? `?${query}` : ''}`, {
    phone, viewport, browserArgs: [marker],
  });
  try {
    await session.waitForConsole(/^ready$/, 30000);
    await session.page.waitForTimeout(2000);
    if (shots) await session.screenshot(path.join(shots, `${page.replace(/[^\w=-]+/g, '_')}.png`));
    const counted = await countFrames(session, marker);
    const problems = session.problems();
    if (problems.length) throw new Error(`${name}: ${problems.join('\n')}`);
    return counted;
  } finally {
    await session.close();
  }
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

if (process.argv.includes('--profile')) {
  const server = await startServer({ root: kRoot });
  const session = await openRound(server);
  try {
    await profileStretch(session);
  } finally {
    await session.close();
    await server.close();
  }
  process.exit(0);
}

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
    for (const page of pages) {
      const counted = await measure(server, page);
      results[page].push(counted);
      console.log(`round ${round + 1} ${page}: ${counted.rate.toFixed(1)} frames/s, `
        + `${counted.cpu.toFixed(1)} ms of processor time a frame (${counted.kinds})`);
    }
  }
  const where = phone ? `phone ${viewport.width} x ${viewport.height}` : `desktop ${viewport.width} x ${viewport.height}`;
  console.log(`${where}, ${rounds} rounds of ${seconds} s, load average ${fs.readFileSync('/proc/loadavg', 'utf8').split(' ')[0]}:`);
  for (const page of pages) {
    const range = (values) => `${median(values).toFixed(1)} (${Math.min(...values).toFixed(1)}`
      + `-${Math.max(...values).toFixed(1)})`;
    console.log(`  ${page.padEnd(24)} ${range(results[page].map((r) => r.rate))} frames/s, `
      + `${range(results[page].map((r) => r.cpu))} ms of processor time a frame`);
  }
} finally {
  await server.close();
}
