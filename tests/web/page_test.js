// Plays the browser build in a real headless chromium, as a player would: the page must
// show its first frame, a 640x480 picture of exactly two colours, play music (starting with
// the first key press where autoplay is blocked), move the square while Space or a touch is
// held, advance the stage at each wall, mute with M or its button, end the game after the
// last one, and log no error.
//
// usage: node page_test.js SITE [--no-webgl] [--no-simd]
//   --no-webgl  run chromium without WebGL: the page must fall back to SDL's software renderer
//   --no-simd   the page is told that WebAssembly SIMD is missing: it must load the scalar build
//
// Every wait is counted in the game's frames, with a wall-clock limit, so a slow machine
// makes the test slower but not wrong, and a hung page fails instead of blocking.
'use strict';

const { Browser, sleep } = require('./cdp');
const { serve } = require('./serve');

const site = process.argv[2];
const noWebgl = process.argv.includes('--no-webgl');
const noSimd = process.argv.includes('--no-simd');
const WALL_LIMIT_MS = 120000;  // the longest any one step may take
const FRAMES_PER_CROSSING = 288;  // 576 pixels between the walls at 2 pixels a frame
const DARK = '000000', LIGHT = 'fefefe';

let failures = 0;
function check(ok, what, detail = '') {
  console.log(`${ok ? 'ok' : 'not ok'} - ${what}${detail ? ` (${detail})` : ''}`);
  if (!ok) failures++;
  return ok;
}

//-------------------------------------------------------------------------------------------
// Watching the page
//-------------------------------------------------------------------------------------------
const status = (page) => page.evaluate('JSON.stringify(quillow.status())').then(JSON.parse);

// Waits until status satisfies `done`; the last status seen.
async function until(page, what, done) {
  const deadline = Date.now() + WALL_LIMIT_MS;
  for (;;) {
    const s = await status(page);
    if (done(s)) return s;
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}: ${JSON.stringify(s)}`);
    await sleep(40);
  }
}

const framesLater = async (page, n) => {
  const from = (await status(page)).frames;
  return until(page, `${n} frames`, (s) => s.frames >= from + n);
};

// Errors the page reported: console errors, uncaught exceptions, failed loads.
function pageErrors(page) {
  const errors = [];
  for (const { method, params } of page.events) {
    if (method === 'Runtime.consoleAPICalled' && (params.type === 'error' || params.type === 'assert'))
      errors.push(params.args.map((a) => a.value ?? a.description).join(' '));
    if (method === 'Runtime.exceptionThrown')
      errors.push(params.exceptionDetails.exception?.description ?? params.exceptionDetails.text);
    if (method === 'Log.entryAdded' && params.entry.level === 'error')
      errors.push(`${params.entry.text} ${params.entry.url || ''}`);
  }
  return errors;
}

// Loudness of what SDL hands the audio output over the next `ms`, as root mean square; null
// when no output buffer was asked for in that time.
const LOUDNESS = (ms) => `new Promise((resolve) => {
  const node = Module.SDL2.audio.scriptProcessorNode, played = node.onaudioprocess;
  let sum = 0, n = 0;
  node.onaudioprocess = (e) => {
    played(e);
    const d = e.outputBuffer.getChannelData(0);
    for (let i = 0; i < d.length; i++) { sum += d[i] * d[i]; n++; }
  };
  setTimeout(() => { node.onaudioprocess = played; resolve(n ? Math.sqrt(sum / n) : null); }, ${ms});
})`;

//-------------------------------------------------------------------------------------------
// Steps
//-------------------------------------------------------------------------------------------
async function firstFrame(page, port) {
  await page.send('Page.navigate', { url: `http://127.0.0.1:${port}/` });
  await page.waitFor('window.quillow && quillow.firstFrameAt !== null', WALL_LIMIT_MS, 'the first frame');
  const at = await page.evaluate('quillow.firstFrameAt');
  check(true, 'the first frame arrives', `${Math.round(at)} ms after navigation`);
  const s = await status(page);
  check(s.renderer === (noWebgl ? 'software' : 'opengles2'),
    noWebgl ? 'without WebGL the game draws with the software renderer' : 'with WebGL the game draws with WebGL',
    s.renderer);
  const module = await page.evaluate('quillow.module');
  check(module === (noSimd ? 'scalar' : 'simd128'),
    noSimd ? 'without WebAssembly SIMD the page loads the scalar build' : 'the page loads the SIMD128 build',
    module);
  check(await page.evaluate("document.activeElement === document.getElementById('canvas')"),
    'the canvas has the keyboard focus without a click');
}

