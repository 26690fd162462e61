// A phone's folder with a photo and a clip: the clip's page plays it, its index entry shows
// the poster with the play sign and the length, and a click on the entry opens its page
// (the viewer shows photos only). Keys and swipes on the playing video stay with it.
// Usage: node video_test.mjs MAVREN-CLI EXAMPLE-PHOTOS-FOLDER

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchBrowser, run, serveFolder } from './browser.mjs';

const [cli, photos] = process.argv.slice(2);
const work = mkdtempSync(join(tmpdir(), 'mavren-video-'));
const source = join(work, 'photos');
const site = join(work, 'site');
mkdirSync(source);
copyFileSync(join(photos, 'Meadow.jpg'), join(source, 'Meadow.jpg'));
// Three seconds of picture and sound as a phone records them, small.
execFileSync('ffmpeg', ['-v', 'error', '-f', 'lavfi', '-i', 'testsrc2=size=640x360:rate=25',
  '-f', 'lavfi', '-i', 'sine=frequency=440', '-t', '3', '-c:v', 'libx264', '-profile:v', 'high',
  '-pix_fmt', 'yuv420p', '-preset', 'veryfast', '-c:a', 'aac', '-movflags', '+faststart',
  join(source, 'Beach day.mp4')]);
const program = (await run(cli, ['new', '--source', source, '--target', site, '--yes'])).trim();
await run(cli, ['generate', '--quiet', program]);

const PHONE = { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 1 };

// Waits until the page is at an address ending in name, or the deadline passes; the
// address it is at.
async function settledAt(page, name, seconds) {
  const deadline = Date.now() + seconds * 1000;
  while (!decodeURI(page.url()).endsWith(name) && Date.now() < deadline) {
    await new Promise((resolve) => { setTimeout(resolve, 50); });
  }
  return decodeURI(page.url());
}

const server = await serveFolder(site);
const browser = await launchBrowser();
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });

  // The index entry: the poster's thumbnail, loaded, with the mark over its lower part.
  await page.goto(server.url + 'INDEX000.HTM', { waitUntil: 'load' });
  const entry = await page.$eval('a:has(.video-thumb)', (link) => {
    const image = link.querySelector('.video-thumb img');
    const mark = link.querySelector('.video-mark');
    const picture = image.getBoundingClientRect();
    const sign = mark.getBoundingClientRect();
    return {
      href: link.getAttribute('href'),
      viewer: link.hasAttribute('data-pswp-src'),
      thumbnail: decodeURI(image.currentSrc),
      loaded: image.complete && image.naturalWidth > 0,
      mark: mark.textContent.trim(),
      over: sign.left >= picture.left && sign.right <= picture.right &&
        sign.top >= picture.top && sign.bottom <= picture.bottom,
    };
  });
  assert.match(entry.thumbnail, /\/Thumbs\/TN_Beach day\.mp4\.jpg(\.webp)?$/);
  assert.ok(entry.loaded, 'the poster thumbnail loads');
  assert.equal(entry.mark, '\u25b6\ufe0e 0:03');
  assert.ok(entry.over, 'the mark lies over the thumbnail');
  assert.equal(entry.viewer, false, 'a video is not handed to the photo viewer');

  // A click opens the clip's page rather than the viewer.
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }),
    page.click('a:has(.video-thumb)')]);
  assert.ok(decodeURI(page.url()).endsWith(entry.href), page.url());
  const player = await page.$eval('video', (video) => ({
    linked: video.closest('a') !== null,
    poster: decodeURI(video.poster),
    source: decodeURI(video.currentSrc || video.querySelector('source').src),
    duration: document.querySelector('.video-duration').textContent,
  }));
  assert.equal(player.linked, false, 'a click on the video plays it');
  assert.ok(player.poster.endsWith('/Web/Beach day.mp4.jpg'), player.poster);
  assert.ok(player.source.endsWith('/Web/Beach day.mp4'), player.source);
  assert.equal(player.duration, '0:03');

  // It plays: all of it can be had, and time goes on.
  await page.$eval('video', (video) => {
    video.muted = true;  // a browser plays sound only after the visitor's gesture
    return video.play();
  });
  await page.waitForFunction(() => {
    const video = document.querySelector('video');
    return video.readyState === 4 && video.currentTime > 0.5;
  }, { timeout: 20000 });

  // The arrow keys on the focused video, and a swipe along it on a phone, seek rather than
  // lead to the photo's page beside it.
  const here = decodeURI(page.url());
  const beside = await page.$eval('a[rel~="next"], a[rel~="prev"]',
    (link) => [link.getAttribute('href'), link.rel.includes('next')]);
  const [photoPage, isNext] = beside;
  await page.focus('video');
  await page.keyboard.press(isNext ? 'ArrowRight' : 'ArrowLeft');
  assert.equal(await settledAt(page, photoPage, 1), here, 'an arrow key on the video');
  // The swipe is made of the page's own touch events: chromium's controls, which take the
  // real ones first, leave the page for about:blank in headless mode.
  const phone = await browser.newPage();
  await phone.setViewport(PHONE);
  await phone.goto(server.url + entry.href, { waitUntil: 'load' });
  await phone.$eval('video', (video, towardsNext) => {
    const box = video.getBoundingClientRect();
    const y = box.top + box.height / 2;
    const from = towardsNext ? box.right - 20 : box.left + 20;
    const to = towardsNext ? box.left + 20 : box.right - 20;
    const touch = (x) => new Touch({ identifier: 1, target: video, clientX: x, clientY: y });
    video.dispatchEvent(new TouchEvent('touchstart',
      { bubbles: true, touches: [touch(from)], changedTouches: [touch(from)] }));
    video.dispatchEvent(new TouchEvent('touchend',
      { bubbles: true, touches: [], changedTouches: [touch(to)] }));
  }, isNext);
  assert.equal(await settledAt(phone, photoPage, 1), here, 'a swipe on the video');
  console.log('The clip plays on its page; its entry shows the poster, the mark and the length.');
} finally {
  await browser.close();
  await server.close();
  rmSync(work, { recursive: true, force: true });
}
