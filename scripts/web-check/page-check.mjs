// The browser build in headless Chromium, checked as players would meet it. It serves the site
// with web/serve.mjs (precompressed files as a real host sends them) and goes through:
//  1. a desktop visit at an 800x600 game box: the cover only once the game can hear its click,
//     the first title frame against the native one, the sound, play with clicks, a drag
//     outside the canvas, mute, fullscreen and Escape (leaving fullscreen does not end the
//     game, Escape held outside it does), an installable manifest;
//  2. desktop, tablet and phone viewports: the 4:3 box fills one axis, nothing scrolls; on the
//     touch screens taps start a game, on the tablet two fingers press nothing twice and a
//     stall as the runtime comes up does not bring the cover early, and on the phones a game
//     is played to its end and a held touch returns to the title;
//  3. what players see when something is missing: no WebGL, no WebAssembly, a file that fails
//     to arrive; a first visit over a slow line, which downloads the .wasm once, and the
//     progress of a slow download;
//  4. a newer build taking over from the service worker, then a new page with the network off,
//     the HTTP cache disabled and the server stopped, which must still load and play.
// The timings side by side with the floor page are scripts/web-check/figures.mjs's.
//
//   node page-check.mjs --site DIR --title NATIVE_TITLE.png [--screenshot OUT.png]
//                       [--play-seconds 20]
// The viewport pictures go beside OUT.png (browser-<w>x<h>.png) for a person to look at.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { args, canvasShot, launchChromium, picture, reporter, serveSite, sleep } from './common.mjs';

const site = args.site;
const playSeconds = Number(args['play-seconds'] ?? 20);
const shotDir = args.screenshot ? path.dirname(args.screenshot) : null;
const { say, fail, finish } = reporter('page-check');
const phase = (name) => say(`-- ${name}`);

const extra = { '/native-title.png': args.title };
const slow = { '/zandor.wasm': 0, '/sw.js': 0 };
const wasmAnswers = [];
const { server, origin } = await serveSite(site, {
  extra, delay: (name) => slow[name] ?? 0,
  answered: (name, status) => { if (name === '/zandor.wasm') wasmAnswers.push(status); },
});
const browser = await launchChromium(1920, 1080);

// What the page showed and when, seen from outside it: the moment the cover appears, whether
// the game had its audio device then, and the progress texts of the loading screen.
function watchCover() {
  window.zandorSeen = { coverAt: null, coverAudio: null, coverRuntime: null, progress: [] };
  const look = () => {
    const cover = document.getElementById('cover');
    const s = window.zandorSeen;
    if (cover && !cover.hidden && s.coverAt === null) {
      s.coverAt = performance.now();
      s.coverAudio = Boolean(window.Module?.SDL2?.audioContext);
      s.coverRuntime = typeof window.Module?._main === 'function' && Boolean(window.Module?.SDL2);
    }
    const text = document.getElementById('loading-text')?.textContent;
    if (text && s.progress[s.progress.length - 1] !== text) s.progress.push(text);
  };
  new MutationObserver(look).observe(document, { subtree: true, childList: true, attributes: true,
                                                 characterData: true });
  document.addEventListener('DOMContentLoaded', look);
}

async function newPage(viewport, { context = browser, strict = true } = {}) {
  const page = await context.newPage();
  await page.setViewport(viewport);
  await page.evaluateOnNewDocument(watchCover);
  page.on('error', (e) => fail(`the page crashed: ${e.message}`));
  if (strict) {
    page.on('pageerror', (e) => fail(`page error: ${e.message}`));
    page.on('console', (m) => {
      if (m.type() === 'error') fail(`console error: ${m.text()}`);
      else if (process.env.VERBOSE) say(`console ${m.type()}: ${m.text()}`);
    });
    page.on('requestfailed', (r) => {
      if (!r.url().endsWith('favicon.ico')) fail(`request failed: ${r.url()}`);
    });
  }
  return page;
}

async function until(test, ms, every = 250) {
  for (const end = Date.now() + ms; ; await sleep(every)) {
    const r = await test();
    if (r || Date.now() > end) return r;
  }
}
const coverShown = (page) => page.evaluate(() => !document.getElementById('cover').hidden);
const visible = (page, id) => page.evaluate((i) => !document.getElementById(i).hidden, id);
// The play field shows: bright ground and the HUD at the bottom.
const playing = (p) => p.mean > 40 && p.hud > 2000;

