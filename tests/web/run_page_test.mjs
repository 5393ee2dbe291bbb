// Tests of the command-line page runner against the real Chromium: its exit
// status and messages for a clean page, a page with errors and a line that
// never comes, and the screenshot it writes.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { decodePng } from './png_pixels.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const runner = path.join(here, 'run_page.mjs');
const fixtures = path.join(here, 'fixtures');

function run(args) {
  return spawnSync(process.execPath, [runner, fixtures, ...args], { encoding: 'utf8', timeout: 60000 });
}

test('the runner passes clean pages and fails pages with errors or missing lines', () => {
  const cases = [
    ['clean page', ['--page', 'probe.html', '--wait-for', '^probe ready'], 0, /^$/],
    ['isolated phone page', ['--page', 'probe.html', '--isolate', '--phone', '--wait-for', 'isolated=1 .* touch=1'], 0, /^$/],
    ['page with errors', ['--page', 'probe.html?fail', '--linger', '300'], 1,
      /^(?=[\s\S]*console error: probe reports an error)(?=[\s\S]*page error: Error: probe throws)/],
    ['line that never comes', ['--page', 'probe.html', '--wait-for', 'never printed', '--timeout', '1500'], 1,
      /no match in 1500 ms while waiting for \/never printed\//],
    ['missing page', ['--page', 'absent.html'], 1, /request failed: 404 .*absent\.html/],
  ];
  for (const [what, args, status, stderr] of cases) {
    const result = run(args);
    assert.equal(result.status, status, `${what}: ${result.stderr}`);
    assert.match(result.stderr, stderr, what);
  }
});

test('the runner prints the console and writes the screenshot', () => {
  const shot = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'run-page-')), 'shot.png');
  const result = run(['--page', 'probe.html', '--wait-for', '^probe ready', '--screenshot', shot]);
  assert.equal(result.status, 0, result.stderr);
  assert.match(result.stdout, /^\[\d+ ms\] probe ready webgl=1 isolated=0 size=1280x720 touch=0$/m);
  const picture = decodePng(fs.readFileSync(shot));
  assert.deepEqual([picture.width, picture.height], [1280, 720]);
  assert.deepEqual(picture.pixel(1270, 710), [255, 255, 255, 255]);
  fs.rmSync(path.dirname(shot), { recursive: true });
});
