// Browser test support: the page served by the static server, Debian's chromium driven by
// playwright-core (from the folder in VEXEL_NODE_DIR), and a user's hand on the canvas.
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const { chromium } = createRequire(resolve(process.env.VEXEL_NODE_DIR ?? '.', 'package.json'))(
  'playwright-core');

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Polls `probe` until it gives a true value, for up to `ms`; fails with what it waited for.
export async function until(what, probe, ms = 10000) {
  const deadline = Date.now() + ms;
  for (;;) {
    const last = await probe();
    if (last) return last;
    if (Date.now() > deadline) throw new Error(`waited ${ms} ms for ${what}`);
    await sleep(50);
  }
}

// Serves the folder on a free port (or on `port`); gives the server and the page's address.
// server.served lists what it answered: [status, bytes of the body, path].
export async function serve(folder, { port = 0 } = {}) {
  const server = spawn(process.execPath,
                       [join(here, '../../scripts/serve.mjs'), folder, String(port), '--log'],
                       { stdio: ['ignore', 'pipe', 'inherit'] });
  server.served = [];
  const base = await new Promise((ok, no) => {
    let pending = '';
    server.stdout.on('data', (d) => {
      const m = /at (http:\S+)/.exec(String(d));
      if (m) ok(m[1]);
      const lines = (pending + String(d)).split('\n');
      pending = lines.pop();
      for (const line of lines) {
        const served = /^served (\d+) (\d+) (.*)$/.exec(line);
        if (served) server.served.push([Number(served[1]), Number(served[2]), served[3]]);
      }
    });
    server.on('exit', () => no(new Error('the static server ended')));
  });
  return { server, base };
}

export function launch() {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

// Frame coordinates to page coordinates (the canvas is scaled and letterboxed).
export async function toPage(page, x, y) {
  const r = await page.evaluate(() => {
    const b = document.getElementById('canvas').getBoundingClientRect();
    return [b.left, b.top, b.width, b.height];
  });
  return [r[0] + (x + 0.5) * r[2] / 800, r[1] + (y + 0.5) * r[3] / 600];
}

// A click as a user makes it: the button is held across a few frames.
export async function click(page, x, y) {
  const [px, py] = await toPage(page, x, y);
  await page.mouse.move(px, py);
  await sleep(60);
  await page.mouse.down();
  await sleep(150);
  await page.mouse.up();
}

// What the page reports: frames presented, when the first came, our time per frame, the end.
export const stats = (page) => page.evaluate(() => window.vexelStats && { ...window.vexelStats });
