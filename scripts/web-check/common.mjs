// What the browser checks share: their command line, their report, a site server on a free
// port and headless Chromium set up as these checks need it (software WebGL, and no sound
// before the player's first gesture, as in a real browser).
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