// Holds the page's thread for `ms` once the runtime is up (after the page's own handler),
// as a busy machine may: the game starts that much later than the runtime.
function stallAfterRuntime(ms) {
  let module;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get: () => module,
    set: (m) => {
      if (m && m !== module && !m.zandorStalled) {
        const up = m.onRuntimeInitialized;
        m.onRuntimeInitialized = function (...a) {
          const result = up?.apply(this, a);
          for (const end = performance.now() + ms; performance.now() < end;);
          return result;
        };
        m.zandorStalled = true;
      }
      module = m;
    },
  });
}

// The cover's moment against what the game had then; `what` names the page in messages.
async function checkCoverReady(page, what) {
  const seen = await page.evaluate(() => window.zandorSeen);
  if (seen.coverAt === null) fail(`${what}: the cover never showed`);
  else if (!seen.coverAudio || !seen.coverRuntime) {
    fail(`${what}: the cover showed before the game could hear its click (runtime ${seen.coverRuntime}, audio context ${seen.coverAudio})`);
  }
  return seen;
}

const stats = {};
const shots = [];

// ---------------------------------------------------------------------------------------
phase('desktop, 800x600 game box');
let page = await newPage({ width: 800, height: 660 });
let wasmEncoding = null;
// A 304 carries no Content-Encoding: the browser reuses the copy it holds, so only whole
// answers say how it was sent.
page.on('response', (r) => {
  if (r.url().endsWith('/zandor.wasm') && r.status() === 200) wasmEncoding = r.headers()['content-encoding'] ?? 'none';
});
const loadStart = Date.now();
await page.goto(`${origin}/?stats`, { waitUntil: 'load' });

// The first title frame: poll the canvas until it matches the native title (or 120 s pass:
// software WebGL on a busy machine can be slow to show it).
let title = null, titleMs = null;
while (Date.now() - loadStart < 120000) {
  const p = await picture(page, await canvasShot(page), '/native-title.png');
  if (p.mean > 5) {
    title = p;
    if (p.diff <= 2) { titleMs = Date.now() - loadStart; break; }
  }
  await sleep(50);
}
const firstDraw = await page.evaluate(() => zandorStats.firstDraw);
if (!title || title.diff > 2) fail(`first title frame differs from the native one (mean abs diff ${title?.diff?.toFixed(2) ?? 'none'})`);
else say(`title frame matches the native one: mean abs diff ${title.diff.toFixed(2)} per channel, seen ${titleMs} ms after navigation (first draw ${firstDraw?.toFixed(0)} ms after page start)`);
if (!(await until(() => coverShown(page), 30000))) fail('the cover did not show');
let seen = await checkCoverReady(page, 'first visit');
stats.coverMs = seen.coverAt;
if (wasmEncoding === null) {
  await page.evaluate(() => fetch('zandor.wasm', { cache: 'no-store' }).then((r) => r.arrayBuffer()));
  await sleep(200);
}
say(`cover shown ${seen.coverAt?.toFixed(0)} ms after page start, with the runtime and its audio context there; .wasm sent with Content-Encoding ${wasmEncoding}`);
if (wasmEncoding !== 'br') fail(`the .wasm came ${wasmEncoding === 'none' ? 'uncompressed' : `as ${wasmEncoding}`}, not as its brotli copy`);

const audioBefore = await page.evaluate(() => Module.SDL2?.audioContext?.state ?? 'none');

// The cover click: sound starts, no shot and no game.
let box = await (await page.$('#canvas')).boundingBox();
let at = (x, y) => [box.x + x * box.width / 800, box.y + y * box.height / 600];
await page.mouse.click(...at(400, 300));
await sleep(1500);
const afterCover = await picture(page, await canvasShot(page), '/native-title.png');
if (!(afterCover.diff <= 2)) fail(`the cover click changed the title screen (diff ${afterCover.diff.toFixed(2)})`);
const audio = await page.evaluate(() => Module.SDL2?.audioContext?.state ?? 'none');
if (audio !== 'running') fail(`AudioContext is ${audio} after the cover click (was ${audioBefore})`);
else say(`AudioContext ${audioBefore} before the cover click, running after it; the title stayed`);
const focused = await page.evaluate(() => document.activeElement?.id);
if (focused !== 'canvas') fail(`the keyboard focus is on ${focused || 'the page'} after the first click, not the game`);

