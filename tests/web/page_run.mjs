// Opens the page in headless Chromium and reports what a test needs: console errors, the
// game's result lines, its screenshots as PNG files, the page's message box, timings.
// The page is served by a small static server of this script on 127.0.0.1.
//
// node page_run.mjs SITE_DIR OUT_DIR [options]
//   --query Q        the page's URL parameters (without "?")
//   --until STATE    finished (default): the game ended; ready: the start overlay's START is
//                    enabled; message: the page shows its message box; screenshot: the game
//                    has handed the page its first screenshot
//   --press KEY      once ready, press KEY (e.g. Enter) on the page, then wait for --until
//   --hide FILE      the server answers 404 for FILE (repeatable)
//   --information    once the game has handed over its first screenshot, press Enter (the
//                    game's information key), note the information box's text, close it
//                    with Escape
//   --page-shot F    a picture of the whole page at the end, as PNG file F
//   --timeout S      give up after S seconds (default 120)
//   --flag F         one more Chromium flag (repeatable)
//   --url U          open the page at U (a relay serving it) instead of serving SITE_DIR here
// Writes OUT_DIR/report.json {state, errors[], console[], result, exitCode, message,
// audio, screenshots[], milliseconds{ready, firstScreenshot, finished}, pageMilliseconds{screenshots{tick},
// finished} (as the page timed them), cpuMilliseconds{all, gpuProcess} (the browser's, when STATE
// was reached)} and OUT_DIR/screenshot-TICK.png. Exit status 0 when STATE was reached, 1 otherwise.
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';

const TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
               '.wasm': 'application/wasm', '.data': 'application/octet-stream'};

function parseArguments(argv) {
  const options = pageOptions(argv[0], argv[1]);
  for (let i = 2; i < argv.length; i += 2) {
    const [name, value] = [argv[i], argv[i + 1]];
    if (name === '--query') options.query = value;
    else if (name === '--until') options.until = value;
    else if (name === '--press') options.press = value;
    else if (name === '--hide') options.hide.push(value);
    else if (name === '--page-shot') options.pageShot = value;
    else if (name === '--timeout') options.timeout = Number(value);
    else if (name === '--flag') options.flags.push(value);
    else if (name === '--url') options.url = value;
    else if (name === '--information') { options.information = true; --i; }
    else throw new Error('unknown option ' + name);
  }
  if (!options.site || !options.out) throw new Error('usage: page_run.mjs SITE_DIR OUT_DIR [options]');
  return options;
}

