// Signs in through the backend's login page in headless Chromium, under the page's own
// content security policy, then checks that the session poll hands out a token.
'use strict';

const { spawn, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const https = require('node:https');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const backend = process.argv[2];
const data = fs.mkdtempSync(path.join(os.tmpdir(), 'qv-browser-'));
const deadline = setTimeout(() => fail('timed out'), 60000);
let server;

function fail(message) {
  console.error('FAIL:', message);
  if (server) server.kill('SIGTERM');
  process.exit(1);
}

function get(url) {
  const options = { ca: fs.readFileSync(path.join(data, 'tls', 'ca.pem')) };
  return new Promise((resolve, reject) => {
    https.get(url, options, (res) => {
      let body = '';
      res.on('data', (chunk) => (body += chunk));
      res.on('end', () => resolve({ status: res.statusCode, body }));
    }).on('error', reject);
  });
}

async function main() {
  if (spawnSync(backend, ['tls', 'init', '--data', data]).status !== 0) fail('tls init');
  const add = spawnSync(backend, ['user', 'add', 'ann@example.org', '--name', 'Ann Lee', '--data', data],
    { input: 'a long password\n' });
  if (add.status !== 0) fail('user add');
  server = spawn(backend, ['serve', '--listen', '127.0.0.1:0', '--data', data]);
  server.on('exit', (code) => code !== 0 && code !== null && fail(`backend exited ${code}`));
  const base = await new Promise((resolve) => {
    let out = '';
    server.stdout.on('data', (chunk) => {
      const match = (out += chunk).match(/listening on (https:\/\/127\.0\.0\.1:\d+)/);
      if (match) resolve(match[1]);
    });
  });
  const poll = async (id) => (await get(`${base}/plugin-auth/session-request/${id}`)).body;

  const session = JSON.parse(await poll(''));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    userDataDir: fs.mkdtempSync(path.join(os.tmpdir(), 'qv-chromium-')),
    args: ['--no-sandbox', '--disable-gpu', '--ignore-certificate-errors'],
  });
  try {
    const page = await browser.newPage();
    const violations = [];
    page.on('console', (m) => m.text().includes('Content Security Policy') && violations.push(m.text()));
    const signIn = async (password) => {
      await page.type('#email', 'ann@example.org');
      await page.type('#password', password);
      await Promise.all([page.waitForNavigation(), page.click('#signin')]);
    };
    await page.goto(session.login_url);
    await signIn('wrong password');
    const notice = await page.$eval('#notice', (e) => e.textContent);
    if (!notice.includes('Wrong')) fail(`no wrong-password notice: ${notice}`);

    await signIn('a long password');
    const done = await page.$eval('#done', (e) => e.textContent);
    if (!done.includes('Return to the mail window')) fail(`unexpected page: ${done}`);
    if (violations.length) fail(`policy violations: ${violations.join('; ')}`);
  } finally {
    await browser.close();
  }

  const token = JSON.parse(await poll(session.id)).access_token;
  if (typeof token !== 'string') fail('no token after sign-in');
  server.kill('SIGTERM');
  clearTimeout(deadline);
  fs.rmSync(data, { recursive: true, force: true });
  console.log('PASS: signed in through the login page');
}

main().catch((e) => fail(e.stack || String(e)));
