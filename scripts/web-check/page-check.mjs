// The browser build in headless Chromium: serves the site folder itself, loads the page and
// checks it as a player would see it. With --bench it also measures load time, frame
// intervals and audio gaps and prints them (bench/README.md quotes them).
//
//   node page-check.mjs --site DIR --title NATIVE_TITLE.png [--screenshot OUT.png]
//                       [--play-seconds 20] [--bench]
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const args = Object.fromEntries(
  process.argv.slice(2).reduce((pairs, a, i, all) => {
    if (a.startsWith('--')) pairs.push([a.slice(2), all[i + 1]?.startsWith('--') ? true : all[i + 1] ?? true]);
    return pairs;
  }, []));
const site = args.site;
const playSeconds = Number(args['play-seconds'] ?? 20);
const bench = Boolean(args.bench);
const failures = [];
const fail = (text) => { failures.push(text); console.error(`page-check: FAIL: ${text}`); };
const say = (text) => console.log(`page-check: ${text}`);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Only the three files of the site (plus the native title picture for the comparison).
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.png': 'image/png' };
const server = http.createServer((req, res) => {
  const name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
  const file = name === '/native-title.png' ? args.title
    : path.join(site, name === '/' ? 'index.html' : path.basename(name));
  fs.readFile(file, (err, body) => {
    if (err) { res.writeHead(404); res.end(); return; }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
    res.end(body);
  });
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const origin = `http://127.0.0.1:${server.address().port}`;

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
         '--enable-unsafe-swiftshader', '--window-size=1000,800',
         // As a real browser: no sound before the player's first gesture.
         '--autoplay-policy=user-gesture-required'],
});
const page = await browser.newPage();
await page.setViewport({ width: 1000, height: 800 });
page.on('pageerror', (e) => fail(`page error: ${e.message}`));
page.on('console', (m) => {
  if (m.type() === 'error') fail(`console error: ${m.text()}`);
  else if (process.env.VERBOSE) say(`console ${m.type()}: ${m.text()}`);
});
page.on('requestfailed', (r) => {
  if (!r.url().endsWith('favicon.ico')) fail(`request failed: ${r.url()}`);
});

// Mean absolute difference per channel between the canvas (cover hidden) and the native
// title picture, computed in the page.
async function canvasShot() {
  await page.evaluate(() => { for (const c of document.querySelectorAll('.cover')) c.style.visibility = 'hidden'; });
  const canvas = await page.$('#canvas');
  const shot = await canvas.screenshot({ type: 'png', encoding: 'base64' });
  await page.evaluate(() => { for (const c of document.querySelectorAll('.cover')) c.style.visibility = ''; });
  return shot;
}
async function picture(base64, compareUrl) {
  return page.evaluate(async (b64, url) => {
    const load = (src) => new Promise((ok, bad) => { const i = new Image(); i.onload = () => ok(i); i.onerror = bad; i.src = src; });
    const pixels = (img) => {
      const c = document.createElement('canvas'); c.width = 800; c.height = 600;
      const g = c.getContext('2d'); g.drawImage(img, 0, 0, 800, 600);
      return g.getImageData(0, 0, 800, 600).data;
    };
    const a = pixels(await load(`data:image/png;base64,${b64}`));
    let mean = 0;
    for (let i = 0; i < a.length; i += 4) mean += (a[i] + a[i + 1] + a[i + 2]) / 3;
    mean /= a.length / 4;
    // The HUD strip at the bottom: how many pixels differ from black.
    let hud = 0;
    for (let y = 560; y < 600; ++y) for (let x = 0; x < 800; ++x) {
      const i = (y * 800 + x) * 4; if (a[i] + a[i + 1] + a[i + 2] > 60) ++hud;
    }
    let diff = null;
    if (url) {
      const b = pixels(await load(url));
      let sum = 0, n = 0;
      for (let i = 0; i < a.length; i += 4) for (let k = 0; k < 3; ++k) { sum += Math.abs(a[i + k] - b[i + k]); ++n; }
      diff = sum / n;
    }
    return { mean, hud, diff };
  }, base64, compareUrl);
}

const loadStart = Date.now();
await page.goto(`${origin}/?stats`, { waitUntil: 'load' });

// The first title frame: poll the canvas until it matches the native title (or 120 s pass:
// software WebGL on a busy machine can be slow to show it).
let title = null, titleMs = null;
while (Date.now() - loadStart < 120000) {
  const shot = await canvasShot();
  const p = await picture(shot, '/native-title.png');
  if (p.mean > 5) {
    title = p;
    if (p.diff <= 2) { titleMs = Date.now() - loadStart; break; }
  }
  await sleep(50);
}
const firstDraw = await page.evaluate(() => zandorStats.firstDraw);
if (!title || title.diff > 2) fail(`first title frame differs from the native one (mean abs diff ${title?.diff?.toFixed(2) ?? 'none'})`);
else say(`title frame matches the native one: mean abs diff ${title.diff.toFixed(2)} per channel, seen ${titleMs} ms after navigation (first draw ${firstDraw?.toFixed(0)} ms after page start)`);

