// Keeps the page, the program and its data, so that after one visit the
// game starts and plays with the network off (its records live in the
// browser's storage already).
//
// The build writes below every file the page ships with its SHA-256, and
// names the cache after them: a new build is a new worker with a new cache.
// It fills that cache whole, each file checked against its digest, before
// it takes over, so a page never mixes files of two builds; until then the
// old cache serves.
"use strict";
const files = @FILES@;
const cacheName = "mosslance-hero-@VERSION@";

async function fetchChecked(path) {
  // Asks the server each time (an unchanged file costs a revalidation only).
  const response = await fetch(path, { cache: "no-cache" });
  if (!response.ok) throw new Error(`${path}: ${response.status}`);
  const digest = new Uint8Array(await crypto.subtle.digest("SHA-256", await response.clone().arrayBuffer()));
  const hex = Array.from(digest, (b) => b.toString(16).padStart(2, "0")).join("");
  if (hex !== files[path]) throw new Error(`${path} is not the file this build shipped`);
  return response;
}

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const paths = Object.keys(files);
    const responses = await Promise.all(paths.map(fetchChecked));
    const cache = await caches.open(cacheName);
    try {
      await Promise.all(paths.map((path, i) => cache.put(path, responses[i])));
    } catch (error) {
      await caches.delete(cacheName);
      throw error;
    }
    await self.skipWaiting();
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith("mosslance-hero-") && name !== cacheName) await caches.delete(name);
    }
  })());
});

self.addEventListener("fetch", (event) => {
  const request = event.request;
  // The world board's answers are the server's, never kept.
  if (request.method !== "GET" || new URL(request.url).pathname.startsWith("/api/")) return;
  event.respondWith((async () => {
    const cache = await caches.open(cacheName);
    const kept = await cache.match(request, { ignoreSearch: true }) ||
      (request.mode === "navigate" && await cache.match("./"));
    return kept || fetch(request);
  })());
});
