// The browser build's figures side by side with the floor page (bench/web-floor: bare WebGL
// drawing a busy play frame's quads), in one headless Chromium, for bench/README.md.
//
// Each round visits the floor page and every site once, in a fresh browser context (a first
// visit: no service worker, no HTTP cache), the order reversed every other round so that a
// change in the machine's load does not favour one of them. A visit measures:
//  - navigation to the first drawn frame (the page's ?stats records animation frames in which
//    something was drawn) and, for a game site, to the first title frame equal to the native
//    one (the canvas polled by screenshots, as page-check does; the time is taken just after
//    the matching screenshot, so it is an upper bound);
//  - the title for --title-seconds after the cover click, then --play-seconds of play with
//    clicks (the floor page gets the same clicks): frame intervals (median, p99, over 25 ms),
//    and from a Chrome trace (toplevel and devtools.timeline categories) the busy time of the
//    renderer's main thread and of the GPU process (its main thread and the display
//    compositor's) per drawn frame, as the union of their top-level tasks;
//  - the download: the page, zandor.js and zandor.wasm, gzip and brotli (the site's own .gz
//    and .br copies where it has them, else compressed here at gzip -9 and brotli -q 11).
// The table at the end gives the median over the rounds and, with more than one round, the
// smallest and largest value.
//
// With --profile it instead plays one visit per site with V8's sampling profiler on during
// play (the disabled-by-default-v8.cpu_profiler category) and attributes the main thread's
// self time to the GL emulation, the 2D driver, the mixer, ASYNCIFY, the rest of the wasm,
// the JavaScript glue, the browser's own work and idle, beside the GPU process's busy time.
// The wasm is attributed by function name: profile a build linked with --profiling-funcs to
// see them (without names all wasm is one line).
//
//   node figures.mjs [--site NAME=DIR[?QUERY]]... [--floor DIR] [--title NATIVE_TITLE.png]
//                    [--rounds 2] [--title-seconds 10] [--play-seconds 60]
//                    [--profile] [--keep-trace DIR]
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { canvasShot, launchChromium, picture, serveSite, sleep } from './common.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const opt = {};
const sites = [];
{
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; ++i) {
    if (!argv[i].startsWith('--')) throw new Error(`figures: unexpected argument ${argv[i]}`);
    const name = argv[i].slice(2);
    const value = i + 1 < argv.length && !argv[i + 1].startsWith('--') ? argv[++i] : true;
    if (name === 'site') {
      // NAME=DIR, and DIR?QUERY for a page's own parameters (the floor page's ?calls=335).
      const eq = value.indexOf('=');
      const [where, query] = (eq > 0 ? value.slice(eq + 1) : value).split('?');
      const dir = path.resolve(where);
      sites.push({ name: eq > 0 ? value.slice(0, eq) : path.basename(path.dirname(dir)), dir,
                   query: query ?? '', game: fs.existsSync(path.join(dir, 'zandor.wasm')) });
    } else opt[name] = value;
  }
}
if (!sites.length) sites.push({ name: 'build-web', dir: path.join(root, 'build-web/site'), query: '', game: true });
const floor = { name: 'floor', dir: path.resolve(opt.floor ?? path.join(root, 'bench/web-floor')), query: '', game: false };
const titlePng = path.resolve(opt.title ?? path.join(root, 'docs/screenshots/title.png'));
const rounds = Number(opt.rounds ?? 2);
const titleSeconds = Number(opt['title-seconds'] ?? 10);
const playSeconds = Number(opt['play-seconds'] ?? 60);
const profile = Boolean(opt.profile);
const keepTrace = typeof opt['keep-trace'] === 'string' ? path.resolve(opt['keep-trace']) : null;
const say = (text) => console.log(`figures: ${text}`);
const loadAverage = () => fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ');

for (const t of [floor, ...sites]) {
  if (!fs.existsSync(path.join(t.dir, 'index.html'))) throw new Error(`figures: no index.html in ${t.dir}`);
}

