// Screenshots of the sample photos (examples/photos) in every installed theme and in the
// classic pages, index and content page, on a phone (390 x 844) and a desktop
// (1280 x 900): OUTPUT/THEME-PAGE-SIZE.png, for instance gallery-index-phone.png.
// Usage: node theme_screenshots.mjs MAVREN-CLI EXAMPLES-FOLDER OUTPUT-FOLDER

import { mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchBrowser, serveFolder } from './browser.mjs';
import { makePrograms, themeNames, wearTheme } from './theme_sites.mjs';

const [cli, examples, output] = process.argv.slice(2);
const SIZES = [
  { name: 'phone', width: 390, height: 844, isMobile: true, hasTouch: true },
  { name: 'desktop', width: 1280, height: 900, isMobile: false, hasTouch: false },
];
const PAGES = [['index', 'INDEX000.HTM'], ['content', 'GEN0000.HTM']];
// As make demo sets them up.
const PHOTOS = [['photos', 'images', ['Index-Page-Title=Sample photos',
  'Content-Show-Link-Begin=Yes', 'Content-Show-Link-End=Yes', 'Misc-Include-Mavren-Link=Yes',
  'Thumbnail-Size=200']]];

mkdirSync(output, { recursive: true });
const work = mkdtempSync(join(tmpdir(), 'mavren-theme-shots-'));
const browser = await launchBrowser();
const server = await serveFolder(join(work, 'photos'));
try {
  const programs = await makePrograms(cli, examples, work, PHOTOS);
  for (const theme of [...await themeNames(cli), 'none']) {
    await wearTheme(cli, programs, theme);
    const page = await browser.newPage();
    await page.setCacheEnabled(false);
    for (const size of SIZES) {
      await page.setViewport({ ...size, deviceScaleFactor: 1 });
      for (const [pageName, file] of PAGES) {
        await page.goto(server.url + file, { waitUntil: 'load' });
        const name = `${theme === 'none' ? 'classic' : theme}-${pageName}-${size.name}.png`;
        await page.screenshot({ path: join(output, name) });
        console.log(join(output, name));
      }
    }
    await page.close();
  }
} finally {
  await browser.close();
  await server.close();
  rmSync(work, { recursive: true, force: true });
}
