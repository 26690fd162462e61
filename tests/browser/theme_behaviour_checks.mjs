// What a theme does for a visitor beyond the layout of loaded pages, in a real browser: its
// colours when the visitor asked for none, a photo that holds its place while it loads, End
// on pages without an End link (over HTTP and from a folder), swipes on a phone, the links of
// content pages in reading order, Tab in the order of the screen with the focus shown, and
// the slideshow, on from page to page until the visitor
// stops it. The sites are those of theme_sites.mjs:
// photos (Beginning and End links), classic (Beginning only; two index pages), texts and
// pages (Index, Next and Previous only; the pages in a FONT tag, one with a strip of a fixed
// width).

import assert from 'node:assert/strict';
import { join } from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { pathToFileURL } from 'node:url';

const PHONE = { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 1 };
const DESKTOP = { width: 1280, height: 900, isMobile: false, hasTouch: false, deviceScaleFactor: 1 };

// Whether the page is dark for a visitor whose system states no preference.
const DARK = { light: false, dark: true, gallery: true };

// [page, served or opened from the folder, the page End leads to]
const END_CASES = [
  ['photos/INDEX000.HTM', 'http', 'INDEX001.HTM'],
  ['photos/INDEX000.HTM', 'file', 'INDEX001.HTM'],
  ['classic/GEN0000.HTM', 'http', 'GEN0005.HTM'],
  ['classic/GEN0000.HTM', 'file', 'GEN0005.HTM'],
  ['texts/GEN0000.HTM', 'http', 'GEN0001.HTM'],
];

// [page, where the finger starts (a selector), its way in CSS pixels, the page it leads to]
const SWIPES = [
  ['photos/GEN0001.HTM', 'h1', [-220, 10], 'GEN0002.HTM'],
  ['photos/GEN0001.HTM', 'h1', [220, -10], 'GEN0000.HTM'],
  ['photos/INDEX000.HTM', 'h1', [-220, 0], 'INDEX001.HTM'],
  // Scrolling the page, and something of a fixed width scrolled sideways, go nowhere.
  ['photos/GEN0001.HTM', 'h1', [-100, 250], 'GEN0001.HTM'],
  ['pages/GEN0000.HTM', '.fixed', [-220, 0], 'GEN0000.HTM'],
];

// [page, the labels of its links and buttons as they show, first to last]
const LINK_ORDERS = [
  ['photos/GEN0001.HTM', ['Beginning', 'Previous', 'Index', 'Next', 'End', 'Slideshow']],
  ['classic/GEN0005.HTM', ['Beginning', 'Previous', 'Index']],
  ['texts/GEN0000.HTM', ['Index', 'Next', 'Slideshow']],
  ['pages/GEN0001.HTM', ['Previous', 'Index']],
];

// [page, screen]: Tab goes through the controls in the order the screen shows them, from the
// top down and left to right in a row, each with a ring that shows it has the focus.
const TAB_ORDERS = [
  ['photos/GEN0001.HTM', PHONE],
  ['photos/GEN0001.HTM', DESKTOP],
  ['texts/GEN0000.HTM', PHONE],
  ['photos/INDEX000.HTM', DESKTOP],
];

// [page, screen, what stops the slideshow once it runs, the page it ends on]
const SLIDESHOWS = [
  ['photos/GEN0003.HTM', DESKTOP, null, 'GEN0005.HTM'],
  ['photos/GEN0000.HTM', DESKTOP, 'key', 'GEN0000.HTM'],
  ['photos/GEN0000.HTM', DESKTOP, 'click', 'GEN0000.HTM'],
  ['photos/GEN0000.HTM', PHONE, 'touch', 'GEN0000.HTM'],
];
const SLIDE_SECONDS = 4;

async function openPage(browser, viewport, url) {
  const page = await browser.newPage();
  await page.setCacheEnabled(false);
  await page.setViewport(viewport);
  await page.goto(url, { waitUntil: 'load' });
  return page;
}

