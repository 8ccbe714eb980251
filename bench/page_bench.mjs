// Cost of the page in headless Chromium while the point of the pedal-line chapter turns: frames
// presented against the browser's animation frames, our time per frame (compose, convert, put on
// the canvas) and the processor time of all of Chromium's processes; at device pixel ratio 1 and 2
// (the canvas shown at 1024 x 768 and 2048 x 1536 device pixels, larger than the 800 x 600 frame
// both: the frame drawn at the canvas's size), the second beside a bare Canvas 2D page that draws
// the same figure at the same size every animation frame.
// Usage: node page_bench.mjs <page folder> [seconds]   (VEXEL_NODE_DIR: playwright-core's folder)
// VEXEL_BENCH_SHOT=<file.png>: screenshots of the turning point, <file>.png at ratio 1,
// <file>-density2.png and <file>-density2-original.png (after the key O) at ratio 2.
// Ends with 1 when a figure misses its bar, 2 on an error.
import { readdirSync, readFileSync } from 'node:fs';
import { resolve } from 'node:path';

import { click, launch, serve, sleep, stats, until } from '../tests/browser/browser.mjs';

// an error ends with 2, as in the other benchmarks (1 is a missed bar)
process.on('uncaughtException', (e) => {
  console.error(`error: ${e.stack ?? e}`);
  process.exit(2);
});

const pageDir = resolve(process.argv[2] ?? 'build/web');
const seconds = Number(process.argv[3] ?? 10);
const ticksPerSecond = 100;  // USER_HZ, the unit of the times in /proc/<pid>/stat

// Processor time (s) of the descendants of this process but `except` (the static server): the
// browser playwright-core started and every process the browser started.
function treeTime(except) {
  const root = process.pid;
  const parent = new Map(), time = new Map();
  for (const name of readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const stat = readFileSync(`/proc/${name}/stat`, 'utf8');
      const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parent.set(Number(name), Number(f[1]));
      time.set(Number(name), (Number(f[11]) + Number(f[12])) / ticksPerSecond);
    } catch {}  // the process ended meanwhile
  }
  let total = 0, count = 0;
  const kinds = {};
  for (const [pid, t] of time) {
    if (pid === root || pid === except) continue;
    for (let p = pid; p > 1; p = parent.get(p) ?? 0) {
      if (p === except) break;
      if (p === root) {
        total += t;
        count++;
        let kind = 'browser';
        try {
          const m = /--type=([a-z-]+)/.exec(readFileSync(`/proc/${pid}/cmdline`, 'utf8'));
          if (m) kind = m[1];
        } catch {}
        kinds[kind] = (kinds[kind] ?? 0) + t;
        break;
      }
    }
  }
  return { total, count, kinds };
}

const viewport = { width: 1366, height: 768 };
const { server, base } = await serve(pageDir);
const browser = await launch();
const pid = server.pid;

// Counts the page's animation frames from its start.
const countAnimationFrames = () => {
  window.animationFrames = 0;
  const tick = () => {
    window.animationFrames++;
    requestAnimationFrame(tick);
  };
  requestAnimationFrame(tick);
};

// Processor time and animation frames over the watch, and what `probe` gives before and after.
async function watch(page, probe) {
  const before = { p: await probe(), raf: await page.evaluate(() => window.animationFrames),
                   cpu: treeTime(pid), at: performance.now() };
  await sleep(seconds * 1000);
  const after = { p: await probe(), raf: await page.evaluate(() => window.animationFrames),
                  cpu: treeTime(pid), at: performance.now() };
  const elapsed = (after.at - before.at) / 1000;
  const kinds = Object.keys(after.cpu.kinds).map((k) =>
    `${k} ${((after.cpu.kinds[k] - (before.cpu.kinds[k] ?? 0)) / elapsed * 100).toFixed(1)}%`);
  return { before: before.p, after: after.p, elapsed, animationFrames: after.raf - before.raf,
           cpu: (after.cpu.total - before.cpu.total) / elapsed * 100, processes: after.cpu.count,
           kinds: kinds.join(', ') };
}

