// What a phone downloads to show each photo page of a site: a screen of 390 x 844 CSS
// pixels at 3 device pixels each, as most phones have, in Debian's chromium, with an empty
// cache. Counts the bytes on the wire of every request the page makes until the network is
// quiet; pictures further down that load lazily are not counted, as a phone would not fetch
// them either. Prints each page's bytes and, last, the mean.
//
// usage: node bench/photos/page_bytes.mjs SITE PAGE...   (PAGE relative to SITE)

import { serveFolder, launchBrowser } from '../../tests/browser/browser.mjs';

const [site, ...pages] = process.argv.slice(2);
if (!site || pages.length === 0) {
  console.error('usage: node page_bytes.mjs SITE PAGE...');
  process.exit(2);
}

const server = await serveFolder(site);
const browser = await launchBrowser();
try {
  let total = 0;
  for (const name of pages) {
    const page = await browser.newPage();
    await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 3, isMobile: true,
      hasTouch: true });
    const session = await page.createCDPSession();
    await session.send('Network.enable');
    await session.send('Network.setCacheDisabled', { cacheDisabled: true });
    let bytes = 0;
    session.on('Network.loadingFinished', (event) => { bytes += event.encodedDataLength; });
    await page.goto(server.url + name.split('/').map(encodeURIComponent).join('/'),
      { waitUntil: 'networkidle0' });
    await page.close();
    console.log(`${name} ${bytes}`);
    total += bytes;
  }
  console.log(`mean ${Math.round(total / pages.length)}`);
} finally {
  await browser.close();
  await server.close();
}
