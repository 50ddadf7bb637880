// The browser page's start and frame cost in headless Chromium (WebGL on SwiftShader):
//
//   title ms    from opening the page to the title's first picture (the data pack fetched, the
//               game compiled and started), as the page timed it
//   frame ms    wall time per mission frame of the computer pilot's mission 3 with fast=1, where
//               the game runs as soon as the browser lets it rather than at animation frames:
//               the difference between a short and a long run of the time the page took to its
//               one screenshot, whose read-back waits for every frame's drawing (WebGL's finish
//               does not). One screenshot a run: the page turns each into a PNG on its main
//               thread, which would count toward the frames after a first one.
//   cpu/frame   CPU time per mission frame of all the browser's processes (the page, the GPU
//               process that rasterises on SwiftShader, the browser), from the same two runs,
//               each read when its screenshot arrived: the measure bench/frame_costs.py gives
//               for the desktop, so the two compare alike
//   gpu/frame   of that, the GPU process's: WebGL's commands carried out and the pixels
//               rasterised by SwiftShader; the rest is mostly the page's own (the game's code
//               and its WebGL calls)
//   fps         1000 / frame ms
//
// Every site, quality and size given is alternated round by round (the only fair way to compare
// builds on a machine whose speed drifts); medians of --rounds rounds.
//
//   node bench/page_costs.mjs build/web-node/site /tmp/old-site --quality low,high --size 640x480,1920x1080
//
// Compare with bench/frame_costs.py's fps for the desktop at the same quality and size.
import path from 'node:path';
import os from 'node:os';
import fs from 'node:fs';

import {pageOptions, runPage} from '../tests/web/page_run.mjs';

// The span bench/frame_costs.py times on the desktop: the same frames of the same mission.
const SHORT_TICKS = 200;
const LONG_TICKS = 500;

function parseArguments(argv) {
  const options = {sites: [], rounds: 3, qualities: [''], sizes: ['640x480']};
  for (let i = 0; i < argv.length; ++i) {
    const value = argv[i + 1];
    if (argv[i] === '--rounds') options.rounds = Number(value), ++i;
    else if (argv[i] === '--quality') options.qualities = value.split(','), ++i;
    else if (argv[i] === '--size') options.sizes = value.split(','), ++i;
    else if (argv[i].startsWith('--')) throw new Error('unknown option ' + argv[i]);
    else options.sites.push(argv[i]);
  }
  if (!options.sites.length) throw new Error('usage: page_costs.mjs SITE_DIR... [--rounds N] [--quality Q,..] [--size WxH,..]');
  return options;
}

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'vantrel-page-costs-'));

// The page's own times of the screenshots at ticks, from its opening, and the browser's CPU
// time when they had arrived.
async function screenshotTimes(site, query, ticks) {
  const report = await runPage(pageOptions(site, scratch, {query: `${query}&screenshot=${ticks.join(',')}`, timeout: 300}));
  const times = ticks.map((tick) => report.pageMilliseconds && report.pageMilliseconds.screenshots[tick]);
  if (report.state !== 'finished' || times.some((ms) => !ms)) {
    throw new Error('the page did not finish: ' + JSON.stringify({query, message: report.message, errors: report.errors}));
  }
  return {times, cpu: report.cpuMilliseconds};
}

async function measure({site, quality, size}) {
  const setup = `window=1&nosound=1&size=${size}` + (quality ? `&quality=${quality}` : '');
  const {times: [title]} = await screenshotTimes(site, `${setup}&seed=1&quit-after=2`, [1]);
  const mission = `${setup}&fast=1&seed=1&demo=3`;
  const short = await screenshotTimes(site, `${mission}&quit-after=${SHORT_TICKS}`, [SHORT_TICKS]);
  const long = await screenshotTimes(site, `${mission}&quit-after=${LONG_TICKS}`, [LONG_TICKS]);
  const frames = LONG_TICKS - SHORT_TICKS;
  const frame = (long.times[0] - short.times[0]) / frames;
  return {'title ms': title, 'frame ms': frame, 'cpu/frame ms': (long.cpu.all - short.cpu.all) / frames,
          'gpu/frame ms': (long.cpu.gpuProcess - short.cpu.gpuProcess) / frames, fps: 1000 / frame};
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

const options = parseArguments(process.argv.slice(2));
const setups = options.sizes.flatMap((size) => options.qualities.flatMap((quality) =>
  options.sites.map((site) => ({site, quality, size}))));
const rows = new Map(setups.map((s) => [s, []]));
try {
  for (let round = 1; round <= options.rounds; ++round) {
    for (const setup of setups) rows.get(setup).push(await measure(setup));
    console.error(`round ${round} of ${options.rounds} done`);
  }
} finally {
  fs.rmSync(scratch, {recursive: true, force: true});
}
const keys = ['title ms', 'frame ms', 'cpu/frame ms', 'gpu/frame ms', 'fps'];
console.log(`\npage (medians of ${options.rounds} rounds)`);
console.log('setup'.padEnd(48) + keys.map((k) => k.padStart(14)).join(''));
for (const setup of setups) {
  const label = `${setup.site.slice(-24)} ${setup.quality || 'picked'} ${setup.size}`;
  console.log(label.padEnd(48) + keys.map((k) => median(rows.get(setup).map((r) => r[k])).toFixed(2).padStart(14)).join(''));
}
