// Tests of the browser harness against the real Chromium: the loopback file
// server (paths, types, isolation headers), console and error collection,
// screenshots read back pixel by pixel, touches and visibility changes
// reaching the page.
//   node --test tests/web/
import { test } from 'node:test';
import assert from 'node:assert/strict';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { resolveRequestPath, startServer } from './serve.mjs';
import { openPage, kPhoneViewport } from './browser.mjs';
import { decodePng } from './png_pixels.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const fixtures = path.join(here, 'fixtures');

// A raw request, so the path reaches the server exactly as written.
function get(url, rawPath) {
  const { hostname, port } = new URL(url);
  return new Promise((resolve, reject) => {
    const request = http.request({ hostname, port, path: rawPath, method: 'GET' }, (response) => {
      response.resume();
      response.on('end', () => resolve(response));
    });
    request.on('error', reject);
    request.end();
  });
}

test('request paths map into the served folder and never out of it', () => {
  const root = '/srv/dist';
  const cases = [
    ['/index.html', '/srv/dist/index.html'],
    ['/', '/srv/dist/index.html'],
    ['/contents/', '/srv/dist/contents/index.html'],
    ['/game.wasm?v=2#x', '/srv/dist/game.wasm'],
    ['/a%20b.png', '/srv/dist/a b.png'],
    ['/../etc/passwd', null],
    ['/contents/../../etc/passwd', null],
    ['/%2e%2e/etc/passwd', null],
    ['/..%2fetc%2fpasswd', null],
    ['/..%5cwin.ini', null],
    ['/a%00.html', null],
    ['/%E0%A4%A', null],
    ['relative.html', null],
  ];
  for (const [request, expected] of cases) {
    assert.equal(resolveRequestPath(root, request), expected, request);
  }
});

test('the server sends types and isolation headers and refuses escapes', async () => {
  for (const isolate of [false, true]) {
    const server = await startServer({ root: fixtures, isolate });
    try {
      assert.match(server.url, /^http:\/\/127\.0\.0\.1:\d+\/$/);
      const page = await get(server.url, '/probe.html');
      assert.equal(page.statusCode, 200);
      assert.equal(page.headers['content-type'], 'text/html; charset=utf-8');
      assert.equal(page.headers['cross-origin-opener-policy'], isolate ? 'same-origin' : undefined);
      assert.equal(page.headers['cross-origin-embedder-policy'], isolate ? 'require-corp' : undefined);
      assert.equal((await get(server.url, '/missing.wasm')).statusCode, 404);
      assert.equal((await get(server.url, '/../harness_test.mjs')).statusCode, 400);
      assert.equal((await get(server.url, '/%2e%2e/harness_test.mjs')).statusCode, 400);
    } finally {
      await server.close();
    }
  }
});

test('a phone page: console lines, WebGL, isolation, screenshot pixels, touches, hiding', async () => {
  const server = await startServer({ root: fixtures, isolate: true });
  const session = await openPage(`${server.url}probe.html`, { phone: true });
  try {
    const ready = await session.waitForConsole(/^probe ready/);
    const { width, height } = kPhoneViewport;
    assert.equal(ready.text, `probe ready webgl=1 isolated=1 size=${width}x${height} touch=1`);

    const shot = decodePng(await session.page.screenshot());
    assert.deepEqual([shot.width, shot.height], [width, height]);
    const cases = [
      ['top left', 10, 10, [255, 0, 0]],
      ['top right', width - 10, 10, [0, 255, 0]],
      ['bottom left', 10, height - 10, [0, 0, 255]],
      ['bottom right', width - 10, height - 10, [255, 255, 255]],
      ['WebGL canvas', 72, 72, [255, 128, 0]],
    ];
    for (const [where, x, y, rgb] of cases) {
      const got = shot.pixel(x, y).slice(0, 3);
      rgb.forEach((v, i) => assert.ok(Math.abs(got[i] - v) <= 1, `${where}: ${got} != ${rgb}`));
    }

    await session.drag([{ x: 100, y: 200 }, { x: 150, y: 210 }, { x: 300, y: 250 }], 10);
    await session.waitForConsole(/^touchend/);
    const touches = session.lines.filter((l) => l.text.startsWith('touch')).map((l) => l.text);
    assert.deepEqual(touches, [
      'touchstart 100 200 fingers=1',
      'touchmove 150 210 fingers=1',
      'touchmove 300 250 fingers=1',
      'touchend 300 250 fingers=0',
    ]);
    await session.setPageHidden(true);
    await session.waitForConsole(/^visibility hidden$/);
    await session.setPageHidden(false);
    await session.waitForConsole(/^visibility visible$/);
    assert.deepEqual(session.problems(), []);
  } finally {
    await session.close();
    await server.close();
  }
});

test('errors of the page are collected and end a wait', async () => {
  const server = await startServer({ root: fixtures });
  const session = await openPage(`${server.url}probe.html?fail`);
  try {
    await assert.rejects(session.waitForConsole(/never printed/, 10000), /page error/);
    const problems = session.problems();
    assert.ok(problems.some((p) => p === 'console error: probe reports an error'), problems.join('\n'));
    assert.ok(problems.some((p) => p.startsWith('page error: Error: probe throws')), problems.join('\n'));
    await session.page.evaluate(() => fetch('/missing.data').catch(() => {}));
    await session.page.waitForTimeout(200);
    assert.ok(session.problems().some((p) => /request failed: 404 .*missing\.data$/.test(p)));
  } finally {
    await session.close();
    await server.close();
  }
});
