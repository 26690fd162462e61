// What the browser tests share: a folder served over HTTP by Python's own server (as a
// web host would serve it, with no character set in its headers) and Debian's chromium,
// headless, driven by puppeteer-core.

import { spawn } from 'node:child_process';
import { once } from 'node:events';
import puppeteer from 'puppeteer-core';

// Serves folder on a free loopback port; resolves to { url, close }. The server's output
// is read to the end: closing the pipe early would break its next write and end it.
export async function serveFolder(folder) {
  const server = spawn('/usr/bin/python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1',
    '--directory', folder, '0'], { stdio: ['ignore', 'pipe', 'ignore'] });
  const port = await new Promise((resolve, reject) => {
    let output = '';
    server.stdout.on('data', (chunk) => {
      output += chunk;
      const found = output.match(/port (\d+)/);
      if (found) {
        resolve(found[1]);
      }
    });
    server.on('exit', () => reject(new Error(`the HTTP server did not start: ${output}`)));
  });
  return {
    url: `http://127.0.0.1:${port}/`,
    close: async () => {
      if (server.exitCode === null && server.signalCode === null) {
        const exited = once(server, 'exit');
        server.kill();
        await exited;
      }
    },
  };
}

// Starts chromium without a display, a network beyond loopback or a profile of its own.
export function launchBrowser() {
  return puppeteer.launch({
    executablePath: process.env.MAVREN_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

// Runs a program to its end; rejects when it fails.
export async function run(program, args) {
  const child = spawn(program, args, { stdio: ['ignore', 'pipe', 'pipe'] });
  let out = '';
  let err = '';
  child.stdout.on('data', (data) => { out += data; });
  child.stderr.on('data', (data) => { err += data; });
  const [status] = await once(child, 'exit');
  if (status !== 0) {
    throw new Error(`${program} ${args.join(' ')} ended with ${status}:\n${err}`);
  }
  return out;
}