// Listen to what SDL's node plays: peak per 10 ms block, to find silent gaps.
await page.evaluate(() => {
  const a = Module.SDL2.audio, ctx = Module.SDL2.audioContext;
  const node = a && (a.scriptProcessorNode || a.audioNode);
  const listen = ctx.createScriptProcessor(512, 2, 2);
  window.zandorAudio = { blocks: 0, silent: 0, gaps: 0, run: 0, peak: 0 };
  listen.onaudioprocess = (e) => {
    const s = window.zandorAudio, d = e.inputBuffer.getChannelData(0);
    for (let off = 0; off + 441 <= d.length || off === 0; off += 441) {
      let peak = 0; for (let i = off; i < Math.min(d.length, off + 441); ++i) peak = Math.max(peak, Math.abs(d[i]));
      ++s.blocks; s.peak = Math.max(s.peak, peak);
      if (peak < 1e-4) { ++s.silent; if (++s.run === 3) ++s.gaps; } else s.run = 0;
      if (off + 441 >= d.length) break;
    }
  };
  node.connect(listen);
  listen.connect(ctx.destination);
});

// A left click starts the game (polled for up to 15 s: a busy machine draws slowly).
await page.mouse.click(...at(400, 300));
let play = null;
await until(async () => playing(play = await picture(page, await canvasShot(page))), 15000);
if (!(play.mean > 40)) fail(`the play field is not bright after the start click (mean ${play.mean.toFixed(1)})`);
if (!(play.hud > 2000)) fail(`no HUD drawn at the bottom (${play.hud} lit pixels)`);
else say(`playing: field mean brightness ${play.mean.toFixed(1)}, HUD ${play.hud} lit pixels`);

// Play with clicks, then look for errors; frame intervals are taken over this stretch.
await page.evaluate(() => { zandorStats.frames.length = 0; window.zandorAudio.blocks = window.zandorAudio.silent = window.zandorAudio.gaps = 0; });
const playStart = Date.now();
let clicks = 0;
while (Date.now() - playStart < playSeconds * 1000) {
  const x = 120 + ((clicks * 173) % 560), y = 80 + ((clicks * 97) % 380);
  await page.mouse.move(...at(x, y), { steps: 3 });
  await page.mouse.click(...at(x, y));
  ++clicks;
  await sleep(250);
}
const frames = await page.evaluate(() => zandorStats.frames.slice());

// A drag that leaves the canvas: the moves outside it still arrive (pointer capture).
await page.evaluate(() => {
  window.zandorOutside = 0;
  document.getElementById('canvas').addEventListener('mousemove', (e) => {
    const r = e.target.getBoundingClientRect();
    if (e.clientX > r.right || e.clientY > r.bottom) ++window.zandorOutside;
  });
});
await page.mouse.move(...at(700, 500));
await page.mouse.down();
await page.mouse.move(...at(780, 625), { steps: 4 });
await page.mouse.up();
const outside = await page.evaluate(() => window.zandorOutside);
if (outside === 0) fail('no pointer moves reached the canvas outside it while the button was held');
const sound = await page.evaluate(() => window.zandorAudio);
if (!(sound.peak > 0.01)) fail(`the audio output is silent (peak ${sound.peak})`);
else say(`${clicks} clicks over ${playSeconds} s; audio peak ${sound.peak.toFixed(3)}, ${sound.gaps} silent gaps of 30 ms or more`);
stats.playGaps = sound.gaps;

const intervals = frames.slice(1).map((t, i) => t - frames[i]).sort((a, b) => a - b);
const q = (p) => intervals[Math.min(intervals.length - 1, Math.floor(p * intervals.length))];
if (intervals.length) {
  const missed = intervals.filter((d) => d > 1000 / 60 * 1.5).length;
  say(`frames during play: ${intervals.length + 1} in ${playSeconds} s, interval median ${q(0.5).toFixed(1)} ms, p99 ${q(0.99).toFixed(1)} ms, ${missed} over 25 ms`);
}

