// A browser that takes WebP (or AVIF) shows those copies of a site's pictures; one that
// takes neither shows the JPEG ones, an opaque PNG's too.
// Usage: node picture_formats_test.mjs MAVREN-CLI EXAMPLE-PHOTOS-FOLDER

import assert from 'node:assert/strict';
import { copyFileSync, mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchBrowser, run, serveFolder } from './browser.mjs';

const [cli, photos] = process.argv.slice(2);
const work = mkdtempSync(join(tmpdir(), 'mavren-formats-'));
const source = join(work, 'photos');
const site = join(work, 'site');
mkdirSync(source);
for (const photo of ['Meadow.jpg', 'Fjord.jpg', 'Pebbles.png']) {
  copyFileSync(join(photos, photo), join(source, photo));
}
const program = (await run(cli, ['new', '--source', source, '--target', site, '--yes'])).trim();

// What the browser shows of every picture offered in several formats, on the index page
// and on each photo's page.
async function shownPictures(browser, server, disabled) {
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    const session = await page.createCDPSession();
    await session.send('Emulation.setDisabledImageTypes', { imageTypes: disabled });
    const shown = [];
    for (const name of ['INDEX000.HTM', 'Meadow.html', 'Fjord.html', 'Pebbles.html']) {
      await page.goto(server.url + name, { waitUntil: 'load' });
      const sources = await page.$$eval('picture img', (images) =>
        images.map((image) => (image.complete ? decodeURI(image.currentSrc) : 'not loaded')));
      assert.ok(sources.length > 0, `${name} offers no picture in several formats`);
      shown.push(...sources);
    }
    return shown;
  } finally {
    await context.close();
  }
}

const cases = [
  { avif: 'No', disabled: [], shown: '.webp' },
  { avif: 'No', disabled: ['webp', 'avif'], shown: '.jpg' },
  { avif: 'Yes', disabled: [], shown: '.avif' },
  { avif: 'Yes', disabled: ['avif'], shown: '.webp' },
  { avif: 'Yes', disabled: ['webp', 'avif'], shown: '.jpg' },
];

const server = await serveFolder(site);
const browser = await launchBrowser();
try {
  let generated = '';
  for (const c of cases) {
    if (generated !== c.avif) {
      await run(cli, ['set', program, `Photo-AVIF=${c.avif}`]);
      await run(cli, ['generate', '--quiet', program]);
      generated = c.avif;
    }
    const shown = await shownPictures(browser, server, c.disabled);
    const others = shown.filter((picture) => !picture.endsWith(c.shown));
    assert.deepEqual(others, [],
      `AVIF ${c.avif}, ${c.disabled.join(' and ') || 'nothing'} disabled: not ${c.shown}`);
    assert.ok(shown.some((picture) => picture.includes('Pebbles.png.jpg')), `${shown}`);
  }
  console.log('Each browser got the pictures in the best format it takes.');
} finally {
  await browser.close();
  await server.close();
  rmSync(work, { recursive: true, force: true });
}
