// The page as an installed app, in headless Chromium: installable, playing
// with the network off after one visit, records included, replaced whole by
// a new build, and playing on when the browser refuses its storage.
//   node tests/web/offline_test.js BUILD_WEB
"use strict";
const { execFileSync } = require("child_process");
const fs = require("fs");
const http = require("http");
const os = require("os");
const path = require("path");
const {
  Screen, Probe, check, sleep, probe, waitForScreen, waitForReady, launchBrowser, startServer, newLog, openGame,
  loadGame, downloadedBytes, run,
} = require("./harness.js");

const root = path.resolve(process.argv[2]);
const source = path.resolve(__dirname, "../..");
const RebuiltTitle = "MOSSLANCE Hero (nouvelle version)";

// The records file the game wrote, and what it holds.
function savedRecord(page) {
  return page.evaluate(() => {
    const names = FS.readdir("Save").filter((n) => /^records-\d+\.rcd$/.test(n));
    return names.map((n) => n + ": " + FS.readFile("Save/" + n, { encoding: "utf8" })).join(", ");
  });
}

// The caches the page's origin holds.
const cacheNames = (page) => page.evaluate(() => caches.keys());

// A copy of the page as the next build would make it: a new title, and the
// service worker written again by the build's own step. `spoil` then
// changes a byte of the data, as a server still receiving the build would
// send it.
function rebuiltPage(folder, spoil) {
  fs.mkdirSync(folder);
  for (const name of fs.readdirSync(root)) {
    if (fs.statSync(path.join(root, name)).isFile()) fs.copyFileSync(path.join(root, name), path.join(folder, name));
  }
  const page = path.join(folder, "index.html");
  fs.writeFileSync(page, fs.readFileSync(page, "utf8").replace("<title>MOSSLANCE Hero</title>",
    `<title>${RebuiltTitle}</title>`));
  execFileSync("cmake", [`-DPAGE=${folder}`, `-DTEMPLATE=${source}/web/sw.js`, "-P",
    `${source}/cmake/web_worker.cmake`]);
  if (spoil) {
    const data = path.join(folder, "mosslance-hero.data");
    const bytes = fs.readFileSync(data);
    bytes[bytes.length >> 1] ^= 1;
    fs.writeFileSync(data, bytes);
  }
}

// Asks the browser to look for a new service worker now, and resolves to
// what became of it: "activated", "redundant" (its install failed) or
// "none" (the worker is unchanged). A worker that takes over reloads the page.
function updateWorker(page) {
  return page.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    await registration.update().catch(() => {});
    const worker = registration.installing || registration.waiting;
    if (!worker) return "none";
    await new Promise((resolve) => {
      const settled = () => ["activated", "redundant"].includes(worker.state) && resolve();
      worker.addEventListener("statechange", settled);
      settled();
    });
    return worker.state;
  }).catch((error) => String(error));
}

// Ways a browser refuses IndexedDB, set up before the page's own scripts run.
const refusals = [
  ["an open that fails", () => {
    indexedDB.open = function () {
      const request = { error: new DOMException("Stockage bloqué", "UnknownError") };
      setTimeout(() => request.onerror && request.onerror({ target: request, preventDefault() {} }), 0);
      return request;
    };
  }],
  ["an open that throws", () => {
    indexedDB.open = () => { throw new DOMException("Stockage bloqué", "SecurityError"); };
  }],
];

