// platform: completes the page that the WebAssembly builds left in a folder (./web.sh runs it):
// the program's four files of each language compressed with gzip (files/), and the pictures
// made at a larger size (name@N.vex) beside them, named in the page, which fetches them only at
// a device pixel ratio above 1; the icons and the web app manifest, the service worker with this
// build's name and, from all of them, the single-file page vexel-egyenes.html that opens from a
// folder without network (without the larger pictures: there the program enlarges the 800 x 600
// ones, and the file stays small enough to pass around).
// Usage: node pack_page.mjs <page folder> <folder of the program's files> <icon.svg>
import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { existsSync, mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

const here = dirname(fileURLToPath(import.meta.url));
const [page, assets, iconSvg] = process.argv.slice(2).map((a) => resolve(a));
if (!iconSvg) {
  console.error('usage: pack_page.mjs <page folder> <folder of the program files> <icon.svg>');
  process.exit(2);
}

// the files the program reads, in the file system the page builds for it
const programFiles = ['Fonts.fnt', 'menu.vex', 'sugo.vex', 'vex.vex', 'en/menu.vex', 'en/sugo.vex',
                      'en/vex.vex'];
// the larger pictures of each language the build made (menu@2.vex...)
const largePictures = ['', 'en/'].flatMap((folder) => (existsSync(join(assets, folder))
  ? readdirSync(join(assets, folder)).filter((name) => /^[a-z]+@[0-9]+\.vex$/.test(name)).sort()
      .map((name) => folder + name)
  : []));
// the packed file of older builds is not part of the page any more
rmSync(join(page, 'index.data'), { force: true });
const packed = {};
for (const name of [...programFiles, ...largePictures]) {
  // level 9 and no name or time in the header: the same files give the same bytes
  packed[name] = gzipSync(readFileSync(join(assets, name)), { level: 9 });
  mkdirSync(dirname(join(page, 'files', name)), { recursive: true });
  writeFileSync(join(page, 'files', `${name}.gz`), packed[name]);
}

// the icon as the pictures an installed app shows
for (const size of [192, 512])
  execFileSync('rsvg-convert', ['--width', String(size), '--height', String(size), '--format', 'png',
                                '--output', join(page, `icon-${size}.png`), iconSvg]);
const manifest = {
  name: 'VEXEL egyenes',
  short_name: 'VEXEL',
  description: 'A háromszög nevezetes vonalai és a Simson-egyenes, mozgatható csúcsokkal.',
  lang: 'hu',
  start_url: './',
  scope: './',
  display: 'fullscreen',
  orientation: 'landscape',
  background_color: '#000000',
  theme_color: '#000000',
  icons: [
    { src: 'favicon.svg', sizes: 'any', type: 'image/svg+xml' },
    { src: 'icon-192.png', sizes: '192x192', type: 'image/png' },
    { src: 'icon-512.png', sizes: '512x512', type: 'image/png' },
  ],
};
writeFileSync(join(page, 'manifest.webmanifest'), `${JSON.stringify(manifest, null, 2)}\n`);

// the service worker carries the name of this build: a new build is a new worker, which drops
// the files the old one kept
// the page names the larger pictures it may fetch
const listed = /vexelLargePictures: \[[^\]]*\]/;
const servedPage = readFileSync(join(page, 'index.html'), 'utf8');
if (!listed.test(servedPage)) {
  console.error('error: the page has no list of larger pictures (vexelLargePictures)');
  process.exit(1);
}
writeFileSync(join(page, 'index.html'),
              servedPage.replace(listed, `vexelLargePictures: ${JSON.stringify(largePictures)}`));
const served = ['index.html', 'index.js', 'index.wasm', 'index.simd.wasm', 'favicon.svg',
                'manifest.webmanifest', 'icon-192.png', 'icon-512.png',
                ...[...programFiles, ...largePictures].map((name) => `files/${name}.gz`)];
const hash = createHash('sha256');
for (const name of served) hash.update(name).update(readFileSync(join(page, name)));
const build = hash.digest('hex').slice(0, 16);
writeFileSync(join(page, 'sw.js'),
              readFileSync(join(here, 'service_worker.js'), 'utf8').replace('@BUILD@', build));

// The single file: the page with its script, both builds of the program and the files of both
// languages inside, gzip-packed and base64; the manifest and the worker need a web address and
// are left out.
const base64 = (bytes) => Buffer.from(bytes).toString('base64');
const inline = (text) => text.replace(/<\/script/gi, '<\\/script');
const embedded = {};
for (const name of programFiles) embedded[name] = base64(packed[name]);
// The program too is packed with gzip (less than half the bytes): the browser unpacks it and
// instantiates it itself, as Emscripten lets a page do through instantiateWasm.
const packedProgram = (name) => JSON.stringify(base64(gzipSync(readFileSync(join(page, name)),
                                                               { level: 9 })));
const prelude = `Module.instantiateWasm = function (imports, receive) {
  var text = atob(Module.vexelSimd ? ${packedProgram('index.simd.wasm')}
                                   : ${packedProgram('index.wasm')});
  var bytes = new Uint8Array(text.length);
  for (var i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  new Response(new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip')))
    .arrayBuffer()
    .then(function (program) { return WebAssembly.instantiate(program, imports); })
    .then(function (result) { receive(result.instance, result.module); },
          function (error) { Module.onAbort && Module.onAbort(error); });
  return {};
};
Module.vexelEmbedded = ${JSON.stringify(embedded)};`;
let html = readFileSync(join(page, 'index.html'), 'utf8');
const script = '<script async type="text/javascript" src="index.js"></script>';
const pieces = [
  [script, `<script>\n${inline(prelude)}\n</script>\n<script>\n${
    inline(readFileSync(join(page, 'index.js'), 'utf8'))}\n</script>`],
  ['href="favicon.svg"', `href="data:image/svg+xml;base64,${
    base64(readFileSync(join(page, 'favicon.svg')))}"`],
  [/<link rel="manifest"[^>]*>\n/, ''],
  [/<link rel="apple-touch-icon"[^>]*>\n/, ''],
  [listed, 'vexelLargePictures: []'],
];
for (const [from, to] of pieces) {
  if (!html.match(from)) {
    console.error(`error: the page has no ${from}`);
    process.exit(1);
  }
  html = html.replace(from, () => to);
}
writeFileSync(join(page, 'vexel-egyenes.html'), html);
const size = (bytes) => `${(bytes / 1e6).toFixed(2)} MB`;
console.log(`vexel-egyenes.html: ${size(Buffer.byteLength(html))}; build ${build}`);
