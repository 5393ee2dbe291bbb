// The web build as an installed app on a phone: installable, its manifest
// clean; without network a reload reaches the title and a held touch starts
// a round; a second build with a changed file replaces the cache.
//   node --test tests/web/offline_test.mjs   (needs what play_test.mjs needs)
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
const made = [];
const temp = (name) => made[made.push(fs.mkdtempSync(path.join(os.tmpdir(), name))) - 1];
const cacheName = (site) => /kCacheName = '([^']+)'/.exec(fs.readFileSync(`${site}/sw.js`, 'utf8'))[1];

test('installable, plays offline, and a new build replaces the cache', { timeout: 300000 }, async () => {
  const site = temp('tide_offline_site_');
  fs.cpSync(kDist, site, { recursive: true });
  const server = await startServer({ root: site });
  const session = await openPage(`${server.url}index.html`, { phone: true, profileDir: temp('tide_profile_') });
  const screen = new GameScreen(session, {
    probe: process.env.TIDE_PROBE || path.join(kRoot, 'build/tests/e2e_probe'),
    contents: process.env.E2E_CONTENTS || path.join(kRoot, 'build/contents'),
    shotDir: temp('tide_offline_'),
  });
  const caches = () => session.inspect('caches.keys()');
  try {
    await screen.locate();
    await session.inspect('navigator.serviceWorker.ready');
    assert.deepEqual((await session.cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
    assert.deepEqual((await session.cdp.send('Page.getAppManifest')).errors, []);

    // Offline: only the browser's own update check of the worker (outside
    // the page, where the emulated offline state does not reach) may come.
    await screen.waitForScene('title', 40);
    assert.deepEqual(await caches(), [cacheName(site)]);
    // The next visit's first touch starts the round.
    await session.markCardsSeen({ reload: false });
    const online = server.requests.length;
    await session.page.context().setOffline(true);
    await session.page.reload({ waitUntil: 'load' });
    await screen.waitForScene('title', 40);
    for (let i = 0; i < 4 && (await screen.scene(await screen.shot('now'))) === 'title'; i++) {
      await screen.tap(512, 300, 200);
      await session.page.waitForTimeout(1500);
    }
    await screen.waitForScene('game', 40);
    assert.deepEqual(server.requests.slice(online).filter((r) => r.path !== '/sw.js'), []);

    // A second build: the page changed, so the worker's cache name changes.
    fs.appendFileSync(`${site}/index.html`, '<!-- the second build -->\n');
    execFileSync('cmake', [`-DDIST=${site}`, `-DTEMPLATE=${kRoot}/packaging/web/sw.js`,
      '-P', `${kRoot}/cmake/web_offline.cmake`]);
    await session.page.context().setOffline(false);
    await session.page.reload({ waitUntil: 'load' });
    for (let i = 0; i < 120 && (await caches())[0] !== cacheName(site); i++) await session.page.waitForTimeout(250);
    assert.deepEqual(await caches(), [cacheName(site)]);
    const updated = server.requests.length;
    await session.page.reload({ waitUntil: 'load' });
    assert.ok(await session.inspect(`new XMLSerializer().serializeToString(document).includes('second build')`));
    assert.ok(!server.requests.slice(updated).some((r) => r.status === 200 && r.path.endsWith('index.html')));
    await screen.waitForScene('title', 40);
    assert.deepEqual(session.problems(), []);
  } finally {
    await session.close();
    await server.close();
    for (const folder of made) fs.rmSync(folder, { recursive: true, force: true });
  }
});