// Mute: the control hands the choice to the engine, and back.
const hasMute = await page.evaluate(() => {
  window.zandorMuteCalls = [];
  const set = Module.zandorSetMuted;
  if (typeof set !== 'function') return false;
  Module.zandorSetMuted = (m) => { window.zandorMuteCalls.push(m); return set(m); };
  return true;
});
await page.click('#mute');
await sleep(300);
const mutedNow = await page.evaluate(() => document.getElementById('mute').getAttribute('aria-pressed'));
await page.click('#mute');
const muteCalls = await page.evaluate(() => window.zandorMuteCalls);
if (mutedNow !== 'true') fail('the mute control did not turn the sound off');
if (hasMute && JSON.stringify(muteCalls) !== '[true,false]') fail(`the mute control told the engine ${JSON.stringify(muteCalls)}, not [true,false]`);
say(hasMute ? 'mute control: the engine was told to mute and to unmute'
            : 'mute control: this build has no Module.zandorSetMuted yet; the control only keeps the choice');

// Fullscreen: the page goes fullscreen and the game keeps 4:3 inside it. The Escape press
// with which a player leaves it must not end the game.
await page.click('#fullscreen');
const inFullscreen = await until(() => page.evaluate(() => Boolean(document.fullscreenElement)), 3000, 100);
if (!inFullscreen) fail('the fullscreen control did not make the page fullscreen');
else {
  await sleep(300);
  const g = await page.evaluate(() => {
    const r = document.getElementById('stage').getBoundingClientRect();
    return { w: r.width, h: r.height, vw: innerWidth, vh: innerHeight };
  });
  const fill = Math.max(g.w / g.vw, g.h / g.vh);
  if (!(Math.abs(g.w / g.h - 4 / 3) < 0.005 && fill > 0.98)) fail(`in fullscreen the box is ${g.w}x${g.h} in ${g.vw}x${g.vh}`);
  else say(`fullscreen: box ${g.w}x${g.h} in ${g.vw}x${g.vh}`);
}
await page.keyboard.down('Escape');
await sleep(1500);
await page.keyboard.up('Escape');
await sleep(300);
if (await page.evaluate(() => Boolean(document.fullscreenElement))) await page.evaluate(() => document.exitFullscreen());
// The page keeps from the game a press that comes within 500 ms of leaving fullscreen (the
// browser may deliver the key after the change); a busy page may see the change late, so the
// press outside fullscreen comes well after that.
await sleep(1500);
if (await visible(page, 'ended')) fail('the Escape press that leaves fullscreen ended the game');
else if (inFullscreen) say('Escape held 1.5 s in fullscreen: the game goes on');
// Holding Escape outside fullscreen ends the game; the page says so and offers another. Held
// until then (at most 15 s), since a slow frame may look at the key only after a while.
await page.keyboard.down('Escape');
const endedShown = await until(() => visible(page, 'ended'), 15000, 100);
await page.keyboard.up('Escape');
if (!endedShown) fail('holding Escape did not end the game with the page saying so');
else say('held Escape: the game ended and the page offers to play again');

const install = await (await page.createCDPSession()).send('Page.getInstallabilityErrors');
if (install.installabilityErrors.length) fail(`not installable: ${install.installabilityErrors.map((e) => e.errorId).join(', ')}`);
else say('the page is installable (no installability errors)');
const worker = await page.evaluate(() => navigator.serviceWorker.ready.then((r) => Boolean(r.active)));
if (!worker) fail('no active service worker after the first visit');

await page.close();

