// Plays the browser version on a phone held sideways, by touches alone, and
// checks what the page does for a phone: the picture's place, the pause
// button, the request to turn an upright phone, no scrolling.
//   node tests/web/phone_test.js BUILD_WEB
// With SHOTS_DIR set, it keeps the README's phone screenshots there.
"use strict";
const path = require("path");
const {
  Screen, Probe, check, sleep, probe, waitForScreen, launchBrowser, startServer, newLog, openGame,
  holdJump, playFrames, box, tap, onPage, run,
} = require("./harness.js");

const root = path.resolve(process.argv[2]);
const shotsDir = process.env.SHOTS_DIR;
const shot = (page, name) => shotsDir ? page.screenshot({ path: path.join(shotsDir, `phone-${name}.png`) }) : null;
const Sideways = { width: 844, height: 390, isMobile: true, hasTouch: true };
const Upright = { ...Sideways, width: 390, height: 844 };

// Where the screens draw what a finger touches, in the game's 720 x 480
// picture: the title menu's "Jouer", the end of a level's "Menu principal",
// the middle of the level menu.
const Play = [480, 250];
const MainMenu = [250, 324];
const Middle = [360, 240];
const PracticeLine = [141, 221];
const PaceLine = [141, 251];

// The score, then again after `ms`: equal while the level stands still.
async function scoreOver(page, ms) {
  const before = await probe(page, Probe.Score);
  await sleep(ms);
  return [before, await probe(page, Probe.Score)];
}

// The picture keeps its shape and fills the screen's height or width on
// the phones people hold sideways, centred, with the corner buttons beside
// it where the bars are wide enough for them.
async function checkLayout(page) {
  const wrong = [];
  for (const [width, height] of [[844, 390], [667, 375], [915, 412], [740, 360], [1024, 768]]) {
    await page.setViewport({ ...Sideways, width, height });
    await sleep(100);
    const canvas = await box(page, "canvas");
    const w = canvas.right - canvas.left, h = canvas.bottom - canvas.top;
    const fills = Math.abs(h - height) < 1 || Math.abs(w - width) < 1;
    const centred = Math.abs(canvas.left - (width - canvas.right)) < 1 &&
      Math.abs(canvas.top - (height - canvas.bottom)) < 1;
    const bars = (width - w) / 2 >= 52;
    const beside = [];
    for (const id of ["fullscreen", "pause"]) {
      const button = await box(page, id);
      beside.push(button !== null && (button.right <= canvas.left || button.left >= canvas.right));
    }
    if (Math.abs(w / h - 1.5) > 0.01 || !fills || !centred || (bars && !beside.every(Boolean))) {
      wrong.push(`${width} x ${height}: picture ${w} x ${h} at ${canvas.left}, ${canvas.top}; ` +
        `buttons beside it ${beside.join(", ")}`);
    }
  }
  await page.setViewport(Sideways);
  await sleep(100);
  check(wrong.length === 0, "sideways, the picture keeps its shape, fills the screen and leaves the bars " +
    "to the buttons", wrong.join("; "));
}

// No swipe scrolls the page, on the picture or beside it. (Headless
// Chromium zooms on no pinch, whatever the page says, so that part waits
// for a real phone.)
async function checkNoScroll(page) {
  for (const [x, y] of [[60, 300], [422, 300]]) {
    await page.touchscreen.touchStart(x, y);
    for (let step = 1; step <= 10; step++) await page.touchscreen.touchMove(x + step * 5, y - step * 25);
    await page.touchscreen.touchEnd();
  }
  await sleep(300);
  const view = await page.evaluate(() =>
    [window.scrollX, window.scrollY, visualViewport.offsetLeft, visualViewport.offsetTop]);
  check(view.join() === "0,0,0,0", "a swipe does not scroll the page",
    `scroll ${view[0]}, ${view[1]}; visible part at ${view[2]}, ${view[3]}`);
}

