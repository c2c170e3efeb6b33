// Plays the browser version in headless Chromium as a player would, and
// measures it.
//   node tests/web/browser_test.js BUILD_WEB TITLE_FRAMES_DIR
// BUILD_WEB is the page's folder (build-web); TITLE_FRAMES_DIR holds the
// native title menu's frames (title-N.bmp, from web-title-frames).
"use strict";
const fs = require("fs");
const path = require("path");
const {
  Screen, Probe, check, sleep, probe, waitForScreen, launchBrowser, startServer, newLog, openGame,
  holdJump, playFrames, downloadedBytes, run,
} = require("./harness.js");

const [root, framesDir] = process.argv.slice(2).map((p) => path.resolve(p));

// The title menu against the native frame: the browser blends the pictures'
// alpha itself and may round an edge pixel differently, so a pixel counts as
// different only beyond 24 levels in a channel, and at most 0.1 % of them
// may be (two different steps of the hero's animation differ in 0.17 % or more).
const ChannelTolerance = 24;
const DifferentShare = 0.001;

// Keeps what the canvas shows now, for differentShare to compare with.
function keepCanvas(page) {
  return page.evaluate(() => {
    window.kept = document.getElementById("canvas").getContext("2d").getImageData(0, 0, 720, 480).data;
  });
}

// The share of pixels of the kept canvas that differ from the picture at `url`.
function differentShare(page, url) {
  return page.evaluate(async (url, tolerance) => {
    const picture = new Image();
    picture.src = url;
    await picture.decode();
    const scratch = document.createElement("canvas");
    scratch.width = 720;
    scratch.height = 480;
    const context = scratch.getContext("2d");
    context.drawImage(picture, 0, 0);
    const want = context.getImageData(0, 0, 720, 480).data;
    const have = window.kept;
    let different = 0;
    for (let i = 0; i < want.length; i += 4) {
      if (Math.abs(want[i] - have[i]) > tolerance || Math.abs(want[i + 1] - have[i + 1]) > tolerance ||
          Math.abs(want[i + 2] - have[i + 2]) > tolerance) {
        different++;
      }
    }
    return different / (720 * 480);
  }, url, ChannelTolerance);
}

// How well the dark pixels of the canvas at the record's place match the
// digits of `number` drawn with the page's font: the share of dark pixels
// the two have in common (intersection over union).
function recordTextMatch(page, number) {
  return page.evaluate((text) => {
    const x = 450, y = 225, w = 270, h = 80;
    const scratch = document.createElement("canvas");
    scratch.width = w;
    scratch.height = h;
    const context = scratch.getContext("2d");
    context.font = '65px "shark.ttf"';
    context.textBaseline = "bottom";
    context.fillText(text, 0, 65);
    const want = context.getImageData(0, 0, w, h).data;
    const have = document.getElementById("canvas").getContext("2d").getImageData(x, y, w, h).data;
    let both = 0, either = 0;
    for (let i = 0; i < want.length; i += 4) {
      const a = want[i + 3] > 160;
      const b = have[i] < 60 && have[i + 1] < 60 && have[i + 2] < 60;
      if (a && b) both++;
      if (a || b) either++;
    }
    return either === 0 ? 0 : both / either;
  }, String(number));
}