// ---------------------------------------------------------------------------------------
// Each viewport in a new page (the service worker serves it now). The box must fill one
// axis within 2 %, keep 4:3 and stay inside; nothing may scroll, by wheel or by a swipe.
const viewports = [
  { name: '1280x720', width: 1280, height: 720 },
  { name: '1920x1080', width: 1920, height: 1080 },
  // A busy tablet: its processor is taken elsewhere for 2.5 s just as the runtime comes up, so
  // the game opens its audio device late, and the cover must wait for it however late.
  { name: '1024x768 touch', width: 1024, height: 768, deviceScaleFactor: 2, hasTouch: true, multiTouch: true, stallMs: 2500 },
  { name: '390x844 phone', width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true, toEnd: true },
  { name: '844x390 phone', width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true, toEnd: true },
];
const fills = [];
for (const v of viewports) {
  phase(v.name);
  page = await newPage(v);
  if (v.stallMs) await page.evaluateOnNewDocument(stallAfterRuntime, v.stallMs);
  const navStart = Date.now();
  await page.goto(origin, { waitUntil: 'load' });
  if (!(await until(() => coverShown(page), 60000))) { fail(`${v.name}: the cover did not show`); await page.close(); continue; }
  const ready = Date.now() - navStart;
  const coverSeen = await checkCoverReady(page, v.name);
  if (v.stallMs && coverSeen.coverAudio) {
    say(`${v.name}: with the page stalled ${v.stallMs} ms after the runtime came up, the cover came after ${ready} ms, with the game's audio context there`);
  }
  const g = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    const s = document.scrollingElement;
    return { x: r.left, y: r.top, w: r.width, h: r.height, vw: innerWidth, vh: innerHeight,
             sw: s.scrollWidth, sh: s.scrollHeight, cw: s.clientWidth, ch: s.clientHeight,
             dpr: devicePixelRatio, touchHelp: document.querySelector('.help').textContent.startsWith('Tap') };
  });
  const fill = Math.max(g.w / g.vw, g.h / g.vh);
  const inside = g.x >= -0.01 && g.y >= -0.01 && g.x + g.w <= g.vw + 0.01 && g.y + g.h <= g.vh + 0.01;
  const whole = [g.x, g.y, g.w, g.h].every((n) => Math.abs(n * g.dpr - Math.round(n * g.dpr)) < 0.01);
  fills.push({ name: v.name, ...g, fill });
  if (!(fill >= 0.98)) fail(`${v.name}: the game box ${g.w}x${g.h} fills ${(fill * 100).toFixed(1)} % of ${g.vw}x${g.vh}`);
  if (!(Math.abs(g.w / g.h - 4 / 3) < 0.005)) fail(`${v.name}: the box ${g.w}x${g.h} is not 4:3`);
  if (!inside) fail(`${v.name}: the box at ${g.x},${g.y} ${g.w}x${g.h} leaves the viewport ${g.vw}x${g.vh}`);
  if (!whole) fail(`${v.name}: the box at ${g.x},${g.y} ${g.w}x${g.h} is not on whole device pixels`);
  if (g.sw > g.cw || g.sh > g.ch) fail(`${v.name}: the page scrolls (${g.sw}x${g.sh} in ${g.cw}x${g.ch})`);
  if (g.touchHelp !== Boolean(v.hasTouch)) fail(`${v.name}: the help speaks of ${g.touchHelp ? 'touch' : 'the mouse'}`);
  await page.mouse.wheel({ deltaY: 400 });
  if (v.hasTouch) {
    const s = await page.touchscreen.touchStart(g.vw / 2, g.vh * 0.8);
    await s.move(g.vw / 2, g.vh * 0.2);
    await s.end();
  }
  await sleep(300);
  const scrolled = await page.evaluate(() => [scrollX, scrollY, document.scrollingElement.scrollTop]);
  if (scrolled.some((n) => n !== 0)) fail(`${v.name}: the page scrolled to ${scrolled}`);
  say(`${v.name}: cover after ${ready} ms; box ${g.w}x${g.h} at ${g.x},${g.y} fills ${(fill * 100).toFixed(1)} %, ratio ${(g.w / g.h).toFixed(4)}, no scrolling`);
  if (shotDir) {
    const file = path.join(shotDir, `browser-${v.width}x${v.height}.png`);
    await page.screenshot({ path: file });
    shots.push(file);
  }

  box = await (await page.$('#canvas')).boundingBox();
  at = (x, y) => [box.x + x * box.width / 800, box.y + y * box.height / 600];
  const tap = v.hasTouch ? (x, y) => page.touchscreen.tap(...at(x, y)) : (x, y) => page.mouse.click(...at(x, y));
  // The synthesized buttons as the game's canvas receives them, in game coordinates.
  await page.evaluate(() => {
    window.zandorButtons = [];
    const c = document.getElementById('canvas');
    for (const type of ['mousedown', 'mouseup']) {
      c.addEventListener(type, (e) => {
        const r = c.getBoundingClientRect();
        window.zandorButtons.push({ type, button: e.button, x: (e.clientX - r.left) * 800 / r.width,
                                    y: (e.clientY - r.top) * 600 / r.height });
      });
    }
  });
  await tap(400, 300);  // the cover
  if (!(await until(async () => !(await coverShown(page)), 3000, 100))) fail(`${v.name}: the cover stayed after a ${v.hasTouch ? 'tap' : 'click'}`);
  await sleep(700);
  const onTitle = await picture(page, await canvasShot(page), '/native-title.png');
  await tap(400, 300);  // starts a game
  let p = null;
  if (!(await until(async () => playing(p = await picture(page, await canvasShot(page))), 15000))) {
    fail(`${v.name}: a ${v.hasTouch ? 'tap' : 'click'} on the title did not start a game (mean ${p.mean.toFixed(1)}, HUD ${p.hud})`);
    await page.close();
    continue;
  }
  const pressed = await page.evaluate(() => window.zandorButtons.splice(0));
  if (v.hasTouch) {
    const downs = pressed.filter((b) => b.type === 'mousedown');
    // Within the rounding of touch input to whole CSS pixels.
    const slack = 1.5 * 800 / box.width;
    if (downs.length !== 1 || downs[0].button !== 0 || Math.abs(downs[0].x - 400) > slack || Math.abs(downs[0].y - 300) > slack) {
      fail(`${v.name}: the tap on the title reached the game as ${JSON.stringify(downs)}`);
    }
  }
  say(`${v.name}: a ${v.hasTouch ? 'tap' : 'click'} started a game (title diff ${onTitle.diff.toFixed(2)} before it)`);

  if (v.multiTouch) {
    // A tap at the top-left while another finger rests and lifts: one left click, where the
    // first finger was; the second finger presses nothing. Then the first finger held while a
    // second comes and goes: one right click. Which button a touch gives depends on how long
    // it really lasted, and a loaded machine can stretch a short touch past half a second, so
    // the expectation follows the measured time (either is accepted near the limit).
    const clickOf = (ms) => (ms < 400 ? ['0'] : ms > 650 ? ['2'] : ['0', '2']);
    let t0 = Date.now();
    const a = await page.touchscreen.touchStart(...at(200, 150));
    const b = await page.touchscreen.touchStart(...at(600, 450));
    await a.end();
    const first = clickOf(Date.now() - t0);
    await b.end();
    t0 = Date.now();
    const c2 = await page.touchscreen.touchStart(...at(600, 450));
    const d2 = await page.touchscreen.touchStart(...at(200, 450));
    await sleep(700);
    await d2.end();
    await c2.end();
    const second = clickOf(Date.now() - t0);
    await sleep(200);
    const got = await page.evaluate(() => window.zandorButtons.splice(0));
    const brief = got.map((e) => `${e.type === 'mousedown' ? 'd' : 'u'}${e.button}@${Math.round(e.x)},${Math.round(e.y)}`).join(' ');
    const ok = got.length === 4 && first.includes(String(got[0].button)) && second.includes(String(got[2].button)) &&
      brief.replace(/[du]\d@/g, '@') === '@200,150 @200,150 @600,450 @600,450' &&
      got[0].button === got[1].button && got[2].button === got[3].button;
    if (!ok) fail(`${v.name}: two-finger touches reached the game as "${brief}"`);
    else say(`${v.name}: two fingers: "${brief}", the second finger pressing nothing`);
  }

  if (v.toEnd) {
    // Play to the end without firing: the ships that reach the turret destroy it. The life
    // bar going out while the HUD stays is the game-over screen.
    const start = Date.now();
    let last = null;
    const over = await until(async () => {
      last = await picture(page, await canvasShot(page));
      return last.hud > 2000 && last.life < 150;
    }, 180000, 1000);
    if (!over) fail(`${v.name}: the game did not reach its end (life bar ${last.life} px, HUD ${last.hud})`);
    else {
      say(`${v.name}: game over after ${((Date.now() - start) / 1000).toFixed(0)} s`);
      await sleep(1500);
      const held = await page.touchscreen.touchStart(...at(400, 200));
      await sleep(800);
      await held.end();
      let t = null;
      const back = await until(async () => (t = await picture(page, await canvasShot(page), '/native-title.png')).diff < 6, 6000);
      const got = await page.evaluate(() => window.zandorButtons.filter((b) => b.type === 'mousedown').map((b) => b.button));
      if (!back) fail(`${v.name}: a held touch on the game-over screen did not return to the title (diff ${t.diff.toFixed(2)}, buttons ${got})`);
      else if (JSON.stringify(got) !== '[2]') fail(`${v.name}: the held touch pressed buttons ${got}, not the right one alone`);
      else say(`${v.name}: a held touch returned to the title (diff ${t.diff.toFixed(2)} from the native title)`);
    }
  }
  if (v.name === '1280x720' && args.screenshot) {
    for (let i = 0; i < 24; ++i) {
      const x = 150 + ((i * 173) % 500), y = 100 + ((i * 97) % 380);
      await page.mouse.move(...at(x, y), { steps: 3 });
      await page.mouse.click(...at(x, y));
      await sleep(250);
    }
    await page.screenshot({ path: args.screenshot });
  }
  await page.close();
}

