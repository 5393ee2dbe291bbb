// The web build as an installed app, on a phone held sideways: Chromium finds
// it installable and its manifest clean; the service worker keeps the page's
// files; with the network gone a reload still reaches the title and a held
// touch starts a round, with nothing fetched from the server; and a second
// build with one file changed brings a new cache, the old one is deleted
// and the page serves the new file.
//   node --test tests/web/offline_test.mjs
// Needs build-web/dist (scripts/web/build.sh) and the native build's e2e
// probe and contents (TIDE_WEB_DIST, TIDE_PROBE and E2E_CONTENTS override).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { openPage } from './browser.mjs';
import { GameScreen } from './game_screen.mjs';
import { startServer } from './serve.mjs';

const kRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const kDist = process.env.TIDE_WEB_DIST || path.join(kRoot, 'build-web/dist');
const kProbe = process.env.TIDE_PROBE || path.join(kRoot, 'build/tests/e2e_probe');
const kContents = process.env.E2E_CONTENTS || path.join(kRoot, 'build/contents');

function cacheNameOf(site) {
  return /const kCacheName = '([^']+)'/.exec(fs.readFileSync(path.join(site, 'sw.js'), 'utf8'))[1];
}

// Resolves once the page's service worker is active, with the caches there are.
function workerReady(session) {
  return session.inspect(`navigator.serviceWorker.ready.then((r) => new Promise((done) => {
    const w = r.active;
    const check = () => { if (w.state === 'activated') caches.keys().then(done); };
    w.addEventListener('statechange', check);
    check();
  }))`);
}

async function waitForCaches(session, want, limitMs) {
  const deadline = Date.now() + limitMs;
  let names = [];
  while (Date.now() < deadline) {
    names = await session.inspect('caches.keys()');
    if (names.length === 1 && names[0] === want) return;
    await session.page.waitForTimeout(250);
  }
  assert.fail(`the caches are ${JSON.stringify(names)}, not only ${want}`);
}

test('installable, plays offline, and a new build replaces the cache', { timeout: 300000 }, async () => {
  assert.ok(fs.existsSync(path.join(kDist, 'sw.js')), `no web build at ${kDist} (scripts/web/build.sh)`);
  // A copy of the page, which the test changes as a second build would.
  const site = fs.mkdtempSync(path.join(os.tmpdir(), 'tide_offline_site_'));
  fs.cpSync(kDist, site, { recursive: true });
  const shotDir = fs.mkdtempSync(path.join(os.tmpdir(), 'tide_offline_'));
  const server = await startServer({ root: site });
  const profileDir = fs.mkdtempSync(path.join(os.tmpdir(), 'tide_offline_profile_'));
  const session = await openPage(`${server.url}index.html`, { phone: true, profileDir });
  const screen = new GameScreen(session, { probe: kProbe, contents: kContents, shotDir });
  try {
    await screen.locate();
    assert.deepEqual(await workerReady(session), [cacheNameOf(site)]);

    const { installabilityErrors } = await session.cdp.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
    const manifest = await session.cdp.send('Page.getAppManifest');
    assert.deepEqual(manifest.errors, []);
    const fields = JSON.parse(manifest.data);
    assert.equal(fields.orientation, 'landscape');
    assert.deepEqual(fields.icons.map((i) => `${i.sizes} ${i.purpose}`),
      ['192x192 any', '512x512 any', '512x512 maskable']);
    for (const icon of fields.icons) {
      const png = fs.readFileSync(path.join(site, icon.src));
      assert.equal(`${png.readUInt32BE(16)}x${png.readUInt32BE(20)}`, icon.sizes, icon.src);
    }

    // Offline: the browser context has no network, and the server must see
    // no request for the page's files either (the worker's included).
    await screen.waitForScene('title', 40);
    const onLine = server.requests.length;
    await session.page.context().setOffline(true);
    const reloaded = Date.now();
    await session.page.reload({ waitUntil: 'load' });
    await screen.waitForScene('title', 40);
    screen.log(`offline: the title ${Date.now() - reloaded} ms after the reload`);
    for (let i = 0; i < 4 && (await screen.scene(await screen.shot('now'))) === 'title'; i++) {
      await screen.tap(512, 300, 200);
      await session.page.waitForTimeout(1500);
    }
    await screen.waitForScene('game', 40);
    // Only the browser's own update check of the worker (outside the
    // page, so the emulated offline state does not stop it) may come.
    assert.deepEqual(server.requests.slice(onLine).filter((r) => r.path !== '/sw.js'), [],
      'the offline visit reached the server');

    // A second build: the page changed, so the worker's cache has a new name.
    const oldName = cacheNameOf(site);
    fs.appendFileSync(path.join(site, 'index.html'), '<!-- the second build -->\n');
    execFileSync('cmake', [`-DDIST=${site}`, `-DTEMPLATE=${path.join(kRoot, 'packaging/web/sw.js')}`,
      '-P', path.join(kRoot, 'cmake/web_offline.cmake')]);
    const newName = cacheNameOf(site);
    assert.notEqual(newName, oldName);
    await session.page.context().setOffline(false);
    await session.page.reload({ waitUntil: 'load' });
    await waitForCaches(session, newName, 30000);
    const updated = server.requests.length;
    await session.page.reload({ waitUntil: 'load' });
    assert.ok(await session.inspect(`new XMLSerializer().serializeToString(document).includes('the second build')`),
      'the page after the update is not the new one');
    assert.ok(!server.requests.slice(updated).some((r) => r.status === 200 && /index\.html$/.test(r.path)),
      'the new page came from the server, not from the new cache');
    await screen.waitForScene('title', 40);
    assert.deepEqual(session.problems(), []);
  } catch (error) {
    console.log(session.transcript());
    throw error;
  } finally {
    await session.close();
    await server.close();
    for (const folder of [site, profileDir]) fs.rmSync(folder, { recursive: true, force: true });
  }
});
