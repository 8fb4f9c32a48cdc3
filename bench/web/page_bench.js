// The page in headless chromium, measured: bytes transferred per file (gzip, as served),
// navigation to first frame, and, while Space is held, frames per second and main-thread
// time per turn (the browser's call into the game, for the passes that ran a turn), on
// WebGL and on the software renderer (chromium without WebGL). The baseline is the display
// frame rate the same browser gives an empty page: the game cannot show more frames than
// the browser has display frames.
//
// usage: node page_bench.js SITE [RUNS]   (RUNS navigations per renderer, default 3)
'use strict';

const path = require('path');
const { Browser, sleep } = require(path.join(__dirname, '../../tests/web/cdp'));
const { serve } = require(path.join(__dirname, '../../tests/web/serve'));

const site = process.argv[2];
const runs = Number(process.argv[3] || 3);
const MEASURE_MS = 5000;

const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
const pct = (v, p) => [...v].sort((a, b) => a - b)[Math.min(v.length - 1, Math.floor(v.length * p))];

// Times every pass of the browser loop that ran a turn (the frame count moved).
const HOOK_TURNS = `(() => {
  window.turnTimes = [];
  let start = 0, frames = 0;
  Module.preMainLoop = () => { start = performance.now(); frames = Module._quillow_frames(); };
  Module.postMainLoop = () => {
    if (Module._quillow_frames() !== frames) turnTimes.push(performance.now() - start);
  };
})()`;

// Display frames (requestAnimationFrame callbacks) per second on an empty page.
const DISPLAY_RATE = `new Promise((resolve) => {
  let n = 0;
  const t0 = performance.now();
  const tick = () => {
    n++;
    if (performance.now() - t0 < ${MEASURE_MS}) requestAnimationFrame(tick);
    else resolve((1000 * n) / (performance.now() - t0));
  };
  requestAnimationFrame(tick);
})`;

async function displayRate(browser) {
  const page = await browser.newPage();
  await page.send('Page.navigate', { url: 'about:blank' });
  await sleep(500);
  return page.evaluate(DISPLAY_RATE, MEASURE_MS + 5000);
}

async function measure(browser, port) {
  const page = await browser.newPage();
  await page.send('Network.setCacheDisabled', { cacheDisabled: true });
  await page.send('Emulation.setDeviceMetricsOverride',
    { width: 800, height: 600, deviceScaleFactor: 1, mobile: false });
  await page.send('Page.navigate', { url: `http://127.0.0.1:${port}/` });
  await page.waitFor('window.quillow && quillow.firstFrameAt !== null', 120000, 'the first frame');
  const firstFrame = await page.evaluate('quillow.firstFrameAt');
  const times = await page.evaluate('quillow.times');
  const renderer = await page.evaluate('quillow.status().renderer');
  await page.key('keyDown');
  await sleep(1000);
  await page.evaluate(HOOK_TURNS);
  const f0 = await page.evaluate('[quillow.status().frames, performance.now()]');
  await sleep(MEASURE_MS);
  const f1 = await page.evaluate('[quillow.status().frames, performance.now()]');
  const turns = await page.evaluate('turnTimes');
  await page.key('keyUp');
  await page.send('Page.navigate', { url: 'about:blank' });
  return { renderer, firstFrame, times, fps: (1000 * (f1[0] - f0[0])) / (f1[1] - f0[1]), turns };
}

async function bench(server, noWebgl) {
  const browser = await Browser.launch({ args: noWebgl ? ['--disable-3d-apis'] : [] });
  try {
    const results = [];
    for (let i = 0; i < runs; i++) results.push(await measure(browser, server.port));
    const display = await displayRate(browser);
    const turns = results.flatMap((r) => r.turns);
    const r = results[0].renderer;
    console.log(`${r === 'software' ? 'software renderer' : 'WebGL (' + r + ')'}, ${runs} runs` +
      ' (the first in a freshly started browser):');
    console.log(`  first frame after navigation: median ${median(results.map((x) => x.firstFrame)).toFixed(0)} ms` +
      ` (runs: ${results.map((x) => x.firstFrame.toFixed(0)).join(', ')})`);
    const at = (key) => median(results.map((x) => x.times[key])).toFixed(0);
    console.log(`    on the way (medians): music downloaded ${at('data')} ms, module compiled` +
      ` ${at('compiled')} ms, game started ${at('started')} ms`);
    console.log(`  frames per second with Space held: median ${median(results.map((x) => x.fps)).toFixed(1)}` +
      ` (runs: ${results.map((x) => x.fps.toFixed(1)).join(', ')});` +
      ` an empty page gets ${display.toFixed(1)} display frames a second`);
    console.log(`  main-thread time per turn: median ${median(turns).toFixed(2)} ms,` +
      ` 95th percentile ${pct(turns, 0.95).toFixed(2)} ms (${turns.length} turns)`);
  } finally {
    await browser.close();
  }
}

async function main() {
  if (!site) throw new Error('usage: node page_bench.js SITE [RUNS]');
  const server = await serve(site);
  try {
    await bench(server, false);
    const loaded = [...server.sent].filter(([file]) => file !== 'quillow-scalar.js');
    await bench(server, true);
    console.log('bytes transferred for one visit (gzip -9 as served; the SIMD128 module):');
    let total = 0;
    for (const [file] of loaded) {
      const bytes = server.gzipped.get(file);
      total += bytes;
      console.log(`  ${file.padEnd(20)} ${String(bytes).padStart(9)}`);
    }
    console.log(`  ${'total'.padEnd(20)} ${String(total).padStart(9)} (${(total / 1048576).toFixed(2)} MiB)`);
    const scalar = server.gzipped.get('quillow-scalar.wasm') + server.gzipped.get('quillow-scalar.js');
    console.log(`  (a browser without SIMD loads quillow-scalar.wasm/.js instead: ${scalar} bytes)`);
  } finally {
    await server.close();
  }
}

main().catch((e) => {
  console.error('page_bench: ' + e.message);
  process.exitCode = 1;
});
