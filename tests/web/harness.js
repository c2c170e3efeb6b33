// What every browser test of the page needs: headless Chromium, the page
// served as a web host would, the game's probe, checks and the summary.
"use strict";
const fs = require("fs");
const path = require("path");
const zlib = require("zlib");
const puppeteer = require("puppeteer-core");
const { serve } = require("../../web/serve.js");

const chromium = process.env.CHROMIUM || "/usr/bin/chromium";

// The game's screens, in the order of its Screen enumeration, and what the
// probe can tell about the running game.
const Screen = { TitleMenu: 2, LevelMenu: 3, PlayLevel: 5, LevelEnd: 6, WatchRecord: 8, WorldBoard: 9, NameEntry: 10 };
const Probe = {
  Screen: 0, HeroY: 1, Score: 2, Record: 3, Paused: 4, Pace: 5, Practising: 6, Checkpoints: 7, PlayedFrames: 8,
  NameState: 9, WorldRank: 10, OutboxRuns: 11, WorldGhostY: 12, BoardRows: 13,
};
// The name entry's states (once the name is sent), as the probe tells them.
const NameState = { NotSent: 0, Waiting: 1, Created: 2, Refused: 3, Failed: 4 };

const counts = { passed: 0, failed: 0 };
function check(ok, what, detail = "") {
  if (ok) {
    counts.passed++;
    console.log(`ok: ${what}`);
  } else {
    counts.failed++;
    console.log(`FAIL: ${what}${detail ? ": " + detail : ""}`);
  }
  return ok;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const probe = (page, what) => page.evaluate((w) => _probeGame(w), what);

async function waitForScreen(page, screen, timeout) {
  await page.waitForFunction(
    (s) => typeof _probeGame === "function" && _probeGame(0) === s, { timeout, polling: 10 }, screen);
}

function launchBrowser(args = []) {
  return puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ["--no-sandbox", "--autoplay-policy=no-user-gesture-required", "--mute-audio", ...args],
  });
}

// Serves the folder `root` on `port` (0: any free one), and /api/ with `api`
// when given (as serve.js does). sent() counts the bytes it sent so far,
// headers included, as sent (gzip); stop() closes it and every connection a
// browser keeps open, as a network gone would.
async function startServer(root, port = 0, api = null) {
  const server = await serve(root, port, api);
  const at = server.address().port;
  const sockets = new Set();
  server.on("connection", (socket) => sockets.add(socket));
  const sent = () => [...sockets].reduce((sum, socket) => sum + socket.bytesWritten, 0);
  const stop = () => {
    server.close();
    server.closeAllConnections();
  };
  return { server, port: at, base: `http://127.0.0.1:${at}/`, sent, stop };
}

// Where a test keeps the console's errors and the paths the page asked for.
const newLog = () => ({ errors: [], requests: [] });

// The page's cover says it is ready to start (in words for a mouse and keys,
// or for a touch screen).
async function waitForReady(page, timeout = 60000) {
  await page.waitForFunction(
    () => /^(Cliquez|Touchez)/.test(document.getElementById("message").textContent), { timeout });
}

const pressEnter = (page) => page.keyboard.press("Enter");

// Opens the page in a new tab, records its console and its downloads, and
// starts the game once the page says it is ready. `options`: viewport (as
// puppeteer's setViewport takes it), before(page) run before the page loads
// (to fake what the browser offers), start(page) the gesture that starts the
// game (Enter by default). Resolves to the tab and loadGame's timings.
async function openGame(browser, base, log, options = {}) {
  const { viewport = { width: 1000, height: 700 }, before = null, start = pressEnter } = options;
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.on("console", (message) => {
    if (message.type() === "error") log.errors.push(message.text());
  });
  page.on("pageerror", (error) => log.errors.push(String(error)));
  page.on("requestfinished", (request) => log.requests.push(new URL(request.url()).pathname));
  // The length of each pass of the game between two waits: a pass that
  // moved the score drew a frame of play.
  await page.evaluateOnNewDocument(() => {
    window.passTimes = [];
    const plainSetTimeout = window.setTimeout;
    window.setTimeout = function (callback, ...rest) {
      if (typeof callback !== "function") return plainSetTimeout(callback, ...rest);
      return plainSetTimeout(function (...args) {
        const before = typeof _probeGame === "function" ? _probeGame(2) : -1;
        const start = performance.now();
        const result = callback.apply(this, args);
        const took = performance.now() - start;
        if (typeof _probeGame === "function" && _probeGame(0) === 5 && _probeGame(2) !== before) {
          // The canvas draws what it was asked lazily; reading a pixel makes
          // it finish, so that its drawing counts in the frame's time.
          document.getElementById("canvas").getContext("2d").getImageData(0, 0, 1, 1);
          window.passTimes.push([took, performance.now() - start]);
        }
        return result;
      }, ...rest);
    };
  });
  if (before) await before(page);
  return { page, ...await loadGame(page, () => page.goto(base), start) };
}