// ---------------------------------------------------------------------------------------
// Download sizes.
function download(dir) {
  let raw = 0, gzip = 0, brotli = 0;
  for (const name of ['index.html', 'zandor.js', 'zandor.wasm']) {
    const file = path.join(dir, name);
    if (!fs.existsSync(file)) continue;
    const bytes = fs.readFileSync(file);
    raw += bytes.length;
    gzip += fs.existsSync(`${file}.gz`) ? fs.statSync(`${file}.gz`).size
      : zlib.gzipSync(bytes, { level: 9 }).length;
    brotli += fs.existsSync(`${file}.br`) ? fs.statSync(`${file}.br`).size
      : zlib.brotliCompressSync(bytes, { params: { [zlib.constants.BROTLI_PARAM_QUALITY]: 11,
                                                   [zlib.constants.BROTLI_PARAM_SIZE_HINT]: bytes.length } }).length;
  }
  return { raw, gzip, brotli };
}

// ---------------------------------------------------------------------------------------
// Traces.
const TASK = new Set(['ThreadControllerImpl::RunTask', 'ThreadPool_RunTask']);

function threadsOf(events) {
  const process = new Map(), thread = new Map();
  for (const e of events) {
    if (e.name === 'process_name') process.set(e.pid, e.args.name);
    else if (e.name === 'thread_name') thread.set(`${e.pid}:${e.tid}`, e.args.name);
  }
  return { process, thread };
}

// Microseconds covered by the thread's top-level tasks (nested ones counted once).
function busyOf(events, pid, tid) {
  const spans = events.filter((e) => e.ph === 'X' && e.pid === pid && e.tid === tid && TASK.has(e.name) && e.dur > 0)
    .map((e) => [e.ts, e.ts + e.dur]).sort((a, b) => a[0] - b[0]);
  let total = 0, end = -Infinity;
  for (const [s, f] of spans) {
    if (f <= end) continue;
    total += f - Math.max(s, end);
    end = f;
  }
  return total;
}

// The page's renderer main thread (the busiest CrRendererMain: other renderers are idle
// blank pages) and the GPU process's threads that draw: its main thread and the display
// compositor.
function busyTimes(events) {
  const { process, thread } = threadsOf(events);
  let main = null;
  const gpu = [];
  for (const [key, name] of thread) {
    const [pid, tid] = key.split(':').map(Number);
    if (name === 'CrRendererMain' && process.get(pid) === 'Renderer') {
      const us = busyOf(events, pid, tid);
      if (!main || us > main.us) main = { pid, tid, us };
    } else if (process.get(pid) === 'GPU Process' && (name === 'CrGpuMain' || name === 'VizCompositorThread')) {
      gpu.push({ name, us: busyOf(events, pid, tid) });
    }
  }
  const timed = events.filter((e) => e.ts > 0 && e.ph !== 'M');
  // A quiet minute's trace holds more events than a spread's arguments may.
  let first = Infinity, last = -Infinity;
  for (const e of timed) {
    first = Math.min(first, e.ts);
    last = Math.max(last, e.ts + (e.dur ?? 0));
  }
  const span = last - first;
  return { main, gpu, gpuUs: gpu.reduce((s, g) => s + g.us, 0), spanUs: span };
}

async function traced(page, categories, work) {
  await page.tracing.start({ categories });
  await work();
  const buffer = Buffer.from(await page.tracing.stop());
  return buffer;
}

// ---------------------------------------------------------------------------------------
// The canvas against the native title, as page-check compares them, and when it was taken.
async function canvasDiff(page) {
  const shot = await canvasShot(page);
  const at = await page.evaluate(() => performance.now());
  return { ...(await picture(page, shot, '/native-title.png')), at };
}

function intervals(frames) {
  const iv = frames.slice(1).map((t, i) => t - frames[i]).sort((a, b) => a - b);
  const q = (p) => (iv.length ? iv[Math.min(iv.length - 1, Math.floor(p * iv.length))] : NaN);
  return { frames: frames.length, median: q(0.5), p99: q(0.99), over25: iv.filter((d) => d > 25).length };
}

// ---------------------------------------------------------------------------------------
const servers = new Map();
for (const t of [floor, ...sites]) {
  const { origin } = await serveSite(t.dir, { extra: { '/native-title.png': titlePng } });
  servers.set(t, origin);
}
const browser = await launchChromium(1920, 1080);
const TIMELINE = ['toplevel', 'devtools.timeline'];

