// The eyes and the finger of the web build's whole-program test: screenshots
// of the game's picture in the page, scaled to 1024 x 576 raw RGB and read by
// the native e2e probe (scene, score digits, plate plan) as the desktop test
// reads its window, and touches placed through the same letterbox mapping
// the game uses (the picture fitted into the canvas, centred).
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { promisify } from 'node:util';

const run = promisify(execFile);

export const kVirtualWidth = 1024;
export const kVirtualHeight = 576;

// The plate's cells, numbered row by row, six across, as the desktop test
// drags them.
export function cellCentre(cell) {
  return { x: 75 + (cell % 6) * 95, y: 125 + Math.floor(cell / 6) * 95 };
}

// Where a picture of the virtual size lies inside an area: scaled to fit with
// its aspect kept, in whole units, centred (as the game's FitPicture).
export function fitPicture(width, height) {
  const scale = Math.min(width / kVirtualWidth, height / kVirtualHeight);
  const w = Math.round(kVirtualWidth * scale);
  const h = Math.round(kVirtualHeight * scale);
  return { x: Math.floor((width - w) / 2), y: Math.floor((height - h) / 2), width: w, height: h };
}

export class GameScreen {
  // session: an open page (browser.mjs); probe: the e2e_probe program;
  // contents: the game's pictures it compares against; shotDir: where
  // screenshots are kept (the last of each name, as PNG).
  constructor(session, { probe, contents, shotDir }) {
    this.session = session;
    this.page = session.page;
    this.probe = probe;
    this.env = { ...process.env, E2E_CONTENTS: contents };
    this.shotDir = shotDir;
    this.started = Date.now();
    this.picture = null;
  }

  seconds() {
    return (Date.now() - this.started) / 1000;
  }

  log(text) {
    console.log(`  [${this.seconds().toFixed(2)} s] ${text}`);
  }

  // Finds the game's picture in the page (CSS pixels).
  async locate() {
    const canvas = await this.session.inspect(`(() => {
      const r = document.getElementById('canvas').getBoundingClientRect();
      return { x: r.x, y: r.y, width: r.width, height: r.height };
    })()`);
    const inside = fitPicture(canvas.width, canvas.height);
    this.picture = {
      x: canvas.x + inside.x, y: canvas.y + inside.y, width: inside.width, height: inside.height,
    };
    return this.picture;
  }

  // A point of the virtual screen in page coordinates.
  toPage(vx, vy) {
    const p = this.picture;
    return { x: p.x + (vx * p.width) / kVirtualWidth, y: p.y + (vy * p.height) / kVirtualHeight };
  }

  // Screenshot of the picture as raw 1024 x 576 RGB; returns its path.
  async shot(name) {
    const png = path.join(this.shotDir, `${name}.png`);
    const rgb = path.join(this.shotDir, `${name}.rgb`);
    await this.session.screenshot(png, this.picture);
    await run('convert', [png, '-resize', `${kVirtualWidth}x${kVirtualHeight}!`, '-depth', '8', `rgb:${rgb}`]);
    return rgb;
  }

  async probeSays(...args) {
    const { stdout } = await run(this.probe, args, { env: this.env });
    return stdout.trim();
  }

  scene(shotPath) {
    return this.probeSays('scene', shotPath);
  }

  digits(shotPath, where) {
    return this.probeSays('digits', shotPath, where);
  }

  // The cells of a good drag over the plate shown, or null when no plate can
  // be read (the probe's exit code 3).
  async plan(shotPath, maxLength) {
    try {
      const cells = await this.probeSays('plan', shotPath, String(maxLength));
      return cells.split(/\s+/).map(Number);
    } catch (error) {
      if (error.code === 3) return null;
      throw error;
    }
  }

  // Polls until the probe sees scene `want`, for at most limitS seconds;
  // keeps the screenshot as <name>.png and returns its raw path.
  async waitForScene(want, limitS, name = want) {
    const deadline = Date.now() + limitS * 1000;
    let seen = '';
    for (;;) {
      const shotPath = await this.shot('now');
      seen = await this.scene(shotPath);
      if (seen === want) {
        const kept = path.join(this.shotDir, `${name}.rgb`);
        fs.copyFileSync(shotPath, kept);
        fs.copyFileSync(path.join(this.shotDir, 'now.png'), path.join(this.shotDir, `${name}.png`));
        this.log(want);
        return kept;
      }
      if (Date.now() > deadline) {
        fs.copyFileSync(path.join(this.shotDir, 'now.png'), path.join(this.shotDir, `timeout_${name}.png`));
        throw new Error(`the ${want} scene did not show within ${limitS} s (last seen: ${seen}; `
          + `screenshots in ${this.shotDir})\n${this.session.problems().join('\n')}`);
      }
      await this.page.waitForTimeout(150);
    }
  }

  // A finger held on a point of the virtual screen for holdMs, then lifted.
  async tap(vx, vy, holdMs = 80) {
    const p = this.toPage(vx, vy);
    await this.session.touchStart(p.x, p.y);
    await this.page.waitForTimeout(holdMs);
    await this.session.touchEnd();
  }

  // A finger put on the first cell, resting a few ticks on each, lifted after
  // the last.
  async dragCells(cells, restMs = 60) {
    const points = cells.map((cell) => {
      const c = cellCentre(cell);
      return this.toPage(c.x, c.y);
    });
    await this.session.drag(points, restMs);
  }
}
