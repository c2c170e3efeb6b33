// Plays the page served by the game's own server, as players meet the world
// board: on a phone by touch, a first record goes on the board under the
// name typed in the page's field; on a desktop, a record made offline gets
// there once the network is back, the board screen lists, scrolls and plays
// a run, and the world record's ghost races the run the board holds. A page
// on a static host shows nothing of the board, and a hostile server costs
// the player nothing.
//   node tests/web/board_test.js BUILD_WEB GAME_DIR SERVER_PROGRAM
// With SHOTS_DIR set, it keeps screenshots of the board screen and of the
// world record's ghost there.
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { spawn } = require("child_process");
const {
  Screen, Probe, NameState, check, sleep, probe, waitForScreen, launchBrowser, startServer, newLog,
  openGame, loadGame, box, tap, playFrames, run,
} = require("./harness.js");

const [root, gameDir, serverProgram] = process.argv.slice(2).map((p) => path.resolve(p));
const shotsDir = process.env.SHOTS_DIR;
async function shot(page, name) {
  if (!shotsDir) return;
  const canvas = await box(page, "canvas");
  await page.screenshot({
    path: path.join(shotsDir, `${name}.png`),
    clip: { x: canvas.left, y: canvas.top, width: canvas.right - canvas.left, height: canvas.bottom - canvas.top },
  });
}
const Sideways = { width: 844, height: 390, isMobile: true, hasTouch: true };

// Where the screens draw what a finger touches, in the game's 720 x 480
// picture: the title menu's "Jouer", the end of a level's "Menu principal",
// the middle of the level menu, and its world board line.
const Play = [480, 250];
const MainMenu = [250, 324];
const Middle = [360, 240];
const BoardLine = [141, 292];

// Other players who ranked the phone's run before the desktop's, so that
// the desktop player's line lies below the top ten.
const OtherPlayers = 12;

// The leaderboard server on a free port and a new SQLite file, serving the
// page as well. Resolves once it listens.
function startBoardServer() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "mosslance-board-"));
  const child = spawn(serverProgram, [
    "--data", gameDir, "--web", root, "--listen", "127.0.0.1:0", "--database", path.join(folder, "board.sqlite"),
    "--players-per-minute", "1000", "--submissions-per-minute", "1000",
  ], { stdio: ["ignore", "pipe", "inherit"] });
  const stop = () => {
    child.kill("SIGTERM");
    fs.rmSync(folder, { recursive: true, force: true });
  };
  return new Promise((resolve, reject) => {
    let said = "";
    const timer = setTimeout(() => reject(new Error(`the server did not start: ${said}`)), 20000);
    child.on("exit", (code) => reject(new Error(`the server ended (${code}): ${said}`)));
    child.stdout.on("data", (data) => {
      said += data;
      const listening = /a l'ecoute sur (http:\/\/127\.0\.0\.1:\d+)\//.exec(said);
      if (listening) {
        clearTimeout(timer);
        resolve({ base: `${listening[1]}/`, stop });
      }
    });
  });
}

async function api(base, method, route, body = null, token = "") {
  const headers = { "Content-Type": "application/json" };
  if (token) headers.Authorization = `Bearer ${token}`;
  const response = await fetch(new URL(route, base), { method, headers, body: body && JSON.stringify(body) });
  return { status: response.status, body: await response.json() };
}

const topOf = async (base, level) => (await api(base, "GET", `/api/v1/levels/${level}/top`)).body;

// Waits until the probe's `what` is `value`; false when `timeout` ms passed.
const waitForProbe = (page, what, value, timeout) => page.waitForFunction(
  (w, v) => _probeGame(w) === v, { timeout, polling: 50 }, what, value).then(() => true, () => false);

// The hero body's height in each frame of play, and the world record
// ghost's, sampled every 2 ms from now until stopHeights.
function startHeights(page) {
  return page.evaluate(() => {
    window.heights = { hero: {}, ghost: {} };
    window.heightWatch = setInterval(() => {
      if (_probeGame(0) !== 5) return;
      const frame = _probeGame(8);
      window.heights.hero[frame] = _probeGame(1);
      if (_probeGame(12) >= 0) window.heights.ghost[frame] = _probeGame(12);
    }, 2);
  });
}
const stopHeights = (page) => page.evaluate(() => {
  clearInterval(window.heightWatch);
  return window.heights;
});

