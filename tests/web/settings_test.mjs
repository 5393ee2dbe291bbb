// The player's settings in the web build outlive the page: the volume turned
// down with the '-' key is written to the page's storage, read again when the
// page is opened anew (the master gain follows it), and the first visit's
// note that there is no settings file yet does not come back.
//   node --test tests/web/settings_test.mjs   (needs build-web/dist)
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { withServedPage } from './browser.mjs';

const kRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const kDist = process.env.TIDE_WEB_DIST || path.join(kRoot, 'build-web/dist');
const kSettings = '/player_files/tide_marker/settings.ini';

// Waits until the program runs and has had a few ticks to read keys.
async function waitForProgram(session) {
  for (let i = 0; i < 100; i++) {
    const ready = await session.inspect(`performance.getEntriesByName('tide-ready').length > 0`);
    if (ready) {
      await session.page.waitForTimeout(1500);
      return;
    }
    await session.page.waitForTimeout(100);
  }
  throw new Error(`the program did not start\n${session.transcript()}`);
}

function masterGain(session) {
  return session.inspect('Object.values(AL.contexts)[0].gain.gain.value');
}

test('the volume chosen on one visit is kept for the next', { timeout: 120000 }, async () => {
  assert.ok(fs.existsSync(kDist), `no web build at ${kDist} (scripts/web/build.sh)`);
  await withServedPage(kDist, 'index.html', {}, async (session) => {
    await waitForProgram(session);
    assert.ok(session.lines.some((l) => /no settings file yet/.test(l.text)), 'a first visit has no settings');
    assert.equal(await masterGain(session), 1);
    await session.page.keyboard.press('-');
    await session.page.waitForTimeout(1000);
    assert.ok(Math.abs((await masterGain(session)) - 0.9) < 1e-6, 'the key did not turn the volume down');

    const firstVisit = session.lines.length;
    await session.page.reload({ waitUntil: 'load' });
    await waitForProgram(session);
    const text = await session.inspect(`FS.readFile('${kSettings}', { encoding: 'utf8' })`);
    assert.match(text, /^volume = 90$/m);
    assert.match(text, /^mute = off$/m);
    assert.ok(Math.abs((await masterGain(session)) - 0.9) < 1e-6, 'the second visit did not take the volume');
    const again = session.lines.slice(firstVisit);
    assert.ok(!again.some((l) => /no settings file yet/.test(l.text)), 'the second visit found no settings');
    assert.deepEqual(session.problems(), []);
  });
});

// Stores a settings file in the database an earlier build kept its files in.
const keepInEarlierFolder = (session, volume) => session.inspect(`new Promise((done, fail) => {
  if (!FS.analyzePath('/settings').exists) FS.mkdir('/settings');
  FS.mount(IDBFS, {}, '/settings');
  FS.mkdirTree('/settings/tide_marker');
  FS.writeFile('/settings/tide_marker/settings.ini', 'volume = ${volume}\\n');
  FS.syncfs(false, (error) => { FS.unmount('/settings'); error ? fail(String(error)) : done(true); });
})`);

test('the files of the earlier folder are copied over once, and the copy stored', { timeout: 120000 }, async () => {
  await withServedPage(kDist, 'index.html', {}, async (session) => {
    for (const volume of [70, 60]) {
      await waitForProgram(session);
      await keepInEarlierFolder(session, volume);
      await session.page.reload({ waitUntil: 'load' });
    }
    await waitForProgram(session);
    assert.match(await session.inspect(`FS.readFile('${kSettings}', { encoding: 'utf8' })`), /^volume = 70$/m);
    assert.ok(Math.abs((await masterGain(session)) - 0.7) < 1e-6, 'the copied volume was not taken');
    assert.deepEqual(session.problems(), []);
  });
});
