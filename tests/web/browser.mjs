// Opens pages in the system's Chromium through playwright-core (no browser of
// its own is ever downloaded), keeps every console line and page error, takes
// screenshots and sends touches as a phone's touch screen would (CDP touch
// events, so a finger can be held down and dragged).
import fs from 'node:fs';

import { chromium } from 'playwright-core';

const kChromium = process.env.TIDE_CHROMIUM || '/usr/bin/chromium';
// WebGL through SwiftShader (no GPU here); no traffic to any service of the
// browser's own, which this machine's closed network would refuse.
const kFlags = [
  '--no-sandbox',
  '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--disable-quic',
  '--no-first-run',
  '--disable-default-apps',
];
// A landscape phone: the game is wide.
export const kPhoneViewport = { width: 844, height: 390 };
export const kDesktopViewport = { width: 1280, height: 720 };

// options.phone: touch screen and mobile viewport; options.gestureForAudio:
// sound may start only after a touch or click, as in a browser on a phone or
// desktop (headless Chromium allows it at once otherwise); options.onLine:
// called with each console line as it comes; options.scale: the device pixel
// ratio (1 unless given); options.browserArgs: more command-line switches
// for Chromium (to take a feature away, say); options.initScript: JavaScript
// run in the page before its own scripts; options.profileDir: a profile
// folder instead of a private window (where no app can be installed).
export async function openPage(url, options = {}) {
  const { phone = false, gestureForAudio = true, viewport, onLine, scale = 1, browserArgs = [], initScript,
    profileDir } = options;
  const args = [...kFlags, ...browserArgs];
  if (gestureForAudio) args.push('--autoplay-policy=document-user-activation-required');
  const launch = { executablePath: kChromium, args, headless: true };
  const contextOptions = {
    viewport: viewport || (phone ? kPhoneViewport : kDesktopViewport), deviceScaleFactor: scale,
    isMobile: phone, hasTouch: phone,
  };
  // A persistent context stands for its browser: closing it ends both.
  const browser = profileDir
    ? await chromium.launchPersistentContext(profileDir, { ...launch, ...contextOptions })
    : await chromium.launch(launch);
  const context = profileDir ? browser : await browser.newContext(contextOptions);
  if (initScript) await context.addInitScript(initScript);
  const page = context.pages()[0] || (await context.newPage());
  const session = new PageSession(browser, page, await context.newCDPSession(page), onLine);
  await page.goto(url, { waitUntil: 'load' });
  return session;
}

// Serves root on the loopback address, opens pagePath there (openPage's
// options), runs body(session) and closes both; on a failure the page's
// console is printed first.
export async function withServedPage(root, pagePath, options, body) {
  const { startServer } = await import('./serve.mjs');
  const server = await startServer({ root });
  const session = await openPage(server.url + pagePath, options);
  try {
    return await body(session);
  } catch (error) {
    console.log(session.transcript());
    throw error;
  } finally {
    await session.close();
    await server.close();
  }
}

class PageSession {
  constructor(browser, page, cdp, onLine) {
    this.browser = browser;
    this.page = page;
    this.cdp = cdp;
    this.started = Date.now();
    // Every console line as { type, text, ms } with ms since the page was opened.
    this.lines = [];
    this.pageErrors = [];
    this.failedRequests = [];
    this.waiters = [];
    this.onLine = onLine || (() => {});
    page.on('console', (message) => this.addLine(message.type(), message.text()));
    page.on('pageerror', (error) => this.pageErrors.push(String(error && error.stack || error)));
    page.on('requestfailed', (request) => this.failedRequests.push(request.url()));
    page.on('response', (response) => {
      if (response.status() >= 400) this.failedRequests.push(`${response.status()} ${response.url()}`);
    });
  }

  addLine(type, text) {
    const line = { type, text, ms: Date.now() - this.started };
    this.lines.push(line);
    this.onLine(line);
    const matched = this.waiters.filter((w) => w.pattern.test(text));
    this.waiters = this.waiters.filter((w) => !matched.includes(w));
    for (const w of matched) w.resolve(line);
  }

  // Resolves with the first console line matching pattern (including lines
  // already seen); rejects after timeoutMs or at a page error (earlier ones too).
  waitForConsole(pattern, timeoutMs = 30000) {
    const seen = this.lines.find((l) => pattern.test(l.text));
    if (seen) return Promise.resolve(seen);
    if (this.pageErrors.length > 0) {
      return Promise.reject(new Error(`page error before waiting for ${pattern}\n${this.problems().join('\n')}`));
    }
    return new Promise((resolve, reject) => {
      const waiter = { pattern, resolve: null };
      const fail = (why) => {
        this.waiters = this.waiters.filter((w) => w !== waiter);
        const report = [this.transcript(), ...this.problems()].join('\n');
        reject(new Error(`${why} while waiting for ${pattern}\n${report}`));
      };
      const timer = setTimeout(() => fail(`no match in ${timeoutMs} ms`), timeoutMs);
      // Deferred: the page error is recorded by the listener registered first.
      const onError = () => setTimeout(() => fail('page error'), 0);
      this.page.once('pageerror', onError);
      waiter.resolve = (line) => {
        clearTimeout(timer);
        this.page.off('pageerror', onError);
        resolve(line);
      };
      this.waiters.push(waiter);
    });
  }

