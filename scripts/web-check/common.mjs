// What the browser checks share: their command line, their report, a site server on a free
// port, headless Chromium set up as these checks need it (software WebGL, and no sound
// before the player's first gesture, as in a real browser) and the canvas's picture.
import puppeteer from 'puppeteer-core';
import { createSiteServer } from '../../web/serve.mjs';

// --name value pairs, and --name alone for true.
export const args = Object.fromEntries(
  process.argv.slice(2).reduce((pairs, a, i, all) => {
    if (a.startsWith('--')) pairs.push([a.slice(2), all[i + 1]?.startsWith('--') ? true : all[i + 1] ?? true]);
    return pairs;
  }, []));

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Lines prefixed with the check's name; failures are gathered and end the run with status 1.
export function reporter(name) {
  const failures = [];
  return {
    say: (text) => console.log(`${name}: ${text}`),
    fail: (text) => { failures.push(text); console.error(`${name}: FAIL: ${text}`); },
    finish: () => {
      if (failures.length) { console.error(`${name}: ${failures.length} failure(s)`); process.exit(1); }
      console.log(`${name}: OK`);
    },
  };
}

export async function serveSite(site, options) {
  const server = createSiteServer(site, options);
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  return { server, port: server.address().port, origin: `http://127.0.0.1:${server.address().port}` };
}

export function launchChromium(width, height) {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
           '--enable-unsafe-swiftshader', `--window-size=${width},${height}`,
           '--autoplay-policy=user-gesture-required'],
  });
}

// The canvas alone, the page's covers and controls hidden for the moment of the picture.
export async function canvasShot(page) {
  const hide = '.cover, #controls, #note';
  await page.evaluate((h) => { for (const c of document.querySelectorAll(h)) c.style.visibility = 'hidden'; }, hide);
  const shot = await (await page.$('#canvas')).screenshot({ type: 'png', encoding: 'base64' });
  await page.evaluate((h) => { for (const c of document.querySelectorAll(h)) c.style.visibility = ''; }, hide);
  return shot;
}
// The canvas picture scaled to the game's 800x600: mean brightness, lit pixels in the HUD
// strip, coloured pixels where the life bar is, and the mean absolute difference per channel
// from a reference picture.
export async function picture(page, base64, compareUrl) {
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
    let hud = 0, life = 0;
    for (let y = 560; y < 600; ++y) for (let x = 0; x < 800; ++x) {
      const i = (y * 800 + x) * 4;
      if (a[i] + a[i + 1] + a[i + 2] > 60) ++hud;
      if (y >= 580 && y <= 588 && x >= 566 && x <= 754 &&
          Math.max(a[i], a[i + 1], a[i + 2]) - Math.min(a[i], a[i + 1], a[i + 2]) > 90) ++life;
    }
    let diff = null;
    if (url) {
      const b = pixels(await load(url));
      let sum = 0, n = 0;
      for (let i = 0; i < a.length; i += 4) for (let k = 0; k < 3; ++k) { sum += Math.abs(a[i + k] - b[i + k]); ++n; }
      diff = sum / n;
    }
    return { mean, hud, life, diff };
  }, base64, compareUrl);
}
