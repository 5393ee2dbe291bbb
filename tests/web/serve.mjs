// A small static file server for the web build's tests, bound to the loopback
// address only. Files carry an ETag and are revalidated on each use (304
// when unchanged); `requests` lists each request's path, status and body
// bytes, to count a visit's download. With `isolate` every response carries
// the headers that make a page cross-origin isolated (for shared memory).
//   node tests/web/serve.mjs DIR [--port N] [--isolate]
import crypto from 'node:crypto';
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const kHost = '127.0.0.1';
const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  // The browser compiles while downloading only when served as application/wasm.
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
  '.ogg': 'audio/ogg',
  '.css': 'text/css; charset=utf-8',
  '.ico': 'image/x-icon',
};

// Maps a request path onto a file under root, or null when the path is
// malformed or would leave root (".." segments, encoded or not, NUL bytes).
export function resolveRequestPath(root, urlPath) {
  let decoded;
  try {
    decoded = decodeURIComponent(urlPath.split('?')[0].split('#')[0]);
  } catch {
    return null;
  }
  if (decoded.includes('\0') || !decoded.startsWith('/')) return null;
  if (decoded.split(/[\\/]/).includes('..')) return null;
  const base = path.resolve(root);
  let file = path.join(base, decoded);
  if (decoded.endsWith('/')) file = path.join(file, 'index.html');
  if (file !== base && !file.startsWith(base + path.sep)) return null;
  return file;
}

export function startServer({ root, port = 0, isolate = false }) {
  const requests = [];
  const server = http.createServer((request, response) => {
    const headers = { 'Cache-Control': 'no-cache' };
    if (isolate) {
      headers['Cross-Origin-Opener-Policy'] = 'same-origin';
      headers['Cross-Origin-Embedder-Policy'] = 'require-corp';
      headers['Cross-Origin-Resource-Policy'] = 'same-origin';
    }
    const send = (status, body, type = 'text/plain; charset=utf-8', more = {}) => {
      response.writeHead(status, { ...headers, ...more, 'Content-Type': type });
      const sent = request.method === 'HEAD' || !body ? undefined : body;
      requests.push({ path: request.url, status, bytes: sent ? sent.length : 0 });
      response.end(sent);
    };
    if (request.method !== 'GET' && request.method !== 'HEAD') return send(405, 'method not allowed\n');
    const file = resolveRequestPath(root, request.url);
    if (!file) return send(400, 'bad path\n');
    fs.readFile(file, (error, body) => {
      if (error) return send(404, 'not found\n');
      const type = kTypes[path.extname(file).toLowerCase()] || 'application/octet-stream';
      const etag = `"${crypto.createHash('sha1').update(body).digest('hex')}"`;
      if (request.headers['if-none-match'] === etag) return send(304, null, type, { ETag: etag });
      send(200, body, type, { ETag: etag });
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, kHost, () => {
      const { port: bound } = server.address();
      resolve({
        url: `http://${kHost}:${bound}/`,
        port: bound,
        requests,
        close: () => new Promise((done) => server.close(done)),
      });
    });
  });
}

// Command line: serve a folder until interrupted.
if (import.meta.url === pathToFileURL(process.argv[1] || '').href) {
  const args = process.argv.slice(2);
  const root = args.find((a, i) => !a.startsWith('--') && args[i - 1] !== '--port');
  const portAt = args.indexOf('--port');
  if (!root) {
    console.error('usage: node serve.mjs DIR [--port N] [--isolate]');
    process.exit(2);
  }
  const served = await startServer({
    root,
    port: portAt >= 0 ? Number(args[portAt + 1]) : 8080,
    isolate: args.includes('--isolate'),
  });
  console.log(`serving ${path.resolve(root)} at ${served.url}`);
}