// One first visit: load, title, play. Returns its figures (and the play trace when asked).
async function visit(t, { profileTrace = false } = {}) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 800, height: 660 });
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  const r = { name: t.name };
  await page.goto(`${servers.get(t)}/?stats${t.query ? `&${t.query}` : ''}`, { waitUntil: 'load' });

  for (const end = Date.now() + 120000; Date.now() < end; await sleep(50)) {
    if (t.game) {
      const p = await canvasDiff(page);
      if (p.mean > 5 && p.diff <= 2) { r.titleMs = p.at; break; }
    } else if (await page.evaluate(() => zandorStats.firstDraw !== null)) break;
  }
  r.firstDrawMs = await page.evaluate(() => zandorStats.firstDraw);
  if (t.game && r.titleMs === undefined) say(`${t.name}: no title frame equal to the native one within 120 s`);

  const box = await (await page.$('#canvas')).boundingBox();
  const at = (x, y) => [box.x + x * box.width / 800, box.y + y * box.height / 600];
  if (t.game) {
    await page.waitForFunction(() => !document.getElementById('cover').hidden, { timeout: 60000 });
  }
  await page.mouse.click(...at(400, 300));  // the cover: sound starts, the title stays
  await sleep(1500);

  const windowed = async (seconds, categories, during) => {
    await page.evaluate(() => { zandorStats.frames.length = 0; });
    const trace = await traced(page, categories, during);
    const frames = await page.evaluate(() => zandorStats.frames.slice());
    return { trace, ...intervals(frames), seconds };
  };
  const figures = (w) => {
    const events = JSON.parse(w.trace.toString()).traceEvents;
    const b = busyTimes(events);
    return { ...w, mainMs: b.main ? b.main.us / 1000 : NaN, gpuMs: b.gpuUs / 1000, spanMs: b.spanUs / 1000, events };
  };

  if (!profileTrace) {
    const title = figures(await windowed(titleSeconds, TIMELINE, () => sleep(titleSeconds * 1000)));
    r.title = title;
  }
  await page.mouse.click(...at(400, 300));  // starts a game
  if (t.game) {
    for (const end = Date.now() + 15000; Date.now() < end; await sleep(250)) {
      const p = await canvasDiff(page);
      if (p.mean > 40) break;
    }
  }
  const playClicks = async () => {
    const start = Date.now();
    for (let clicks = 0; Date.now() - start < playSeconds * 1000; ++clicks) {
      const x = 120 + ((clicks * 173) % 560), y = 80 + ((clicks * 97) % 380);
      await page.mouse.move(...at(x, y), { steps: 3 });
      await page.mouse.click(...at(x, y));
      await sleep(250);
    }
  };
  const categories = profileTrace ? [...TIMELINE, 'disabled-by-default-v8.cpu_profiler'] : TIMELINE;
  r.play = figures(await windowed(playSeconds, categories, playClicks));
  if (keepTrace) {
    fs.mkdirSync(keepTrace, { recursive: true });
    const file = path.join(keepTrace, `${t.name}-${profileTrace ? 'profile' : 'play'}-${Date.now()}.json`);
    fs.writeFileSync(file, r.play.trace);
    say(`${t.name}: trace kept in ${file}`);
  }
  r.errors = errors;
  await page.close();
  await context.close();
  return r;
}

const ms = (v, digits = 1) => (Number.isFinite(v) ? v.toFixed(digits) : '–');
function describeVisit(r) {
  const part = (w) => `${w.frames} frames, median ${ms(w.median)} ms, p99 ${ms(w.p99)} ms, ${w.over25} over 25 ms, ` +
    `main ${ms(w.mainMs / w.frames, 2)} ms/frame, GPU process ${ms(w.gpuMs / w.frames, 2)} ms/frame`;
  say(`${r.name}: first draw ${ms(r.firstDrawMs, 0)} ms, title ${ms(r.titleMs, 0)} ms after navigation`);
  if (r.title) say(`${r.name}: title ${r.title.seconds} s: ${part(r.title)}`);
  say(`${r.name}: play ${r.play.seconds} s: ${part(r.play)}`);
  if (r.errors.length) say(`${r.name}: page errors: ${r.errors.join(' | ')}`);
}

// ---------------------------------------------------------------------------------------
// The profile: self time of the sampled main thread by where the code lives.