const audioBefore = await page.evaluate(() => Module.SDL2?.audioContext?.state ?? 'none');

// The cover click: sound starts, no shot and no game.
const box = await (await page.$('#canvas')).boundingBox();
const at = (x, y) => [box.x + x, box.y + y];
await page.mouse.click(...at(400, 300));
await sleep(1500);
const afterCover = await picture(await canvasShot(), '/native-title.png');
if (!(afterCover.diff <= 2)) fail(`the cover click changed the title screen (diff ${afterCover.diff.toFixed(2)})`);
const audio = await page.evaluate(() => Module.SDL2?.audioContext?.state ?? 'none');
if (audio !== 'running') fail(`AudioContext is ${audio} after the cover click (was ${audioBefore})`);
else say(`AudioContext ${audioBefore} before the cover click, running after it; the title stayed`);

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
for (const until = Date.now() + 15000; Date.now() < until; await sleep(250)) {
  play = await picture(await canvasShot());
  if (play.mean > 40 && play.hud > 2000) break;
}
if (!(play.mean > 40)) fail(`the play field is not bright after the start click (mean ${play.mean.toFixed(1)})`);
if (!(play.hud > 2000)) fail(`no HUD drawn at the bottom (${play.hud} lit pixels)`);
else say(`playing: field mean brightness ${play.mean.toFixed(1)}, HUD ${play.hud} lit pixels`);

// Play with clicks, then look for errors; frame intervals are taken over this stretch.
await page.evaluate(() => { zandorStats.frames.length = 0; window.zandorAudio.blocks = window.zandorAudio.silent = window.zandorAudio.gaps = 0; });
const playStart = Date.now();
let clicks = 0, shot = false;
while (Date.now() - playStart < playSeconds * 1000) {
  const x = 120 + ((clicks * 173) % 560), y = 80 + ((clicks * 97) % 380);
  await page.mouse.move(...at(x, y), { steps: 3 });
  await page.mouse.click(...at(x, y));
  ++clicks;
  if (!shot && args.screenshot && Date.now() - playStart > Math.min(12, playSeconds / 2) * 1000) {
    shot = true;
    const top = await page.evaluate(() => document.querySelector('h1').getBoundingClientRect().top);
    await page.screenshot({ path: args.screenshot, clip: { x: box.x - 40, y: Math.max(0, top - 16), width: 880, height: box.y + 620 - Math.max(0, top - 16) } });
  }
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
await page.mouse.move(...at(870, 640), { steps: 4 });
await page.mouse.up();
const outside = await page.evaluate(() => window.zandorOutside);
if (outside === 0) fail('no pointer moves reached the canvas outside it while the button was held');
const sound = await page.evaluate(() => window.zandorAudio);
if (!(sound.peak > 0.01)) fail(`the audio output is silent (peak ${sound.peak})`);
else say(`${clicks} clicks over ${playSeconds} s; audio peak ${sound.peak.toFixed(3)}, ${sound.gaps} silent gaps of 30 ms or more`);

const intervals = frames.slice(1).map((t, i) => t - frames[i]).sort((a, b) => a - b);
const q = (p) => intervals[Math.min(intervals.length - 1, Math.floor(p * intervals.length))];
if (intervals.length) {
  const missed = intervals.filter((d) => d > 1000 / 60 * 1.5).length;
  say(`frames during play: ${intervals.length + 1} in ${playSeconds} s, interval median ${q(0.5).toFixed(1)} ms, p99 ${q(0.99).toFixed(1)} ms, ${missed} over 25 ms`);
}
// Holding Escape ends the game; the page says so and offers another. Held until then (at
// most 15 s), since a slow frame may look at the key only after a while.
await page.keyboard.down('Escape');
let endedShown = false;
for (let i = 0; i < 150 && !endedShown; ++i) {
  endedShown = await page.evaluate(() => !document.getElementById('ended').hidden);
  if (!endedShown) await sleep(100);
}
await page.keyboard.up('Escape');
if (!endedShown) fail('holding Escape did not end the game with the page saying so');
else say('held Escape: the game ended and the page offers to play again');

if (bench) {
  // The title on its own, after a reload: frame intervals with nothing else happening.
  await page.goto(`${origin}/?stats`, { waitUntil: 'load' });
  await sleep(3000);
  await page.evaluate(() => { zandorStats.frames.length = 0; });
  await sleep(10000);
  const t = await page.evaluate(() => zandorStats.frames.slice());
  const iv = t.slice(1).map((x, i) => x - t[i]).sort((a, b) => a - b);
  const qq = (p) => iv[Math.min(iv.length - 1, Math.floor(p * iv.length))];
  say(`frames on the title: ${iv.length + 1} in 10 s, interval median ${qq(0.5).toFixed(1)} ms, p99 ${qq(0.99).toFixed(1)} ms, ${iv.filter((d) => d > 25).length} over 25 ms`);
}

await browser.close();
server.close();
if (failures.length) { console.error(`page-check: ${failures.length} failure(s)`); process.exit(1); }
say('OK');
