// platform: the page's service worker (sw.js, made by pack_page.mjs with the build's name): it
// keeps the page's files, so that the page runs without network after a first visit and can be
// installed as an app. The network comes first while there is one, so a new build is never
// hidden behind kept files; without network the kept files answer.
'use strict';

const build = '@BUILD@';
const prefix = 'vexel-egyenes-';
const kept = prefix + build;

self.addEventListener('install', () => self.skipWaiting());

// the files of older builds go; the pages open now are served by this worker
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith(prefix) && n !== kept)
                                      .map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

// A request's key in the cache: the page itself under its folder's address, whatever its query
// (?lang=en) or name (index.html).
function key(url) {
  const u = new URL(url);
  u.search = '';
  u.hash = '';
  if (u.pathname.endsWith('/index.html')) u.pathname = u.pathname.slice(0, -'index.html'.length);
  return u.href;
}

function keep(url, response) {
  if (!response.ok || response.type !== 'basic') return Promise.resolve();
  return caches.open(kept).then((cache) => cache.put(key(url), response));
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(fetch(request).then((response) => {
    event.waitUntil(keep(request.url, response.clone()));
    return response;
  }, () => caches.open(kept)
    .then((cache) => cache.match(key(request.url)))
    .then((response) => response || Response.error())));
});

// The page names the files it loaded before this worker served it (its first visit): they are
// kept too, from the browser's own cache where it has them, so they are not fetched twice.
self.addEventListener('message', (event) => {
  const urls = event.data && Array.isArray(event.data.keep) ? event.data.keep : [];
  event.waitUntil(caches.open(kept).then((cache) => Promise.all(urls.map((url) => {
    if (new URL(url).origin !== self.location.origin) return null;
    return cache.match(key(url)).then((hit) => hit || fetch(url, { cache: 'force-cache' })
      .then((response) => keep(url, response), () => null));
  }))).then(() => event.source && event.source.postMessage({ kept: build })));
});