// Top-level definitions of the emscripten output (var NAME= / function NAME(), found by
// brace depth outside strings and comments), to name the object a JavaScript sample is in.
function topLevelDefinitions(text) {
  const defs = [];
  let depth = 0;
  for (let i = 0; i < text.length; ++i) {
    const c = text[i];
    if (c === '"' || c === "'" || c === '`') {
      for (++i; i < text.length && text[i] !== c; ++i) if (text[i] === '\\') ++i;
    } else if (c === '/' && text[i + 1] === '/') {
      while (i < text.length && text[i] !== '\n') ++i;
    } else if (c === '/' && text[i + 1] === '*') {
      i = text.indexOf('*/', i + 2) + 1;
    } else if (c === '{') ++depth;
    else if (c === '}') --depth;
    else if (depth === 0 && (c === 'v' || c === 'f') && /[\s;}(]/.test(text[i - 1] ?? ';')) {
      const m = /^(?:var|function)\s+([A-Za-z_$][\w$]*)/.exec(text.slice(i, i + 120));
      if (m) defs.push([i, m[1]]);
    }
  }
  return defs;
}
function enclosing(defs, offset) {
  let lo = 0, hi = defs.length - 1, found = '(top level)';
  while (lo <= hi) {
    const mid = (lo + hi) >> 1;
    if (defs[mid][0] <= offset) { found = defs[mid][1]; lo = mid + 1; } else hi = mid - 1;
  }
  return found;
}
function lineStarts(text) {
  const starts = [0];
  for (let i = text.indexOf('\n'); i >= 0; i = text.indexOf('\n', i + 1)) starts.push(i + 1);
  return starts;
}

const WEBGL_CALLS = /^(drawArrays|drawElements|bufferData|bufferSubData|texImage2D|texSubImage2D|uniform\w+|vertexAttrib\w+|enableVertexAttribArray|disableVertexAttribArray|bindBuffer|bindTexture|useProgram|enable|disable|blendFunc|clear\w*|viewport|scissor|getError|activeTexture|texParameter\w+|pixelStorei|readPixels|getParameter|colorMask|depthMask|flush)$/;

function category(frame, js) {
  const fn = frame.functionName ?? '', url = frame.url ?? '';
  if (fn === '(idle)') return 'idle';
  if (fn === '(program)') return 'browser outside JavaScript (compositing, WebGL command encoding, events)';
  if (fn === '(garbage collector)') return 'garbage collection';
  if (url.startsWith('wasm://') || frame.codeType === 'wasm') {
    if (/asyncify/i.test(fn)) return 'ASYNCIFY (wasm: asyncify_* unwinding and rewinding)';
    if (/mix|pulled|resampl|TAudio|audio|sound|channel|voice/i.test(fn)) return 'mixer and audio output (wasm)';
    if (/tela2d|gl_platform|TGL|ImageFrame|TGraphics|TImage|Draw|Graphics|Flip|Cls\b|SetBlend|SetColor|SetAlpha/.test(fn)) return 'our drawing: the 2D driver and graphics (wasm)';
    if (/^SDL_|^Emscripten_/.test(fn)) return 'SDL (wasm)';
    if (/^(wasm-to-js|js-to-wasm|dynCall_)/.test(fn)) return 'SDL and runtime JS glue (zandor.js)';
    if (/^(memcpy|memset|memmove|malloc|free|dlmalloc|dlfree|sbrk|operator new|operator delete|__)/.test(fn)) return 'libc and allocation (wasm)';
    if (/^\$?func\d+$|^wasm-function/.test(fn)) return 'wasm (unnamed: build with --profiling-funcs)';
    return 'the game and the rest of the engine (wasm)';
  }
  if (url.endsWith('/zandor.js') && js) {
    const line = js.lines[frame.lineNumber] ?? 0;
    const owner = enclosing(js.defs, line + frame.columnNumber);
    if (/^GL(Immediate|ImmediateSetup|Emulation)$/.test(owner)) return 'GL emulation: GLImmediate / GLEmulation (JS)';
    if (owner === 'GL' || /^_(emscripten_)?gl[A-Z]/.test(owner)) return 'GL emulation: the _gl* entry points and GL object (JS)';
    if (owner === 'Asyncify' || /sleep|Asyncify/i.test(owner)) return 'ASYNCIFY (JS: Asyncify, emscripten_sleep)';
    if (/^invoke_/.test(owner)) return 'exception trampolines invoke_* (JS)';
    return 'SDL and runtime JS glue (zandor.js)';
  }
  if (!url && WEBGL_CALLS.test(fn)) return 'WebGL API calls (browser side of the JS call)';
  if (!url) return 'browser built-ins';
  return 'page script (index.html and others)';
}