// The median and the other quantiles of the last `n` times of a ring of 1000.
function quantiles(ring, at, n) {
  const work = [];
  for (let k = 1; k <= Math.min(n, 1000); k++) work.push(ring[(at - k + 1000) % 1000]);
  work.sort((a, b) => a - b);
  const q = (f) => work[Math.min(work.length - 1, Math.floor(f * work.length))];
  return { median: q(0.5), low: q(0.1), high: q(0.9), max: work[work.length - 1] };
}

// The program's page at `density` in the pedal-line chapter while its point turns.
async function watchProgram(density) {
  const context = await browser.newContext({ viewport, deviceScaleFactor: density });
  const page = await context.newPage();
  await page.addInitScript(countAnimationFrames);
  await page.goto(base);
  await until('the first frame', async () => (await stats(page))?.frames > 0, 30000);
  await sleep(500);
  await click(page, 400, 20);          // ends the intro
  await sleep(500);
  await click(page, 485, 570);         // the pedal-line chapter
  await sleep(300);
  await click(page, 735, 546);         // start: the point accelerates to its speed
  await page.mouse.move(10, 10);
  await sleep(3000);
  const canvas = await page.evaluate(() => {
    const c = document.getElementById('canvas');
    return `${c.width} x ${c.height}`;
  });
  const picture = () => page.evaluate(() => {
    const c = document.getElementById('canvas');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height * 458 / 600).data;
    let h = 0;
    for (let i = 0; i < d.length; i += 4) h = (h * 31 + d[i] + d[i + 1] * 7 + d[i + 2] * 13) | 0;
    return h;
  });
  const probe = async () => ({ s: await stats(page), picture: await picture() });
  const w = await watch(page, probe);
  const frames = w.after.s.frames - w.before.s.frames;
  const perFrame = (key) => (w.after.s[key] - w.before.s[key]) / Math.max(frames, 1);
  const shot = process.env.VEXEL_BENCH_SHOT;
  if (shot && density === 1) await page.screenshot({ path: shot });
  if (shot && density !== 1) {
    const name = shot.replace(/\.png$/, '');
    await page.screenshot({ path: `${name}-density${density}.png` });
    await page.keyboard.press('o');
    await sleep(1000);
    await page.screenshot({ path: `${name}-density${density}-original.png` });
  }
  await context.close();
  return { ...w, canvas, frames, changed: w.before.picture !== w.after.picture,
           rectangles: perFrame('rectangles'), pixels: perFrame('pixels'),
           time: quantiles(w.after.s.work, w.after.s.workAt, frames) };
}

// A bare Canvas 2D page at `density`: the canvas letterboxed as the program's, its backing store
// at its size in device pixels, the backdrop (drawn once aside) and the pedal-line figure drawn
// whole every animation frame, with shadows, the point turning on the circle.
async function watchBare(density) {
  const context = await browser.newContext({ viewport, deviceScaleFactor: density });
  const page = await context.newPage();
  await page.setContent(`<body style="margin:0;background:#000;overflow:hidden">
<canvas id="c" style="display:block;margin:0 auto;width:min(100vw,calc(100vh*4/3));
                      height:min(100vh,calc(100vw*3/4))"></canvas>
<script>(${countAnimationFrames})(); (${bareFigure})();</script></body>`);
  await sleep(3000);
  const probe = () => page.evaluate(() => ({ ...window.bare }));
  const w = await watch(page, probe);
  const frames = w.after.frames - w.before.frames;
  const canvas = await page.evaluate(() => `${window.bare.width} x ${window.bare.height}`);
  await context.close();
  return { ...w, canvas, frames, changed: true,
           time: quantiles(w.after.work, w.after.workAt, frames) };
}