// The page's file name once the page has settled there (a walk to the end may pass
// through other pages on its way), or the last one seen after seconds.
async function settledName(page, expected, seconds) {
  const name = () => page.url().replace(/^.*\//, '');
  for (let waited = 0; waited < seconds * 1000 && name() !== expected; waited += 100) {
    await sleep(100);
  }
  return name();
}

async function checkColours(browser, server, theme) {
  if (!(theme in DARK)) {
    return;
  }
  const page = await openPage(browser, PHONE, `${server.url}photos/INDEX000.HTM`);
  const [r, g, b] = (await page.evaluate(() => getComputedStyle(document.body).backgroundColor))
    .match(/\d+/g).map(Number);
  assert.equal(0.2126 * r + 0.7152 * g + 0.0722 * b < 100, DARK[theme],
    `${theme}: page colour rgb(${r}, ${g}, ${b}) with no preference`);
  await page.close();
}

// Where the photo of a page stands while the picture is held back, and once it came.
async function checkPicturePlace(browser, server, theme, viewport) {
  const page = await browser.newPage();
  await page.setCacheEnabled(false);
  await page.setViewport(viewport);
  await page.setRequestInterception(true);
  let held = [];
  page.on('request', (request) => (held && request.url().includes('/Web/') ? held.push(request)
    : request.continue()));
  await page.goto(`${server.url}photos/GEN0000.HTM`, { waitUntil: 'domcontentloaded' });
  const place = () => page.$eval('main>table>tbody>tr:last-child>td:not(.links) img',
    (img) => [img.complete, ...['left', 'top', 'width', 'height']
      .map((side) => Math.round(img.getBoundingClientRect()[side]))]);
  const [loading, ...before] = await place();
  const release = held;
  held = null;
  release.forEach((request) => request.continue());
  // Polled by time: a page in the background draws no frames.
  await page.waitForFunction(() => [...document.images].every((img) => img.complete),
    { polling: 100 });
  const [loaded, ...after] = await place();
  assert.ok(!loading && loaded, `${theme}: the picture was held back`);
  assert.deepEqual(before, after, `${theme} ${viewport.width}: the photo moved when it came`);
  await page.close();
}

async function checkEnd(browser, server, sites, theme, [start, how, expected]) {
  const url = how === 'file' ? pathToFileURL(join(sites, start)).href : server.url + start;
  const page = await openPage(browser, DESKTOP, url);
  await page.keyboard.press('End');
  assert.equal(await settledName(page, expected, 5), expected, `${theme} ${how}: End on ${start}`);
  await page.close();
}

async function checkSwipe(browser, server, theme, [start, where, [dx, dy], expected]) {
  const page = await openPage(browser, PHONE, server.url + start);
  // From the right of the screen to the left, or the other way, level with where.
  const y = await page.$eval(where, (element) => {
    element.scrollIntoView({ block: 'center' });
    const box = element.getBoundingClientRect();
    return box.top + box.height / 2;
  });
  const x = dx < 0 ? PHONE.width - 80 : 80;
  await page.touchscreen.touchStart(x, y);
  for (let step = 1; step <= 5; step += 1) {
    await page.touchscreen.touchMove(x + (dx * step) / 5, y + (dy * step) / 5);
  }
  await page.touchscreen.touchEnd();
  const stays = start.endsWith(expected);
  assert.equal(await settledName(page, stays ? '' : expected, stays ? 1 : 5), expected,
    `${theme}: swipe by ${dx}, ${dy} on ${start}`);
  await page.close();
}

async function checkLinkOrder(browser, server, theme, [start, expected]) {
  const page = await openPage(browser, PHONE, server.url + start);
  const shown = await page.evaluate(() => {
    const cell = document.querySelector(':is(main,main>font)>table>tbody>tr:last-child>td.links');
    return [...cell.querySelectorAll('a, button')]
      .map((item) => ({ box: item.getBoundingClientRect(), label: item.textContent.trim() }))
      .sort((a, b) => Math.round(a.box.top) - Math.round(b.box.top) || a.box.left - b.box.left)
      .map((item) => item.label);
  });
  assert.deepEqual(shown, expected, `${theme}: the links of ${start}`);
  await page.close();
}

// The controls of a page as its screen shows them, and as Tab visits them.
export async function checkTabOrder(browser, url, where, viewport) {
  const page = await openPage(browser, viewport, url);
  const shown = await page.evaluate(() => [...document.querySelectorAll('a[href], button')]
    .filter((item) => item.getClientRects().length)
    .map((item) => {
      const box = item.getBoundingClientRect();
      return { x: box.left, y: box.top + box.height / 2 + scrollY, html: item.outerHTML };
    })
    .sort((a, b) => (Math.abs(a.y - b.y) > 8 ? a.y - b.y : a.x - b.x))
    .map((item) => item.html));
  const tabbed = [];
  for (let i = 0; i < shown.length; i += 1) {
    await page.keyboard.press('Tab');
    const focus = await page.evaluate(() => {
      const style = getComputedStyle(document.activeElement);
      return { html: document.activeElement.outerHTML,
        ring: style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) >= 2 };
    });
    tabbed.push(focus.html);
    assert.ok(focus.ring, `${where}: no focus ring on ${focus.html}`);
  }
  assert.deepEqual(tabbed, shown, `${where}: Tab order`);
  await page.close();
}

async function checkSlideshow(browser, server, theme, [start, viewport, stopper, expected]) {
  const page = await openPage(browser, viewport, server.url + start);
  await page.click('.slideshow');
  if (stopper) {
    await sleep(1000);
    if (stopper === 'key') {
      await page.keyboard.press('s');
    } else if (stopper === 'click') {
      await page.click('h1');
    } else {
      await page.tap('h1');
    }
  }
  // Two steps when nothing stops it, then a step longer on the last page.
  const seconds = (stopper ? 1 : 3) * SLIDE_SECONDS + 1;
  assert.equal(await settledName(page, expected, seconds), expected, `${theme}: slideshow ${start}`);
  await sleep((SLIDE_SECONDS + 1) * 1000);
  assert.equal(page.url().replace(/^.*\//, ''), expected,
    `${theme}: slideshow from ${start} went on after ${stopper || 'the last page'}`);
  await page.close();
}

// Runs every case of every table for one theme, the cases side by side.
export async function checkBehaviour(browser, server, sites, theme) {
  await Promise.all([
    checkColours(browser, server, theme),
    ...[PHONE, DESKTOP].map((viewport) => checkPicturePlace(browser, server, theme, viewport)),
    ...END_CASES.map((c) => checkEnd(browser, server, sites, theme, c)),
    ...SWIPES.map((c) => checkSwipe(browser, server, theme, c)),
    ...LINK_ORDERS.map((c) => checkLinkOrder(browser, server, theme, c)),
    ...TAB_ORDERS.map(([start, viewport]) => checkTabOrder(browser, server.url + start,
      `${theme} ${viewport.width}: ${start}`, viewport)),
    ...SLIDESHOWS.map((c) => checkSlideshow(browser, server, theme, c)),
  ]);
}
