// A static file server for the page, as any web host would serve build-web/:
// the right content types, gzip for a browser that accepts it, and a tag of
// each file's contents, so that the service worker's check of a file the
// page has just downloaded costs no second download.
//   node web/serve.js [FOLDER] [PORT]   (build-web and 8000 by default)
// Listens on 127.0.0.1 only.
"use strict";
const crypto = require("crypto");
const fs = require("fs");
const http = require("http");
const path = require("path");
const zlib = require("zlib");

const types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".wasm": "application/wasm",
  ".data": "application/octet-stream",
  ".png": "image/png",
  ".ttf": "font/ttf",
  ".webmanifest": "application/manifest+json",
};

// Starts serving `root` on `port` (0: any free port); resolves to the server.
// `api(request, response)`, when given, answers every path under /api/, and
// the files say so as the leaderboard server's do (a test's stand-in for it).
function serve(root, port, api = null) {
  const packed = new Map();  // digest of a file's contents -> their gzip, made once
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, "http://localhost");
    if (api && url.pathname.startsWith("/api/")) {
      api(request, response);
      return;
    }
    let name;
    try {
      name = decodeURIComponent(url.pathname);
    } catch (error) {
      // A malformed escape (such as /%E0%A4%A) names no file.
      response.writeHead(400, { "Content-Type": "text/plain" });
      response.end("Bad request\n");
      return;
    }
    if (name.endsWith("/")) name += "index.html";
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(path.resolve(root) + path.sep) || !fs.existsSync(file) ||
        !fs.statSync(file).isFile()) {
      response.writeHead(404, { "Content-Type": "text/plain" });
      response.end("Not found\n");
      return;
    }
    let body = fs.readFileSync(file);
    const digest = crypto.createHash("sha256").update(body).digest("base64url");
    // Kept, but asked again each time: a new build shows at the next visit.
    const headers = {
      "Content-Type": types[path.extname(file)] || "application/octet-stream",
      "Cache-Control": "no-cache",
      "ETag": `W/"${digest}"`,
    };
    if (api) headers["X-Mosslance-Board"] = "/api/v1/";
    if (request.headers["if-none-match"] === headers.ETag) {
      response.writeHead(304, headers);
      response.end();
      return;
    }
    if (/\bgzip\b/.test(request.headers["accept-encoding"] || "")) {
      if (!packed.has(digest)) packed.set(digest, zlib.gzipSync(body));
      body = packed.get(digest);
      headers["Content-Encoding"] = "gzip";
    }
    headers["Content-Length"] = body.length;
    response.writeHead(200, headers);
    response.end(request.method === "HEAD" ? undefined : body);
  });
  return new Promise((resolve, reject) => {
    server.once("error", reject);
    server.listen(port, "127.0.0.1", () => resolve(server));
  });
}

module.exports = { serve };

if (require.main === module) {
  const root = path.resolve(process.argv[2] || "build-web");
  const port = Number(process.argv[3] || 8000);
  serve(root, port).then(() => {
    console.log(`MOSSLANCE Hero: http://127.0.0.1:${port}/ (Ctrl+C to stop)`);
  }, (error) => {
    console.error(`MOSSLANCE Hero: cannot serve on port ${port}: ${error.message}`);
    process.exit(1);
  });
}