// ---------------------------------------------------------------------------------------
phase('missing pieces and a slow download (fresh profiles)');
const fresh = await browser.createBrowserContext();
const problems = [
  { what: 'no WebGL', expect: /WebGL/, setup: () => {
    const get = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
      return /webgl/.test(type) ? null : get.call(this, type, ...rest);
    };
  } },
  { what: 'no WebAssembly', expect: /WebAssembly/, setup: () => { delete window.WebAssembly; } },
  { what: 'the .wasm missing', expect: /could not be loaded/, block: '/zandor.wasm' },
  { what: 'the .js missing', expect: /could not be loaded/, block: '/zandor.js' },
];
for (const pr of problems) {
  const pp = await newPage({ width: 1024, height: 768 }, { context: fresh, strict: false });
  await pp.setBypassServiceWorker(true);  // its cache would answer instead of the server
  if (pr.setup) await pp.evaluateOnNewDocument(pr.setup);
  if (pr.block) {
    await pp.setRequestInterception(true);
    pp.on('request', (r) => (new URL(r.url()).pathname === pr.block
      ? r.respond({ status: 404, body: 'not found' }) : r.continue()));
  }
  await pp.goto(origin, { waitUntil: 'load' });
  const text = await until(() => pp.evaluate(() => !document.getElementById('problem').hidden &&
    `${document.getElementById('problem-text').textContent} ${document.getElementById('problem-hint').textContent}`), 10000);
  const cover = await coverShown(pp);
  if (!text || !pr.expect.test(text) || cover) fail(`${pr.what}: the page said "${text || 'nothing'}"${cover ? ' and offered to play' : ''}`);
  else say(`${pr.what}: "${text}"`);
  await pp.close();
}
// A first visit over the slow line: the worker's install keeps the .wasm for offline play
// from the copy the page fetched, not with a download of its own beside the page's. The
// worker's script comes late too, so its install would find the page's download under way.
slow['/zandor.wasm'] = 2500;
slow['/sw.js'] = 1000;
const firstVisit = await browser.createBrowserContext();
page = await newPage({ width: 1024, height: 768 }, { context: firstVisit });
wasmAnswers.length = 0;
await page.goto(origin, { waitUntil: 'load' });
const kept = await until(() => page.evaluate(async () => {
  await navigator.serviceWorker.ready;
  return Boolean(await caches.match('zandor.wasm'));
}), 60000, 500);
const wasmBodies = wasmAnswers.filter((status) => status === 200).length;
if (!kept) fail('the first visit did not keep the .wasm for offline play');
else if (wasmBodies !== 1) fail(`the first visit downloaded the .wasm ${wasmBodies} times (answers ${wasmAnswers.join(', ')})`);
else say(`a first visit downloaded the .wasm once and kept it for offline play (answers ${wasmAnswers.join(', ')})`);
slow['/zandor.wasm'] = slow['/sw.js'] = 0;
await page.close();
await firstVisit.close();
// A slow .wasm: the loading screen with its progress, and no cover until the game is there.
slow['/zandor.wasm'] = 2500;
page = await newPage({ width: 1024, height: 768 }, { context: fresh });
// Neither the worker nor the HTTP cache (which the worker's own downloads filled) may answer.
await page.setBypassServiceWorker(true);
await page.setCacheEnabled(false);
await page.goto(origin, { waitUntil: 'load' });
await sleep(1500);
const duringLoad = await page.evaluate(() => ({ loading: !document.getElementById('loading').hidden,
                                                 cover: !document.getElementById('cover').hidden }));