  // Page errors, console errors and failed requests: a clean run has none.
  problems() {
    return [
      ...this.pageErrors.map((e) => `page error: ${e}`),
      ...this.lines.filter((l) => l.type === 'error').map((l) => `console error: ${l.text}`),
      ...this.failedRequests.map((r) => `request failed: ${r}`),
    ];
  }

  transcript() {
    return this.lines.map((l) => `[${l.ms} ms ${l.type}] ${l.text}`).join('\n');
  }

  // Evaluates a JavaScript expression in the page and returns its value,
  // without counting as the player's gesture (page.evaluate counts as one,
  // which would let sound start before any touch).
  async inspect(expression) {
    const { result, exceptionDetails } = await this.cdp.send('Runtime.evaluate', {
      expression, returnByValue: true, awaitPromise: true, userGesture: false,
    });
    if (exceptionDetails) {
      throw new Error(`in the page: ${exceptionDetails.exception?.description || exceptionDetails.text}`);
    }
    return result.value;
  }

  // Keeps the "how to play" cards as seen in the page's storage, so that the
  // next visit's first touch on the title starts the round (a new player's
  // first start shows the cards); with reload, opens the page anew for that
  // visit. Waits for the program first: it mounts the storage before main.
  async markCardsSeen({ reload }) {
    for (let i = 0; i < 300; i++) {
      if (await this.inspect(`performance.getEntriesByName('tide-ready').length > 0`)) break;
      await this.page.waitForTimeout(100);
    }
    await this.inspect(`new Promise((done, fail) => {
      FS.mkdirTree('/player_files/tide_marker');
      FS.writeFile('/player_files/tide_marker/settings.ini', 'how_to_play_seen = on\\n');
      FS.syncfs(false, (error) => (error ? fail(String(error)) : done(true)));
    })`);
    if (!reload) return;
    await this.page.reload({ waitUntil: 'load' });
    this.started = Date.now();
  }

  // Counts the page's animation frames from now on (framesCounted reads
  // the count): a game frame is drawn in each.
  countFrames() {
    return this.inspect(`(() => {
      window.tideFrames = 0;
      const count = () => { window.tideFrames += 1; requestAnimationFrame(count); };
      requestAnimationFrame(count);
    })()`);
  }

  framesCounted() {
    return this.inspect('window.tideFrames');
  }

  // A PNG of the page, or of the clip rectangle (CSS pixels), written to file.
  // Taken through the browser's protocol directly: Playwright's own
  // screenshot counts as the player's gesture.
  async screenshot(file, clip) {
    const request = { format: 'png' };
    if (clip) request.clip = { ...clip, scale: 1 };
    const { data } = await this.cdp.send('Page.captureScreenshot', request);
    await fs.promises.writeFile(file, Buffer.from(data, 'base64'));
  }

  // One finger: down, moves, up, in page (CSS) pixels.
  touchStart(x, y) {
    return this.touch('touchStart', [{ x, y, id: 0 }]);
  }

  touchMove(x, y) {
    return this.touch('touchMove', [{ x, y, id: 0 }]);
  }

  touchEnd() {
    return this.touch('touchEnd', []);
  }

  touch(type, touchPoints) {
    return this.cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
  }

  // Drags a finger through points, stepMs apart, and lifts it at the last.
  async drag(points, stepMs = 30) {
    const [first, ...rest] = points;
    await this.touchStart(first.x, first.y);
    for (const p of rest) {
      await this.page.waitForTimeout(stepMs);
      await this.touchMove(p.x, p.y);
    }
    await this.page.waitForTimeout(stepMs);
    await this.touchEnd();
  }

  // Tells the page that it was hidden (another tab came in front) or shown
  // again. Headless Chromium keeps every page visible (a page put behind
  // another or a minimised window stays 'visible'), so the document's state is
  // set here and the event the browser would send is dispatched.
  setPageHidden(hidden) {
    return this.page.evaluate((isHidden) => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => isHidden });
      Object.defineProperty(document, 'visibilityState', {
        configurable: true,
        get: () => (isHidden ? 'hidden' : 'visible'),
      });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
  }

  close() {
    return this.browser.close();
  }
}
