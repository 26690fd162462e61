// Every installed theme in a real browser, on a phone and a desktop screen, with
// JavaScript off and on: nothing scrolls sideways, the index reflows, pictures fit,
// the links stay in reach, the tab shows the heading, the page names its language, the
// keys follow the links, no console errors, non-ASCII names read back over HTTP, and tidy
// finds no errors; what else a visitor meets is in theme_behaviour_checks.mjs. Photo
// pages show web copies (the phone's smaller one on a phone) with the caption and date
// taken on the screen, and a 3x phone takes the thumbnails at twice their size. The photo
// viewer is in theme_viewer_checks.mjs.
// Usage: node themes_test.mjs MAVREN-CLI

import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchBrowser, serveFolder } from './browser.mjs';
import { checkBehaviour } from './theme_behaviour_checks.mjs';
import {
  CAMERA_PHOTO, makePrograms, makeSources, SAMPLE_SITES, SHARING_SITES, sitePages, themeNames,
  wearTheme,
} from './theme_sites.mjs';
import { checkViewer } from './theme_viewer_checks.mjs';

const [cli] = process.argv.slice(2);
const VIEWPORTS = [
  { name: 'phone', width: 390, height: 844, isMobile: true, hasTouch: true },
  { name: 'desktop', width: 1280, height: 900, isMobile: false, hasTouch: false },
];

// What one page shows, measured in the page.
function measure() {
  const own = /(GEN|INDEX)(\d+)\.HTM$/.exec(location.pathname);
  const next = `${own[1]}${String(Number(own[2]) + 1).padStart(own[2].length, '0')}.HTM`;
  const box = (element) => {
    const r = element.getBoundingClientRect();
    return { left: r.left, right: r.right, top: r.top, bottom: r.bottom, width: r.width,
      height: r.height };
  };
  const nextLink = [...document.querySelectorAll('a')]
    .find((a) => a.getAttribute('href') === next && !a.querySelector('img'));
  // The script puts the links cell first and marks it.
  const content = document.querySelector('main > table > tbody > tr:last-child > td:not(.links)');
  const picture = content && content.querySelector(':scope > img, :scope > a > img');
  const grid = own[1] === 'INDEX' && document.querySelector('center > table:first-of-type');
  const entries = grid ? [...grid.querySelectorAll('td')] : [];
  const boxes = entries.map((td) => td.getBoundingClientRect());
  return {
    kind: own[1],
    innerWidth: window.innerWidth,
    innerHeight: window.innerHeight,
    scrollWidth: document.documentElement.scrollWidth,
    next: nextLink ? box(nextLink) : null,
    picture: picture ? { ...box(picture), naturalWidth: picture.naturalWidth,
      naturalHeight: picture.naturalHeight, shown: decodeURIComponent(picture.currentSrc) } : null,
    facts: [...document.querySelectorAll('.photo-facts')].map((line) => ({ ...box(line),
      text: line.textContent })),
    columns: new Set(boxes.map((b) => Math.round(b.left))).size,
    // The room left of the entries and right of them, in the grid.
    margins: grid && boxes.length ? [Math.min(...boxes.map((b) => b.left)) - grid.getBoundingClientRect().left,
      grid.getBoundingClientRect().right - Math.max(...boxes.map((b) => b.right))] : null,
    entries: entries.map((td) => ({ image: !!td.querySelector('img'), label: td.textContent.trim() })),
    heading: (document.querySelector('h1') || { textContent: '' }).textContent.trim(),
    title: document.title,
    language: document.documentElement.lang,
    charset: document.characterSet,
  };
}