async function twoColourPicture(page) {
  await framesLater(page, 10);
  const r = await page.evaluate(
    'JSON.stringify(document.getElementById("canvas").getBoundingClientRect())').then(JSON.parse);
  check(r.width === 640 && r.height === 480, 'the canvas is shown at 640x480', `${r.width}x${r.height}`);
  const { width, height, rgb } = await page.pixels({ x: r.x, y: r.y, width: r.width, height: r.height });
  const colours = new Map();
  for (let i = 0; i < rgb.length; i += 3) {
    const c = rgb.toString('hex', i, i + 3);
    colours.set(c, (colours.get(c) || 0) + 1);
  }
  const found = [...colours.keys()].sort();
  check(width === 640 && height === 480 && found.length === 2 && found[0] === DARK && found[1] === LIGHT,
    'the picture is 640x480 pixels of exactly two colours, black and light grey',
    `${width}x${height}, ${found.slice(0, 5).join(' ')}${found.length > 5 ? ' ...' : ''}`);
}

async function musicStartsOnFirstPress(page) {
  const s = await status(page);
  check(s.music === 'Quillow ost', 'the main theme is playing', s.music);
  const before = await page.evaluate('Module.SDL2.audioContext.state');
  await page.key('keyDown');
  const pressed = await framesLater(page, 2);
  check(pressed.music === 'Quillow rise', 'pressing Space starts the rising cue', pressed.music);
  const after = await page.evaluate('Module.SDL2.audioContext.state');
  check(after === 'running', 'the audio runs after the first key press', `${before} before it`);
  const loudness = await page.evaluate(LOUDNESS(600));
  check(loudness !== null && loudness > 0.01, 'the music is audible', `rms ${loudness}`);
  return pressed.frames - 2;
}

// "move" is held since frame `from`: the square crosses to the other wall, two pixels a frame,
// and the stage advances as it turns.
async function crossing(page, how, stage, from) {
  const turned = await until(page, `stage ${stage}`, (s) => s.stage >= stage);
  const frames = turned.frames - from;
  check(turned.stage === stage && Math.abs(frames - FRAMES_PER_CROSSING) <= 8,
    `holding ${how} moves the square across, and the stage advances at the wall`,
    `stage ${turned.stage} after ${frames} frames`);
}

async function releaseStops(page, release, how, stage) {
  await release();
  const released = await framesLater(page, 2);
  check(released.music === 'Quillow ost', `letting go of ${how} brings the main theme back`, released.music);
  const later = await framesLater(page, FRAMES_PER_CROSSING / 2);
  check(later.stage === stage, `the square stops when ${how} is let go`, `stage ${later.stage}`);
}

async function touchMoves(page) {
  const r = await page.evaluate(
    'JSON.stringify(document.getElementById("canvas").getBoundingClientRect())').then(JSON.parse);
  const x = r.x + r.width / 2, y = r.y + r.height / 2;
  await page.touch('touchStart', x, y);
  const touched = await framesLater(page, 2);
  check(touched.music === 'Quillow rise', 'a touch on the picture starts the rising cue', touched.music);
  await crossing(page, 'a touch', 2, touched.frames - 2);
  await releaseStops(page, () => page.touch('touchEnd', x, y), 'the touch', 2);
}