// (runs in the bare page)
function bareFigure() {
  const c = document.getElementById('c');
  const r = c.getBoundingClientRect();
  c.width = Math.round(r.width * devicePixelRatio);
  c.height = Math.round(r.height * devicePixelRatio);
  const g = c.getContext('2d', { alpha: false });
  const k = c.width / 800;
  window.bare = { frames: 0, work: [], workAt: 0, width: c.width, height: c.height };
  const backdrop = new OffscreenCanvas(c.width, c.height);
  const b = backdrop.getContext('2d');
  b.scale(k, k);
  b.fillStyle = '#fffcf5';
  b.fillRect(0, 0, 800, 458);
  b.fillStyle = '#263445';
  b.fillRect(0, 458, 800, 142);
  b.fillStyle = '#f4f2ee';
  for (let i = 0; i < 10; i++) b.fillRect(76 + 96 * (i % 5), 506 + 42 * Math.floor(i / 5), 92, 38);
  b.fillStyle = '#fff';
  b.font = '22px sans-serif';
  b.fillText('VEXEL egyenes', 15, 490);
  const A = [300, 400], B = [550, 405], C = [420, 150];
  // the circle through the vertices
  const d = 2 * (A[0] * (B[1] - C[1]) + B[0] * (C[1] - A[1]) + C[0] * (A[1] - B[1]));
  const sq = (p) => p[0] * p[0] + p[1] * p[1];
  const O = [(sq(A) * (B[1] - C[1]) + sq(B) * (C[1] - A[1]) + sq(C) * (A[1] - B[1])) / d,
             (sq(A) * (C[0] - B[0]) + sq(B) * (A[0] - C[0]) + sq(C) * (B[0] - A[0])) / d];
  const R = Math.hypot(A[0] - O[0], A[1] - O[1]);
  const foot = (p, u, v) => {
    const dx = v[0] - u[0], dy = v[1] - u[1];
    const t = ((p[0] - u[0]) * dx + (p[1] - u[1]) * dy) / (dx * dx + dy * dy);
    return [u[0] + t * dx, u[1] + t * dy];
  };
  const far = (u, v) => {
    const dx = v[0] - u[0], dy = v[1] - u[1], n = 2000 / Math.hypot(dx, dy);
    return [[u[0] - dx * n, u[1] - dy * n], [u[0] + dx * n, u[1] + dy * n]];
  };
  const stroke = (draw, colour, width) => {
    for (const [style, off] of [['rgba(0,0,0,0.2)', 2], [colour, 0]]) {
      g.save();
      g.translate(off, off);
      g.beginPath();
      draw();
      g.strokeStyle = style;
      g.lineWidth = width;
      g.stroke();
      g.restore();
    }
  };
  const line = (p, q, colour, width) => stroke(() => { g.moveTo(...p); g.lineTo(...q); },
                                               colour, width);
  const dot = (p, colour, radius) => {
    for (const [style, off] of [['rgba(0,0,0,0.2)', 2], [colour, 0]]) {
      g.beginPath();
      g.arc(p[0] + off, p[1] + off, radius, 0, 2 * Math.PI);
      g.fillStyle = style;
      g.fill();
    }
  };
  const frame = (t) => {
    const start = performance.now();
    g.setTransform(1, 0, 0, 1, 0, 0);
    g.drawImage(backdrop, 0, 0);
    g.setTransform(k, 0, 0, k, 0, 0);
    g.save();
    g.beginPath();
    g.rect(0, 0, 800, 458);
    g.clip();
    const angle = t / 2000;
    const P = [O[0] + R * Math.cos(angle), O[1] + R * Math.sin(angle)];
    const sides = [[A, B], [B, C], [C, A]];
    for (const [u, v] of sides) line(...far(u, v), '#000', 1);
    stroke(() => g.arc(O[0], O[1], R, 0, 2 * Math.PI), '#a00000', 2);
    for (const [u, v] of sides) line(u, v, '#000', 2.5);
    const feet = sides.map(([u, v]) => foot(P, u, v));
    for (const f of feet) line(P, f, '#f4a020', 1);
    line(...far(feet[0], feet[1]), '#ff4040', 2.5);
    for (const v of [A, B, C]) dot(v, '#000', 4);
    for (const f of feet) dot(f, '#f4c040', 3);
    dot(P, '#ff6060', 5);
    g.restore();
    const w = window.bare;
    w.work[w.workAt] = performance.now() - start;
    w.workAt = (w.workAt + 1) % 1000;
    w.frames++;
    requestAnimationFrame(frame);
  };
  requestAnimationFrame(frame);
}