if (!duringLoad.loading || duringLoad.cover) fail(`while the .wasm downloads: loading screen ${duringLoad.loading}, cover ${duringLoad.cover}`);
await until(() => coverShown(page), 60000);
seen = await checkCoverReady(page, 'slow download');
const counted = seen.progress.filter((t) => /of [0-9.]+ MB/.test(t));
if (!counted.length) fail(`the loading screen showed no progress: ${JSON.stringify(seen.progress)}`);
else say(`slow download: the loading screen went ${JSON.stringify(seen.progress.slice(0, 1))} .. ${JSON.stringify(counted.slice(-1))} .. "Starting…", then the cover with the game ready`);
slow['/zandor.wasm'] = 0;
await page.close();
await fresh.close();

// ---------------------------------------------------------------------------------------
phase('a new build, then offline');
page = await newPage({ width: 1024, height: 768 });
await page.goto(origin, { waitUntil: 'load' });
await until(() => coverShown(page), 60000);
const before = await page.evaluate(() => caches.keys());
// The same site with a new version in its worker, as the next build would serve it.
const nextWorker = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'zandor-sw-')), 'sw.js');
fs.writeFileSync(nextWorker, fs.readFileSync(path.join(site, 'sw.js'), 'utf8').replace(/const CACHE = '([^']+)'/, "const CACHE = '$1-next'"));
extra['/sw.js'] = nextWorker;
await page.evaluate(() => navigator.serviceWorker.getRegistration().then((r) => r.update()));
const after = await until(async () => {
  const k = await page.evaluate(() => caches.keys());
  return k.length === 1 && k[0].endsWith('-next') && k;
}, 30000);
const noted = await until(() => visible(page, 'note'), 5000);
if (!after) fail(`a new build's worker did not take over (caches ${JSON.stringify(before)} -> ${JSON.stringify(await page.evaluate(() => caches.keys()))})`);
else if (!noted) fail('the page did not say that a reload brings the new version');
else say(`a new build: cache ${before} replaced by ${after}, and the page offers the reload`);
await page.close();

