// Browser test of the page in headless Chromium (playwright-core): a whole session as a user
// has it, the canvas read back and checked in RGB565 terms by the end-to-end checker; then a
// start whose title picture is damaged, which must end with the error shown in the page; then a
// figure line in the address, the saved figure's downloads, the copied line and the address
// following the figure; then the page at device pixel ratio 2, drawn at the canvas's own size.
// Usage: node page_test.mjs <page folder> <vexel_e2e_check> <folder of the four files> <out folder>
// (VEXEL_PAGE_ONLY=figure runs the figure's part alone, which needs only the plain build)
import { execFile } from 'node:child_process';
import { cpSync, mkdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { promisify } from 'node:util';
import { gunzipSync, gzipSync } from 'node:zlib';

import { click, launch, serve, sleep, stats, toPage, until } from './browser.mjs';

const [pageDir, checker, assets, out] = process.argv.slice(2).map((a) => resolve(a));
if (!out) {
  console.error('usage: page_test.mjs <page folder> <vexel_e2e_check> <assets> <out folder>');
  process.exit(2);
}
mkdirSync(out, { recursive: true });
const run = promisify(execFile);

const started = Date.now();
const log = (text) => console.log(`[${((Date.now() - started) / 1000).toFixed(1)} s] ${text}`);
let failures = 0;
const fail = (text) => {
  failures++;
  console.log(`FAIL: ${text}`);
};

const { server, base: root } = await serve(pageDir);
// the checks compare with the Hungarian pictures; headless Chromium's own language is English
const base = new URL('?lang=hu', root).href;
// the static server answers what it cannot parse with 400 and goes on serving
for (const bad of ['//?lang=en', '/%E0%A4']) {
  const status = await fetch(root.replace(/\/$/, '') + bad).then((r) => r.status, () => 'no answer');
  if (status !== 400) fail(`the static server gave ${status} for ${bad}, not 400`);
}
const browser = await launch();

// A page whose errors, console errors and failed requests are all recorded as failures.
// The page at 900 x 600: the canvas shown at 800 x 600 (the frame itself, which the checker reads)
// between black bars.
async function openPage(name, { route, options = {} } = {}) {
  // a route sees no request that the service worker answers, and the worker can take the page
  // over while it loads (it claims its clients): a page with a route gets no worker
  const context = await browser.newContext({ viewport: { width: 900, height: 600 },
                                             hasTouch: true,
                                             ...(route ? { serviceWorkers: 'block' } : {}),
                                             ...options });
  const page = await context.newPage();
  page.on('pageerror', (e) => fail(`${name}: page error: ${e.message}`));
  page.on('console', (m) => {
    if (m.type() === 'error') fail(`${name}: console error: ${m.text()}`);
  });
  page.on('requestfailed', (r) => fail(`${name}: request failed: ${r.url()}`));
  page.on('response', (r) => {
    if (r.status() >= 400) fail(`${name}: ${r.status()} for ${r.url()}`);
  });
  if (route) await page.route(route.url, route.handler);
  // which build of the program the page took (SIMD or plain)
  page.wasm = [];
  page.on('request', (r) => {
    if (r.url().endsWith('.wasm')) page.wasm.push(r.url().slice(r.url().lastIndexOf('/') + 1));
  });
  // the gaps between the page's animation frames, to see that it never stands still for long
  await page.addInitScript(() => {
    window.animationGaps = [];
    let last = 0;
    const tick = (t) => {
      if (last) window.animationGaps.push([t, t - last]);
      last = t;
      if (window.animationGaps.length < 2000) requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  });
  return { context, page };
}

// The canvas as raw RGB, the way the checker reads screenshots.
async function canvasShot(page, file) {
  const b64 = await page.evaluate(() => {
    const c = document.getElementById('canvas');
    const rgba = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const rgb = new Uint8Array(c.width * c.height * 3);
    for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) {
      rgb[j] = rgba[i];
      rgb[j + 1] = rgba[i + 1];
      rgb[j + 2] = rgba[i + 2];
    }
    let s = '';
    for (let i = 0; i < rgb.length; i += 0x8000)
      s += String.fromCharCode.apply(null, rgb.subarray(i, i + 0x8000));
    return btoa(s);
  });
  writeFileSync(file, Buffer.from(b64, 'base64'));
}

// Reads the canvas until the checker's command holds (up to `ms`).
async function expectCanvas(page, args, ms = 8000) {
  const file = join(out, 'canvas.rgb');
  let result = '';
  const deadline = Date.now() + ms;
  for (;;) {
    await canvasShot(page, file);
    try {
      const { stdout } = await run(checker, [file, ...args.map(String)]);
      log(`  ${stdout.trim()}`);
      return true;
    } catch (e) {
      if (e.code === 2 || e.code === undefined) throw e;
      result = String(e.stdout).trim();
    }
    if (Date.now() > deadline) {
      fail(`canvas: ${args.join(' ')} (last: ${result})`);
      return false;
    }
    await sleep(100);
  }
}

// A key as a keyboard layout sends it to the page: its KeyboardEvent key and code, with Shift.
async function layoutKey(page, key, code, shift) {
  await page.evaluate(([key, code, shift]) => {
    const send = (type, k, c, s) =>
      window.dispatchEvent(new KeyboardEvent(type, { key: k, code: c, shiftKey: s }));
    if (shift) send('keydown', 'Shift', 'ShiftLeft', true);
    send('keydown', key, code, shift);
    send('keyup', key, code, shift);
    if (shift) send('keyup', 'Shift', 'ShiftLeft', false);
  }, [key, code, shift]);
}

async function drag(page, from, to) {
  let [px, py] = await toPage(page, ...from);
  await page.mouse.move(px, py);
  await sleep(60);
  await page.mouse.down();
  await sleep(100);
  for (let k = 1; k <= 4; k++) {
    [px, py] = await toPage(page, from[0] + (to[0] - from[0]) * k / 4,
                            from[1] + (to[1] - from[1]) * k / 4);
    await page.mouse.move(px, py);
    await sleep(60);
  }
  await page.mouse.up();
}

// A finger on the touch screen, through Chromium's touch emulation.
async function touchDrag(context, page, from, to) {
  const cdp = await context.newCDPSession(page);
  const point = async (x, y) => {
    const [px, py] = await toPage(page, x, y);
    return [{ x: px, y: py }];
  };
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart',
                                               touchPoints: await point(...from) });
  await sleep(100);
  for (let k = 1; k <= 4; k++) {
    await cdp.send('Input.dispatchTouchEvent', {
      type: 'touchMove',
      touchPoints: await point(from[0] + (to[0] - from[0]) * k / 4,
                               from[1] + (to[1] - from[1]) * k / 4),
    });
    await sleep(60);
  }
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await cdp.detach();
}