// The record of the level just ended, once the end of the level has saved it.
const recordMade = (page) => page.waitForFunction(() => _probeGame(3) > 0, { timeout: 5000 })
  .then(() => probe(page, Probe.Record), () => 0);

// Pixels bluer than they are red in a 100-pixel-wide box of the canvas
// centred on column `x`, from row `top` to `bottom`: the world record's
// ghost is tinted sky blue over the woods' greens and browns.
const bluish = (page, x, top, bottom) => page.evaluate((x, top, bottom) => {
  const pixels = document.getElementById("canvas").getContext("2d").getImageData(x - 50, top, 100, bottom - top).data;
  let count = 0;
  for (let i = 0; i < pixels.length; i += 4) {
    if (pixels[i + 2] > pixels[i] + 10) count++;
  }
  return count;
}, x, top, bottom);
// The hero's (and the ghosts') column in the picture.
const HeroX = 310;

const readSave = (page, name) => page.evaluate((file) => {
  try {
    return FS.readFile(`Save/${file}`, { encoding: "utf8" });
  } catch (error) {
    return null;
  }
}, name);

const nameBoxShown = (page) => page.evaluate(() => {
  const field = document.getElementById("name");
  return !document.getElementById("namebox").hidden && document.activeElement === field;
});

// A phone player: the first record of level 1, by touch, goes on the board
// under the name typed in the page's field. Resolves to the run's heights.
async function phonePlayer(browser, base) {
  const context = await browser.createBrowserContext();
  const { page } = await openGame(context, base, newLog(), {
    viewport: Sideways,
    start: (page) => page.touchscreen.tap(Sideways.width / 2, Sideways.height / 2),
  });
  check(await page.evaluate(() => Module.boardServer === location.origin),
    "a page served by the game's server finds the world board there");
  await tap(page, Play);
  await waitForScreen(page, Screen.LevelMenu, 5000);
  await tap(page, Middle);
  await waitForScreen(page, Screen.PlayLevel, 5000);
  await startHeights(page);
  await waitForScreen(page, Screen.LevelEnd, 60000);
  const heights = (await stopHeights(page)).hero;
  const record = await recordMade(page);
  await tap(page, MainMenu);
  await waitForScreen(page, Screen.NameEntry, 5000).catch(() => {});
  await sleep(300);
  const field = await box(page, "name");
  const canvas = await box(page, "canvas");
  check(await probe(page, Probe.Screen) === Screen.NameEntry && field !== null &&
    field.top > canvas.top && field.bottom < canvas.bottom,
    "after a first record, the phone shows the page's name field over the game", JSON.stringify(field));

  await page.tap("#name");
  await page.keyboard.type("Téléphone");
  await page.tap("#namebox button[type=submit]");
  const created = await waitForProbe(page, Probe.NameState, NameState.Created, 10000);
  await sleep(200);
  check(created && await box(page, "namebox") === null,
    "a tap on Envoyer makes the account, and the field goes", `name state ${await probe(page, Probe.NameState)}`);
  await tap(page, Middle);
  await waitForScreen(page, Screen.TitleMenu, 5000);
  await tap(page, Play);
  await waitForScreen(page, Screen.LevelMenu, 5000);
  const ranked = await waitForProbe(page, Probe.WorldRank, 1, 20000);
  const top = await topOf(base, 0);
  check(ranked && top.entries[0]?.name === "Téléphone" && top.entries[0]?.score === record,
    "the record goes on the board under that name, and the level menu shows rank 1",
    `rank ${await probe(page, Probe.WorldRank)}; board ${JSON.stringify(top.entries[0])}, record ${record}`);

  await tap(page, BoardLine);
  await waitForScreen(page, Screen.WorldBoard, 5000).catch(() => {});
  const listed = await waitForProbe(page, Probe.BoardRows, 1, 10000);
  check(await probe(page, Probe.Screen) === Screen.WorldBoard && listed,
    "a tap on the level menu's board line opens the level's board",
    `screen ${await probe(page, Probe.Screen)}, ${await probe(page, Probe.BoardRows)} rows`);
  const replay = await readSave(page, "replay-0.rpl");
  await context.close();
  return { heights, replay, record };
}