// One pass over every page of the sites at one screen size, JavaScript off or on; the
// figures it measured go to figures.
async function checkPages(browser, server, programs, theme, viewport, script, figures) {
  const page = await browser.newPage();
  const errors = [];
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('requestfailed', (request) => errors.push(`failed: ${request.url()}`));
  page.on('response', (response) => response.status() >= 400 &&
    errors.push(`${response.status()}: ${response.url()}`));
  // The sites are generated anew for every theme under the same names.
  await page.setCacheEnabled(false);
  await page.setJavaScriptEnabled(script);
  await page.setViewport({ ...viewport, deviceScaleFactor: 1 });
  let widest = 0;
  const captioned = [];
  for (const [kind, { site }] of Object.entries(programs)) {
    for (const name of sitePages(site)) {
      const where = `${theme} ${viewport.name} ${script ? 'js' : 'no-js'} ${kind}/${name}`;
      await page.goto(`${server.url}${kind}/${name}`, { waitUntil: 'load' });
      const seen = await page.evaluate(measure);
      figures.views += 1;
      figures.widestScroll = Math.max(figures.widestScroll, seen.scrollWidth / seen.innerWidth);
      assert.equal(seen.innerWidth, viewport.width, `${where}: layout width`);
      assert.ok(seen.scrollWidth <= seen.innerWidth,
        `${where}: scrolls sideways (${seen.scrollWidth} > ${seen.innerWidth})`);
      assert.equal(seen.charset, 'UTF-8', where);
      if (seen.next) {
        assert.ok(seen.next.left >= 0 && seen.next.right <= seen.innerWidth,
          `${where}: Next at ${JSON.stringify(seen.next)}`);
        if (seen.kind === 'GEN') {
          assert.ok(seen.next.top >= 0 && seen.next.bottom <= seen.innerHeight,
            `${where}: Next below the fold at ${seen.next.top}`);
        }
      }
      if (seen.picture) {
        const p = seen.picture;
        if (kind === 'classic') {
          widest = Math.max(widest, p.naturalWidth);
        }
        if (kind === 'photos' && seen.heading === 'Big landscape.jpg') {
          // The web copy, and on a phone its smaller twin: never the 6000-pixel original.
          const copy = viewport.name === 'phone' ? '/Web/Small/' : '/Web/';
          assert.ok(p.shown.endsWith(`${copy}Big landscape.jpg`), `${where}: shows ${p.shown}`);
        }
        figures.widestPicture = Math.max(figures.widestPicture, p.width / seen.innerWidth);
        assert.ok(p.width > 0 && p.width <= seen.innerWidth, `${where}: picture ${p.width} wide`);
        assert.ok(p.height <= seen.innerHeight, `${where}: picture ${p.height} high`);
        assert.ok(Math.abs(p.width / p.height - p.naturalWidth / p.naturalHeight) < 0.02,
          `${where}: picture ${p.width} x ${p.height} of ${p.naturalWidth} x ${p.naturalHeight}`);
      }
      if (seen.margins) {
        assert.ok(Math.abs(seen.margins[0] - seen.margins[1]) <= 2,
          `${where}: entries off centre, ${seen.margins.join(' and ')} pixels beside them`);
      }
      if (seen.kind === 'INDEX' && seen.entries.length > 2) {
        figures.columns[viewport.name].add(seen.columns);
        assert.ok(viewport.name === 'phone' ? seen.columns === 2 : seen.columns >= 3,
          `${where}: ${seen.columns} columns`);
      }
      for (const line of seen.facts) {
        captioned.push(line.text);
        assert.ok(line.left >= 0 && line.right <= seen.innerWidth && line.height > 0 &&
          line.bottom <= seen.innerHeight,
          `${where}: caption line at ${JSON.stringify(line)}`);
      }
      if (kind === 'photos' && seen.kind === 'INDEX') {
        assert.ok(seen.entries.every((entry) => entry.image && entry.label),
          `${where}: entries ${JSON.stringify(seen.entries)}`);
      }
      if (kind === 'photos' && name === 'INDEX000.HTM') {
        assert.ok(seen.entries.some((entry) => entry.label.startsWith('Blüte.png (')),
          `${where}: labels ${JSON.stringify(seen.entries)}`);
      }
      assert.equal(seen.title, seen.heading, `${where}: title`);
      assert.match(seen.language, /^[a-z]{2,3}(-[a-z0-9]+)*$/i, `${where}: language`);
    }
  }
  assert.equal(widest, 6000, `${theme} ${viewport.name}: the big photo was shown`);
  assert.deepEqual(captioned, ['The fjord from the ridge, first light 2024-06-01 07:12'],
    `${theme} ${viewport.name}: the caption and date taken of ${CAMERA_PHOTO}`);

  if (script) {
    // The keys: from the second photo page to its neighbours, the ends and the index.
    const keyTargets = [['ArrowRight', 'GEN0002.HTM'], ['ArrowLeft', 'GEN0000.HTM'],
      ['Home', 'GEN0000.HTM'], ['End', 'GEN0005.HTM'], ['Escape', 'INDEX000.HTM']];
    for (const [key, expected] of keyTargets) {
      await page.goto(`${server.url}photos/GEN0001.HTM`, { waitUntil: 'load' });
      assert.equal(await page.title(), 'Blüte.png', `${theme}: the non-ASCII title`);
      await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.keyboard.press(key)]);
      assert.ok(page.url().endsWith(`/photos/${expected}`),
        `${theme} ${viewport.name}: ${key} led to ${page.url()}`);
    }
  }
  assert.deepEqual(errors, [], `${theme} ${viewport.name}: console errors`);
  await page.close();
}