const visible = (page, id) =>
  page.evaluate((id) => { const e = document.getElementById(id); return !!e && !e.hidden; }, id);

// Button centres of the panel, and the colours the checks look for (RGB565).
const button = { exit: [47, 544], chapter3: [156, 569], chapter4: [259, 527], help: [595, 570],
                 chapter9: [485, 570] };
const circumcircle = 0xa000, incircle = 0x0500, vertex = 0x0020;
const start = [300, 400, 550, 405, 420, 150];

// A whole session at `url`; `offline`: the browser context has no network at all.
async function session(name = 'session', url = base, { offline = false } = {}) {
  log(`a whole session${name === 'session' ? '' : ` (${name})`}`);
  const { context, page } = await openPage(name);
  const shotPrefix = name === 'session' ? '' : `${name.replace(/ /g, '-')}-`;
  if (offline) await context.setOffline(true);
  const opened = Date.now();
  await page.goto(url);
  const title = await page.title();
  if (title !== 'VEXEL egyenes') fail(`title "${title}"`);
  const charset = await page.evaluate(() => document.characterSet);
  if (charset !== 'UTF-8') fail(`character set ${charset}`);

  // the intro's first frame soon after the page's load event (the calibration counts between
  // the intro's frames), and the page goes on drawing meanwhile: the longest pause between its
  // animation frames in the three seconds before the first frame (the frame that ends a pause
  // comes after it)
  await until('the first frame', async () => {
    const s = await stats(page);
    return s && s.frames > 0;
  }, 20000);
  const firstFrame = Date.now() - opened;
  const { afterLoad, pause } = await page.evaluate(() => {
    const end = window.vexelStats.firstFrameAt;
    let longest = 0;
    for (const [at, gap] of window.animationGaps)
      if (at > end - 3000 && at < end + 500) longest = Math.max(longest, gap);
    const load = performance.getEntriesByType('navigation')[0].loadEventStart;
    return { afterLoad: end - load, pause: longest };
  });
  log(`  first frame after ${firstFrame} ms, ${afterLoad.toFixed(0)} ms after the load event; ` +
      `the longest pause before it ${pause.toFixed(0)} ms`);
  if (!offline && page.wasm.join() !== 'index.simd.wasm')
    fail(`Chromium took ${page.wasm} for the SIMD build`);
  if (offline && page.wasm.length) fail(`the single file fetched ${page.wasm}`);
  // a second on an idle machine; the start-up that counted before the window took four
  if (afterLoad > 2500) fail(`the first frame came ${afterLoad.toFixed(0)} ms after the load event`);
  if (pause > 250) fail(`the page stood still for ${pause.toFixed(0)} ms before the first frame`);

  // the frame fills the height of the page with its aspect kept, black beside it
  const layout = await page.evaluate(() => {
    const c = document.getElementById('canvas');
    const b = c.getBoundingClientRect();
    return { w: b.width, h: b.height, left: b.left, rendering: getComputedStyle(c).imageRendering };
  });
  if (Math.abs(layout.h - 600) > 1 || Math.abs(layout.w - 800) > 1)
    fail(`canvas shown at ${layout.w} x ${layout.h}`);
  if (layout.rendering !== 'pixelated') fail(`canvas scaled with "${layout.rendering}"`);

  log('the intro');
  await expectCanvas(page, ['intro', assets]);
  await page.screenshot({ path: join(out, shotPrefix + 'intro.png') });

  log('a press ends the intro: the circumcircle chapter, its circle through the vertices');
  await click(page, 400, 20);
  await expectCanvas(page, ['panel', assets, 2, 0]);
  await expectCanvas(page, ['circumcircle', circumcircle, 85, 100, ...start]);
  await expectCanvas(page, ['ring', incircle, 0, 10, ...start]);
  await page.screenshot({ path: join(out, shotPrefix + 'page.png') });

  log('chapter 3: the incircle');
  await click(page, ...button.chapter3);
  await expectCanvas(page, ['panel', assets, 3, 3]);
  await expectCanvas(page, ['ring', incircle, 80, 100, ...start]);
  await expectCanvas(page, ['circumcircle', circumcircle, 0, 10, ...start]);
  await expectCanvas(page, ['disc', 300, 400, 3, vertex]);

  log('the mouse drags vertex 1 from (300, 400) to (200, 300)');
  await drag(page, [300, 400], [200, 300]);
  await page.mouse.move(...(await toPage(page, 700, 60)));
  await expectCanvas(page, ['disc', 200, 300, 3, vertex]);
  await expectCanvas(page, ['backdrop', assets, 300, 400, 4]);
  await expectCanvas(page, ['ring', incircle, 80, 100, 200, 300, 550, 405, 420, 150]);

  log('a finger drags vertex 2 from (550, 405) to (500, 350)');
  await touchDrag(context, page, [550, 405], [500, 350]);
  await expectCanvas(page, ['backdrop', assets, 550, 405, 4]);
  await expectCanvas(page, ['ring', incircle, 80, 100, 200, 300, 500, 350, 420, 150]);

  log('help: button 11 shows the help picture, a click returns');
  await click(page, ...button.help);
  await expectCanvas(page, ['help', assets]);
  await click(page, ...button.chapter4);
  await expectCanvas(page, ['panel', assets, 3, 4]);

  log('+ and - as the layouts type them step the speed in chapter 9, and select no chapter');
  await layoutKey(page, '8', 'Digit8', false);
  await expectCanvas(page, ['panel', assets, 9, 4, 40]);
  const layouts = [
    ['Hungarian + (Shift+3)', '+', 'Digit3', true, 45],
    ['Hungarian -', '-', 'Slash', false, 40],
    ['Hungarian \u00fc (the US - place)', '\u00fc', 'Minus', false, 40],
    ['German +', '+', 'BracketRight', false, 45],
    ['German -', '-', 'Slash', false, 40],
    ['US + (Shift+=)', '+', 'Equal', true, 45],
    ['US = without Shift', '=', 'Equal', false, 45],
    ['US -', '-', 'Minus', false, 40],
    ['French - (the 6 key)', '-', 'Digit6', false, 35],
    ['French + (Shift+=)', '+', 'Equal', true, 40],
    ['keypad +', '+', 'NumpadAdd', false, 45],
    ['keypad -', '-', 'NumpadSubtract', false, 40],
  ];
  for (const [layout, key, code, shift, speed] of layouts) {
    log(`  ${layout}`);
    await layoutKey(page, key, code, shift);
    await expectCanvas(page, ['panel', assets, 9, 4, speed]);
  }
  await page.screenshot({ path: join(out, 'speed-keys.png') });

  log('the exit button ends the program: black canvas, the end line and the restart link');
  await click(page, ...button.exit);
  const end = await until('the end of the program', async () => {
    const s = await stats(page);
    return s.ended && s;
  });
  if (end.exitCode !== 0) fail(`exit code ${end.exitCode}`);
  await expectCanvas(page, ['black'], 1000);
  const shown = await page.evaluate(() => {
    const link = document.getElementById('restart');
    return { text: document.getElementById('end').innerText, link: link.textContent,
             href: link.href, error: !document.getElementById('end-error').hidden };
  });
  if (!(await visible(page, 'end')) || !shown.text.includes('A program véget ért.'))
    fail(`end of the program not shown: "${shown.text}"`);
  if (shown.link !== 'Újraindítás' || shown.href !== page.url())
    fail(`restart link "${shown.link}" to ${shown.href}`);
  if (shown.error) fail('an error is shown after a normal end');
  await page.screenshot({ path: join(out, shotPrefix + 'end.png') });

  log('the restart link starts again with the figure the address kept: the dragged vertices');
  await page.click('#restart');
  await until('the first frame after the restart', async () => (await stats(page))?.frames > 0,
              20000);
  await click(page, 400, 20);
  await expectCanvas(page, ['disc', 200, 300, 3, vertex]);
  await expectCanvas(page, ['disc', 500, 350, 3, vertex]);
  await context.close();
}