// Other players rank the same run, after the phone's.
async function otherPlayers(base, replay) {
  const statuses = [];
  for (let i = 0; i < OtherPlayers; i++) {
    const player = await api(base, "POST", "/api/v1/players", { name: `Autre ${String.fromCharCode(65 + i)}` });
    const ranked = await api(base, "POST", "/api/v1/runs", { level: 0, replay }, player.body.token);
    statuses.push(`${player.status}/${ranked.status}`);
  }
  check(statuses.every((s) => s === "201/200"), "other players rank the phone's run", statuses.join(" "));
}

// A desktop player: names itself with the keyboard, makes a record offline,
// goes through the board screen and races the world record's ghost.
async function desktopPlayer(browser, base, phone) {
  const context = await browser.createBrowserContext();
  const { page } = await openGame(context, base, newLog());
  const press = (key) => page.keyboard.press(key);
  await press("Space");
  await waitForScreen(page, Screen.LevelMenu, 5000);
  await press("Space");
  await waitForScreen(page, Screen.LevelEnd, 60000);
  const record = await recordMade(page);
  await press("ArrowDown");
  await press("Space");
  await waitForScreen(page, Screen.NameEntry, 5000).catch(() => {});
  await sleep(300);
  check(await nameBoxShown(page), "on a desktop too the name is typed in the page's field, which has the keys");
  // What a name may not hold never reaches the game; Backspace takes back.
  await page.keyboard.type("Zo<éx");
  await press("Backspace");
  await page.keyboard.type("-1");
  const typed = await page.$eval("#name", (field) => field.value);
  await press("Enter");
  const created = await waitForProbe(page, Probe.NameState, NameState.Created, 10000);
  await press("Space");
  await waitForScreen(page, Screen.TitleMenu, 5000);
  await press("Space");
  await waitForScreen(page, Screen.LevelMenu, 5000);
  const rank = OtherPlayers + 2;
  const ranked = await waitForProbe(page, Probe.WorldRank, rank, 20000);
  const top = await api(base, "GET", `/api/v1/levels/0/top?offset=${rank - 1}&limit=1`);
  check(typed === "Zoé-1" && created && ranked && top.body.entries[0]?.name === "Zoé-1" &&
    record > 0 && record === phone.record,
    `the name typed with the keys, "Zoé-1", ranks the desktop's record ${rank}th`,
    `field "${typed}", rank ${await probe(page, Probe.WorldRank)}, ${JSON.stringify(top.body.entries[0])}`);

  // Level 2 offline: the record waits in the outbox, through a reload with
  // the network still off (from the service worker's copy), and reaches the
  // board once the network is back.
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.setOfflineMode(true);
  await press("ArrowRight");
  await press("Space");
  await waitForScreen(page, Screen.LevelEnd, 60000);
  const offlineRecord = await recordMade(page);
  await press("ArrowDown");
  await press("Space");
  await waitForScreen(page, Screen.TitleMenu, 5000);
  await sleep(1500);
  const waiting = await probe(page, Probe.OutboxRuns);
  const reloaded = await loadGame(page, () => page.reload()).then(() => true, () => false);
  const waitingStill = await probe(page, Probe.OutboxRuns);
  await page.setOfflineMode(false);
  const sent = await waitForProbe(page, Probe.OutboxRuns, 0, 40000);
  const offlineTop = await topOf(base, 1);
  check(waiting === 1 && reloaded && waitingStill === 1 && sent && offlineTop.entries[0]?.name === "Zoé-1" &&
    offlineTop.entries[0]?.score === offlineRecord,
    "a record made offline waits in the outbox, through a reload offline, and is on the board once the " +
    "network is back",
    `waiting ${waiting}, after the reload ${reloaded} ${waitingStill}, sent ${sent}, ` +
    `board ${JSON.stringify(offlineTop.entries[0])}`);

  // The board screen: the top ten and the player's own line below them
  // (moving through them is the game's, tested without the page); Space
  // fetches and plays the top run.
  await press("Space");
  await waitForScreen(page, Screen.LevelMenu, 5000);
  await press("ArrowLeft");
  await press("KeyC");
  await waitForScreen(page, Screen.WorldBoard, 5000);
  await page.waitForFunction(() => _probeGame(13) > 10, { timeout: 20000 }).catch(() => {});
  const rows = await probe(page, Probe.BoardRows);
  await shot(page, "board-page");
  await press("Space");
  await waitForScreen(page, Screen.WatchRecord, 10000).catch(() => {});
  const watching = await probe(page, Probe.Screen);
  await sleep(1000);
  const watchedScore = await probe(page, Probe.Score);
  await press("Escape");
  await waitForScreen(page, Screen.WorldBoard, 5000).catch(() => {});
  check(rows > 10 && watching === Screen.WatchRecord && watchedScore > 0 &&
    await probe(page, Probe.Screen) === Screen.WorldBoard,
    "the board screen lists the top ten and the player's line, plays the top run, and Escape goes back",
    `${rows} rows, watched score ${watchedScore}`);
  await press("Escape");
  await waitForScreen(page, Screen.LevelMenu, 5000);

  // G picks the world record's ghost, which the level menu then fetches and
  // keeps; the next run races it. It follows the phone's run frame for
  // frame, while the hero, held up in the air, goes its own way.
  await press("Space");
  await waitForScreen(page, Screen.PlayLevel, 5000);
  await press("KeyG");
  await waitForScreen(page, Screen.LevelEnd, 60000);
  await press("ArrowDown");
  await press("Space");
  await waitForScreen(page, Screen.TitleMenu, 5000);
  await press("Space");
  await waitForScreen(page, Screen.LevelMenu, 5000);
  await page.waitForFunction(() => {
    try {
      return FS.stat("Save/fantome-monde-0.rpl").size > 0;
    } catch (error) {
      return false;
    }
  }, { timeout: 10000, polling: 100 }).catch(() => {});
  const kept = await readSave(page, "fantome-monde-0.rpl");
  await startHeights(page);
  await press("Space");
  await waitForScreen(page, Screen.PlayLevel, 5000);
  // Once the hero has come down on the ground.
  await page.waitForFunction(() => _probeGame(8) > 40, { timeout: 10000, polling: 20 });
  await page.keyboard.down("Space");
  await sleep(300);
  await shot(page, "world-ghost-page");
  const ghostAt = await probe(page, Probe.WorldGhostY);
  const drawn = [await bluish(page, HeroX, ghostAt - 85, ghostAt + 10),
    await bluish(page, HeroX + 200, ghostAt - 85, ghostAt + 10)];
  await page.keyboard.up("Space");
  await waitForScreen(page, Screen.LevelEnd, 60000);
  const { hero, ghost } = await stopHeights(page);
  const frames = Object.keys(ghost);
  const astray = frames.filter((frame) => phone.heights[frame] !== undefined && phone.heights[frame] !== ghost[frame]);
  const apart = frames.filter((frame) => hero[frame] !== undefined && hero[frame] !== ghost[frame]);
  check(kept === phone.replay && frames.length > 50 && astray.length === 0 && apart.length > 5,
    "the world record's ghost is kept, and follows the phone's run frame for frame, apart from the hero",
    `kept ${kept === phone.replay}; ${frames.length} frames, ${astray.length} astray (${astray.slice(0, 5)}), ` +
    `${apart.length} apart from the hero`);
  check(drawn[0] > 3 * drawn[1] + 200, "the world record's ghost is drawn, in blue, where it runs",
    `${drawn[0]} bluish pixels there, ${drawn[1]} beside it`);
  await context.close();
}

