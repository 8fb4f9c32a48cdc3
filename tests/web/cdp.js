// A headless chromium driven over the DevTools protocol through a pipe
// (--remote-debugging-pipe: JSON messages ended by a NUL byte, commands written to the
// browser's file descriptor 3, answers and events read from its descriptor 4), so nothing
// but node and the system's chromium is needed. Every command has a timeout, so a hung
// browser or page fails a test instead of blocking it.
'use strict';

const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const COMMAND_TIMEOUT_MS = 15000;

// Flags for a machine without display, GPU or sound device, running as root: SwiftShader
// gives WebGL in software.
const HEADLESS_FLAGS = [
  '--headless',
  '--no-sandbox',
  '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader',
  '--no-first-run',
  '--no-default-browser-check',
  '--disable-extensions',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--mute-audio',
  '--disable-dev-shm-usage',  // containers often have a small /dev/shm
  '--window-size=800,600',
];

class Browser {
  // options.args: extra chromium flags; options.executable: the browser (default chromium).
  static async launch(options = {}) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quillow-chromium-'));
    const args = [...HEADLESS_FLAGS, ...(options.args || []), '--remote-debugging-pipe',
      '--user-data-dir=' + profile, 'about:blank'];
    const child = spawn(options.executable || process.env.CHROMIUM || 'chromium', args, {
      stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'],
    });
    const browser = new Browser(child, profile);
    try {
      await browser.send('Target.getTargets');  // the pipe answers: the browser is up
    } catch (e) {
      await browser.close();
      throw e;
    }
    return browser;
  }

  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    this.stderr = '';
    this.exited = false;
    let buffer = Buffer.alloc(0);
    child.stdio[4].on('data', (chunk) => {
      buffer = Buffer.concat([buffer, chunk]);
      let end;
      while ((end = buffer.indexOf(0)) >= 0) {
        this.dispatch(JSON.parse(buffer.subarray(0, end).toString('utf8')));
        buffer = buffer.subarray(end + 1);
      }
    });
    child.stderr.on('data', (chunk) => {
      this.stderr = (this.stderr + chunk.toString()).slice(-4000);
    });
    child.on('exit', (code, signal) => this.gone(`chromium exited (${signal || code}): ${this.stderr.trim()}`));
    child.on('error', (e) => this.gone(`chromium could not start (${e.message}): install it, or name it in CHROMIUM`));
    child.stdio[3].on('error', () => {});  // a browser gone: reported through 'exit' or 'error'
  }

  gone(why) {
    this.exited = true;
    for (const { reject } of this.pending.values()) reject(new Error(why));
    this.pending.clear();
  }

  dispatch(message) {
    if (message.id !== undefined) {
      const waiter = this.pending.get(message.id);
      if (!waiter) return;
      this.pending.delete(message.id);
      if (message.error) waiter.reject(new Error(`${waiter.method}: ${message.error.message}`));
      else waiter.resolve(message.result);
      return;
    }
    for (const listener of this.listeners) listener(message);
  }

  // One DevTools command; rejects after timeoutMs without an answer.
  send(method, params = {}, sessionId = undefined, timeoutMs = COMMAND_TIMEOUT_MS) {
    if (this.exited) return Promise.reject(new Error('chromium is not running'));
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.pending.delete(id);
        reject(new Error(`${method}: no answer in ${timeoutMs} ms`));
      }, timeoutMs);
      this.pending.set(id, {
        method,
        resolve: (v) => (clearTimeout(timer), resolve(v)),
        reject: (e) => (clearTimeout(timer), reject(e)),
      });
      this.child.stdio[3].write(JSON.stringify(message) + '\0');
    });
  }

  on(listener) {
    this.listeners.push(listener);
  }

  // A new tab, attached: its commands go through page.send(method, params).
  async newPage() {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    return new Page(this, sessionId);
  }

  async close() {
    if (!this.exited && this.child.exitCode === null) {
      const gone = new Promise((resolve) => this.child.once('exit', resolve));
      this.send('Browser.close', {}, undefined, 5000).catch(() => {});
      const timer = setTimeout(() => this.child.kill('SIGKILL'), 5000);
      await gone;
      clearTimeout(timer);
    }
    fs.rmSync(this.profile, { recursive: true, force: true });
  }
}

class Page {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.events = [];
    browser.on((message) => {
      if (message.sessionId === sessionId) this.events.push(message);
    });
  }

  send(method, params = {}, timeoutMs = COMMAND_TIMEOUT_MS) {
    return this.browser.send(method, params, this.sessionId, timeoutMs);
  }

  // The value of a JavaScript expression in the page (awaited when it is a promise).
  async evaluate(expression, timeoutMs = COMMAND_TIMEOUT_MS) {
    const { result, exceptionDetails } = await this.send('Runtime.evaluate', {
      expression, returnByValue: true, awaitPromise: true, timeout: timeoutMs,
    }, timeoutMs + 1000);
    if (exceptionDetails) {
      const text = exceptionDetails.exception ? exceptionDetails.exception.description : exceptionDetails.text;
      throw new Error(`evaluate(${expression}): ${text}`);
    }
    return result.value;
  }

  // Polls an expression until it is truthy; its value, or an error naming what was awaited.
  async waitFor(expression, timeoutMs, what = expression) {
    const deadline = Date.now() + timeoutMs;
    for (;;) {
      const value = await this.evaluate(expression);
      if (value) return value;
      if (Date.now() > deadline) throw new Error(`timed out after ${timeoutMs} ms waiting for ${what}`);
      await sleep(50);
    }
  }

  key(type, code = 'Space', key = ' ', keyCode = 32) {
    return this.send('Input.dispatchKeyEvent', {
      type, code, key, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode,
    });
  }

  touch(type, x, y) {
    const touchPoints = type === 'touchEnd' ? [] : [{ x, y, id: 1 }];
    return this.send('Input.dispatchTouchEvent', { type, touchPoints });
  }

  // The RGB pixels of a rectangle of the page, from a PNG screenshot.
  async pixels(clip) {
    const { data } = await this.send('Page.captureScreenshot', {
      format: 'png', clip: { ...clip, scale: 1 }, captureBeyondViewport: false,
    });
    return decodePng(Buffer.from(data, 'base64'));
  }
}

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

//-------------------------------------------------------------------------------------------
// PNG decoding (8-bit RGB or RGBA, not interlaced: what chromium writes)
//-------------------------------------------------------------------------------------------
function decodePng(png) {
  const zlib = require('zlib');
  let width = 0, height = 0, channels = 0;
  const idat = [];
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const depth = body[8], colour = body[9], interlace = body[12];
      if (depth !== 8 || (colour !== 2 && colour !== 6) || interlace !== 0)
        throw new Error(`PNG kind not handled: depth ${depth}, colour ${colour}, interlace ${interlace}`);
      channels = colour === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const rgb = Buffer.alloc(width * height * 3);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; i++) {
      const a = i >= channels ? line[i - channels] : 0;
      const b = previous[i];
      const c = i >= channels ? previous[i - channels] : 0;
      let predictor = 0;
      if (filter === 1) predictor = a;
      else if (filter === 2) predictor = b;
      else if (filter === 3) predictor = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      line[i] = (line[i] + predictor) & 255;
    }
    for (let x = 0; x < width; x++)
      line.copy(rgb, (y * width + x) * 3, x * channels, x * channels + 3);
    previous = line;
  }
  return { width, height, rgb };
}

module.exports = { Browser, sleep, decodePng };