async function damagedStart() {
  log('a start whose title picture is damaged, in the plain build (without SIMD): the error ' +
      'box, then the error in the page');
  const { context, page } = await openPage('damaged start', {
    route: {
      url: '**/files/vex.vex.gz',
      handler: async (r) => {
        const response = await r.fetch();
        const body = gunzipSync(await response.body());
        // a trailer that claims a larger picture than the file holds
        body.fill(0xff, body.length - 4);
        await r.fulfill({ response, body: gzipSync(body) });
      },
    },
  });
  await page.goto(`${base}&simd=0`);
  await until('the error box', () => visible(page, 'box'), 20000);
  if (page.wasm.join() !== 'index.wasm') fail(`?simd=0 took ${page.wasm}, not the plain build`);
  const box = await page.evaluate(() => [document.getElementById('box-caption').textContent,
                                         document.getElementById('box-text').textContent]);
  log(`  box "${box[0]}": ${JSON.stringify(box[1])}`);
  if (!box[0] || !box[1]) fail('the box has no caption or text');
  await page.click('#box-buttons button');
  const end = await until('the end of the program', async () => {
    const s = await stats(page);
    return s.ended && s;
  });
  if (end.exitCode !== 1) fail(`exit code ${end.exitCode} after a fatal error`);
  const shown = await page.evaluate(() => [document.getElementById('end-caption').textContent,
                                           document.getElementById('end-text').textContent,
                                           !document.getElementById('end-error').hidden,
                                           document.getElementById('end').innerText]);
  if (!shown[2] || shown[0] !== box[0] || shown[1] !== box[1])
    fail(`the page does not show the error: ${JSON.stringify(shown)}`);
  if (!shown[3].includes('A program véget ért.')) fail('end of the program not shown');
  await page.screenshot({ path: join(out, 'end-error.png') });
  await context.close();
}

