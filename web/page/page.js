// The page around the game: the start overlay, the information overlay, messages, the data
// pack's download beside the game's code, and the URL's parameters as the game's command line
// (the same flags as on the desktop). The game calls the Module.vantrel* functions below.
'use strict';

var Module = (function () {
  const CLASSIC_WIDTH = 640;
  const CLASSIC_HEIGHT = 480;
  const DATA_PACK = 'vantrel.data';
  const GAME_CODE = 'vantrel.wasm';
  // Join codes: six of these, typed in either case (no 0/O, 1/I/L).
  const JOIN_CODE = /^[ABCDEFGHJKMNPQRSTUVWXYZ23456789]{6}$/;
  const INLINE_KEYS = '/tmp/inline.keys';
  const REBUILD_HELP = 'Build the page again with scripts/web (it puts vantrel.data and vantrel.data.js ' +
    'beside index.html), then reload this page.';

  const params = new URLSearchParams(window.location.search);
  const element = (id) => document.getElementById(id);
  const canvas = element('canvas');
  const startForm = element('start');
  const startButton = element('start-button');
  const hostButton = element('host-button');
  const joinField = element('join-code');
  const qualityField = element('quality');
  const statusLine = element('status');
  const information = element('information');
  const message = element('message');
  const results = element('results');

  let dataPackProblem = null;  // set when the pack is missing or damaged: the game never starts
  let stopped = false;         // a message ended the game
  let started = false;

  // --- The URL as the game's command line -------------------------------------------------

  function isOn(name) {
    if (!params.has(name)) return false;
    const value = params.get(name).toLowerCase();
    return value !== '0' && value !== 'false' && value !== 'no' && value !== 'off';
  }

  function screenshotTicks() {
    return params.getAll('screenshot').flatMap((list) => list.split(',')).filter((tick) => tick !== '');
  }

  // Only names of key scripts shipped in the pack's /keys folder.
  function shippedKeyScript(name) {
    if (!/^[A-Za-z0-9._-]+$/.test(name) || name.startsWith('.')) {
      throw new Error('"' + name + '" is not the name of a key script shipped with the page');
    }
    return '/keys/' + name;
  }

  // The relay that served the page: ws, or wss on an https page.
  function relayAddress(code) {
    return (window.location.protocol === 'https:' ? 'wss://' : 'ws://') + window.location.host + '/' + code;
  }

  function joinCode(typed) {
    const code = (typed || '').trim().toUpperCase();
    if (!JOIN_CODE.test(code)) {
      throw new Error('"' + typed + '" is not a join code: six letters and digits, as the host\'s screen shows');
    }
    return code;
  }

  // Without the start overlay, the address alone says whether to join or host.
  function networkArguments() {
    if (params.has('join')) return ['--join', relayAddress(joinCode(params.get('join')))];
    if (!isOn('host')) return [];
    const args = ['--host'];
    if (params.has('start-with')) args.push('--start-with', params.get('start-with'));
    if (params.has('mission')) args.push('--mission', params.get('mission'));
    return args;
  }

  function gameArguments() {
    const args = [];
    if (params.has('name')) args.push('--name', params.get('name'));
    if (isOn('window')) args.push(...networkArguments());
    if (params.has('seed')) args.push('--seed', params.get('seed'));
    if (isOn('fast')) args.push('--fast');
    if (params.has('quit-after')) args.push('--quit-after', params.get('quit-after'));
    if (params.has('demo')) args.push('--demo', params.get('demo'));
    if (params.has('input')) args.push('--input', shippedKeyScript(params.get('input')));
    if (params.has('input-inline')) args.push('--input', INLINE_KEYS);
    for (const tick of screenshotTicks()) args.push('--screenshot', tick + ':/tmp/shot-' + tick + '.png');
    if (isOn('hash')) args.push('--print-hash');
    if (isOn('window')) args.push('--window');
    if (isOn('nosound')) args.push('--no-sound');
    if (params.has('quality')) args.push('--quality', params.get('quality'));
    if (params.has('render-scale')) args.push('--render-scale', params.get('render-scale'));
    return args;
  }

  // --- Messages and overlays ----------------------------------------------------------------

  function hideOverlays() {
    for (const overlay of [startForm, information, message]) overlay.hidden = true;
  }

  function showMessage(title, text, help, isError) {
    hideOverlays();
    element('message-title').textContent = title;
    element('message-text').textContent = text;
    element('message-help').textContent = help || '';
    element('message-again').hidden = true;
    message.classList.toggle('message', isError !== false);
    message.hidden = false;
    if (isError !== false) stopped = true;
  }

  // The game cannot start again in the page it ran in; a new page load is a new game.
  function offerPlayAgain() {
    const again = element('message-again');
    again.hidden = false;
    again.focus();
  }
  element('message-again').addEventListener('click', () => window.location.reload());

  function showDataPackProblem(reason) {
    dataPackProblem = reason;
    showMessage('No game data', "The game's data could not be loaded: " + reason, REBUILD_HELP);
  }

  function showGameError(text) {
    if (stopped) return;
    showMessage('The game stopped', text, '');
    offerPlayAgain();
  }

  function setStatus(text) {
    statusLine.textContent = text;
  }

  // --- Canvas size: the game follows it -----------------------------------------------------

  // The game draws at the canvas's size on the page (times the device pixel ratio).
  function fitCanvas() {
    if (document.fullscreenElement === canvas) {
      canvas.style.width = '';   // the stylesheet's :fullscreen size: the whole screen
      canvas.style.height = '';
      return;
    }
    const [width, height] = windowSize();
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
  }

  // Window: the size the address asks for (size=WxH), else the classic picture at the largest
  // whole scale that fits beside the page's text.
  function windowSize() {
    const asked = /^(\d{2,5})x(\d{2,5})$/.exec(params.get('size') || '');
    if (asked) return [Number(asked[1]), Number(asked[2])];
    const scale = Math.max(1, Math.floor(Math.min((window.innerWidth - 32) / CLASSIC_WIDTH,
                                                  (window.innerHeight - 190) / CLASSIC_HEIGHT)));
    return [CLASSIC_WIDTH * scale, CLASSIC_HEIGHT * scale];
  }

  // --- The start overlay ----------------------------------------------------------------------

  function chosen(name) {
    return startForm.querySelector('input[name="' + name + '"]:checked').value;
  }

  // The choices are kept in the browser for the next visit, as the desktop keeps its settings.
  // What comes back is checked against the overlay's own choices; a browser that keeps nothing
  // (storage turned off) starts from the defaults.
  const KEPT_CHOICES = 'vantrel.start-choices';

  function keepChoices() {
    const choices = {screen: chosen('screen'), sound: chosen('sound'), quality: qualityField.value};
    try {
      localStorage.setItem(KEPT_CHOICES, JSON.stringify(choices));
    } catch (error) {
      console.warn('vantrel: the start choices cannot be kept (' + error.message + ')');
    }
  }

  function restoreChoices() {
    let kept;
    try {
      kept = JSON.parse(localStorage.getItem(KEPT_CHOICES));
    } catch {
      return;
    }
    if (!kept || typeof kept !== 'object') return;
    for (const input of startForm.querySelectorAll('input[type="radio"]')) {
      if (kept[input.name] === input.value) input.checked = true;
    }
    if ([...qualityField.options].some((option) => option.value === kept.quality)) qualityField.value = kept.quality;
  }

  // The overlay's choice: a typed code joins that match, HOST opens one; neither plays alone.
  function playTogether(hosting) {
    const typed = joinField.value.trim();
    if (!hosting && typed === '') return true;
    try {
      const join = hosting ? '' : relayAddress(joinCode(typed));
      Module.ccall('vantrel_play_together', null, ['number', 'string'], [hosting ? 1 : 0, join]);
      return true;
    } catch (error) {
      setStatus(error.message);
      joinField.focus();
      return false;
    }
  }

  function start(hosting) {
    if (started || startButton.disabled || !playTogether(hosting === true)) return;
    started = true;
    const fullScreen = chosen('screen') === 'fullscreen';
    const soundOn = chosen('sound') === 'on';
    Module.ccall('vantrel_choose_quality', null, ['string'], [qualityField.value]);
    hideOverlays();
    // Both need this click or key press: browsers allow full screen and sound only in one.
    if (fullScreen) {
      canvas.requestFullscreen().catch((error) => console.warn('vantrel: full screen refused (' + error.message + ')'));
    }
    if (soundOn && Module.vantrelAudio) Module.vantrelAudio.resume();
    Module.ccall('vantrel_start', null, ['number', 'number'], [fullScreen ? 1 : 0, soundOn ? 1 : 0]);
    canvas.focus();
  }

  function readyToStart() {
    startButton.disabled = false;
    hostButton.disabled = false;
    setStatus('Ready.');
    startButton.focus();
  }

  startForm.addEventListener('change', keepChoices);
  startForm.addEventListener('submit', (event) => {
    event.preventDefault();
    start();
  });
  hostButton.addEventListener('click', () => start(true));
  // The Enter that starts must not reach the game, whose keys listen from START on.
  startForm.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter') return;
    event.preventDefault();
    event.stopPropagation();
    start(event.target === hostButton);
  });

  // --- The information overlay ----------------------------------------------------------------

  function freezeGame(frozen) {
    if (Module._vantrel_freeze) Module._vantrel_freeze(frozen ? 1 : 0);
  }

  function closeInformation() {
    if (information.hidden) return;
    information.hidden = true;
    document.removeEventListener('keydown', informationKeys, true);
    freezeGame(false);
    canvas.focus();
  }

  function informationKeys(event) {
    if (event.key !== 'Enter' && event.key !== 'Escape') return;
    event.preventDefault();
    event.stopImmediatePropagation();
    closeInformation();
  }

  function showInformation(text) {
    if (stopped) return;
    element('information-text').textContent = text;
    information.hidden = false;
    freezeGame(true);
    element('information-ok').focus();
    // Listen from the next event on: the key that opened the box must not close it.
    setTimeout(() => {
      if (!information.hidden) document.addEventListener('keydown', informationKeys, true);
    }, 0);
  }

  element('information-ok').addEventListener('click', closeInformation);

  // --- Results for tests and players ----------------------------------------------------------

  function keepScreenshot(tick, width, height, pointer) {
    const handedOver = performance.now();  // milliseconds since the page was opened
    const rgba = new Uint8ClampedArray(Module.HEAPU8.buffer, pointer, width * height * 4).slice();
    for (let i = 3; i < rgba.length; i += 4) rgba[i] = 255;
    const picture = document.createElement('canvas');
    picture.width = width;
    picture.height = height;
    picture.getContext('2d').putImageData(new ImageData(rgba, width, height), 0, 0);
    const pre = document.createElement('pre');
    pre.id = 'screenshot-' + tick;
    pre.dataset.at = String(handedOver);
    pre.textContent = picture.toDataURL('image/png');
    results.appendChild(pre);
  }

  // The game joined or opened a match: the link to pass on.
  function showMatch(code) {
    const link = window.location.origin + window.location.pathname + '?join=' + encodeURIComponent(code);
    element('match-code').textContent = code;
    element('match-link').textContent = link;
    element('match-link').href = link;
    element('match').hidden = code === '';
  }

  function finished(exitCode, lines) {
    const result = element('result');
    result.textContent = lines;
    result.dataset.exitCode = String(exitCode);
    result.dataset.at = String(performance.now());
    document.title = 'vantrel: finished';
    if (document.fullscreenElement) document.exitFullscreen();
    if (stopped) return;
    showMessage('The game has ended', '', '', false);
    offerPlayAgain();
  }

  // --- Loading: the data pack first, then its loader and the game -----------------------------

  function hasWebGL2() {
    try {
      return !!document.createElement('canvas').getContext('webgl2');
    } catch (error) {
      return false;
    }
  }

  async function fetchDataPack() {
    let response;
    try {
      response = await fetch(DATA_PACK);
    } catch (error) {
      throw new Error(DATA_PACK + ' could not be fetched (' + error.message + ')');
    }
    if (!response.ok) {
      throw new Error(DATA_PACK + ': the server answered ' + response.status + ' ' + response.statusText);
    }
    const total = Number(response.headers.get('Content-Length')) || 0;
    const reader = response.body.getReader();
    const chunks = [];
    let received = 0;
    for (;;) {
      const {done, value} = await reader.read();
      if (done) break;
      chunks.push(value);
      received += value.length;
      if (total) setStatus("Loading the game's data: " + Math.floor(100 * received / total) + ' %');
    }
    const bytes = new Uint8Array(received);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return bytes.buffer;
  }

  // Compiled as it downloads where the server names it application/wasm.
  async function compileGame() {
    let response;
    try {
      response = await fetch(GAME_CODE);
    } catch (error) {
      throw new Error(GAME_CODE + ' could not be fetched (' + error.message + ')');
    }
    if (!response.ok) throw new Error(GAME_CODE + ': the server answered ' + response.status + ' ' + response.statusText);
    const type = response.headers.get('Content-Type') || '';
    if (type.startsWith('application/wasm')) return WebAssembly.compileStreaming(response);
    return WebAssembly.compile(await response.arrayBuffer());
  }

  // The game's code is fetched and compiled while the data pack downloads; the game's loader
  // takes it from here instead of fetching it only once the pack has arrived.
  function instantiateCompiledGame(compiling) {
    Module.instantiateWasm = (imports, receiveInstance) => {
      compiling.then((module) => WebAssembly.instantiate(module, imports).then((instance) => receiveInstance(instance, module)))
        .catch((error) => showGameError(error.message + '. ' + REBUILD_HELP));
      return {};  // the exports come to receiveInstance
    };
  }

  function loadScript(source) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = source;
      script.onload = resolve;
      script.onerror = () => reject(new Error(source + ' could not be loaded'));
      document.body.appendChild(script);
    });
  }

  function writeInlineKeyScript() {
    if (!params.has('input-inline')) return;
    Module.FS_createPath('/', 'tmp', true, true);
    Module.FS_createDataFile('/tmp', 'inline.keys', params.get('input-inline'), true, true, true);
  }

  function runGame() {
    if (dataPackProblem || stopped) return;
    let args;
    try {
      args = gameArguments();
      writeInlineKeyScript();
    } catch (error) {
      showGameError(error.message);
      return;
    }
    Module.callMain(args);
    if (!startForm.hidden) readyToStart();
  }

  async function load() {
    const packArriving = fetchDataPack();
    const compiling = compileGame();
    packArriving.catch(() => {});  // each is reported where it is awaited
    compiling.catch(() => {});
    instantiateCompiledGame(compiling);
    if (!hasWebGL2()) {
      showMessage('No WebGL 2', 'This browser cannot draw the game: WebGL 2 is not available.',
                  'Use a current Firefox, Chromium or Chrome with hardware acceleration (WebGL) turned on.');
      return;
    }
    fitCanvas();
    if (!isOn('window')) {
      restoreChoices();
      if (isOn('nosound')) startForm.querySelector('input[name="sound"][value="off"]').checked = true;
      if (params.has('join')) joinField.value = params.get('join').toUpperCase();
      if (params.has('quality')) qualityField.value = params.get('quality');
      startForm.hidden = false;
    }
    let pack;
    try {
      pack = await packArriving;
    } catch (error) {
      showDataPackProblem(error.message);
      return;
    }
    setStatus('Starting…');
    Module.getPreloadedPackage = (name, expectedSize) => {
      if (pack.byteLength !== expectedSize) {
        showDataPackProblem(DATA_PACK + ' has ' + pack.byteLength + ' bytes where this page expects ' +
                            expectedSize + ': it is damaged or comes from another build');
      }
      return pack;
    };
    try {
      await loadScript('vantrel.data.js');
    } catch (error) {
      showDataPackProblem(error.message);
      return;
    }
    try {
      await loadScript('vantrel.js');
    } catch (error) {
      showGameError(error.message + '. ' + REBUILD_HELP);
    }
  }

  window.addEventListener('resize', fitCanvas);
  document.addEventListener('fullscreenchange', fitCanvas);
  window.addEventListener('error', (event) => showGameError('The game failed: ' + event.message));
  window.addEventListener('DOMContentLoaded', load);

  return {
    canvas: canvas,
    print: (line) => console.log(line),
    printErr: (line) => console.warn(line),
    onRuntimeInitialized: runGame,
    onAbort: (what) => showGameError('The game stopped: ' + what),
    vantrelShowInformation: showInformation,
    vantrelError: showGameError,
    vantrelScreenshot: (tick, path, width, height, pointer) => keepScreenshot(tick, width, height, pointer),
    vantrelFinished: finished,
    vantrelMatch: showMatch,
  };
})();