run("browser", async () => {
  const { server, base } = await startServer(root);
  const browser = await launchBrowser();
  const log = newLog();
  const figures = {};
  try {
    const { page, ready, title } = await openGame(browser, base, log);
    figures.ready = ready;
    figures.title = title;

    // What a first visit downloads, as the server sends it (gzip).
    figures.bytes = downloadedBytes(root, log.requests);
    check(["/mosslance-hero.wasm", "/mosslance-hero.data", "/shark.ttf"].every((p) => log.requests.includes(p)),
      "the page loads the program, its data and its font", log.requests.join(" "));

    const size = await page.evaluate(() => {
      const canvas = document.getElementById("canvas");
      return [canvas.width, canvas.height, document.title, document.activeElement === canvas];
    });
    check(size[0] === 720 && size[1] === 480, "the canvas is 720 x 480", `${size[0]} x ${size[1]}`);
    check(size[2] === "MOSSLANCE Hero", 'the tab is titled "MOSSLANCE Hero"', size[2]);
    check(size[3], "the game has the keyboard focus");

    // A second tab, open before the first sets its record: it holds the
    // storage as it was then, and sets a record of its own later on.
    const early = await openGame(browser, base, newLog());
    await page.bringToFront();

    // The music: the browser decoded Music/Fond.mp3, and it plays in a loop
    // on the channel kept for it.
    const music = await page.evaluate(() => {
      const audio = SDL.channels[0] && SDL.channels[0].audio;
      return audio ? [audio.paused, audio.loop, audio.currentTime] : null;
    });
    check(music !== null && !music[0] && music[1], "the music plays in a loop", JSON.stringify(music));

    // The title menu, against the native frame of the same animation step.
    await sleep(500);
    const frames = fs.readdirSync(framesDir).filter((f) => /^title-\d+\.bmp$/.test(f));
    const shares = [];
    await keepCanvas(page);
    for (const frame of frames) {
      const data = fs.readFileSync(path.join(framesDir, frame)).toString("base64");
      shares.push(await differentShare(page, "data:image/bmp;base64," + data));
    }
    shares.sort((a, b) => a - b);
    const best = shares.length ? shares[0] : 1;
    figures.titleDifference = best;
    check(frames.length > 0 && best <= DifferentShare, "the title menu looks like the native one",
      `${(best * 100).toFixed(3)} % of the pixels differ (at most ${DifferentShare * 100} %); ` +
      `against the other animation steps ${shares.slice(1).map((v) => (v * 100).toFixed(2)).join(", ")} %`);
    console.log(`title menu: ${(best * 100).toFixed(3)} % of the pixels differ from the native frame, ` +
      `${shares.slice(1).map((v) => (v * 100).toFixed(2)).join(", ")} % from the other animation steps`);

    // Space on "Jouer", Right to the next level, Space starts it.
    await page.keyboard.press("Space");
    await waitForScreen(page, Screen.LevelMenu, 5000);
    await sleep(300);
    await page.keyboard.press("ArrowRight");
    await sleep(300);
    await page.keyboard.press("Space");
    await waitForScreen(page, Screen.PlayLevel, 5000).catch(() => {});
    check(await probe(page, Probe.Screen) === Screen.PlayLevel, "Space, Right, Space starts a level");

    // The hero lands on the ground; a held Space then lifts it by the jump's
    // speeds: -10 pixels a frame, 0.5 less each frame, whole pixels.
    const { ground, heights } = await holdJump(page, () => page.keyboard.down("Space"),
      () => page.keyboard.up("Space"));
    const rise = [];
    for (let speed = -10, y = 0; speed < 0; speed += 0.5) {
      y += Math.trunc(speed);
      if (rise[rise.length - 1] !== -y) rise.push(-y);
    }
    const seen = [];
    for (const y of heights) {
      const up = ground - y;
      if (up > 0 && up !== seen[seen.length - 1] && (seen.length === 0 || up > seen[seen.length - 1])) seen.push(up);
      if (seen.length && up < seen[seen.length - 1]) break;
    }
    const inOrder = seen.every((up) => rise.includes(up));
    check(inOrder && seen.length >= rise.length / 2 && Math.max(...seen) === 100,
      "Space lifts the hero by the jump's steps to 100 pixels", `rises seen: ${seen.join(" ")}`);
    // It lands 1 to 10 pixels above the ground's top, as the fall's last
    // step takes it: back in the row of cells it ran in.
    const last = heights.slice(-5);
    check(last.every((y) => y === last[0]) && Math.floor(last[0] / 10) === Math.floor(ground / 10),
      "released, the hero comes back to the ground", `at y ${last.join(" ")}, before the jump at ${ground}`);

    // The tab losing the focus pauses the level: the score stands still
    // until the focus comes back, then goes on from there.
    await page.evaluate(() => window.dispatchEvent(new Event("blur")));
    await sleep(200);
    const pausedAt = await probe(page, Probe.Score);
    await sleep(600);
    const stillAt = await probe(page, Probe.Score);
    await page.evaluate(() => window.dispatchEvent(new Event("focus")));
    await sleep(300);
    const goesOn = await probe(page, Probe.Score);
    check(stillAt === pausedAt && goesOn > stillAt, "the level pauses while the tab has lost the focus",
      `score ${pausedAt}, ${stillAt} after 600 ms, ${goesOn} once the focus is back`);

    // Then it runs until it falls into a gap: the end of the level.
    await waitForScreen(page, Screen.LevelEnd, 60000).catch(() => {});
    check(await probe(page, Probe.Screen) === Screen.LevelEnd, "the hero falls out and the level ends");
    // The screen first writes the new record through to the browser's
    // storage, then shows it.
    await page.waitForFunction(() => _probeGame(3) === _probeGame(2), { timeout: 5000, polling: 10 })
      .catch(() => {});
    const score = await probe(page, Probe.Score);
    const record = await probe(page, Probe.Record);
    check(score > 0 && record === score, "the score is the new record", `score ${score}, record ${record}`);
    await sleep(300);
    const match = await recordTextMatch(page, record);
    check(match >= 0.6, "the end of the level shows the record", `${(match * 100).toFixed(0)} % of its digits match`);
    figures.frames = await playFrames(page);

    const level = await page.evaluate(() => {
      const names = FS.readdir("Save").filter((n) => /^records-\d+\.rcd$/.test(n));
      return names.length === 1 ? names[0] : names.join(",");
    });
    const saved = await page.evaluate((n) => FS.readFile("Save/" + n, { encoding: "utf8" }), level);
    check(saved === String(record * record), "the records file holds the record's square",
      `Save/${level}: "${saved}"`);

    // The earlier tab ends level 1 with a record (the hero runs into the
    // first gap): its save adds its own files and leaves the other tab's.
    await early.page.bringToFront();
    await early.page.keyboard.press("Space");
    await waitForScreen(early.page, Screen.LevelMenu, 5000).catch(() => {});
    await sleep(300);
    await early.page.keyboard.press("Space");
    await waitForScreen(early.page, Screen.LevelEnd, 60000).catch(() => {});
    await early.page.waitForFunction(() => _probeGame(3) === _probeGame(2) && _probeGame(3) > 0,
      { timeout: 5000, polling: 10 }).catch(() => {});
    const earlyRecord = await probe(early.page, Probe.Record);
    const told = await early.page.evaluate((n) => FS.readdir("Save").includes(n), level);
    await early.page.close();
    await page.bringToFront();
    check(earlyRecord > 0 && told, "a tab opened earlier sets a record of its own, and reads in the other tab's",
      `record ${earlyRecord}; Save/${level} ${told ? "read in" : "unknown"} there`);

    // A saved game of fewer levels than the page ships, as an older
    // release left it, is raised to the shipped count at the next start.
    const shippedSave = await page.evaluate(() => FS.readFile("Shipped/save.sv", { encoding: "utf8" }));
    await page.evaluate((count) => new Promise((resolve) => {
      FS.writeFile("Save/save.sv", `${count}\n`);
      FS.syncfs(false, resolve);
    }), parseInt(shippedSave, 10) - 1);

    // A new tab after this one is closed: the record is still there.
    await page.close();
    const again = await openGame(browser, base, log);
    const kept = await again.page.evaluate((n) => {
      try {
        return FS.readFile("Save/" + n, { encoding: "utf8" });
      } catch (error) {
        return "missing";
      }
    }, level);
    const earlyKept = await again.page.evaluate(() => {
      try {
        return FS.readFile("Save/records-0.rcd", { encoding: "utf8" });
      } catch (error) {
        return "missing";
      }
    });
    check(kept === saved && earlyKept === String(earlyRecord * earlyRecord),
      "after the tabs are closed and the page opened again, both tabs' records are kept",
      `Save/${level}: "${kept}", Save/records-0.rcd: "${earlyKept}"`);
    const raised = await again.page.evaluate(() => FS.readFile("Save/save.sv", { encoding: "utf8" }));
    check(raised === shippedSave, "an older saved game with fewer levels is raised to the shipped count",
      `"${raised.trim()}", shipped "${shippedSave.trim()}"`);
    const replay = await again.page.evaluate((n) => {
      try {
        return FS.readFile("Save/" + n, { encoding: "utf8" }).split("\n").slice(0, 3).join(" / ");
      } catch (error) {
        return "missing";
      }
    }, level.replace(/^records-(\d+)\.rcd$/, "replay-$1.rpl"));
    check(/^version 1 \/ niveau [0-9a-f]+ \/ score /.test(replay) && replay.endsWith(`score ${record}`),
      "and so is the record's run", replay);

    // Two pads that show themselves once the game runs, as browsers show
    // one at its first button pressed; then the one in slot 0 is unplugged.
    // The pad left in slot 1 plays on: its Start (button 9 in the standard
    // layout) is Space on the title menu, and opens the level menu.
    await again.page.evaluate(() => {
      const pad = (index) => ({ id: "test pad", index, connected: true, mapping: "standard", timestamp: 0,
        buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })), axes: [0, 0, 0, 0] });
      window.pads = [pad(0), pad(1), null, null];
      window.pad = window.pads[1];
      navigator.getGamepads = () => window.pads;
    });
    await sleep(300);
    await again.page.evaluate(() => { window.pads[0] = null; });
    await sleep(300);
    await again.page.evaluate(() => { window.pad.buttons[9] = { pressed: true, value: 1 }; });
    await sleep(200);
    await again.page.evaluate(() => { window.pad.buttons[9] = { pressed: false, value: 0 }; });
    await waitForScreen(again.page, Screen.LevelMenu, 5000).catch(() => {});
    check(await probe(again.page, Probe.Screen) === Screen.LevelMenu,
      "a pad's Start button in slot 1 confirms on the title menu once the pad in slot 0 is gone");

    // The run kept in the browser's storage replays to its score there too:
    // R on its level plays it, and a key goes back to the menu.
    await again.page.keyboard.press("ArrowRight");
    await sleep(300);
    await again.page.keyboard.press("KeyR");
    await waitForScreen(again.page, Screen.WatchRecord, 5000).catch(() => {});
    const watching = await probe(again.page, Probe.Screen);
    await sleep(1000);
    const watchedScore = await probe(again.page, Probe.Score);
    await again.page.keyboard.press("Space");
    await waitForScreen(again.page, Screen.LevelMenu, 5000).catch(() => {});
    check(watching === Screen.WatchRecord && watchedScore > 0 &&
      await probe(again.page, Probe.Screen) === Screen.LevelMenu,
      "R in the level menu plays the kept run, and a key ends it",
      `screen ${watching}, score ${watchedScore} after a second`);

    // Escape on the level menu ends the game: the page says so.
    await again.page.keyboard.press("Escape");
    await again.page.waitForFunction(() => !document.getElementById("again").hidden, { timeout: 10000 })
      .catch(() => {});
    const ending = await again.page.evaluate(() =>
      [document.getElementById("message").textContent, !document.getElementById("again").hidden]);
    check(ending[1] && /finie/.test(ending[0]), "when the game ends the page says so and offers to play again",
      ending[0]);

    check(log.errors.length === 0, "the console shows no error", log.errors.join(" | "));
  } finally {
    await browser.close();
    server.close();
  }

  console.log(`figures: first visit ${(figures.bytes / 1e6).toFixed(2)} MB compressed; ` +
    `page ready ${figures.ready} ms, title menu ${figures.title} ms after navigation; ` +
    (figures.frames?.text ?? "no play frames"));
});
