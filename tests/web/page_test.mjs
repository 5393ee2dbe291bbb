// The page around the web build: the canvas is the largest 16:9 box the
// window holds, centred, in any window shape; the loading cover goes once the
// program runs; a browser without WebGL or without WebAssembly gets a plain
// message instead of the game (and the program is not even downloaded); the
// page's files stay within their download budget.
//   node --test tests/web/page_test.mjs   (needs build-web/dist)
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';

import { withServedPage } from './browser.mjs';

const kRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const kDist = process.env.TIDE_WEB_DIST || path.join(kRoot, 'build-web/dist');

const kPageState = `(() => {
  const r = document.getElementById('canvas').getBoundingClientRect();
  return {
    canvas: { x: r.x, y: r.y, width: r.width, height: r.height },
    cover: !document.getElementById('cover').classList.contains('gone'),
    message: document.getElementById('message').textContent,
    ready: performance.getEntriesByName('tide-ready').length > 0,
    program: performance.getEntriesByType('resource').some((e) => /tide_marker\\.(js|wasm|data)$/.test(e.name)),
  };
})()`;

function withPage(options, body) {
  assert.ok(fs.existsSync(kDist), `no web build at ${kDist} (scripts/web/build.sh)`);
  return withServedPage(kDist, 'index.html', options, body);
}

async function waitForReady(session) {
  for (let i = 0; i < 100; i++) {
    if ((await session.inspect(kPageState)).ready) return;
    await session.page.waitForTimeout(100);
  }
  throw new Error(`the program did not start\n${session.transcript()}`);
}

test('the canvas is the largest centred 16:9 box of any window', { timeout: 120000 }, async () => {
  const cases = [
    { what: 'phone, sideways', viewport: { width: 844, height: 390 }, phone: true, want: [75.3, 0, 693.3, 390] },
    { what: 'phone, upright', viewport: { width: 390, height: 844 }, phone: true, want: [0, 312.3, 390, 219.4] },
    { what: 'desktop 16:9', viewport: { width: 1280, height: 720 }, want: [0, 0, 1280, 720] },
    { what: 'tall desktop window', viewport: { width: 1024, height: 768 }, want: [0, 96, 1024, 576] },
  ];
  for (const c of cases) {
    await withPage({ viewport: c.viewport, phone: !!c.phone }, async (session) => {
      await waitForReady(session);
      await session.page.waitForTimeout(500);
      const state = await session.inspect(kPageState);
      const got = [state.canvas.x, state.canvas.y, state.canvas.width, state.canvas.height];
      got.forEach((value, i) => assert.ok(Math.abs(value - c.want[i]) < 1, `${c.what}: canvas ${got}, want ${c.want}`));
      assert.equal(state.cover, false, `${c.what}: the loading cover stays over the game`);
      assert.deepEqual(session.problems(), [], c.what);
    });
  }
});

test('a browser without WebGL or WebAssembly is told so', { timeout: 60000 }, async () => {
  const cases = [
    { what: 'no WebGL', options: { browserArgs: ['--disable-webgl'] }, message: /WebGL is missing/ },
    // Chromium cannot be started without it: the page's view of it is taken away.
    { what: 'no WebAssembly', options: { initScript: 'delete window.WebAssembly;' }, message: /no WebAssembly/ },
  ];
  for (const c of cases) {
    await withPage(c.options, async (session) => {
      await session.page.waitForTimeout(1000);
      const state = await session.inspect(kPageState);
      assert.match(state.message, c.message, c.what);
      assert.equal(state.cover, true, `${c.what}: the message is hidden`);
      assert.equal(state.program, false, `${c.what}: the program was downloaded anyway`);
      assert.deepEqual(session.problems(), [], c.what);
    });
  }
});

// 3.17 MB when set: the budget leaves room for small additions, not for a
// picture stored loosely or a library's unused parts linked in.
test('the page and everything it loads come to at most 3.3 MB gzipped', () => {
  assert.ok(fs.existsSync(kDist), `no web build at ${kDist} (scripts/web/build.sh)`);
  const sizes = fs.readdirSync(kDist).map((name) => {
    const gzipped = zlib.gzipSync(fs.readFileSync(path.join(kDist, name)), { level: 9 }).length;
    return { name, gzipped };
  });
  const total = sizes.reduce((sum, f) => sum + f.gzipped, 0);
  assert.ok(total <= 3.3e6, `${total} bytes: ${sizes.map((f) => `${f.name} ${f.gzipped}`).join(', ')}`);
});