// the servers the tests start besides the first, stopped at the end whatever happened
const servers = [];

// The bytes of a first visit in each language, as the static server sent them (no compression),
// the service worker's own fetches included; the English pictures only with English.
async function firstVisitWeight() {
  for (const language of ['hu', 'en']) {
    const { server: counted, base: at } = await serve(pageDir);
    servers.push(counted);
    const { context, page } = await openPage(`first visit (${language})`);
    await page.goto(new URL(`?lang=${language}`, at).href);
    await until('the first frame', async () => (await stats(page))?.frames > 0, 20000);
    // the worker, told what the visit loaded, keeps it (from the browser's cache)
    await until('the service worker keeping the files', () => page.evaluate(async () => {
      const names = await caches.keys();
      if (names.length !== 1) return false;
      const keys = await (await caches.open(names[0])).keys();
      return keys.some((k) => k.url.endsWith('.wasm')) && keys.some((k) => k.url.endsWith('.gz'));
    }), 10000);
    await sleep(500);
    const bytes = counted.served.reduce((sum, [, size]) => sum + size, 0);
    const paths = counted.served.map(([status, size, path]) => `${path} ${size}${
      status === 200 ? '' : ` (${status})`}`);
    log(`  first visit in ${language}: ${bytes} bytes: ${paths.join(', ')}`);
    if (bytes > 1.0e6) fail(`a first visit in ${language} downloads ${bytes} bytes`);
    const english = counted.served.filter(([, , path]) => path.startsWith('/files/en/'));
    const hungarian = counted.served.filter(([, , path]) => /^\/files\/[a-z]+\.vex/.test(path));
    if (language === 'hu' && english.length) fail('the Hungarian page fetched English pictures');
    if (counted.served.some(([, , path]) => path.includes('@')))
      fail('a visit at device pixel ratio 1 fetched pictures made at a larger size');
    if (language === 'en' && (english.length !== 3 || hungarian.length))
      fail('the English page did not fetch just the English pictures');
    await expectCanvas(page, ['intro', language === 'hu' ? assets : join(assets, 'en')]);
    await context.close();
    counted.kill();
  }
}

