// The page's service worker: keeps one build's files (the page, the program,
// its WebAssembly and contents, the manifest and icons) in a cache named
// after their contents, and serves them from there, so the game starts
// without a network and a repeat visit downloads nothing but this file's
// update check. The build writes the cache's name and the file list
// (cmake/web_offline.cmake); a build with any file changed has another name,
// so the browser sees a new worker, which fetches the new files, takes over
// at once and deletes the caches of older builds.
'use strict';

const kCacheName = '@TIDE_CACHE_NAME@';
const kCachePrefix = 'tide_marker-';
const kFiles = [@TIDE_CACHE_FILES@];

self.addEventListener('install', (event) => {
  // Checked with the server, never taken from the browser's HTTP cache
  // unasked: a file of an older build must not end up in this build's cache.
  // The page registers this worker once its own downloads are done, so where
  // the server answers revalidations this costs no second download.
  event.waitUntil(caches.open(kCacheName)
    .then((cache) => cache.addAll(kFiles.map((file) => new Request(file, { cache: 'no-cache' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith(kCachePrefix) && name !== kCacheName)
    .map((name) => caches.delete(name)))));
});

// The page's own files come from the cache (the address's query, such as
// "?stats", does not change the file; the folder's address is the page);
// anything else goes to the network as without a worker.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') return;
  const url = new URL(request.url);
  const scope = new URL(self.registration.scope);
  if (url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return;
  let name = url.pathname.slice(scope.pathname.length);
  if (name === '') name = 'index.html';
  if (!kFiles.includes(name)) return;
  event.respondWith(caches.open(kCacheName)
    .then((cache) => cache.match(name))
    .then((cached) => cached || fetch(request)));
});
