#!/usr/bin/env node
// A small static server for the browser build's folder that sends the precompressed copies
// (name.br, name.gz, written beside each file by the site build) when the browser accepts
// them, which python's http.server cannot do. Only files inside the folder are served.
//
//   node web/serve.mjs <site dir> [--port 8014] [--host 127.0.0.1]
//
// Also a module: page checks start it in-process with createSiteServer().
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.json': 'application/json',
  '.png': 'image/png', '.css': 'text/css; charset=utf-8', '.txt': 'text/plain; charset=utf-8',
};
// How long a browser may keep a file without asking again. A file whose address carries the
// build (?v=...) never changes under that address and is kept for a year. The page, the
// service worker and the manifest name the build's other files, and the program's files keep
// their names from build to build, so those are checked with the server on every use (an
// unchanged file costs a 304 answer, not its bytes; repeat visits are served by the service
// worker anyway). The rest (the icons) may be kept for a day.
function cacheControl(file, query) {
  if (/(^|&)v=/.test(query)) return 'public, max-age=31536000, immutable';
  const ext = path.extname(file);
  if (['.html', '.webmanifest', '.js', '.wasm'].includes(ext)) return 'no-cache';
  return 'public, max-age=86400';
}

// The encoding to send for one file: brotli, then gzip, when both the browser takes it and
// the copy exists; null for the file as it is.
function pickEncoding(file, accept) {
  const taken = new Set();
  for (const entry of (accept ?? '').split(',')) {
    const [coding, ...params] = entry.split(';').map((p) => p.trim().toLowerCase());
    const q = params.find((p) => p.startsWith('q='));
    if (coding && !(q && Number(q.slice(2)) === 0)) taken.add(coding);
  }
  for (const [name, suffix] of [['br', '.br'], ['gzip', '.gz']]) {
    if (taken.has(name) && fs.existsSync(file + suffix)) return { name, suffix };
  }
  return null;
}

// options.extra: { '/url': '/real/file' } served as well (the checks add a reference picture);
// options.delay(urlPath) -> milliseconds to hold a response (the checks slow the download);
// options.answered(urlPath, status) is told of every file answered (the checks count them).
export function createSiteServer(dir, options = {}) {
  const rootDir = path.resolve(dir);
  return http.createServer(async (req, res) => {
    if (req.method !== 'GET' && req.method !== 'HEAD') {
      res.writeHead(405, { Allow: 'GET, HEAD' });
      res.end();
      return;
    }
    let name, query;
    try {
      const url = new URL(req.url, 'http://x');
      name = decodeURIComponent(url.pathname);
      query = url.search.slice(1);
    } catch {
      res.writeHead(400);
      res.end();
      return;
    }
    let file = options.extra?.[name];
    if (!file) {
      file = path.resolve(rootDir, `.${name.endsWith('/') ? `${name}index.html` : name}`);
      if (file !== rootDir && !file.startsWith(rootDir + path.sep)) {
        res.writeHead(404);
        res.end();
        return;
      }
    }
    let stat;
    try {
      stat = fs.statSync(file);
    } catch {
      stat = null;
    }
    if (!stat?.isFile()) {
      res.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' });
      res.end('not found\n');
      return;
    }
    const ext = path.extname(file);
    const encoding = options.extra?.[name] ? null : pickEncoding(file, req.headers['accept-encoding']);
    const sent = encoding ? file + encoding.suffix : file;
    const sentStat = fs.statSync(sent);
    // The type is the file's own, also for its .br and .gz copies: a .wasm must come as
    // application/wasm for the browser to compile it while it downloads.
    const headers = {
      'Content-Type': types[ext] ?? 'application/octet-stream',
      'Content-Length': sentStat.size,
      'Cache-Control': cacheControl(file, query),
      ETag: `"${sentStat.size.toString(36)}-${Math.floor(sentStat.mtimeMs).toString(36)}${encoding ? `-${encoding.name}` : ''}"`,
      'Last-Modified': sentStat.mtime.toUTCString(),
      Vary: 'Accept-Encoding',
      'X-Content-Type-Options': 'nosniff',
    };
    if (encoding) headers['Content-Encoding'] = encoding.name;
    const hold = options.delay?.(name) ?? 0;
    if (hold > 0) await new Promise((r) => setTimeout(r, hold));
    const tags = req.headers['if-none-match'];
    if (tags && tags.split(',').map((t) => t.trim().replace(/^W\//, '')).some((t) => t === headers.ETag || t === '*')) {
      for (const h of ['Content-Length', 'Content-Type', 'Content-Encoding']) delete headers[h];
      res.writeHead(304, headers);
      res.end();
      options.answered?.(name, 304);
      return;
    }
    res.writeHead(200, headers);
    options.answered?.(name, 200);
    if (req.method === 'HEAD') {
      res.end();
      return;
    }
    fs.createReadStream(sent).on('error', () => res.destroy()).pipe(res);
  });
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const args = process.argv.slice(2);
  const option = (flag, fallback) => {
    const i = args.indexOf(flag);
    return i >= 0 && i + 1 < args.length ? args.splice(i, 2)[1] : fallback;
  };
  const port = Number(option('--port', '8014'));
  const host = option('--host', '127.0.0.1');
  if (args.length !== 1 || !fs.existsSync(args[0])) {
    console.error('usage: node serve.mjs <site dir> [--port 8014] [--host 127.0.0.1]');
    process.exit(2);
  }
  createSiteServer(args[0]).listen(port, host, () => {
    console.log(`ZANDOR is served at http://${host}:${port}/ (Ctrl-C stops)`);
  });
}