function profileOf(events, main, js) {
  const profiles = new Map();
  for (const e of events) {
    if (e.ph !== 'P' || e.pid !== main.pid) continue;
    if (!profiles.has(e.id)) profiles.set(e.id, { tid: null, chunks: [] });
    const p = profiles.get(e.id);
    if (e.name === 'Profile') p.tid = e.tid;
    else if (e.name === 'ProfileChunk') p.chunks.push(e);
  }
  let chosen = null;
  for (const p of profiles.values()) {
    const samples = p.chunks.reduce((s, c) => s + (c.args.data.cpuProfile?.samples?.length ?? 0), 0);
    const score = (p.tid === main.tid ? 1e12 : 0) + samples;
    if (!chosen || score > chosen.score) chosen = { ...p, score };
  }
  if (!chosen) return null;
  const nodes = new Map();
  const samples = [], deltas = [];
  for (const c of chosen.chunks.sort((a, b) => a.ts - b.ts)) {
    const d = c.args.data;
    for (const n of d.cpuProfile?.nodes ?? []) nodes.set(n.id, n);
    samples.push(...(d.cpuProfile?.samples ?? []));
    deltas.push(...(d.timeDeltas ?? []));
  }
  const byCategory = new Map(), byFunction = new Map();
  let total = 0;
  for (let i = 0; i + 1 < samples.length; ++i) {
    const us = Math.max(0, deltas[i + 1]);
    const frame = nodes.get(samples[i])?.callFrame ?? { functionName: '(unknown)', url: '' };
    const cat = category(frame, js);
    byCategory.set(cat, (byCategory.get(cat) ?? 0) + us);
    const key = `${frame.functionName || '(anonymous)'} [${cat.replace(/ \(.*$/, '')}]`;
    byFunction.set(key, (byFunction.get(key) ?? 0) + us);
    total += us;
  }
  return { byCategory, byFunction, total, samples: samples.length };
}

async function runProfile() {
  for (const site of sites) {
    say(`profile: ${site.name} (${site.dir}), ${playSeconds} s of play, load average ${loadAverage()}`);
    const r = await visit(site, { profileTrace: true });
    const b = busyTimes(r.play.events);
    const jsFile = path.join(site.dir, 'zandor.js');
    const text = fs.existsSync(jsFile) ? fs.readFileSync(jsFile, 'utf8') : null;
    const js = text && { defs: topLevelDefinitions(text), lines: lineStarts(text) };
    const p = b.main && profileOf(r.play.events, b.main, js);
    describeVisit(r);
    if (!p) { say('profile: no samples of the main thread in the trace'); continue; }
    const frames = r.play.frames;
    const busy = p.total - (p.byCategory.get('idle') ?? 0);
    say(`profile: ${p.samples} samples over ${ms(p.total / 1e6, 1)} s of the main thread, ${ms(busy / 1000, 0)} ms not idle, ${frames} frames drawn`);
    say('profile: | where the main thread\'s time goes (self time) | ms per drawn frame | share of non-idle |');
    say('profile: |---|---|---|');
    for (const [cat, us] of [...p.byCategory].sort((a, b2) => b2[1] - a[1])) {
      const share = cat === 'idle' ? '–' : `${ms(100 * us / busy)} %`;
      say(`profile: | ${cat} | ${ms(us / 1000 / frames, 2)} | ${share} |`);
    }
    for (const g of b.gpu) say(`profile: | GPU process, ${g.name} busy (its own thread, not sampled) | ${ms(g.us / 1000 / frames, 2)} | – |`);
    say('profile: the costliest functions, self time:');
    for (const [name, us] of [...p.byFunction].sort((a, b2) => b2[1] - a[1]).slice(0, 25)) {
      say(`profile:   ${ms(us / 1000, 0).padStart(7)} ms  ${ms(100 * us / busy).padStart(5)} %  ${name}`);
    }
  }
}

