// The page in headless Chromium, one case per run:
//   node page_tests.mjs CASE SITE_DIR SCRATCH_DIR [DESKTOP_GAME DATA_DIR]
// loads         the start overlay fits unscrolled, START by the Enter key, the game runs with
//               sound, RETURN shows the information box and Escape closes it, no console error
// pictures      the title and a mission picture after a key script, and the title at rest, match
//               the desktop game's, at the quality the page picks for a software renderer (low)
// hashes        the World hash of each mission flown by the computer pilot equals the desktop's
// kept-choices  after a game, PLAY AGAIN starts the page anew with the start overlay's choices
//               of the last game, and the game plays at the quality kept
// missing-data  a missing or damaged data pack, or no WebGL 2, gives the page's clear message
import assert from 'node:assert/strict';
import {execFile} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import {pageOptions, runPage} from './page_run.mjs';
import {cellDifference, distinctColours, readPng} from './png.mjs';

const [testCase, site, scratch, desktopGame, dataDir] = process.argv.slice(2);
const MISSION_TICKS = Number(process.env.VANTREL_WEB_HASH_TICKS || 1000);
const TEST_RUN = 'window=1&nosound=1&fast=1';
const KEYS = path.join(path.dirname(new URL(import.meta.url).pathname), 'keys');  // shipped in the pack's /keys

function freshDir(name) {
  const dir = path.join(scratch, name);
  fs.rmSync(dir, {recursive: true, force: true});
  fs.mkdirSync(dir, {recursive: true});
  return dir;
}

async function page(name, more) {
  const out = freshDir(name);
  const report = await runPage(pageOptions(site, out, more));
  report.out = out;
  return report;
}

function expectReached(report, state) {
  assert.equal(report.state, state, 'the page did not reach "' + state + '": ' + JSON.stringify(
    {message: report.message, errors: report.errors, console: report.console.slice(-8)}));
}

// The desktop game, offscreen, with the same arguments as the page's test runs; resolves with
// its standard output once it has ended normally (status 1 after --quit-after).
function desktopFinished(args, size = '640x480') {
  return new Promise((resolve, reject) => {
    execFile(desktopGame, ['--window', '--no-sound', '--fast', '--size', size, '--data', dataDir, ...args],
             {env: {...process.env, SDL_VIDEODRIVER: 'offscreen', SDL_AUDIODRIVER: 'dummy'}},
             (error, stdout, stderr) => {
               if (error && error.code !== 1) reject(new Error('the desktop game failed: ' + stderr));
               else resolve(stdout);
             });
  });
}

function worldHash(text) {
  const match = /world-hash ([0-9a-f]{16})/.exec(text || '');
  return match ? match[1] : null;
}

