// Cost of the page in headless Chromium while the point of the pedal-line chapter turns: frames
// presented against the browser's animation frames, our time per frame (compose, convert, put on
// the canvas) and the processor time of all of Chromium's processes.
// Usage: node page_bench.mjs <page folder> [seconds]   (VEXEL_NODE_DIR: playwright-core's folder)
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

const { server, base } = await serve(pageDir);
const browser = await launch();
const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
const page = await context.newPage();
await page.addInitScript(() => {
  window.animationFrames = 0;
  const tick = () => {
    window.animationFrames++;
    requestAnimationFrame(tick);
  };
  requestAnimationFrame(tick);
});
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

const shot = () => page.evaluate(() => {
  const d = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 800, 458).data;
  let h = 0;
  for (let i = 0; i < d.length; i += 4) h = (h * 31 + d[i] + d[i + 1] * 7 + d[i + 2] * 13) | 0;
  return h;
});
const pid = server.pid;
const before = { s: await stats(page), raf: await page.evaluate(() => window.animationFrames),
                 cpu: treeTime(pid), at: performance.now(), picture: await shot() };
await sleep(seconds * 1000);
const after = { s: await stats(page), raf: await page.evaluate(() => window.animationFrames),
                cpu: treeTime(pid), at: performance.now(), picture: await shot() };

const elapsed = (after.at - before.at) / 1000;
const frames = after.s.frames - before.s.frames;
const animationFrames = after.raf - before.raf;
// the work times of the frames presented in the window (a ring of the last 1000)
const n = Math.min(frames, 1000);
const ring = after.s.work, at = after.s.workAt;
const work = [];
for (let k = 1; k <= n; k++) work.push(ring[(at - k + 1000) % 1000]);
work.sort((a, b) => a - b);
const q = (f) => work[Math.min(work.length - 1, Math.floor(f * work.length))];
const cpu = (after.cpu.total - before.cpu.total) / elapsed * 100;

console.log(`over ${elapsed.toFixed(1)} s while the point turns (viewport 1366 x 768, canvas ` +
            `shown at 1024 x 768, software compositing):`);
console.log(`  frames presented      ${frames} (${(frames / elapsed).toFixed(1)} per s)`);
const rate = (animationFrames / elapsed).toFixed(1);
console.log(`  animation frames      ${animationFrames} (${rate} per s)`);
console.log(`  the picture changed   ${before.picture !== after.picture ? 'yes' : 'NO'}`);
const perFrame = (key) => (after.s[key] - before.s[key]) / Math.max(frames, 1);
console.log(`  put on the canvas     ${perFrame('rectangles').toFixed(1)} rectangles, ` +
            `${(perFrame('pixels') / 1000).toFixed(1)} thousand pixels per frame`);
// (the fastest tenth tells the work from the waits on a busy machine)
console.log(`  our time per frame    median ${q(0.5).toFixed(2)} ms, ` +
            `10% ${q(0.1).toFixed(2)} ms, 90% ${q(0.9).toFixed(2)} ms, ` +
            `max ${work[work.length - 1].toFixed(2)} ms (bar: median 2 ms)`);
console.log(`  Chromium processor    ${cpu.toFixed(1)}% of one core over ${after.cpu.count} ` +
            `processes (bar: 30%)`);
const share = Object.keys(after.cpu.kinds).map((k) =>
  `${k} ${((after.cpu.kinds[k] - (before.cpu.kinds[k] ?? 0)) / elapsed * 100).toFixed(1)}%`);
console.log(`    of which             ${share.join(', ')}`);
if (process.env.VEXEL_BENCH_SHOT) await page.screenshot({ path: process.env.VEXEL_BENCH_SHOT });
await context.close();

// The floor, for comparison: the same browser showing a page that only asks for every animation
// frame and draws nothing.
const idle = await (await browser.newContext({ viewport: { width: 1366, height: 768 } })).newPage();
await idle.setContent('<body style="background:#000"><script>' +
                      'const f = () => requestAnimationFrame(f); f();</script></body>');
await sleep(1000);
const idleBefore = { cpu: treeTime(pid), at: performance.now() };
await sleep(seconds * 1000);
const idleCpu = (treeTime(pid).total - idleBefore.cpu.total) /
                ((performance.now() - idleBefore.at) / 1000) * 100;
console.log(`  the floor             ${idleCpu.toFixed(1)}% of one core for a page that only ` +
            `runs requestAnimationFrame`);
await browser.close();
server.kill();

// The bars, as the other benchmarks give them: 1 when a figure misses its bar. A high floor says
// the machine was busy or slowed down while it measured (a quiet machine gives a few per cent):
// then every figure above is the machine's as much as the page's.
const missed = [];
if (frames < 0.95 * animationFrames) missed.push('frames presented < 95% of the animation frames');
if (q(0.5) > 2) missed.push('median time per frame > 2 ms');
if (cpu > 30) missed.push('Chromium > 30% of one core');
if (idleCpu > 10)
  console.log('note: the floor is above 10%: the machine was busy or slowed down; measure again ' +
              'when it is quiet');
console.log(missed.length ? `bar missed: ${missed.join('; ')}` : 'all bars met');
process.exit(missed.length ? 1 : 0);
