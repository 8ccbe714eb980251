// A small static web server for the page: serves one folder at 127.0.0.1.
// Usage: node scripts/serve.mjs <folder> [port] [--log]   (port 0: any free port; the address is
// printed)
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';

const root = resolve(process.argv[2] ?? '.');
const port = Number(process.argv[3] ?? 8000);
const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream',
  '.svg': 'image/svg+xml', '.png': 'image/png', '.ico': 'image/x-icon',
  '.gz': 'application/gzip', '.webmanifest': 'application/manifest+json',
};
// --log: one line on standard output per answer (status, bytes of the body, path), for the tests
// that count what the browser downloads
const log = process.argv.includes('--log');

const server = createServer(async (request, response) => {
  // a path the URL parser or the decoder refuses ("//?a", "/%E0%A4") is the client's error: it
  // must not end the server
  let path;
  try {
    path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
  } catch {
    response.writeHead(400, { 'Content-Type': 'text/plain' }).end('bad request\n');
    return;
  }
  let file = normalize(join(root, path));
  if (file !== root && !file.startsWith(root + sep)) {
    response.writeHead(403).end();
    return;
  }
  if (path.endsWith('/')) file = join(file, 'index.html');
  try {
    const body = await readFile(file);
    response.writeHead(200, {
      'Content-Type': types[extname(file)] ?? 'application/octet-stream',
      'Cache-Control': 'no-cache',
    });
    response.end(request.method === 'HEAD' ? undefined : body);
    if (log) console.log(`served 200 ${request.method === 'HEAD' ? 0 : body.length} ${path}`);
  } catch {
    response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
    if (log) console.log(`served 404 0 ${path}`);
  }
});
server.listen(port, '127.0.0.1', () => {
  console.log(`serving ${root} at http://127.0.0.1:${server.address().port}/`);
});