const cases = {
  async loads() {
    // At the game's own pace (30 ms ticks), as a player sees it: the information key comes
    // long before the last tick, and the open box holds the game.
    let startUnscrolled = null;
    const report = await page('loads', {
      query: 'seed=1&quit-after=150&hash=1&screenshot=1', press: 'Enter', information: true,
      onState: async (state, evaluate) => {
        if (!state.ready || startUnscrolled !== null) return;
        startUnscrolled = await evaluate(`(() => {
          const start = document.getElementById('start');
          return start.scrollHeight <= start.clientHeight && start.scrollWidth <= start.clientWidth;
        })()`);
      }});
    expectReached(report, 'finished');
    assert.equal(startUnscrolled, true, 'the start overlay shows all its choices on the 640 x 480 stage unscrolled');
    assert.deepEqual(report.errors, [], 'console errors');
    assert.ok(worldHash(report.result), 'the result names the World hash: ' + report.result);
    assert.equal(report.title, 'vantrel: finished');
    assert.ok(report.audio, 'START with sound on opens Web Audio');
    assert.equal(report.audio.failed, 0, 'every sound decodes');
    assert.equal(report.audio.decoded, 8, 'the seven channel sounds and the engine loop decode');
    assert.match(report.information || '', /vantrel version .*MAIN FPS/s, 'RETURN shows the information box');
    assert.ok(report.informationClosed, 'Escape closes the information box and the game runs on to its end');
  },

  async pictures() {
    const ticks = [1, 90];
    const report = await page('pictures', {
      query: `${TEST_RUN}&seed=1&input=title-to-mission.keys&screenshot=${ticks.join(',')}&quit-after=${ticks[1]}`});
    expectReached(report, 'finished');
    assert.deepEqual(report.errors, [], 'console errors');
    // Chromium draws WebGL here with SwiftShader, a software renderer: the page picks low.
    assert.ok(report.console.some((line) => /drawing at quality low on .*SwiftShader/i.test(line)),
              'the quality picked for a software renderer: ' + report.console.slice(0, 8).join(' | '));
    const out = freshDir('pictures-desktop');
    await desktopFinished(['--quality', 'low', '--seed', '1', '--input', KEYS + '/title-to-mission.keys',
                     ...ticks.flatMap((t) => ['--screenshot', `${t}:${out}/desktop-${t}.png`]), '--quit-after', String(ticks[1])]);
    const [title, mission] = ticks.map((t) => readPng(path.join(report.out, `screenshot-${t}.png`)));
    const [deskTitle, deskMission] = ticks.map((t) => readPng(path.join(out, `desktop-${t}.png`)));
    assert.equal(`${title.width}x${title.height}`, '640x480', 'the page draws the classic size in its window');
    assert.ok(distinctColours(title) > 16, 'the title picture is drawn, not only cleared');
    const titles = cellDifference(title, deskTitle);
    const missions = cellDifference(mission, deskMission);
    const apart = cellDifference(title, mission);
    console.log(JSON.stringify({titles, missions, titleAgainstMission: apart}));
    assert.ok(titles.mean < 4 && titles.largest < 40, 'the title as the desktop draws it: ' + JSON.stringify(titles));
    assert.ok(missions.mean < 8 && missions.largest < 64, 'the mission as the desktop draws it: ' + JSON.stringify(missions));
    assert.ok(apart.mean > 3 * missions.mean + 10, 'the mission is not the title: ' + JSON.stringify(apart));

    // At the game's own pace the page shows each frame before the next is drawn, and empties the
    // canvas it showed: the title at rest must still be drawn whole, frame after frame.
    const restTick = 40;
    const rest = await page('pictures-rest', {query: `window=1&nosound=1&seed=1&screenshot=${restTick}&quit-after=${restTick}`});
    expectReached(rest, 'finished');
    await desktopFinished(['--quality', 'low', '--seed', '1', '--screenshot', `${restTick}:${out}/desktop-rest.png`,
                           '--quit-after', String(restTick)]);
    const titleAtRest = cellDifference(readPng(path.join(rest.out, `screenshot-${restTick}.png`)),
                                       readPng(path.join(out, 'desktop-rest.png')));
    assert.ok(titleAtRest.mean < 4 && titleAtRest.largest < 40, 'the title at rest as the desktop draws it: ' +
              JSON.stringify(titleAtRest));
  },

  async hashes() {
    // The World does not depend on the picture: small pictures keep software WebGL quick. The
    // desktop runs beside the page, each on its own core.
    const size = '160x120';
    let failures = 0;
    for (let mission = 1; mission <= 5; ++mission) {
      // The menu steps before the mission starts come on top of the mission's ticks.
      const ticks = MISSION_TICKS + 10;
      const [report, deskOutput] = await Promise.all([
        page('hashes-' + mission, {query: `${TEST_RUN}&size=${size}&seed=1&demo=${mission}&quit-after=${ticks}&hash=1`,
                                   timeout: 300}),
        desktopFinished(['--seed', '1', '--demo', String(mission), '--quit-after', String(ticks), '--print-hash'], size),
      ]);
      expectReached(report, 'finished');
      const browser = worldHash(report.result);
      const desk = worldHash(deskOutput);
      console.log(`mission ${mission}: desktop ${desk} browser ${browser} (${report.milliseconds.finished} ms in the page)`);
      assert.ok(desk, 'the desktop printed its World hash');
      if (browser !== desk) ++failures;
    }
    assert.equal(failures, 0, 'missions whose World differs between the builds');
  },

  async 'kept-choices'() {
    // A player picks Sound off and Medium and plays; when the game has ended, PLAY AGAIN loads
    // the page anew, which shows those choices, and the next game plays at medium.
    let step = 'choose';
    let shown = null;
    const report = await page('kept-choices', {
      query: 'seed=1&quit-after=5',
      onState: async (state, evaluate) => {
        if (step === 'choose' && state.ready) {
          await evaluate(`(() => {
            window.vantrelFirstVisit = true;
            document.querySelector('input[name="sound"][value="off"]').click();
            const quality = document.getElementById('quality');
            quality.value = 'medium';
            quality.dispatchEvent(new Event('change', {bubbles: true}));
            document.getElementById('start-button').click();
          })()`);
          step = 'play';
        } else if (step === 'play' && state.finished) {
          assert.equal(await evaluate(`document.activeElement.id`), 'message-again', 'PLAY AGAIN waits, focused');
          await evaluate(`document.getElementById('message-again').click()`);
          step = 'again';
        } else if (step === 'again' && state.ready && await evaluate('window.vantrelFirstVisit === undefined')) {
          shown = await evaluate(`(() => ({
            sound: document.querySelector('input[name="sound"]:checked').value,
            screen: document.querySelector('input[name="screen"]:checked').value,
            quality: document.getElementById('quality').value,
          }))()`);
          await evaluate(`document.getElementById('start-button').click()`);
          step = 'played again';
        }
        return step !== 'played again';
      }});
    expectReached(report, 'finished');
    assert.deepEqual(report.errors, [], 'console errors');
    assert.deepEqual(shown, {sound: 'off', screen: 'window', quality: 'medium'}, 'the choices of the last game');
    assert.equal(report.console.filter((line) => /drawing at quality medium/.test(line)).length, 2,
                 'both games play at medium: ' + report.console.join(' | '));
  },

  async 'missing-data'() {
    const missing = await page('missing', {query: TEST_RUN, hide: ['vantrel.data'], until: 'message'});
    expectReached(missing, 'message');
    assert.match(missing.message, /The game's data could not be loaded: vantrel\.data: the server answered 404/);
    assert.match(missing.message, /scripts\/web/, 'the message says what to do');

    const damagedSite = freshDir('damaged-site');
    for (const file of fs.readdirSync(site)) fs.copyFileSync(path.join(site, file), path.join(damagedSite, file));
    const pack = path.join(damagedSite, 'vantrel.data');
    fs.truncateSync(pack, fs.statSync(pack).size - 1000);
    const damaged = await runPage(pageOptions(damagedSite, freshDir('damaged'), {query: TEST_RUN, until: 'message'}));
    expectReached(damaged, 'message');
    assert.match(damaged.message, /The game's data could not be loaded: .*damaged/);
    assert.equal(damaged.result, '', 'the game never ran on the damaged pack');

    const noWebGL = await page('no-webgl', {query: TEST_RUN, until: 'message', flags: ['--disable-3d-apis']});
    expectReached(noWebGL, 'message');
    assert.match(noWebGL.message, /WebGL 2 is not available/);
  },
};

if (!cases[testCase]) {
  console.error('page_tests.mjs: unknown case ' + testCase + ' (' + Object.keys(cases).join(', ') + ')');
  process.exit(2);
}
await cases[testCase]();
console.log(testCase + ': passed');