// The single file, alone in a folder (as on a stick), opened with no network at all.
async function singleFile() {
  const stick = join(out, 'stick');
  rmSync(stick, { recursive: true, force: true });
  mkdirSync(stick);
  const file = join(stick, 'vexel-egyenes.html');
  cpSync(join(pageDir, 'vexel-egyenes.html'), file);
  const size = statSync(file).size;
  log(`the single file: ${size} bytes`);
  if (size > 1.3e6) fail(`vexel-egyenes.html has ${size} bytes`);
  await session('single file', `${pathToFileURL(file).href}?lang=hu`, { offline: true });
}

// The served page without network after a visit, and a new build served afterwards.
async function offlineAndUpdate() {
  log('the page without network after a first visit, then a new build');
  const copy = join(out, 'served');
  rmSync(copy, { recursive: true, force: true });
  cpSync(pageDir, copy, { recursive: true });
  let { server: first, base: at } = await serve(copy);
  servers.push(first);
  const url = new URL('?lang=hu', at).href;
  const { context, page } = await openPage('offline');
  await page.goto(url);
  await until('the first frame', async () => (await stats(page))?.frames > 0, 20000);
  const kept = () => page.evaluate(async () => {
    const names = await caches.keys();
    if (names.length !== 1 || !navigator.serviceWorker.controller) return null;
    const keys = (await (await caches.open(names[0])).keys()).map((k) => k.url);
    return keys.length >= 10 && keys.some((k) => k.endsWith('/')) && names[0];
  });
  const firstCache = await until('the service worker keeping the page', kept, 10000);
  // what Chrome asks of a page it offers to install, and the manifest it read
  const cdp = await context.newCDPSession(page);
  // (the test's browser context is a private one, which Chrome never installs from)
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  const missing = installabilityErrors.filter((e) => e.errorId !== 'in-incognito');
  if (missing.length) fail(`not installable: ${JSON.stringify(missing)}`);
  const { errors, data } = await cdp.send('Page.getAppManifest');
  const manifest = JSON.parse(data ?? '{}');
  if (errors.length || manifest.name !== 'VEXEL egyenes' || manifest.display !== 'fullscreen' ||
      manifest.orientation !== 'landscape')
    fail(`manifest ${data} (${JSON.stringify(errors)})`);
  await cdp.detach();
  log('  installable; the worker keeps the page');
  first.kill();
  await sleep(300);
  await page.reload();
  await until('the first frame without network', async () => (await stats(page))?.frames > 0,
              20000);
  await expectCanvas(page, ['intro', assets]);
  log('  ran without network');

  // a new build: another script and another worker
  const port = new URL(at).port;
  writeFileSync(join(copy, 'index.js'),
                `window.vexelBuildMark = 'new';\n${readFileSync(join(copy, 'index.js'), 'utf8')}`);
  writeFileSync(join(copy, 'sw.js'),
                readFileSync(join(copy, 'sw.js'), 'utf8').replace(/const build = '/, "$&new-"));
  ({ server: first } = await serve(copy, { port }));
  servers.push(first);
  await page.goto(url);
  await until('the first frame of the new build', async () => (await stats(page))?.frames > 0,
              20000);
  log('  the next visit runs');
  const mark = await page.evaluate(() => window.vexelBuildMark);
  if (mark !== 'new') fail('the next visit after a new build ran the old one');
  const secondCache = await until('the new worker keeping its files', async () => {
    const name = await kept();
    return name && name !== firstCache && name;
  }, 30000);
  log(`  the new build ran; its files kept in ${secondCache} (before: ${firstCache})`);
  await context.close();
  first.kill();
}

async function figureInTheAddress() {
  log('a figure line in the address, in the plain build: the figure it gives, Ctrl+S as two ' +
      'downloads, Ctrl+C, and the address following a drag and a chapter');
  const { context, page } = await openPage('figure', {
    options: { acceptDownloads: true, permissions: ['clipboard-read', 'clipboard-write'] },
  });
  const figure = 'A=200.0,300.0;B=650.0,405.0;C=420.0,100.0;ch=3';
  await page.goto(`${base}&simd=0#${figure}`);
  await until('the first frame', async () => (await stats(page))?.frames > 0, 20000);
  await click(page, 400, 20);
  await expectCanvas(page, ['panel', assets, 3, 0]);
  await expectCanvas(page, ['disc', 200, 300, 3, vertex]);
  await expectCanvas(page, ['ring', incircle, 80, 100, 200, 300, 650, 405, 420, 100]);
  const historyLength = await page.evaluate(() => history.length);

  const downloads = [];
  page.on('download', (d) => downloads.push(d));
  await page.keyboard.press('Control+s');
  await until('two downloads', () => downloads.length === 2, 10000);
  const names = downloads.map((d) => d.suggestedFilename()).sort();
  log(`  downloads: ${names.join(', ')}`);
  if (!/^vexel-beirt-kor-\d{8}-\d{6}\.png$/.test(names[0]) ||
      names[1] !== names[0].replace(/png$/, 'svg'))
    fail(`downloads named ${names}`);
  for (const d of downloads) {
    const file = join(out, d.suggestedFilename());
    await d.saveAs(file);
    const bytes = readFileSync(file);
    if (file.endsWith('.png')) {
      // the signature, then the header: 800 x 458, 8-bit RGB
      if (bytes.readUInt32BE(16) !== 800 || bytes.readUInt32BE(20) !== 458 ||
          bytes.toString('latin1', 1, 4) !== 'PNG')
        fail(`the PNG download is not an 800 x 458 PNG`);
    } else if (!bytes.toString().includes('viewBox="0 0 800 458"') ||
               !bytes.toString().includes('<title>VEXEL egyenes – Beírt kör</title>')) {
      fail('the SVG download is not the figure\'s drawing');
    }
  }

  await page.keyboard.press('Control+c');
  const copied = await until('the copied line', async () => (await stats(page)).copied);
  if (copied !== figure) fail(`copied "${copied}", not "${figure}"`);
  const clipboard = await page.evaluate(() => navigator.clipboard.readText());
  if (clipboard !== figure) fail(`the clipboard holds "${clipboard}"`);

  await drag(page, [200, 300], [240, 320]);
  await page.mouse.move(...(await toPage(page, 700, 60)));
  const dragged = 'A=240.0,320.0;B=650.0,405.0;C=420.0,100.0;ch=3';
  await until(`the address after the drag (${dragged})`,
              async () => decodeURIComponent(new URL(page.url()).hash) === `#${dragged}`);
  await page.keyboard.press('5');
  await until('the address after chapter 6', async () =>
    decodeURIComponent(new URL(page.url()).hash) === `#${dragged.replace('ch=3', 'ch=6')}`);
  if ((await page.evaluate(() => history.length)) !== historyLength)
    fail('the address made new history entries');
  log(`  the address: ${decodeURIComponent(new URL(page.url()).hash)}`);
  await page.screenshot({ path: join(out, 'figure.png') });
  await context.close();

  log('a bad figure line in the address: its message in the page, and the default figure');
  const bad = await openPage('bad figure');
  await bad.page.goto(`${base}&simd=0#A=1,1;B=2,2;C=3,3;q=1`);
  await until('the first frame', async () => (await stats(bad.page))?.frames > 0, 20000);
  await click(bad.page, 400, 20);
  await until('the box', () => visible(bad.page, 'box'), 10000);
  const text = await bad.page.evaluate(() => document.getElementById('box-text').textContent);
  log(`  box: ${JSON.stringify(text)}`);
  if (!text.includes("unknown key 'q'") || !text.includes('The default figure is shown.'))
    fail(`the box says ${JSON.stringify(text)}`);
  await bad.page.click('#box-buttons button');
  await expectCanvas(bad.page, ['circumcircle', circumcircle, 85, 100, ...start]);
  await bad.context.close();
}

// A quick drag while a frame is late: the page's thread is held by a busy loop for the whole
// drag (a press on vertex 1, then ten moves of 10 px 60 ms apart), so all of it reaches the
// program between two of its frames; the release comes a little later. The vertex must still be
// taken and follow. VEXEL_PAGE_DRAG_RUNS: how many fresh pages try it (1 unless given).
async function quickDrags() {
  const runs = Number(process.env.VEXEL_PAGE_DRAG_RUNS || 1);
  for (let run = 1; run <= runs; run++) {
    log(`a quick drag within one late frame (${run} of ${runs})`);
    const { context, page } = await openPage('quick drag');
    await page.goto(base);
    await expectCanvas(page, ['intro', assets], 20000);
    await click(page, 400, 20);
    await expectCanvas(page, ['panel', assets, 2, 0]);
    await expectCanvas(page, ['disc', 300, 400, 3, vertex]);
    const at = [];
    for (let k = 0; k <= 10; k++) at.push(await toPage(page, 300 - 10 * k, 400 - 10 * k));
    await page.mouse.move(...at[0]);
    await sleep(300);
    const pointer = (type, [x, y], buttons) => page.evaluate(([type, x, y, buttons]) => {
      const send = (t, px, py, b) => document.getElementById('canvas').dispatchEvent(
          new PointerEvent(t, { isPrimary: true, pointerId: 1, pointerType: 'mouse', button: 0,
                                buttons: b, clientX: px, clientY: py, bubbles: true }));
      if (type !== 'drag') return send(type, x, y, buttons);
      send('pointerdown', x[0][0], x[0][1], 1);
      for (let k = 1; k < x.length; k++) {
        const until = performance.now() + 60;
        while (performance.now() < until) {}
        send('pointermove', x[k][0], x[k][1], 1);
      }
    }, [type, x, y, buttons]);
    await pointer('drag', [at, 0], 1);
    await sleep(300);
    await pointer('pointerup', at[10], 0);
    await page.mouse.move(...(await toPage(page, 700, 60)));
    await expectCanvas(page, ['disc', 200, 300, 3, vertex]);
    await expectCanvas(page, ['backdrop', assets, 300, 400, 4]);
    await context.close();
  }
}

// The page at device pixel ratio 2 (the canvas shown at 800 x 600 CSS pixels, 1600 x 1200 device
// pixels): the larger backdrop fetched, the frame drawn at the canvas's size and shown 1:1; a drag,
// a chapter button and the slider in the frame's own pixels; O the original picture and back; the
// ratio 1 and 3; ratio 1 in a window of 1920 x 1080, drawn sharp as well.
async function densityTwo() {
  log('the page at device pixel ratio 2');
  const { context, page } = await openPage('density 2', {
    options: { viewport: { width: 800, height: 600 }, deviceScaleFactor: 2 },
  });
  const fetched = [];
  page.on('request', (r) => fetched.push(new URL(r.url()).pathname));
  await page.goto(base);
  const canvasSize = () => page.evaluate(() => {
    const c = document.getElementById('canvas');
    return `${c.width} x ${c.height}`;
  });
  // the intro is drawn at the canvas's size too
  await until('the intro at 1600 x 1200', async () => (await canvasSize()) === '1600 x 1200',
              20000);
  await click(page, 400, 20);
  if (!fetched.includes('/files/menu@2.vex.gz')) fail('the larger backdrop was not fetched');

  // Of the screenshot, where it shows the canvas (at k device pixels to a frame pixel): the pixels
  // that differ from the canvas's own, and the pixels of the figure that differ from a neighbour
  // showing the same frame pixel were the 800 x 600 frame enlarged (none where it is); the full
  // screen button over the canvas left out.
  const sharpness = async () => {
    const shot = (await page.screenshot()).toString('base64');
    return page.evaluate(async (shot) => {
      const bitmap = await createImageBitmap(await (await fetch(`data:image/png;base64,${shot}`))
                                                 .blob());
      const o = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
      o.drawImage(bitmap, 0, 0);
      const s = o.getImageData(0, 0, bitmap.width, bitmap.height).data;
      const c = document.getElementById('canvas');
      const own = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      const r = devicePixelRatio, box = c.getBoundingClientRect();
      const left = Math.round(box.left * r), top = Math.round(box.top * r);
      const width = Math.round(box.width * r), k = width / 800;
      const cover = document.getElementById('fullscreen').getBoundingClientRect();
      const w = bitmap.width, at = (x, y) => ((top + y) * w + left + x) * 4;
      const covered = (x, y) => left + x >= r * cover.left && left + x < r * cover.right &&
                                top + y >= r * cover.top && top + y < r * cover.bottom;
      let differ = -1, mixed = 0;
      if (c.width === width && c.height === Math.round(box.height * r)) {
        differ = 0;
        for (let y = 0, j = 0; y < c.height; y++)
          for (let x = 0, i = at(0, y); x < c.width; x++, i += 4, j += 4)
            if (!covered(x, y) &&
                (s[i] !== own[j] || s[i + 1] !== own[j + 1] || s[i + 2] !== own[j + 2]))
              differ++;
      }
      const same = (a, b) => s[a] === s[b] && s[a + 1] === s[b + 1] && s[a + 2] === s[b + 2];
      const pixel = (x) => Math.floor((x + 0.5) / k);  // the frame pixel a shown pixel enlarges
      for (let y = 0; y < Math.floor(k * 458) - 1; y++)
        for (let x = 0; x < width - 1; x++) {
          const a = at(x, y);
          if (!covered(x, y) &&
              ((pixel(x + 1) === pixel(x) && !same(a, at(x + 1, y))) ||
               (pixel(y + 1) === pixel(y) && !same(a, at(x, y + 1)))))
            mixed++;
        }
      return { differ, mixed };
    }, shot);
  };
  await sleep(500);
  const sharp = await sharpness();
  log(`  sharp: ${sharp.differ} pixels of the screenshot differ from the canvas's; ` +
      `${sharp.mixed} pixels of the figure unlike their enlarged neighbour`);
  if (sharp.differ !== 0) fail(`the canvas is not shown 1:1 (${sharp.differ} pixels differ)`);
  if (sharp.mixed < 1000) fail(`the figure looks enlarged from 800 x 600 (${sharp.mixed})`);
  await page.screenshot({ path: join(out, 'density2-sharp.png') });
  // the larger pictures this first visit fetched are kept for a visit without network
  const larger = fetched.filter((path) => /@[0-9]+\.vex\.gz$/.test(path));
  const unkept = () => page.evaluate(async (larger) => {
    const names = await caches.keys();
    if (names.length !== 1) return larger;
    const keys = (await (await caches.open(names[0])).keys()).map((k) => new URL(k.url).pathname);
    return larger.filter((path) => !keys.includes(path));
  }, larger);
  await until('the larger pictures kept by the service worker',
              async () => (await unkept()).length === 0, 10000)
    .catch(async () => fail(`not kept for a visit without network: ${await unkept()}`));
  log(`  kept for a visit without network: ${larger.join(', ')}`);

  log('  a drag, the chapter button of chapter 9 and its slider, in the sharp picture');
  await drag(page, [300, 400], [200, 300]);
  await click(page, ...button.chapter9);
  await click(page, 775, 569);  // the slider: speed 20
  await page.mouse.move(...(await toPage(page, 700, 60)));
  if ((await canvasSize()) !== '1600 x 1200') fail('the sharp picture went away');

  log('  O: the original picture, where the drag, the chapter and the slider show');
  await page.keyboard.press('o');
  await until('the canvas at 800 x 600', async () => (await canvasSize()) === '800 x 600');
  await expectCanvas(page, ['disc', 200, 300, 3, vertex]);
  await expectCanvas(page, ['panel', assets, 9, 0, 20]);
  await page.screenshot({ path: join(out, 'density2-original.png') });
  const original = await sharpness();
  if (original.mixed !== 0) fail(`the original picture is not enlarged 2 x 2 (${original.mixed})`);
  await page.keyboard.press('o');
  await until('the sharp picture again', async () => (await canvasSize()) === '1600 x 1200');

  log('  the ratio changed as browser zoom does, the page\'s size kept: the frame follows');
  const cdp = await context.newCDPSession(page);
  for (const [ratio, size] of [[1, '800 x 600'], [3, '2400 x 1800']]) {
    await cdp.send('Emulation.setDeviceMetricsOverride',
                   { width: 800, height: 600, deviceScaleFactor: ratio, mobile: false });
    await until(`the canvas at ${size} at ratio ${ratio}`,
                async () => (await canvasSize()) === size);
  }

  log('  ratio 1 in a window of 1920 x 1080 (a projector): the frame drawn at 1440 x 1080');
  await cdp.send('Emulation.setDeviceMetricsOverride',
                 { width: 1920, height: 1080, deviceScaleFactor: 1, mobile: false });
  await until('the canvas at 1440 x 1080', async () => (await canvasSize()) === '1440 x 1080');
  await sleep(500);
  const projector = await sharpness();
  log(`  sharp at ratio 1: ${projector.differ} pixels differ from the canvas's; ` +
      `${projector.mixed} pixels of the figure unlike their enlarged neighbour`);
  if (projector.differ !== 0) fail(`the canvas is not shown 1:1 (${projector.differ} differ)`);
  if (projector.mixed < 1000) fail(`the figure looks enlarged at ratio 1 (${projector.mixed})`);
  await context.close();
}

let status = 0;
try {
  if (process.env.VEXEL_PAGE_ONLY !== 'figure') {
    await session();
    await quickDrags();
    await damagedStart();
    await firstVisitWeight();
    await singleFile();
    await offlineAndUpdate();
    await densityTwo();
  }
  await figureInTheAddress();
} catch (e) {
  fail(e.stack ?? String(e));
}
await browser.close();
server.kill();
for (const other of servers) other.kill();
if (failures) {
  console.log(`${failures} failure(s); canvas and screenshots in ${out}`);
  status = 1;
} else {
  log('PASS');
}
process.exit(status);
