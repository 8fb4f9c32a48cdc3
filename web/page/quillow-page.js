// The page around the game: picks the module this browser runs (with WebAssembly SIMD or
// without), downloads it and the music with a loading bar, starts it on SDL's WebGL renderer
// or, without a usable WebGL, on its software renderer, scales the 640x480 canvas by whole
// numbers in the middle of the black page, and shows the end of the game.
//
// The corner holds a mute button (the M key in the game does the same) and a fullscreen one.
//
// Query options, for trying things out: ?module=simd128|scalar  ?renderer=webgl|software
//
// window.quillow answers what the game is doing (status()) and when the first frame came.
'use strict';

(function () {
  const files = window.QUILLOW_FILES;
  const options = new URLSearchParams(window.location.search);
  const canvas = document.getElementById('canvas');
  const el = (id) => document.getElementById(id);

  //-----------------------------------------------------------------------------------------
  // Choosing the module and the renderer
  //-----------------------------------------------------------------------------------------
  // The smallest module that uses a SIMD instruction (i8x16.splat): a browser without
  // WebAssembly SIMD refuses it, and would refuse the SIMD build of the game just the same.
  const SIMD_PROBE = new Uint8Array([
    0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0,
    10, 8, 1, 6, 0, 65, 0, 253, 15, 11,
  ]);

  function chooseModule() {
    const asked = options.get('module');
    if (asked === 'simd128' || asked === 'scalar') return asked;
    try {
      return WebAssembly.validate(SIMD_PROBE) ? 'simd128' : 'scalar';
    } catch (e) {
      return 'scalar';
    }
  }

  // WebGL that the browser only emulates in software is slower than SDL's own software
  // renderer on a 2D canvas, so that counts as no WebGL.
  function chooseRenderer() {
    const asked = options.get('renderer');
    if (asked === 'webgl' || asked === 'software') return asked;
    const probe = document.createElement('canvas');
    const gl = probe.getContext('webgl', { failIfMajorPerformanceCaveat: true });
    if (!gl) return 'software';
    const lose = gl.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
    return 'webgl';
  }

  //-----------------------------------------------------------------------------------------
  // Downloads with a loading bar
  //-----------------------------------------------------------------------------------------
  // Bytes are counted as they arrive, unpacked (a server may send them compressed), against
  // the sizes the build wrote into the page. The count reads a copy of the stream, so the
  // bytes themselves go on to their reader untouched; the bar is drawn once a display frame.
  const progress = { received: 0, expected: 1, drawing: false };

  function showProgress() {
    if (progress.drawing) return;
    progress.drawing = true;
    requestAnimationFrame(() => {
      progress.drawing = false;
      const share = Math.min(1, progress.received / progress.expected);
      el('bar').firstElementChild.style.width = (100 * share).toFixed(1) + '%';
    });
  }

  async function count(stream) {
    const reader = stream.getReader();
    for (;;) {
      const { done, value } = await reader.read();
      if (done) return;
      progress.received += value.length;
      showProgress();
    }
  }

  async function download(url) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(url + ': HTTP ' + response.status);
    if (!response.body || !response.body.tee) return response;
    const [body, copy] = response.body.tee();
    count(copy).catch(() => {});  // a broken download fails through its other copy
    return new Response(body, { headers: { 'Content-Type': 'application/octet-stream' } });
  }

  // Compiles while downloading where the browser can.
  async function instantiate(response, imports) {
    if (WebAssembly.instantiateStreaming) {
      const wasm = new Response(response.body, { headers: { 'Content-Type': 'application/wasm' } });
      return WebAssembly.instantiateStreaming(wasm, imports);
    }
    return WebAssembly.instantiate(await response.arrayBuffer(), imports);
  }

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.async = false;
      script.onload = resolve;
      script.onerror = () => reject(new Error(src + ' did not load'));
      document.body.appendChild(script);
    });
  }

  //-----------------------------------------------------------------------------------------
  // Audio
  //-----------------------------------------------------------------------------------------
  // Opening an audio context can take a good part of a second. Made here, while the files
  // download, it is ready when SDL opens its audio device (SDL takes a context it finds in
  // Module.SDL2). A browser that blocks autoplay keeps it suspended until the player's first
  // key, click or touch, which then starts the music.
  function openAudio() {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return undefined;  // the game plays silent
    const context = new Context();
    const resume = () => {
      if (context.state === 'suspended') context.resume();
      if (context.state !== 'suspended') {
        for (const type of ['keydown', 'mousedown', 'touchstart', 'touchend'])
          document.removeEventListener(type, resume, true);
      }
    };
    for (const type of ['keydown', 'mousedown', 'touchstart', 'touchend'])
      document.addEventListener(type, resume, true);
    // A hidden page gets no display frames, so the game stands still: the music does too.
    let paused = false;
    document.addEventListener('visibilitychange', () => {
      if (document.hidden && context.state === 'running') {
        paused = true;
        context.suspend();
      } else if (!document.hidden && paused) {
        paused = false;
        context.resume();
      }
    });
    return context;
  }

  //-----------------------------------------------------------------------------------------
  // Letterbox
  //-----------------------------------------------------------------------------------------
  // As the game's own window does it: the largest fit, cut to a whole number once it is at
  // least 1, here counted in device pixels so that every canvas pixel stays sharp; the
  // corner on a whole device pixel too, or the browser would smooth the picture. The hint
  // goes under the picture when the bar below has room for it.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const width = window.innerWidth * ratio, height = window.innerHeight * ratio;
    const fits = Math.min(width / 640, height / 480);
    const scale = Math.floor(fits) >= ratio ? Math.floor(fits) : fits;
    const w = Math.round(640 * scale), h = Math.round(480 * scale);
    const x = Math.floor((width - w) / 2), y = Math.floor((height - h) / 2);
    Object.assign(canvas.style, {
      left: x / ratio + 'px', top: y / ratio + 'px', width: w / ratio + 'px', height: h / ratio + 'px',
    });
    el('hint').classList.toggle('over', (height - y - h) / ratio < 32);
  }

  //-----------------------------------------------------------------------------------------
  // Fullscreen
  //-----------------------------------------------------------------------------------------
  function setUpFullscreen() {
    const root = document.documentElement;
    if (!root.requestFullscreen) return;  // e.g. phones that only fullscreen videos
    const button = el('fullscreen');
    button.hidden = false;
    button.addEventListener('click', () => {
      if (document.fullscreenElement) document.exitFullscreen();
      else root.requestFullscreen().catch(() => {});
      canvas.focus();  // Space must keep reaching the game, not press this button again
    });
    document.addEventListener('fullscreenchange', fit);
  }

  //-----------------------------------------------------------------------------------------
  // Mute
  //-----------------------------------------------------------------------------------------
  // The game keeps the mute (its M key toggles it); the button asks it and sets it. After M
  // the button follows once the game's next turns have read the key.
  const game = () => (window.Module && window.Module.calledRun ? window.Module : null);
  const isMuted = () => !!(game() && game()._quillow_muted());

  function showMute() {
    el('mute').setAttribute('aria-pressed', String(isMuted()));
  }

  function setUpMute() {
    const button = el('mute');
    button.addEventListener('click', () => {
      if (game()) game()._quillow_set_muted(isMuted() ? 0 : 1);
      showMute();
      canvas.focus();  // Space must keep reaching the game
    });
    const later = () => requestAnimationFrame(() => requestAnimationFrame(() => requestAnimationFrame(showMute)));
    for (const type of ['keydown', 'keyup'])
      document.addEventListener(type, (e) => { if (e.code === 'KeyM') later(); });
  }

  //-----------------------------------------------------------------------------------------
  // The game
  //-----------------------------------------------------------------------------------------
  const quillow = {
    module: chooseModule(),
    renderer: null,  // chosen while the files download: a first WebGL context can be slow
    firstFrameAt: null,  // milliseconds since navigation
    times: {},  // milliseconds since navigation: downloaded, compiled, started
    exitStatus: null,
    status() {
      const m = window.Module;
      if (!m || !m.calledRun || !m._quillow_frames) return { frames: 0 };
      return {
        frames: m._quillow_frames(),
        stage: m._quillow_stage(),
        music: m.UTF8ToString(m._quillow_music()),
        renderer: m.UTF8ToString(m._quillow_renderer()),
        muted: m._quillow_muted() !== 0,
        ended: quillow.exitStatus !== null,
      };
    },
  };
  window.quillow = quillow;

  function fail(message) {
    console.error('Quillow: ' + message);
    el('loading').hidden = false;
    el('bar').hidden = true;
    el('status').textContent = 'Quillow could not start: ' + message;
  }

  function end(status) {
    quillow.exitStatus = status;
    el('hint').hidden = true;
    el('end').hidden = false;
    el('again').focus();
  }

  // The hint stays until the player first holds the button down long enough to see it work.
  function showHint() {
    const hint = el('hint');
    hint.hidden = false;
    const learnt = () => {
      setTimeout(() => hint.classList.add('gone'), 1500);
      for (const type of ['keydown', 'touchstart']) document.removeEventListener(type, learnt, true);
    };
    for (const type of ['keydown', 'touchstart']) document.addEventListener(type, learnt, true);
  }

  // Watches for the first frame the game shows, which replaces the loading screen.
  function awaitFirstFrame() {
    if (window.Module._quillow_frames && window.Module._quillow_frames() > 0) {
      quillow.firstFrameAt = performance.now();
      el('loading').hidden = true;
      el('mute').hidden = false;
      showMute();
      showHint();
      return;
    }
    if (quillow.exitStatus === null) requestAnimationFrame(awaitFirstFrame);
  }

  // Asks for the scripts at once; they run in order once the data is in.
  function preload(src) {
    const link = document.createElement('link');
    link.rel = 'preload';
    link.as = 'script';
    link.href = src;
    document.head.appendChild(link);
  }

  async function start() {
    if (typeof WebAssembly !== 'object') throw new Error('this browser cannot run WebAssembly');
    const module = files[quillow.module];
    progress.expected = module.bytes + files.data.bytes;
    const wasm = download(module.wasm);
    const data = download(files.data.file).then((r) => r.arrayBuffer());
    wasm.catch(() => {});  // reported once, below
    preload(files.data.script);
    preload(module.script);
    const audioContext = openAudio();
    quillow.renderer = chooseRenderer();
    window.Module = {
      canvas,
      SDL2: { audioContext },
      noAudioDecoding: true,  // the music is streamed by SDL2_mixer, not by the browser
      noImageDecoding: true,
      print: (text) => console.log(text),
      printErr: (text) => console.error(text),
      preRun: [
        () => {
          if (quillow.renderer === 'software') window.Module.ENV.SDL_RENDER_DRIVER = 'software';
        },
      ],
      instantiateWasm(imports, receive) {
        wasm
          .then((response) => instantiate(response, imports))
          .then((result) => {
            quillow.times.compiled = performance.now();
            receive(result.instance, result.module);
          })
          .catch((e) => fail(String(e)));
        return {};
      },
      onRuntimeInitialized() {
        quillow.times.started = performance.now();
        el('status').textContent = 'Starting\u2026';
        // SDL sizes the canvas from its CSS size when it opens the window: only after that
        // may the page scale it without the game drawing at the scaled size.
        requestAnimationFrame(() => {
          fit();
          awaitFirstFrame();
        });
      },
      onExit: end,
      onAbort: (what) => fail(String(what)),
    };
    const packed = await data;
    quillow.times.data = performance.now();
    window.Module.getPreloadedPackage = () => packed;
    await loadScript(files.data.script);
    await loadScript(module.script);
  }

  window.addEventListener('resize', fit);
  el('again').addEventListener('click', () => window.location.reload());
  setUpFullscreen();
  setUpMute();
  canvas.focus();
  start().catch((e) => fail(e.message || String(e)));
})();