// The corner's buttons are icons drawn in SVG, named for screen readers, with no character
// a font may lack; M and the mute button silence the game and give its sound back.
async function muteControls(page) {
  for (const id of ['mute', 'fullscreen']) {
    const b = await page.evaluate(`JSON.stringify((() => { const b = document.getElementById('${id}');
      return { svg: !!b.querySelector('svg'), label: b.getAttribute('aria-label'), text: b.textContent.trim() }; })())`)
      .then(JSON.parse);
    check(b.svg && !!b.label && b.text === '', `the ${id} button is an SVG icon with an aria-label`,
      JSON.stringify(b));
  }
  const tapM = async () => {
    await page.key('keyDown', 'KeyM', 'm', 77);
    await framesLater(page, 2);
    await page.key('keyUp', 'KeyM', 'm', 77);
    return framesLater(page, 4);
  };
  const loudness = () => page.evaluate(LOUDNESS(600));
  const pressed = () => page.evaluate("document.getElementById('mute').getAttribute('aria-pressed')");
  const muted = await tapM();
  const quiet = await loudness();
  check(muted.muted && quiet === 0 && (await pressed()) === 'true',
    'M mutes the game, and the button shows it', `muted ${muted.muted}, rms ${quiet}`);
  const back = await tapM();
  const loud = await loudness();
  check(!back.muted && loud > 0.01 && (await pressed()) === 'false', 'M again gives the sound back',
    `muted ${back.muted}, rms ${loud}`);
  await page.evaluate("document.getElementById('mute').click()");
  const clicked = await status(page);
  await page.evaluate("document.getElementById('mute').click()");
  const again = await status(page);
  check(clicked.muted && !again.muted, 'the mute button mutes and unmutes');
}

async function playThrough(page) {
  await page.key('keyDown');
  const deadline = Date.now() + 3 * WALL_LIMIT_MS;
  let last = await status(page);
  while (!(await page.evaluate('quillow.exitStatus !== null'))) {
    if (Date.now() > deadline) throw new Error(`the game did not end: ${JSON.stringify(last)}`);
    last = await status(page);
    await sleep(100);
  }
  check(await page.evaluate('quillow.exitStatus === 0'), 'a full play-through ends the game with status 0',
    `last seen at stage ${last.stage}`);
  check(await page.evaluate("!document.getElementById('end').hidden"), 'the page shows the end');
  check(await page.evaluate("Module.SDL2.audioContext === undefined || Module.SDL2.audioContext.state === 'closed'"),
    'the music stops with the game');
  await page.key('keyUp');
}

//-------------------------------------------------------------------------------------------
// Main
//-------------------------------------------------------------------------------------------
async function main() {
  if (!site) throw new Error('usage: node page_test.js SITE [--no-webgl]');
  const server = await serve(site);
  const browser = await Browser.launch({ args: noWebgl ? ['--disable-3d-apis'] : [] });
  try {
    const page = await browser.newPage();
    for (const domain of ['Runtime', 'Log', 'Page']) await page.send(`${domain}.enable`);
    // An 800x600 page: the picture at scale 1 with bars around it; touch like a tablet's.
    await page.send('Emulation.setDeviceMetricsOverride',
      { width: 800, height: 600, deviceScaleFactor: 1, mobile: false });
    await page.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 1 });
    // A browser without SIMD refuses every module that holds a SIMD instruction.
    if (noSimd) await page.send('Page.addScriptToEvaluateOnNewDocument', { source: 'WebAssembly.validate = () => false;' });
    await firstFrame(page, server.port);
    await twoColourPicture(page);
    const pressedAt = await musicStartsOnFirstPress(page);
    await crossing(page, 'Space', 1, pressedAt);
    await releaseStops(page, () => page.key('keyUp'), 'Space', 1);
    await touchMoves(page);
    await muteControls(page);
    await playThrough(page);
    const errors = pageErrors(page);
    check(errors.length === 0, 'nothing was logged as an error', errors.slice(0, 5).join(' | '));
  } finally {
    await browser.close();
    await server.close();
  }
}

const watchdog = setTimeout(() => {
  console.log('not ok - the test did not finish in 10 minutes');
  process.exit(1);
}, 600000);
main()
  .catch((e) => check(false, 'the page plays', e.message))
  .finally(() => {
    clearTimeout(watchdog);
    process.exitCode = failures ? 1 : 0;
  });