// A page on a static host: no board, and the game plays as before.
async function staticHost(browser) {
  const site = await startServer(root);
  const context = await browser.createBrowserContext();
  try {
    const log = newLog();
    const { page } = await openGame(context, site.base, log);
    await page.keyboard.press("Space");
    await waitForScreen(page, Screen.LevelMenu, 5000);
    const asked = log.requests.filter((p) => p.startsWith("/api/"));
    check(await probe(page, Probe.WorldRank) === -1 && asked.length === 0 && log.errors.length === 0,
      "a page on a static host finds no board, asks nothing of one and shows nothing of it",
      `asked ${asked.join(" ")}; errors ${log.errors.join(" | ")}`);
  } finally {
    await context.close();
    site.stop();
  }
}

// A hostile server: an endless board, a redirect loop for the ticket, a
// name that is never answered, a run that is no replay. The page cuts the
// board short, follows no redirect, gives the name up after its timeout
// and lets the player type again, and every frame of play stays on time.
async function hostileServer(browser) {
  const seen = { board: [], attempts: 0 };
  const site = await startServer(root, 0, (request, response) => {
    const route = new URL(request.url, "http://localhost").pathname;
    const json = { "Content-Type": "application/json" };
    if (/^\/api\/v1\/levels\/\d+$/.test(route)) {
      const sent = { bytes: 0, whole: false };
      seen.board.push(sent);
      response.writeHead(200, json);
      const chunk = "[".repeat(64 * 1024);
      const more = () => {
        while (sent.bytes < 512 * 1024 * 1024) {
          sent.bytes += chunk.length;
          if (!response.write(chunk)) return response.once("drain", more);
        }
        sent.whole = true;
        response.end();
      };
      response.on("close", () => response.removeAllListeners("drain"));
      more();
    } else if (route === "/api/v1/attempts") {
      seen.attempts++;
      response.writeHead(302, { Location: "/api/v1/attempts" }).end();
    } else if (route === "/api/v1/players") {
      // never answered
    } else {
      response.writeHead(200, json).end("{\"rank\": ");
    }
  });
  const context = await browser.createBrowserContext();
  try {
    const { page } = await openGame(context, site.base, newLog());
    await page.keyboard.press("Space");
    await waitForScreen(page, Screen.LevelMenu, 5000);
    await sleep(1500);
    await page.keyboard.press("Space");
    await waitForScreen(page, Screen.LevelEnd, 60000);
    await playFrames(page);
    await page.keyboard.press("ArrowDown");
    await page.keyboard.press("Space");
    await waitForScreen(page, Screen.NameEntry, 5000);
    await sleep(300);
    await page.keyboard.type("Patient");
    await page.keyboard.press("Enter");
    const waiting = await waitForProbe(page, Probe.NameState, NameState.Waiting, 2000);
    const gaveUp = await waitForProbe(page, Probe.NameState, NameState.Failed, 25000);
    await sleep(300);
    const cut = seen.board.filter((sent) => !sent.whole);
    check(seen.board.length > 0 && cut.length === seen.board.length && seen.attempts === 1 &&
      await probe(page, Probe.WorldRank) === -1,
      "an endless board is cut short and a redirect is not followed",
      `${seen.board.length} boards asked, ${cut.length} cut (${seen.board.map((s) => s.bytes)} bytes sent); ` +
      `${seen.attempts} ticket requests`);
    check(waiting && gaveUp && await nameBoxShown(page),
      "a name the server never answers is given up, and the field is there to try again",
      `name state ${await probe(page, Probe.NameState)}`);
  } finally {
    await context.close();
    site.stop();
  }
}

run("board", async () => {
  const site = await startBoardServer();
  const browser = await launchBrowser();
  try {
    const phone = await phonePlayer(browser, site.base);
    await otherPlayers(site.base, phone.replay);
    await desktopPlayer(browser, site.base, phone);
    await staticHost(browser);
    await hostileServer(browser);
  } finally {
    await browser.close();
    site.stop();
  }
});