// Offline: the server stops, the page's network is cut and its HTTP cache is off.
server.closeAllConnections();
await new Promise((r) => server.close(r));
page = await newPage({ width: 1024, height: 768 });
await page.setOfflineMode(true);
await page.setCacheEnabled(false);
const offStart = Date.now();
await page.goto(origin, { waitUntil: 'load' });
if (!(await until(() => coverShown(page), 60000))) fail('offline: the page did not get to its cover');
else {
  const ms = Date.now() - offStart;
  box = await (await page.$('#canvas')).boundingBox();
  at = (x, y) => [box.x + x * box.width / 800, box.y + y * box.height / 600];
  await page.mouse.click(...at(400, 300));
  await sleep(700);
  await page.mouse.click(...at(400, 300));
  let p = null;
  if (!(await until(async () => playing(p = await picture(page, await canvasShot(page))), 15000))) fail(`offline: no game started (mean ${p.mean.toFixed(1)}, HUD ${p.hud})`);
  else say(`offline, no HTTP cache, server stopped: the cover after ${ms} ms and a game started`);
}
await page.close();

await browser.close();
for (const f of fills) say(`fill ${f.name}: ${f.w}x${f.h} of ${f.vw}x${f.vh} = ${(f.fill * 100).toFixed(1)} %`);
if (shots.length) say(`viewport pictures: ${shots.join(' ')}`);
finish();
