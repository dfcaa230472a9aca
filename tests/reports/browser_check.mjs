// The race and season pages as readers see them, in headless Chromium.
//
//     node browser_check.mjs MARVOLT MARVOLT_SEASON SOURCE_DIR [--screenshots DOCS_DIR]
//
// Writes the sample replay's page (with and without --laps), the sample
// season's page and the sample league's site, checks them with the Nu HTML
// checker and html-validate's accessibility rules, then renders each at 390
// and 1280 px and checks what
// a reader gets: no sideways scrolling of the page on a phone, chart text of
// at least 10 px, chart labels that never overlap, hovering that brings a
// car forward, car colours far apart (CIEDE2000) and readable, every driver
// and chart there, and no violation found by axe-core. The site is opened
// from disk at index.html and every link followed. With --screenshots
// it also writes the README's pictures into DOCS_DIR.
// Exits 77, which the test declares as "skipped", where Chromium, Java or
// the packages of tests/package.json (npm ci in tests/) are missing.
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';

const SKIPPED = 77;
const CHROMIUM = '/usr/bin/chromium';
const CHROMIUM_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const WIDTHS = [390, 1280];
const PAGE_BACKGROUND = [0xf3, 0xf4, 0xf6];
const CHART_BACKGROUND = [0xff, 0xff, 0xff];
const DISTINCT_CARS = 20;
const LEAST_DELTA_E = 15;

const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); };

function skip(why) {
  console.log(`${why}: skipped`);
  process.exit(SKIPPED);
}

// The packages, or a skip where they are not installed.
async function packages() {
  const [major, minor] = process.versions.node.split('.').map(Number);
  if (major < 20 || (major === 20 && minor < 19)) skip(`node ${process.versions.node} is older than 20.19`);
  if (!fs.existsSync(CHROMIUM)) skip(`${CHROMIUM} is not installed`);
  if (spawnSync('java', ['-version']).error) skip('java is not installed');
  try {
    const require = createRequire(import.meta.url);
    return {
      puppeteer: (await import('puppeteer-core')).default,
      HtmlValidate: (await import('html-validate')).HtmlValidate,
      axeSource: fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8'),
      vnuJar: require('vnu-jar'),
    };
  } catch (error) {
    skip(`the packages of tests/package.json are not installed (npm ci in tests/): ${error.message}`);
  }
}

// --- Colours: the sRGB colour of a CSS text, CIELAB, CIEDE2000 and contrast.

const rgbOf = (hex) => [1, 3, 5].map((i) => parseInt(hex.slice(i, i + 2), 16));

const linear = (c) => (c / 255 <= 0.04045 ? c / 255 / 12.92 : ((c / 255 + 0.055) / 1.055) ** 2.4);
const luminance = (rgb) => 0.2126 * linear(rgb[0]) + 0.7152 * linear(rgb[1]) + 0.0722 * linear(rgb[2]);
const contrast = (x, y) => {
  const [dark, light] = [luminance(x), luminance(y)].sort((a, b) => a - b);
  return (light + 0.05) / (dark + 0.05);
};