function serve(site, hidden) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    const file = path.join(site, path.normalize(name));
    if (!file.startsWith(path.resolve(site)) || hidden.includes(name) || !fs.existsSync(file)) {
      response.writeHead(404, {'Content-Type': 'text/plain'});
      response.end('not found');
      return;
    }
    const body = fs.readFileSync(file);
    response.writeHead(200, {'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                             'Content-Length': body.length});
    response.end(body);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// The DevTools protocol over --remote-debugging-pipe: JSON messages ended by a NUL byte.
class Browser {
  constructor(profile, flags) {
    this.process = spawn('chromium', [
      '--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--remote-debugging-pipe', '--user-data-dir=' + profile, '--window-size=800,600',
      '--no-first-run', '--no-default-browser-check', '--mute-audio', ...flags, 'about:blank',
    ], {stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe']});
    this.process.stderr.on('data', () => {});
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    let buffered = '';
    this.process.stdio[4].on('data', (chunk) => {
      buffered += chunk.toString('utf8');
      let end;
      while ((end = buffered.indexOf('\0')) >= 0) {
        const message = JSON.parse(buffered.slice(0, end));
        buffered = buffered.slice(end + 1);
        if (message.id && this.pending.has(message.id)) {
          const {resolve, reject} = this.pending.get(message.id);
          this.pending.delete(message.id);
          if (message.error) reject(new Error(message.error.message));
          else resolve(message.result);
        } else {
          for (const listener of this.listeners) listener(message);
        }
      }
    });
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    this.process.stdio[3].write(JSON.stringify({id, method, params, sessionId}) + '\0');
    return new Promise((resolve, reject) => this.pending.set(id, {resolve, reject}));
  }

  // The CPU time (user and system) the browser's processes have used so far, those that have
  // ended included: a figure that, unlike wall time, waiting for a busy machine does not swell.
  // Apart, the GPU process's: where WebGL's commands run and a software renderer rasterises.
  cpuMilliseconds() {
    const processes = new Map();
    for (const pid of fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
      let stat, commandLine;
      try {
        stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
        commandLine = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8');
      } catch {
        continue;  // it ended meanwhile
      }
      // After the command's name in parentheses: state, parent, ..., utime, stime, cutime, cstime.
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const ticks = [11, 12, 13, 14].reduce((sum, i) => sum + Number(fields[i]), 0);
      processes.set(Number(pid), {parent: Number(fields[1]), ticks, gpu: commandLine.includes('--type=gpu-process')});
    }
    const ours = new Set([this.process.pid]);
    for (let grown = true; grown;) {
      grown = false;
      for (const [pid, {parent}] of processes) {
        if (!ours.has(pid) && ours.has(parent)) ours.add(pid), grown = true;
      }
    }
    const CLOCK_TICKS_PER_SECOND = 100;  // USER_HZ, the unit of /proc/PID/stat's times on Linux
    const milliseconds = {all: 0, gpuProcess: 0};
    for (const pid of ours) {
      const {ticks, gpu} = processes.get(pid) || {ticks: 0};
      milliseconds.all += ticks * 1000 / CLOCK_TICKS_PER_SECOND;
      if (gpu) milliseconds.gpuProcess += ticks * 1000 / CLOCK_TICKS_PER_SECOND;
    }
    return milliseconds;
  }

  // Asks the browser to close and waits for it; kills it if it takes longer than a few seconds.
  async close() {
    const exited = new Promise((resolve) => {
      if (this.process.exitCode !== null) resolve();
      else this.process.once('exit', resolve);
    });
    const killer = setTimeout(() => this.process.kill('SIGKILL'), 5000);
    this.send('Browser.close').catch(() => {});
    await exited;
    clearTimeout(killer);
  }
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// What the page shows, read in the page.
const PAGE_STATE = `(() => {
  const shown = (id) => { const e = document.getElementById(id); return !!e && !e.hidden; };
  const result = document.getElementById('result');
  return {
    title: document.title,
    finished: document.title === 'vantrel: finished',
    result: result ? result.textContent : '',
    exitCode: result && result.dataset.exitCode !== undefined ? Number(result.dataset.exitCode) : null,
    ready: shown('start') && !document.getElementById('start-button').disabled,
    information: shown('information') ? document.getElementById('information-text').textContent : null,
    message: shown('message') ? document.getElementById('message-title').textContent + ': ' +
             document.getElementById('message-text').textContent + ' ' +
             document.getElementById('message-help').textContent : null,
    screenshots: [...document.querySelectorAll('pre[id^="screenshot-"]')].map((e) => e.id.slice(11)),
    match: document.getElementById('match-code') ? document.getElementById('match-code').textContent : '',
    // As the page timed them, from its opening: exact where the polling above is not.
    pageMilliseconds: {
      screenshots: Object.fromEntries([...document.querySelectorAll('pre[id^="screenshot-"]')].map(
        (e) => [e.id.slice(11), Number(e.dataset.at)])),
      finished: result && result.dataset.at ? Number(result.dataset.at) : null,
    },
    audio: typeof Module !== 'undefined' && Module.vantrelAudio ? Object.assign({}, Module.vantrelAudio.stats) : null,
  };
})()`;

export async function runPage(options) {
  fs.mkdirSync(options.out, {recursive: true});
  const server = options.url ? null : await serve(options.site, options.hide);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vantrel-chromium-'));
  const browser = new Browser(profile, options.flags);
  const report = {state: 'timeout', errors: [], console: [], milliseconds: {}};
  try {
    const {targetId} = await browser.send('Target.createTarget', {url: 'about:blank'});
    const {sessionId} = await browser.send('Target.attachToTarget', {targetId, flatten: true});
    const page = (method, params) => browser.send(method, params, sessionId);
    browser.listeners.push((message) => {
      if (message.sessionId !== sessionId) return;
      const p = message.params;
      if (message.method === 'Runtime.consoleAPICalled') {
        const text = p.args.map((a) => a.value !== undefined ? String(a.value) : (a.description || '')).join(' ');
        report.console.push(p.type + ': ' + text);
        if (p.type === 'error' || p.type === 'assert') report.errors.push('console.' + p.type + ': ' + text);
      } else if (message.method === 'Runtime.exceptionThrown') {
        const d = p.exceptionDetails;
        report.errors.push('exception: ' + (d.exception && d.exception.description || d.text));
      } else if (message.method === 'Log.entryAdded' && p.entry.level === 'error') {
        report.errors.push('log: ' + p.entry.text + (p.entry.url ? ' (' + p.entry.url + ')' : ''));
      }
    });
    await page('Runtime.enable');
    await page('Log.enable');
    await page('Page.enable');
    const base = options.url || 'http://127.0.0.1:' + server.address().port + '/';
    const url = base + (options.query ? '?' + options.query : '');
    const opened = Date.now();
    await page('Page.navigate', {url});
    const press = async (key, code) => {
      for (const type of ['keyDown', 'keyUp']) {
        await page('Input.dispatchKeyEvent', {type, key, code: key, windowsVirtualKeyCode: code});
      }
    };
    const KEY_CODES = {Enter: 13, Escape: 27};
    let pressed = !options.press;
    let information = options.information ? 'ask' : 'done';
    let state;
    while (Date.now() - opened < options.timeout * 1000) {
      state = (await page('Runtime.evaluate', {expression: PAGE_STATE, returnByValue: true})).result.value;
      const elapsed = Date.now() - opened;
      if (state.ready && report.milliseconds.ready === undefined) report.milliseconds.ready = elapsed;
      if (state.screenshots.length && report.milliseconds.firstScreenshot === undefined) {
        report.milliseconds.firstScreenshot = elapsed;
      }
      if (state.finished && report.milliseconds.finished === undefined) report.milliseconds.finished = elapsed;
      // A scenario's own steps, with the page's state and a way to run script in the page; true
      // holds the run (a page about to reload still shows the state the scenario goes past).
      if (options.onState && await options.onState(state, async (expression) =>
        (await page('Runtime.evaluate', {expression, returnByValue: true})).result.value)) {
        await sleep(100);
        continue;
      }
      if (!pressed && state.ready) {
        await press(options.press, KEY_CODES[options.press] || 0);
        pressed = true;
      } else if (information === 'ask' && state.screenshots.length) {
        await press('Enter', KEY_CODES.Enter);
        information = 'asked';
      } else if (information === 'asked' && state.information !== null) {
        report.information = state.information;
        await press('Escape', KEY_CODES.Escape);
        information = 'closing';
      } else if (information === 'closing' && state.information === null) {
        report.informationClosed = true;
        information = 'done';
      } else if (information === 'done' && pressed && ((options.until === 'finished' && state.finished) ||
                             (options.until === 'ready' && state.ready) ||
                             (options.until === 'message' && state.message) ||
                             (options.until === 'screenshot' && state.screenshots.length))) {
        report.state = options.until;
        report.cpuMilliseconds = browser.cpuMilliseconds();
        break;
      }
      await sleep(100);
    }
    Object.assign(report, {result: state.result, exitCode: state.exitCode, message: state.message,
                           audio: state.audio, screenshots: state.screenshots, title: state.title,
                           pageMilliseconds: state.pageMilliseconds});
    for (const tick of state.screenshots) {
      const dataUrl = (await page('Runtime.evaluate', {
        expression: `document.getElementById('screenshot-${tick}').textContent`, returnByValue: true})).result.value;
      fs.writeFileSync(path.join(options.out, 'screenshot-' + tick + '.png'),
                       Buffer.from(dataUrl.replace(/^data:image\/png;base64,/, ''), 'base64'));
    }
    if (options.pageShot) {
      const {data} = await page('Page.captureScreenshot', {format: 'png'});
      fs.writeFileSync(options.pageShot, Buffer.from(data, 'base64'));
    }
  } finally {
    await browser.close();
    if (server) server.close();
    fs.rmSync(profile, {recursive: true, force: true, maxRetries: 5, retryDelay: 200});
  }
  fs.writeFileSync(path.join(options.out, 'report.json'), JSON.stringify(report, null, 2));
  return report;
}

export function pageOptions(site, out, more = {}) {
  return Object.assign({site, out, query: '', until: 'finished', press: null, hide: [], pageShot: null,
                        timeout: 120, flags: [], information: false, url: null, onState: null}, more);
}

if (import.meta.url === 'file://' + path.resolve(process.argv[1])) {
  const options = parseArguments(process.argv.slice(2));
  const report = await runPage(options);
  console.log(JSON.stringify({state: report.state, errors: report.errors, result: report.result,
                              message: report.message, milliseconds: report.milliseconds, audio: report.audio}));
  process.exit(report.state === options.until ? 0 : 1);
}