// Loads the page in `page` by `navigate` (a goto or a reload), starts the
// game with `start` once the page is ready, and resolves to the
// milliseconds from navigation to the page being ready and to the title menu.
async function loadGame(page, navigate, start = pressEnter) {
  const started = Date.now();
  await navigate();
  await waitForReady(page);
  const ready = Date.now() - started;
  await start(page);
  await waitForScreen(page, Screen.TitleMenu, 30000);
  return { ready, title: Date.now() - started };
}

// The frames of play the tab has drawn so far (openGame times them): checks
// that a frame fits in the game's frame period, and gives how many there
// were, the median and 95th percentile of their times and the median of the
// program's part, in milliseconds, with a line that says so.
async function playFrames(page) {
  const passes = await page.evaluate(() => window.passTimes);
  const program = passes.map((p) => p[0]).sort((a, b) => a - b);
  const times = passes.map((p) => p[1]).sort((a, b) => a - b);
  const frames = {
    count: times.length,
    programMedian: program[Math.floor(program.length / 2)],
    median: times[Math.floor(times.length / 2)],
    percentile95: times[Math.floor(times.length * 0.95)],
  };
  check(frames.count > 50 && frames.median < 30, "a frame of play takes less than the frame period",
    `median ${frames.median} ms over ${frames.count} frames`);
  frames.text = `play frame median ${frames.median?.toFixed(2)} ms ` +
    `(the program's part ${frames.programMedian?.toFixed(2)} ms), ` +
    `95th percentile ${frames.percentile95?.toFixed(2)} ms over ${frames.count} frames`;
  return frames;
}

// Waits for the hero to run on the ground, then holds the jump (`press`)
// for 1.2 s and lets go (`release`) for 1.2 s, sampling the hero body's
// height every 2 ms. Resolves to the ground's height, the heights, and how
// many of them came before the release.
async function holdJump(page, press, release) {
  await page.waitForFunction(() => {
    const y = _probeGame(1);
    const same = window.lastY === y;
    window.lastY = y;
    return same && _probeGame(2) > 10;
  }, { polling: 100, timeout: 10000 });
  const ground = await probe(page, Probe.HeroY);
  await page.evaluate(() => {
    window.heights = [];
    window.watch = setInterval(() => window.heights.push(_probeGame(1)), 2);
  });
  await press();
  await sleep(1200);
  const releasedAt = await page.evaluate(() => window.heights.length);
  await release();
  await sleep(1200);
  const heights = await page.evaluate(() => {
    clearInterval(window.watch);
    return window.heights;
  });
  return { ground, heights, releasedAt };
}

// The on-page rectangle of the canvas, and of the page's corner buttons.
const box = (page, id) => page.evaluate((id) => {
  const element = document.getElementById(id);
  if (element.hidden) return null;
  const { left, top, right, bottom } = element.getBoundingClientRect();
  return { left, top, right, bottom };
}, id);

// Where the point (x, y) of the game's picture is on the page.
async function onPage(page, [x, y]) {
  const canvas = await box(page, "canvas");
  const scale = (canvas.right - canvas.left) / 720;
  return { x: canvas.left + x * scale, y: canvas.top + y * scale };
}

async function tap(page, point) {
  const { x, y } = await onPage(page, point);
  await page.touchscreen.tap(x, y);
}

function gzipBytes(file) {
  return zlib.gzipSync(fs.readFileSync(file)).length;
}

// The bytes of the files under `root` that the paths in `requests` name, as
// the server sends them (gzip).
function downloadedBytes(root, requests) {
  const files = [...new Set(requests)].map((p) => path.join(root, p.endsWith("/") ? p + "index.html" : p));
  return files.filter((f) => fs.existsSync(f)).reduce((sum, f) => sum + gzipBytes(f), 0);
}

// Runs a test's body, then prints the summary line and leaves with its
// exit code: 0 when every check passed.
function run(name, body) {
  body().then(() => {
    console.log(`${name}: ${counts.passed} passed, ${counts.failed} failed`);
    process.exit(counts.failed === 0 ? 0 : 1);
  }, (error) => {
    console.log(`FAIL: ${error.stack || error}`);
    console.log(`${name}: ${counts.passed} passed, ${counts.failed + 1} failed`);
    process.exit(1);
  });
}

module.exports = {
  Screen, Probe, NameState, check, sleep, probe, waitForScreen, waitForReady, launchBrowser, startServer, newLog,
  openGame, loadGame, holdJump, playFrames, box, onPage, tap, gzipBytes, downloadedBytes, run,
};
