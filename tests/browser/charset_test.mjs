// A site whose file names are not ASCII reads right once served over HTTP.
// Usage: node charset_test.mjs MAVREN-CLI EXAMPLE-PHOTOS-FOLDER

import assert from 'node:assert/strict';
import { copyFileSync, mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchBrowser, run, serveFolder } from './browser.mjs';

const [cli, photos] = process.argv.slice(2);
const work = mkdtempSync(join(tmpdir(), 'mavren-charset-'));
const source = join(work, 'photos');
const site = join(work, 'site');
mkdirSync(source);
copyFileSync(join(photos, 'Meadow.jpg'), join(source, 'Zürich.jpg'));
copyFileSync(join(photos, 'Fjord.jpg'), join(source, 'Fjord.jpg'));

const program = (await run(cli, ['new', '--source', source, '--target', site, '--yes'])).trim();
await run(cli, ['generate', '--quiet', program]);

const server = await serveFolder(site);
const browser = await launchBrowser();
try {
  const page = await browser.newPage();
  const index = await page.goto(server.url + 'INDEX000.HTM');
  // The host names no character set: only the page's own declaration can.
  assert.equal(index.headers()['content-type'], 'text/html');
  const labels = await page.$$eval('td a', (links) => links.map((link) => link.textContent.trim()));
  assert.ok(labels.includes('Zürich'), `labels: ${labels}`);

  // The photo's page is named after it, percent-encoded in the link as UTF-8.
  await page.goto(server.url + encodeURI('Zürich.html'));
  assert.equal(await page.$eval('h1', (heading) => heading.textContent), 'Zürich');
  console.log('The non-ASCII label and heading read back as written.');
} finally {
  await browser.close();
  await server.close();
  rmSync(work, { recursive: true, force: true });
}