function lab(rgb) {
  const [r, g, b] = rgb.map(linear);
  const f = (t) => (t > 216 / 24389 ? Math.cbrt(t) : (24389 / 27 * t + 16) / 116);
  const x = f((0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047);
  const y = f(0.2126729 * r + 0.7151522 * g + 0.0721750 * b);
  const z = f((0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883);
  return [116 * y - 16, 500 * (x - y), 200 * (y - z)];
}

// CIEDE2000, as Sharma, Wu and Dalal (2005) write it.
function deltaE2000([l1, a1, b1], [l2, a2, b2]) {
  const rad = Math.PI / 180;
  const w = (c) => Math.sqrt(c ** 7 / (c ** 7 + 25 ** 7));
  const g = 0.5 * (1 - w((Math.hypot(a1, b1) + Math.hypot(a2, b2)) / 2));
  const [p1, p2] = [a1 * (1 + g), a2 * (1 + g)];
  const [c1, c2] = [Math.hypot(p1, b1), Math.hypot(p2, b2)];
  const hue = (b, a) => (a === 0 && b === 0 ? 0 : (Math.atan2(b, a) / rad + 360) % 360);
  const [h1, h2] = [hue(b1, p1), hue(b2, p2)];
  let dh = c1 * c2 === 0 ? 0 : h2 - h1;
  if (dh > 180) dh -= 360;
  if (dh < -180) dh += 360;
  let h = h1 + h2;
  if (c1 * c2 !== 0) h = Math.abs(h1 - h2) <= 180 ? h / 2 : (h < 360 ? (h + 360) / 2 : (h - 360) / 2);
  const c = (c1 + c2) / 2;
  const l = (l1 + l2) / 2;
  const t = 1 - 0.17 * Math.cos((h - 30) * rad) + 0.24 * Math.cos(2 * h * rad) + 0.32 * Math.cos((3 * h + 6) * rad)
    - 0.20 * Math.cos((4 * h - 63) * rad);
  const sl = 1 + 0.015 * (l - 50) ** 2 / Math.sqrt(20 + (l - 50) ** 2);
  const sc = 1 + 0.045 * c;
  const sh = 1 + 0.015 * c * t;
  const rt = -Math.sin(60 * Math.exp(-(((h - 275) / 25) ** 2)) * rad) * 2 * w(c);
  const dL = (l2 - l1) / sl;
  const dC = (c2 - c1) / sc;
  const dH = 2 * Math.sqrt(c1 * c2) * Math.sin(dh / 2 * rad) / sh;
  return Math.sqrt(dL ** 2 + dC ** 2 + dH ** 2 + rt * dC * dH);
}

// --- The pages.

function run(program, args, cwd) {
  return execFileSync(program, args, { maxBuffer: 64 << 20, timeout: 120000, cwd });
}

function writePages(marvolt, season, source, work) {
  const replay = path.join(source, 'examples/sample.rpy');
  const carset = path.join(source, 'examples/sample.cst');
  // The rounds as the source tree names them: the page shows their paths.
  const rounds = fs.readdirSync(path.join(source, 'examples/season')).filter((f) => /^round\d+\.rpy$/.test(f))
    .sort().map((f) => `examples/season/${f}`);
  const pages = [
    { name: 'race', args: [marvolt, ['--format=html', '--cst', carset, replay]] },
    { name: 'race-laps', args: [marvolt, ['--format=html', '--laps', '--cst', carset, replay]] },
    { name: 'season', args: [season, ['--format=html', '--cst', carset, ...rounds], source],
      charts: 'driverpoints teampoints' },
  ];
  for (const page of pages) {
    page.file = path.join(work, `${page.name}.html`);
    fs.writeFileSync(page.file, run(...page.args));
  }
  // The sample league's site: its pages are reached by following the links of index.html.
  const site = path.join(work, 'site');
  run(season, ['--league', path.join(source, 'examples/season/league.toml'), '--site', site], source);
  const kv = run(marvolt, ['--format=semikv', '--cst', carset, replay]).toString();
  const table = kv.match(/table_start;table=Race Results;\n([\s\S]*?)table_end;/);
  const drivers = table ? table[1].trim().split('\n').map((row) => row.match(/drivername=([^;]*)/)[1]) : [];
  return { pages, drivers, site };
}

// The Nu HTML checker: no error on any page.
function nuChecker(vnuJar, pages) {
  const done = spawnSync('java', ['-jar', vnuJar, '--errors-only', '--format', 'json', '--stdout',
    ...pages.map((p) => p.file)], { maxBuffer: 64 << 20, timeout: 180000 });
  const messages = JSON.parse(done.stdout.toString()).messages;
  for (const m of messages) {
    check(false, `Nu HTML checker, ${path.basename(m.url || '')} line ${m.lastLine}: ${m.message}`);
  }
}

// html-validate's accessibility rules: nothing reported on any page.
async function accessibilityRules(HtmlValidate, pages) {
  const validator = new HtmlValidate({ extends: ['html-validate:a11y'] });
  for (const page of pages) {
    const report = await validator.validateString(fs.readFileSync(page.file, 'utf8'), page.file);
    for (const result of report.results) {
      for (const m of result.messages) check(false, `html-validate, ${page.name} line ${m.line}: ${m.ruleId}: ${m.message}`);
    }
  }
}

// What the rendered page tells, gathered inside it.
function measure() {
  const root = document.documentElement;
  const charts = [...document.querySelectorAll('svg.chart')];
  const sizes = charts.flatMap((svg) => [...svg.querySelectorAll('text')].map((t) => {
    const m = t.getScreenCTM();
    return parseFloat(getComputedStyle(t).fontSize) * Math.hypot(m.a, m.b);
  }));
  const labels = charts.map((svg) => [...svg.querySelectorAll('text.lb')].map((t) => {
    const r = t.getBoundingClientRect();
    return { text: t.textContent, left: r.left, right: r.right, top: r.top, bottom: r.bottom };
  }));
  const colours = {};
  for (const g of document.querySelectorAll('svg.chart g.s')) {
    const car = [...g.classList].find((c) => /^k\d+$/.test(c));
    if (car) colours[car] = g.getAttribute('stroke');
  }
  return {
    pageWidth: root.scrollWidth,
    viewWidth: root.clientWidth,
    chartIds: charts.map((svg) => svg.id),
    smallestText: Math.min(...sizes),
    labels,
    colours,
    text: document.body.textContent,
  };
}

function overlapping(boxes) {
  const pairs = [];
  const eps = 0.01;
  for (let i = 0; i < boxes.length; i++) {
    for (let j = i + 1; j < boxes.length; j++) {
      const [a, b] = [boxes[i], boxes[j]];
      if (a.left < b.right - eps && b.left < a.right - eps && a.top < b.bottom - eps && b.top < a.bottom - eps) {
        pairs.push(`"${a.text}" and "${b.text}"`);
      }
    }
  }
  return pairs;
}

// Hovering car `car`'s `what` leaves its chart lines as they are and fades
// every other car's in the same scope (a championship of the season page).
async function checkHover(tab, where, car, what) {
  const target = await tab.$(`${what}.${car}`);
  if (!target) return check(false, `${where}: nothing of ${car} to hover (${what})`);
  await target.hover();
  await new Promise((resolve) => setTimeout(resolve, 400));   // the fade's transition
  const opacities = await tab.evaluate((hovered, k) => [...hovered.closest('.cars').querySelectorAll('svg.chart g.s')]
    .map((g) => ({ own: g.classList.contains(k), opacity: Number(getComputedStyle(g).opacity) })), target, car);
  const own = opacities.filter((o) => o.own);
  const others = opacities.filter((o) => !o.own);
  check(own.length > 0 && own.every((o) => o.opacity === 1), `${where}: hovering ${what}.${car} fades its own lines`);
  check(others.length > 0 && others.every((o) => o.opacity < 0.5), `${where}: hovering ${what}.${car} leaves other cars' lines`);
  await tab.mouse.move(0, 0);
}

async function checkRendered(tab, page, width, drivers, axeSource) {
  const where = `${page.name} at ${width} px`;
  const seen = await tab.evaluate(measure);
  check(seen.pageWidth <= seen.viewWidth, `${where}: the page scrolls sideways (${seen.pageWidth} px in ${seen.viewWidth})`);
  if (seen.chartIds.length > 0) {
    check(seen.smallestText >= 10 - 1e-6, `${where}: chart text drawn at ${seen.smallestText.toFixed(2)} px`);
  }
  seen.labels.forEach((boxes, i) => {
    for (const pair of overlapping(boxes)) check(false, `${where}: labels ${pair} overlap in ${seen.chartIds[i]}`);
  });
  const cars = Object.keys(seen.colours).filter((k) => Number(k.slice(1)) < DISTINCT_CARS);
  for (const k of cars) {
    const rgb = rgbOf(seen.colours[k]);
    for (const background of [PAGE_BACKGROUND, CHART_BACKGROUND]) {
      check(contrast(rgb, background) >= 3, `${where}: ${k} ${seen.colours[k]} has less than 3:1 contrast`);
    }
    for (const other of cars.filter((o) => o > k)) {
      const d = deltaE2000(lab(rgb), lab(rgbOf(seen.colours[other])));
      check(d >= LEAST_DELTA_E, `${where}: ${k} and ${other} are ${d.toFixed(1)} apart in CIEDE2000`);
    }
  }
  if (page.name.startsWith('race')) {
    for (const name of drivers) check(seen.text.includes(name), `${where}: driver ${name} missing`);
  }
  const kinds = seen.chartIds.map((id) => id.replace(/-\d+$/, '')).sort().join(' ');
  check(kinds === (page.charts ?? 'gapchart lapchart laptimechart'), `${where}: the charts are ${kinds}`);
  if (seen.chartIds.length > 0 && await tab.$('.cars')) {
    await checkHover(tab, where, 'k0', 'svg.chart .lbs .c');
    if (await tab.$('tr.k0')) await checkHover(tab, where, 'k0', 'tr');
  }
  await tab.evaluate(axeSource);
  const axe = await tab.evaluate(() => window.axe.run(document, { resultTypes: ['violations'] }));
  for (const v of axe.violations) {
    check(false, `${where}: axe-core ${v.id} (${v.impact}) on ${v.nodes.length} nodes, first ${v.nodes[0].target}`);
  }
}

async function main() {
  const args = process.argv.slice(2);
  let docs = null;
  const at = args.indexOf('--screenshots');
  if (at >= 0) [docs] = args.splice(at, 2).slice(1);
  if (args.length !== 3) {
    console.error('usage: browser_check.mjs MARVOLT MARVOLT_SEASON SOURCE_DIR [--screenshots DOCS_DIR]');
    return 2;
  }
  const [marvolt, season, source] = args.map((a) => path.resolve(a));
  const { puppeteer, HtmlValidate, axeSource, vnuJar } = await packages();
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'marvolt-browser-'));
  try {
    const { pages, drivers, site } = writePages(marvolt, season, source, work);
    check(drivers.length > 0, 'the sample replay has no race classification');
    const sitePages = fs.readdirSync(site).filter((f) => f.endsWith('.html'))
      .map((f) => ({ name: `site/${f}`, file: path.join(site, f) }));
    nuChecker(vnuJar, [...pages, ...sitePages]);
    await accessibilityRules(HtmlValidate, [...pages, ...sitePages]);
    const browser = await puppeteer.launch({
      executablePath: CHROMIUM,
      args: [...CHROMIUM_FLAGS, `--user-data-dir=${fs.mkdtempSync(path.join(work, 'profile-'))}`],
      headless: true,
    });
    try {
      const tab = await browser.newPage();
      for (const page of pages) {
        for (const width of WIDTHS) {
          await tab.setViewport({ width, height: 900 });
          await tab.goto(`file://${page.file}`, { waitUntil: 'load' });
          await checkRendered(tab, page, width, drivers, axeSource);
        }
      }
      pages.push(...await followSite(tab, site, drivers, axeSource));
      if (docs) await screenshots(tab, pages, path.resolve(docs));
    } finally {
      await browser.close();
    }
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
  for (const f of failures) console.error(`FAIL: ${f}`);
  if (failures.length > 0) return 1;
  console.log('the race and season pages and the pages of the site, reached by its links, pass at 390 and '
    + '1280 px: layout, chart text and labels, hovering, colours, the Nu HTML checker, html-validate and axe-core');
  return 0;
}

// The charts of a page of the site, by the page's name.
function siteCharts(name) {
  if (name.startsWith('round-')) return 'gapchart lapchart laptimechart';
  if (name === 'index.html') return 'driverpoints teampoints';
  return 'positions';
}

// Opens the site's index.html from disk and follows every link: each page
// it leads to is rendered and checked as the other pages are, each data
// file is there, and each anchor names an element of its page. Returns the
// pages reached; every page of the site must be among them.
async function followSite(tab, site, drivers, axeSource) {
  const queue = [path.join(site, 'index.html')];
  const reached = new Set(queue);
  const pages = [];
  while (queue.length > 0) {
    const file = queue.shift();
    const name = path.basename(file);
    const page = { name: `site/${name}`, file, charts: siteCharts(name) };
    pages.push(page);
    for (const width of WIDTHS) {
      await tab.setViewport({ width, height: 900 });
      await tab.goto(`file://${file}`, { waitUntil: 'load' });
      await checkRendered(tab, page, width, [], axeSource);
    }
    const links = await tab.evaluate(() => [...document.querySelectorAll('a[href]')].map((a) => a.href));
    for (const link of links) {
      const url = new URL(link);
      const target = decodeURIComponent(url.pathname);
      check(url.protocol === 'file:' && path.dirname(target) === site && fs.existsSync(target),
        `${page.name}: the link ${link} leads to no file of the site`);
      if (url.hash) {
        await tab.goto(url.href, { waitUntil: 'load' });
        check(await tab.$(`[id="${url.hash.slice(1)}"]`), `${page.name}: the link ${link} names no element`);
      }
      if (target.endsWith('.html') && !reached.has(target) && fs.existsSync(target)) {
        reached.add(target);
        queue.push(target);
      }
    }
  }
  const all = fs.readdirSync(site).filter((f) => f.endsWith('.html'));
  check(all.length === pages.length, `the site's links reach ${pages.length} of its ${all.length} pages`);
  return pages;
}

// The README's pictures: the race page and the season page on a desktop
// screen, the race page on a phone, and the site's index page.
async function screenshots(tab, pages, docs) {
  const shots = [
    { page: 'race', width: 1280, height: 4200, file: 'sample-report.png' },
    { page: 'season', width: 1280, height: 0, file: 'sample-season.png' },
    { page: 'race', width: 390, height: 2600, file: 'sample-report-phone.png' },
    { page: 'site/index.html', width: 1280, height: 1150, file: 'sample-site.png' },
  ];
  for (const shot of shots) {
    await tab.setViewport({ width: shot.width, height: shot.height || 900 });
    await tab.goto(`file://${pages.find((p) => p.name === shot.page).file}`, { waitUntil: 'load' });
    await tab.screenshot({ path: path.join(docs, shot.file), fullPage: shot.height === 0 });
  }
}

process.exitCode = await main();
