// Offline play: every file of one build in a cache named after the build, so a new build
// (a new sw.js, since the name is in it) installs beside the old one, takes over once its files
// are all in, and the old cache is dropped. Requests are answered from the cache first; what
// the cache does not hold goes to the network as usual.
'use strict';
const CACHE = 'zandor-@BUILD@';
const FILES = [@FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    // Every file checked with the server: an older copy in the HTTP cache must not end up in
    // the new build's cache, and the copy the page has just fetched costs a 304, not its bytes.
    await cache.addAll(FILES.map((f) => new Request(f, { cache: 'no-cache' })));
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name !== CACHE && name.startsWith('zandor-')) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    // The page itself under any query (?stats) or as the folder's address.
    const hit = await cache.match(request, { ignoreSearch: request.mode === 'navigate' }) ||
                (request.mode === 'navigate' ? await cache.match('./') : undefined);
    return hit || fetch(request);
  })());
});