// ---------------------------------------------------------------------------------------
async function runFigures() {
  const targets = [floor, ...sites];
  const results = new Map(targets.map((t) => [t, []]));
  const loads = [loadAverage()];
  for (let round = 0; round < rounds; ++round) {
    const order = round % 2 ? [...targets].reverse() : targets;
    for (const t of order) {
      say(`round ${round + 1}/${rounds}: ${t.name} (${t.dir}), load average ${loadAverage()}`);
      const r = await visit(t);
      describeVisit(r);
      for (const w of [r.title, r.play]) { delete w.events; delete w.trace; }
      results.get(t).push(r);
    }
  }
  loads.push(loadAverage());

  const median = (values) => {
    const v = values.filter(Number.isFinite).sort((a, b) => a - b);
    return v.length ? (v.length % 2 ? v[v.length >> 1] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2) : NaN;
  };
  const cell = (t, get, digits = 1) => {
    const v = results.get(t).map(get);
    const m = median(v), f = v.filter(Number.isFinite);
    if (!f.length) return '–';
    return f.length > 1 ? `${ms(m, digits)} (${ms(Math.min(...f), digits)}–${ms(Math.max(...f), digits)})` : ms(m, digits);
  };
  const sizes = new Map(targets.map((t) => [t, download(t.dir)]));
  const kb = (n) => Math.round(n / 1000).toLocaleString('en').replace(/,/g, ' ');
  const rows = [
    ['download, page + .js + .wasm, gzip / brotli (kB)', (t) => `${kb(sizes.get(t).gzip)} / ${kb(sizes.get(t).brotli)}`],
    ['navigation to the first drawn frame (ms)', (t) => cell(t, (r) => r.firstDrawMs, 0)],
    ['navigation to the first title frame equal to the native one (ms)', (t) => (t.game ? cell(t, (r) => r.titleMs, 0) : '–')],
  ];
  for (const [what, key] of [[`title, ${titleSeconds} s`, 'title'], [`play with clicks, ${playSeconds} s`, 'play']]) {
    rows.push(
      [`${what}: frames drawn`, (t) => cell(t, (r) => r[key].frames, 0)],
      [`${what}: frame interval median / p99 (ms)`, (t) => `${cell(t, (r) => r[key].median)} / ${cell(t, (r) => r[key].p99)}`],
      [`${what}: intervals over 25 ms (share of all)`, (t) => `${cell(t, (r) => r[key].over25, 0)} (${ms(median(results.get(t).map((r) => 100 * r[key].over25 / (r[key].frames - 1))), 0)} %)`],
      [`${what}: renderer main thread busy per drawn frame (ms)`, (t) => cell(t, (r) => r[key].mainMs / r[key].frames, 2)],
      [`${what}: GPU process busy per drawn frame (ms)`, (t) => cell(t, (r) => r[key].gpuMs / r[key].frames, 2)],
    );
  }
  const floorOf = (get) => median(results.get(floor).map(get));
  rows.push(
    ['play: intervals over 25 ms / the floor page\'s (goal ≤ 1.2)', (t) => (t === floor ? '1' : ms(median(results.get(t).map((r) => r.play.over25)) / floorOf((r) => r.play.over25), 2))],
    ['play: main thread busy per frame / the floor page\'s (goal ≤ 1.5)', (t) => (t === floor ? '1' : ms(median(results.get(t).map((r) => r.play.mainMs / r.play.frames)) / floorOf((r) => r.play.mainMs / r.play.frames), 2))],
  );
  console.log('');
  console.log(`${rounds} round(s), ${new Date().toISOString().slice(0, 16).replace('T', ' ')} UTC; load average ${loads[0]} before, ${loads[1]} after; headless Chromium, software WebGL (SwiftShader)`);
  console.log(`sites: ${targets.map((t) => `${t.name} = ${t.dir}${t.query ? `?${t.query}` : ''}`).join('; ')}`);
  console.log('');
  console.log(`| figure | ${targets.map((t) => t.name).join(' | ')} |`);
  console.log(`|---|${targets.map(() => '---').join('|')}|`);
  for (const [what, get] of rows) console.log(`| ${what} | ${targets.map(get).join(' | ')} |`);
}

try {
  if (profile) await runProfile();
  else await runFigures();
} finally {
  await browser.close();
}
process.exit(0);