// The floor: the same browser showing a page that only asks for every animation frame.
async function watchIdle() {
  const context = await browser.newContext({ viewport });
  const page = await context.newPage();
  await page.setContent(`<body style="background:#000"><script>(${countAnimationFrames})();
</script></body>`);
  await sleep(1000);
  const w = await watch(page, async () => 0);
  await context.close();
  return w;
}

const one = await watchProgram(1);
const two = await watchProgram(2);
const bare = await watchBare(2);
const idle = await watchIdle();
await browser.close();
server.kill();

const ms = (v) => `${v.toFixed(2)} ms`;
const rows = [
  ['', 'ratio 1', 'ratio 2', 'bare page, ratio 2'],
  ['canvas backing store', one.canvas, two.canvas, bare.canvas],
  ['frames per s', ...[one, two, bare].map((r) => (r.frames / r.elapsed).toFixed(1))],
  ['animation frames per s', ...[one, two, bare].map((r) =>
    (r.animationFrames / r.elapsed).toFixed(1))],
  ['the picture changed', ...[one, two, bare].map((r) => (r.changed ? 'yes' : 'NO'))],
  ['rectangles per frame', ...[one, two].map((r) => r.rectangles.toFixed(1)), '(whole)'],
  ['thousand pixels put', ...[one, two].map((r) => (r.pixels / 1000).toFixed(1)),
   (bare.canvas.split(' x ').reduce((a, b) => a * b) / 1000).toFixed(1)],
  ['time per frame: median', ...[one, two, bare].map((r) => ms(r.time.median))],
  ['                10% / 90%', ...[one, two, bare].map((r) =>
    `${r.time.low.toFixed(2)} / ${r.time.high.toFixed(2)}`)],
  ['                max', ...[one, two, bare].map((r) => ms(r.time.max))],
  ['Chromium, % of a core', ...[one, two, bare].map((r) => `${r.cpu.toFixed(1)}%`)],
];
console.log(`over ${seconds} s each while the point turns (viewport ${viewport.width} x ` +
            `${viewport.height}, canvas shown at 1024 x 768 CSS pixels, software compositing); ` +
            'our time per frame: compose, convert, put on the canvas; the bare page\'s: its ' +
            'drawing calls');
for (const row of rows)
  console.log(`  ${row[0].padEnd(26)}${row.slice(1).map((c) => String(c).padEnd(20)).join('')}`);
for (const [name, r] of [['ratio 1', one], ['ratio 2', two], ['bare page', bare]])
  console.log(`  Chromium's processes, ${name}: ${r.kinds}`);
console.log(`  the floor: ${idle.cpu.toFixed(1)}% of one core for a page that only runs ` +
            'requestAnimationFrame');

// The bars, as the other benchmarks give them: 1 when a figure misses its bar. A high floor says
// the machine was busy or slowed down while it measured (a quiet machine gives a few per cent):
// then every figure above is the machine's as much as the page's.
const missed = [];
for (const [name, r] of [['ratio 1', one], ['ratio 2', two]]) {
  if (r.frames < 0.95 * r.animationFrames)
    missed.push(`${name}: frames presented < 95% of the animation frames`);
  if (!r.changed) missed.push(`${name}: the picture did not change`);
  if (r.time.median > 2) missed.push(`${name}: median time per frame > 2 ms`);
}
if (one.cpu > 30) missed.push('ratio 1: Chromium > 30% of one core');
if (two.cpu > bare.cpu) missed.push('ratio 2: Chromium above the bare Canvas 2D page');
if (idle.cpu > 10)
  console.log('note: the floor is above 10%: the machine was busy or slowed down; measure again ' +
              'when it is quiet');
console.log(missed.length ? `bar missed: ${missed.join('; ')}` : 'all bars met');
process.exit(missed.length ? 1 : 0);