// A phone of three device pixels to the CSS pixel takes every thumbnail of the photo index
// at twice its size.
async function checkSharpThumbnails(browser, server, theme) {
  const page = await browser.newPage();
  await page.setCacheEnabled(false);
  await page.setViewport({ ...VIEWPORTS[0], deviceScaleFactor: 3 });
  await page.goto(`${server.url}photos/INDEX000.HTM`, { waitUntil: 'load' });
  const shown = await page.evaluate(() =>
    [...document.querySelectorAll('center > table:first-of-type img')].map((img) => img.currentSrc));
  assert.ok(shown.length > 0 && shown.every((src) => src.includes('/Thumbs/2x/')),
    `${theme}: thumbnails on a 3x phone ${JSON.stringify(shown)}`);
  await page.close();
}

// tidy's exit status 2 means errors; warnings (1) are about the old-fashioned attributes
// of the generated markup, which browsers take as they always have.
function tidyPages(programs, theme) {
  for (const [kind, { site }] of Object.entries(programs)) {
    for (const name of sitePages(site)) {
      const tidy = spawnSync('tidy', ['-e', '-q', '-utf8', join(site, name)], { encoding: 'utf8' });
      assert.ok(tidy.status === 0 || tidy.status === 1,
        `tidy on ${theme} ${kind}/${name} (${tidy.status}):\n${tidy.stderr}${tidy.error || ''}`);
    }
  }
}

const work = mkdtempSync(join(tmpdir(), 'mavren-themes-'));
const browser = await launchBrowser();
const server = await serveFolder(join(work, 'sites'));
const figures = { views: 0, widestScroll: 0, widestPicture: 0,
  columns: { phone: new Set(), desktop: new Set() } };
try {
  const themes = await themeNames(cli);
  assert.ok(themes.length >= 3, `themes: ${themes}`);
  await makeSources(browser, join(work, 'sources'));
  const programs = await makePrograms(cli, join(work, 'sources'), join(work, 'sites'),
    SAMPLE_SITES);
  const sharing = await makePrograms(cli, join(work, 'sources'), join(work, 'sites'),
    SHARING_SITES);
  for (const theme of themes) {
    await wearTheme(cli, { ...programs, ...sharing }, theme);
    tidyPages(programs, theme);
    await Promise.all([...VIEWPORTS.flatMap((viewport) => [false, true].map((script) =>
      checkPages(browser, server, programs, theme, viewport, script, figures))),
    checkBehaviour(browser, server, join(work, 'sites'), theme),
    checkViewer(browser, `${server.url}sharing/`, join(work, 'sites', 'sharing'), theme)]);
    await checkSharpThumbnails(browser, server, theme);
  }
  console.log(`${figures.views} page views in ${themes.length} themes (${themes.join(', ')}): ` +
    `widest page ${figures.widestScroll.toFixed(2)} of the screen, widest picture ` +
    `${figures.widestPicture.toFixed(2)} of the screen, index columns on a phone ` +
    `${[...figures.columns.phone].join('/')}, on a desktop ${[...figures.columns.desktop].join('/')}.`);
} finally {
  await browser.close();
  await server.close();
  rmSync(work, { recursive: true, force: true });
}