run("offline", async () => {
  const browser = await launchBrowser();
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "mosslance-offline-"));
  let served = await startServer(root);
  const { port, base } = served;
  const log = newLog();
  const figures = {};
  try {
    // The first visit: the page downloads the game, the service worker keeps it.
    const first = await openGame(browser, base, log);
    const page = first.page;
    figures.first = first;
    await page.evaluate(() => navigator.serviceWorker.ready);
    figures.firstBytes = served.sent();
    figures.pageBytes = downloadedBytes(root, log.requests);

    // A malformed address is refused, and the server serves on.
    const status = (address) => new Promise((resolve) => {
      http.get(base + address, (response) => {
        response.resume();
        resolve(response.statusCode);
      }).on("error", (error) => resolve(error.message));
    });
    const statuses = [await status("%E0%A4%A"), await status("")];
    check(statuses[0] === 400 && statuses[1] === 200, "the server refuses a malformed address and serves on",
      statuses.join(", "));

    const session = await page.target().createCDPSession();
    const { installabilityErrors } = await session.send("Page.getInstallabilityErrors");
    check(installabilityErrors.length === 0, "Chromium can install the page as an app",
      JSON.stringify(installabilityErrors));

    // A record: the first level, played until the hero falls.
    await page.keyboard.press("Space");
    await waitForScreen(page, Screen.LevelMenu, 5000);
    await sleep(300);
    await page.keyboard.press("Space");
    await waitForScreen(page, Screen.LevelEnd, 60000);
    await page.waitForFunction(() => _probeGame(3) === _probeGame(2) && _probeGame(3) > 0,
      { timeout: 5000, polling: 10 });
    const record = await savedRecord(page);

    // The network gone, the same tab reloaded: from the kept copy only.
    served.stop();
    await page.setOfflineMode(true);
    const cached = await loadGame(page, () => page.reload()).catch((error) => ({ error }));
    figures.cached = cached;
    check(!cached.error, "with the network off, a reload reaches the title menu", String(cached.error));
    const kept = await savedRecord(page).catch((error) => String(error));
    check(kept === record && record !== "", "offline, the record of the first visit is still there",
      `"${kept}", was "${record}"`);
    await page.close();

    // A new build whose data arrives spoilt is never installed: the next
    // visit still has the first build, whole.
    rebuiltPage(path.join(scratch, "spoilt"), true);
    served = await startServer(path.join(scratch, "spoilt"), port);
    const spoilt = await openGame(browser, base, log);
    const update = await updateWorker(spoilt.page);
    check(update === "redundant" && await spoilt.page.title() === "MOSSLANCE Hero" &&
      (await cacheNames(spoilt.page)).length === 1,
      "a new build that arrives spoilt leaves the kept page as it was",
      `worker ${update}, title "${await spoilt.page.title()}", caches ${await cacheNames(spoilt.page)}`);
    const before = await cacheNames(spoilt.page);
    await spoilt.page.close();
    served.stop();

    // The whole new build at the same address: the next visit loads it once
    // the new worker has it all, before the game is started.
    rebuiltPage(path.join(scratch, "rebuilt"), false);
    served = await startServer(path.join(scratch, "rebuilt"), port);
    const next = await browser.newPage();
    await next.goto(base);
    const replaced = await next.waitForFunction((t) => document.title === t, { timeout: 30000 }, RebuiltTitle)
      .then(() => true, () => false);
    await waitForReady(next);
    const after = await cacheNames(next);
    check(replaced && after.length === 1 && after[0] !== before[0],
      "the next visit after a new build shows the new page, and keeps only its files",
      `title "${await next.title()}", caches ${before} then ${after}`);
    await next.close();

    check(log.errors.length === 0, "the console shows no error", log.errors.join(" | "));

    // Storage refused, in a fresh profile: the game plays from memory and
    // the page says once that records will not be kept.
    for (const [how, refuse] of refusals) {
      const context = await browser.createBrowserContext();
      const blockedLog = newLog();
      const blocked = await openGame(context, base, blockedLog, { before: (p) => p.evaluateOnNewDocument(refuse) })
        .catch((error) => ({ error }));
      if (!check(!blocked.error, `storage refused by ${how}: the game reaches its title menu`, String(blocked.error))) {
        await context.close();
        continue;
      }
      const notice = await blocked.page.evaluate(() => {
        const line = document.getElementById("notice");
        return line.hidden ? "" : line.textContent;
      });
      await blocked.page.keyboard.press("Space");
      await waitForScreen(blocked.page, Screen.LevelMenu, 5000).catch(() => {});
      const screen = await probe(blocked.page, Probe.Screen);
      check(/records ne seront pas gardés/.test(notice) && screen === Screen.LevelMenu &&
        blockedLog.errors.length === 0,
        `storage refused by ${how}: the page says records will not be kept, and the game plays on`,
        `line "${notice}", screen ${screen}, errors ${blockedLog.errors.join(" | ")}`);
      await context.close();
    }
  } finally {
    await browser.close();
    served.stop();
    fs.rmSync(scratch, { recursive: true, force: true });
  }

  console.log(`figures: first visit ${(figures.firstBytes / 1e6).toFixed(2)} MB sent compressed ` +
    `(the page's own requests ${(figures.pageBytes / 1e6).toFixed(2)} MB, the rest the service worker's checks); ` +
    `page ready and title menu ${figures.first.ready} and ${figures.first.title} ms after navigation on a ` +
    `first visit, ${figures.cached.ready} and ${figures.cached.title} ms on a reload with the network off`);
});
