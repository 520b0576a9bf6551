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
// Files that name the build's other files are checked with the server on every load, so a
// new build is seen at once; the rest may be kept for a short while.
const revalidate = new Set(['.html', '.webmanifest']);

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
// options.delay(urlPath) -> milliseconds to hold a response (the checks slow the download).
export function createSiteServer(dir, options = {}) {
  const rootDir = path.resolve(dir);
  return http.createServer(async (req, res) => {
    if (req.method !== 'GET' && req.method !== 'HEAD') {
      res.writeHead(405, { Allow: 'GET, HEAD' });
      res.end();
      return;
    }
    let name;
    try {
      name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
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
    const headers = {
      'Content-Type': types[ext] ?? 'application/octet-stream',
      'Content-Length': fs.statSync(sent).size,
      'Cache-Control': revalidate.has(ext) || path.basename(file) === 'sw.js' ? 'no-cache' : 'max-age=300',
      Vary: 'Accept-Encoding',
      'X-Content-Type-Options': 'nosniff',
    };
    if (encoding) headers['Content-Encoding'] = encoding.name;
    const hold = options.delay?.(name) ?? 0;
    if (hold > 0) await new Promise((r) => setTimeout(r, hold));
    res.writeHead(200, headers);
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
