// The photo viewer of a theme, on the index page of a site made for sharing (each thumbnail's
// link carries the viewer's data): a thumbnail opens it at its photo, with the caption; it
// zooms by a double tap on a phone and by its button on a desktop; the address is the
// photo's own page and follows the photo shown; Tab stays inside it, each control showing
// its focus; Back closes it and leaves the index page's address, the focus back on a
// thumbnail's link. Opened from a folder it works too, and without scripts the thumbnails
// lead to the photos' pages. Tab on a photo page of the site follows the screen.

import assert from 'node:assert/strict';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { checkTabOrder } from './theme_behaviour_checks.mjs';

const PHONE = { name: 'phone', width: 390, height: 844, isMobile: true, hasTouch: true,
  deviceScaleFactor: 3 };
const DESKTOP = { name: 'desktop', width: 1280, height: 900, isMobile: false, hasTouch: false,
  deviceScaleFactor: 1 };

// [screen, served or opened from the folder, how the photo is zoomed]
const VIEWS = [
  [PHONE, 'http', 'double tap'],
  [DESKTOP, 'http', 'button'],
  [DESKTOP, 'file', 'button'],
];

// The links that carry the viewer's data, as [href resolved, caption].
function viewerLinks() {
  return [...document.querySelectorAll('a[data-pswp-src]')].map((link) => [link.href,
    link.getAttribute('data-caption') || '']);
}

async function openIndex(browser, viewport, url, errors) {
  const page = await browser.newPage();
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  await page.setCacheEnabled(false);
  await page.setViewport(viewport);
  await page.goto(url, { waitUntil: 'load' });
  return page;
}

// Open, and done opening: its backdrop fully faded in (the theme's opacity is 0.94).
const isOpen = () => {
  const backdrop = document.querySelector('.pswp.pswp--open .pswp__bg');
  return !!backdrop && parseFloat(getComputedStyle(backdrop).opacity) > 0.93;
};

async function checkView(browser, url, theme, [viewport, how, zoom]) {
  const where = `${theme} ${viewport.name} ${how}`;
  const errors = [];
  const page = await openIndex(browser, viewport, url, errors);
  const links = await page.evaluate(viewerLinks);
  assert.ok(links.length >= 2, `${where}: ${links.length} thumbnails carry the viewer's data`);
  const thumbnail = 'a[data-pswp-src] img';
  if (viewport.hasTouch) {
    await page.tap(thumbnail);
  } else {
    await page.click(thumbnail);
  }
  await page.waitForFunction(isOpen);
  await page.waitForSelector('.pswp__img:not(.pswp__img--placeholder)', { visible: true });
  const history = how === 'http';  // a browser may refuse a file's address to a script
  if (history) {
    assert.equal(page.url(), links[0][0], `${where}: the address of the open photo`);
  }
  const caption = await page.$eval('.pswp__caption', (element) => element.textContent);
  assert.ok(caption.includes(links[0][1]), `${where}: caption "${caption}"`);

  if (zoom === 'double tap') {
    // The shown slide's full picture, once laid out: its placeholder may still be there, and
    // has no box once hidden.
    const image = await page.waitForSelector(
      '.pswp__item:not([aria-hidden="true"]) .pswp__img:not(.pswp__img--placeholder)',
      { visible: true });
    const box = await image.boundingBox();
    assert.ok(box, `${where}: the open photo has no box to tap`);
    const x = box.x + box.width / 2;
    const y = box.y + box.height / 2;
    await page.touchscreen.tap(x, y);
    await page.touchscreen.tap(x, y);
  } else {
    await page.click('.pswp__button--zoom');
  }
  await page.waitForFunction(() => document.querySelector('.pswp--zoomed-in'), { timeout: 5000 })
    .catch(() => assert.fail(`${where}: the photo did not zoom in by ${zoom}`));

  // Tab goes round the viewer's controls (and the browser's own), never to the page behind
  // it, each control with its focus shown.
  for (let i = 0; i < 8; i += 1) {
    await page.keyboard.press('Tab');
    const focus = await page.evaluate(() => {
      const active = document.activeElement;
      const style = getComputedStyle(active);
      return { inside: !!active.closest('.pswp') || active === document.body,
        html: active.outerHTML.slice(0, 200),
        ring: active.matches('.pswp, body') ||
          (style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) >= 2) };
    });
    assert.ok(focus.inside, `${where}: Tab left the viewer for ${focus.html}`);
    assert.ok(focus.ring, `${where}: no focus ring on ${focus.html}`);
  }

  // The next photo replaces the address; Back then closes the viewer on the index page.
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !document.querySelector('.pswp'));
  if (history) {
    assert.equal(page.url(), url, `${where}: the address after Escape`);
  }
  await page.focus('a[data-pswp-src]');
  await page.keyboard.press('Enter');
  // Opened from the keyboard, the viewer takes the focus once it listens to the keys.
  await page.waitForFunction(() => document.activeElement.matches('.pswp'));
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction(() => /^2 \//.test(document.querySelector('.pswp__counter').textContent));
  if (history) {
    assert.equal(page.url(), links[1][0], `${where}: the address of the next photo`);
    await page.goBack();
    await page.waitForFunction(() => !document.querySelector('.pswp'));
    assert.equal(page.url(), url, `${where}: the address after Back`);
  } else {
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => !document.querySelector('.pswp'));
  }
  const focused = await page.evaluate(() => document.activeElement.href);
  assert.equal(focused, links[1][0], `${where}: the focus after the viewer`);
  assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= innerWidth),
    `${where}: the index page scrolls sideways`);
  assert.deepEqual(errors, [], `${where}: console errors`);
  await page.close();
}

// Without scripts a thumbnail is a link to its photo's page.
async function checkWithoutScript(browser, url, theme) {
  const page = await browser.newPage();
  await page.setJavaScriptEnabled(false);
  await page.setViewport(PHONE);
  await page.goto(url, { waitUntil: 'load' });
  const [[href]] = await page.evaluate(viewerLinks);
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }),
    page.tap('a[data-pswp-src] img')]);
  assert.equal(page.url(), href, `${theme}: a thumbnail without scripts`);
  assert.ok(await page.$('.photo-facts, h1'), `${theme}: the photo's page`);
  await page.close();
}

// Checks the viewer on site/INDEX000.HTM (the site served at siteUrl), and Tab on its first
// photo's page.
export async function checkViewer(browser, siteUrl, site, theme) {
  const served = `${siteUrl}INDEX000.HTM`;
  await Promise.all([
    ...VIEWS.map((view) => checkView(browser,
      view[1] === 'file' ? pathToFileURL(join(site, 'INDEX000.HTM')).href : served, theme, view)),
    checkWithoutScript(browser, served, theme),
  ]);
  const page = await browser.newPage();
  await page.goto(served, { waitUntil: 'load' });
  const [[photo]] = await page.evaluate(viewerLinks);
  await page.close();
  await Promise.all([PHONE, DESKTOP].map((viewport) => checkTabOrder(browser, photo,
    `${theme} ${viewport.name}: ${photo}`, viewport)));
}