run("phone", async () => {
  const { server, base } = await startServer(root);
  const browser = await launchBrowser();
  const log = newLog();
  try {
    // The cover asks for a touch, and a tap on it starts the game.
    const { page } = await openGame(browser, base, log, {
      viewport: Sideways,
      start: async (page) => {
        const message = await page.$eval("#message", (m) => m.textContent);
        check(message === "Touchez l'écran pour jouer.", "the cover asks a touch screen for a touch", message);
        await page.touchscreen.tap(Sideways.width / 2, Sideways.height / 2);
      },
    });
    check(await box(page, "pause") === null, "the pause button is hidden on the title menu");

    await tap(page, Play);
    await waitForScreen(page, Screen.LevelMenu, 5000).catch(() => {});
    check(await probe(page, Probe.Screen) === Screen.LevelMenu, 'a tap on "Jouer" opens the level menu');
    // Its hint line for keys is covered with what a finger does, at the
    // bottom of the picture; in a level there is none.
    await sleep(300);
    const canvas = await box(page, "canvas");
    const hint = await box(page, "touchhint");
    const text = await page.evaluate(() => document.getElementById("touchhint").textContent);
    await shot(page, "level-menu");
    await tap(page, Middle);
    await waitForScreen(page, Screen.PlayLevel, 5000).catch(() => {});
    check(await probe(page, Probe.Screen) === Screen.PlayLevel, "a tap in the middle of the level menu starts it");
    await sleep(300);
    check(hint !== null && /appui long/.test(text) && hint.left >= canvas.left && hint.right <= canvas.right &&
      hint.top > canvas.top + 0.9 * (canvas.bottom - canvas.top) && await box(page, "touchhint") === null,
      "the level menu's hint line tells a finger what it does, and goes in a level",
      `${text} at ${JSON.stringify(hint)} on ${JSON.stringify(canvas)}`);

    // Once the hero runs on the ground, a finger held on the game lifts it
    // as a held Space does, to 100 pixels, and lifted lets it fall back.
    const centre = await onPage(page, Middle);
    const { ground, heights, releasedAt } = await holdJump(page,
      () => page.touchscreen.touchStart(centre.x, centre.y), () => page.touchscreen.touchEnd());
    const top = ground - Math.min(...heights.slice(0, releasedAt));
    const last = heights.slice(-5);
    check(top === 100 && last.every((y) => Math.floor(y / 10) === Math.floor(ground / 10)),
      "a held finger lifts the hero to 100 pixels, and lifted lets it come back to the ground",
      `highest ${top} pixels up; at y ${last.join(" ")} after, on the ground at ${ground}`);

    // A second finger presses nothing again, and the first one lifting
    // early leaves Space held until the last finger lifts: the hero still
    // rises the whole 100 pixels.
    const cdp = await page.target().createCDPSession();
    const fingers = (type, ids) => cdp.send("Input.dispatchTouchEvent", {
      type, touchPoints: ids.map((id) => ({ x: centre.x + 40 * id, y: centre.y, id })),
    });
    const twoFingers = await holdJump(page, async () => {
      await fingers("touchStart", [0]);
      await sleep(60);
      await fingers("touchStart", [0, 1]);
      await sleep(60);
      await fingers("touchEnd", [1]);
    }, () => fingers("touchEnd", []));
    const twoTop = twoFingers.ground - Math.min(...twoFingers.heights.slice(0, twoFingers.releasedAt));
    const twoLast = twoFingers.heights.slice(-5);
    check(twoTop === 100 && twoLast.every((y) => Math.floor(y / 10) === Math.floor(twoFingers.ground / 10)),
      "with two fingers, the hero floats until the last one lifts, then lands",
      `highest ${twoTop} pixels up; at y ${twoLast.join(" ")} after, on the ground at ${twoFingers.ground}`);

    // A touch the browser cancels (a system gesture takes it) lets go as a
    // lift does: the next finger held lifts the hero the whole 100 pixels.
    await fingers("touchStart", [0]);
    await sleep(100);
    await cdp.send("Input.dispatchTouchEvent", { type: "touchCancel", touchPoints: [] });
    const afterCancel = await holdJump(page, () => fingers("touchStart", [3]), () => fingers("touchEnd", []));
    const cancelTop = afterCancel.ground - Math.min(...afterCancel.heights.slice(0, afterCancel.releasedAt));
    check(cancelTop === 100, "after a cancelled touch, a held finger still lifts the hero to 100 pixels",
      `highest ${cancelTop} pixels up`);

    // The pause button: the level stands still, the button offers to go
    // on, until a tap on the game.
    await sleep(300);
    await shot(page, "play");
    const button = await box(page, "pause");
    await page.touchscreen.tap((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    await sleep(200);
    const paused = await scoreOver(page, 600);
    const offers = await page.$eval("#pause", (b) => b.title);
    await checkLayout(page);

    // Upright, the page asks to turn the phone, over the whole game.
    await page.setViewport(Upright);
    await sleep(300);
    const covered = await page.evaluate(() => {
      const hint = document.getElementById("turn");
      const over = [[0.5, 0.5], [0.1, 0.1], [0.9, 0.9]].every(([x, y]) =>
        hint.contains(document.elementFromPoint(innerWidth * x, innerHeight * y)));
      return [getComputedStyle(hint).display !== "none", over, hint.textContent.includes("Tournez votre appareil")];
    });
    await shot(page, "upright");
    check(covered.every(Boolean), "held upright, the page asks to turn the phone and covers the game",
      `shown ${covered[0]}, over the game ${covered[1]}, says so ${covered[2]}`);
    await page.setViewport(Sideways);
    await sleep(300);

    await tap(page, Middle);
    const resumed = await scoreOver(page, 600);
    check(paused[0] === paused[1] && offers === "Reprendre" && resumed[1] > resumed[0],
      "the pause button pauses the level, and a tap on the game goes on",
      `score ${paused[0]}, ${paused[1]} 600 ms later, the button says "${offers}"; ` +
      `${resumed[0]}, ${resumed[1]} after the tap`);

    // Turned upright during play, the level waits for the phone to be turned back.
    await page.setViewport(Upright);
    await sleep(200);
    const upright = await scoreOver(page, 600);
    await page.setViewport(Sideways);
    await sleep(200);
    const back = await scoreOver(page, 600);
    check(upright[0] === upright[1] && back[1] > back[0], "the level waits while the phone is upright",
      `score ${upright[0]}, ${upright[1]} 600 ms later; ${back[0]}, ${back[1]} once sideways again`);

    // Holding nothing, the hero falls into the first gap: the level's end,
    // and a tap on "Menu principal" goes back to the title menu.
    await waitForScreen(page, Screen.LevelEnd, 60000).catch(() => {});
    check(await probe(page, Probe.Screen) === Screen.LevelEnd, "the hero falls out and the level ends");
    const frames = await playFrames(page);
    await sleep(500);
    await tap(page, MainMenu);
    await waitForScreen(page, Screen.TitleMenu, 5000).catch(() => {});
    check(await probe(page, Probe.Screen) === Screen.TitleMenu, 'a tap on "Menu principal" opens the title menu');

    // That run is the level's record: a long press on the level menu's
    // picture plays it, and a tap ends it.
    await tap(page, Play);
    await waitForScreen(page, Screen.LevelMenu, 5000).catch(() => {});
    const middle = await onPage(page, Middle);
    await page.touchscreen.touchStart(middle.x, middle.y);
    await sleep(900);
    await page.touchscreen.touchEnd();
    await waitForScreen(page, Screen.WatchRecord, 5000).catch(() => {});
    const watching = await probe(page, Probe.Screen);
    await sleep(500);
    await tap(page, Middle);
    await waitForScreen(page, Screen.LevelMenu, 5000).catch(() => {});
    check(watching === Screen.WatchRecord && await probe(page, Probe.Screen) === Screen.LevelMenu,
      "a long press on the level menu plays the record's run, and a tap ends it", `screen ${watching}`);

    // The level menu's lines of pace and practice: a tap on each, covered
    // with what a finger does; in practice a second finger takes a
    // checkpoint, and the page's button leaves for the level menu.
    await sleep(300);
    const lines = await page.evaluate(() => ["touchpractice", "touchpace"].map((id) =>
      document.getElementById(id).hidden ? "" : document.getElementById(id).textContent));
    await tap(page, PaceLine);
    await sleep(300);
    const pace = await probe(page, Probe.Pace);
    await tap(page, PracticeLine);
    await waitForScreen(page, Screen.PlayLevel, 5000).catch(() => {});
    const practising = await probe(page, Probe.Practising);
    await sleep(300);
    await fingers("touchStart", [0]);
    await sleep(60);
    await fingers("touchStart", [0, 1]);
    await fingers("touchEnd", [0]);
    await fingers("touchEnd", []);
    await sleep(1500);
    const checkpoints = await probe(page, Probe.Checkpoints);
    const leave = await box(page, "leave");
    if (leave) await page.touchscreen.tap((leave.left + leave.right) / 2, (leave.top + leave.bottom) / 2);
    await waitForScreen(page, Screen.LevelMenu, 5000).catch(() => {});
    check(lines[0].includes("entraînement") && lines[1].includes("allure") && pace === 90 &&
      practising === 1 && checkpoints === 2 && leave !== null && await probe(page, Probe.Screen) === Screen.LevelMenu,
      "a tap on the level menu's lines slows the pace and practises the level, a second finger " +
      "takes a checkpoint there, and the page's button leaves the practice",
      `lines "${lines.join('", "')}", pace ${pace}, practising ${practising}, ${checkpoints} checkpoints`);

    // The full-screen button takes the page full screen, and shows again
    // once it has left.
    const corner = await box(page, "fullscreen");
    await page.touchscreen.tap((corner.left + corner.right) / 2, (corner.top + corner.bottom) / 2);
    await sleep(300);
    const full = await page.evaluate(() => [document.fullscreenElement === document.documentElement,
      document.getElementById("fullscreen").hidden]);
    await page.evaluate(() => document.exitFullscreen());
    await sleep(300);
    full.push(await box(page, "fullscreen") !== null);
    check(full.every(Boolean), "the full-screen button takes the page full screen, and is back once it left",
      `full screen ${full[0]}, button hidden then ${full[1]}, back after ${full[2]}`);

    await checkNoScroll(page);
    check(log.errors.length === 0, "the console shows no error", log.errors.join(" | "));
    console.log(`figures on a phone held sideways (${Sideways.width} x ${Sideways.height}): ${frames.text}`);
  } finally {
    await browser.close();
    server.close();
  }
});
