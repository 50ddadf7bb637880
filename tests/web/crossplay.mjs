// One network match flown by headless Chromium and the desktop game (offscreen) together: the
// page hosts it on the relay that served it and shows its code; the desktop game joins with
// that code; both fly mission 3 from key scripts to the same tick. Midway the page's tab is
// hidden for a few seconds, then shown again. Prints a JSON report on standard output for the
// test that set up the relay (and the web server in front of it):
//   node crossplay.mjs URL DESKTOP_JOIN_PREFIX DESKTOP_GAME DATA_DIR OUT_DIR [CHROMIUM_FLAG...]
// URL is the page's address (http://127.0.0.1:PORT/ or https://...), DESKTOP_JOIN_PREFIX what
// the desktop game's --join takes before /CODE (127.0.0.1:PORT or wss://127.0.0.1:PORT).
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import {pageOptions, runPage} from './page_run.mjs';

const [url, joinPrefix, desktopGame, dataDir, out, ...flags] = process.argv.slice(2);
const MISSION_TICKS = 420;
const SCREENSHOT_TICK = 240;
const HIDE_AT_MS = 6000;  // after the desktop game starts: it has joined and the mission runs
const HIDDEN_MS = 3000;
const BROWSER_KEYS = '1-150 NUMPAD8 Z Q\n151-300 NUMPAD4 X\n301-420 NUMPAD6 Z F3\n';
const DESKTOP_KEYS = '1-120 NUMPAD5 Z\n121-260 NUMPAD6 X A\n261-420 Z F1 NUMPAD7\n';

fs.rmSync(out, {recursive: true, force: true});
fs.mkdirSync(out, {recursive: true});
const keysFile = path.join(out, 'desktop.keys');
fs.writeFileSync(keysFile, DESKTOP_KEYS);

const report = {code: '', events: []};
let desktop = null;
const desktopRun = {out: '', err: '', exitCode: null};
let startedAt = 0;
let hiddenAt = 0;

function startDesktop(code) {
  desktop = spawn(desktopGame, [
    '--window', '--no-sound', '--fps', '8', '--data', dataDir, '--name', 'DESK', '--join', joinPrefix + '/' + code,
    '--input', keysFile, '--quit-after', String(MISSION_TICKS), '--print-hash',
    '--screenshot', SCREENSHOT_TICK + ':' + path.join(out, 'desktop-' + SCREENSHOT_TICK + '.png'),
  ], {env: {...process.env, SDL_VIDEODRIVER: 'offscreen', SDL_AUDIODRIVER: 'dummy'}});
  desktop.stdout.on('data', (chunk) => { desktopRun.out += chunk; });
  desktop.stderr.on('data', (chunk) => { desktopRun.err += chunk; });
  desktop.on('exit', (status) => { desktopRun.exitCode = status; });
}

const setHidden = (hidden) => `(() => {
  Object.defineProperty(document, 'hidden', {configurable: true, get: () => ${hidden}});
  Object.defineProperty(document, 'visibilityState', {configurable: true, get: () => '${hidden ? 'hidden' : 'visible'}'});
  document.dispatchEvent(new Event('visibilitychange'));
})()`;

// The scenario's steps, taken as the page's state comes in.
async function onState(state, evaluate) {
  if (state.match && !desktop) {
    report.code = state.match;
    startDesktop(state.match);
    startedAt = Date.now();
  }
  if (startedAt && !hiddenAt && Date.now() - startedAt > HIDE_AT_MS) {
    await evaluate(setHidden(true));
    hiddenAt = Date.now();
    report.events.push('hidden');
  } else if (hiddenAt && report.events.length === 1 && Date.now() - hiddenAt > HIDDEN_MS) {
    await evaluate(setHidden(false));
    report.events.push('shown');
  }
}

const query = ['window=1', 'nosound=1', 'host=1', 'start-with=2', 'mission=3', 'name=WEB', 'hash=1',
               'quit-after=' + MISSION_TICKS, 'screenshot=' + SCREENSHOT_TICK,
               'input-inline=' + encodeURIComponent(BROWSER_KEYS)].join('&');
const page = await runPage(pageOptions(null, path.join(out, 'page'), {url, query, onState, flags, timeout: 120}));
report.page = {state: page.state, errors: page.errors, message: page.message, result: page.result,
               milliseconds: page.milliseconds, console: page.console.slice(-20)};
for (let waited = 0; desktop && desktopRun.exitCode === null && waited < 120; ++waited) {
  await new Promise((resolve) => setTimeout(resolve, 1000));
}
if (desktop && desktopRun.exitCode === null) desktop.kill('SIGKILL');
report.desktop = desktopRun;
const hash = (text) => (/world-hash ([0-9a-f]{16})/.exec(text || '') || [])[1] || null;
report.browserHash = hash(page.result);
report.desktopHash = hash(desktopRun.out);
console.log(JSON.stringify(report));
