// A static file server for the page on 127.0.0.1, compressing with gzip as web hosts do
// (so the browser's transfer counts are what a player downloads). It counts the bytes it
// sends per file. Run alone, it serves a folder: node serve.js FOLDER [PORT]
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const zlib = require('zlib');

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
};

// Resolves to { port, sent: Map(file -> bytes on the wire), gzipped: Map(file -> bytes
// compressed), close() }.
function serve(root, port = 0) {
  root = path.resolve(root);
  const sent = new Map();
  // Every file is compressed before the first request, so that a download's time is the
  // transfer's and not the compression's.
  const gzipped = new Map();
  for (const name of fs.readdirSync(root)) {
    const file = path.join(root, name);
    if (fs.statSync(file).isFile()) gzipped.set(file, zlib.gzipSync(fs.readFileSync(file), { level: 9 }));
  }
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(root, path.normalize(name === '/' ? '/index.html' : name));
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) ||
        !fs.statSync(file).isFile()) {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found');
      return;
    }
    const headers = {
      'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-cache',
    };
    let body = fs.readFileSync(file);
    if (gzipped.has(file) && /\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
      body = gzipped.get(file);
      headers['Content-Encoding'] = 'gzip';
    }
    headers['Content-Length'] = body.length;
    response.writeHead(200, headers);
    response.end(body);
    sent.set(path.basename(file), (sent.get(path.basename(file)) || 0) + body.length);
  });
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.listen(port, '127.0.0.1', () => {
      resolve({
        port: server.address().port,
        sent,
        gzipped: new Map([...gzipped].map(([file, body]) => [path.basename(file), body.length])),
        close: () => new Promise((done) => server.close(done)),
      });
    });
  });
}

module.exports = { serve };

if (require.main === module) {
  const root = path.resolve(process.argv[2] || '.');
  serve(root, Number(process.argv[3] || 8000)).then(({ port }) => {
    console.log(`Serving ${root} at http://127.0.0.1:${port}/`);
  });
}
