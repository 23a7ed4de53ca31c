// Signs in through the backend's login page in headless Chromium, then checks that the
// session poll hands out a token that the API accepts.
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

function get(url, token) {
  const ca = fs.readFileSync(path.join(data, 'tls', 'ca.pem'));
  const headers = token ? { Authorization: `Bearer ${token}` } : {};
  return new Promise((resolve, reject) => {
    https.get(url, { ca, headers }, (res) => {
      let body = '';
      res.on('data', (chunk) => (body += chunk));
      res.on('end', () => resolve({ status: res.statusCode, body }));
    }).on('error', reject);
  });
}

function startServer() {
  return new Promise((resolve) => {
    server = spawn(backend, ['serve', '--listen', '127.0.0.1:0', '--data', data]);
    let out = '';
    server.stdout.on('data', (chunk) => {
      out += chunk;
      const match = out.match(/listening on (https:\/\/127\.0\.0\.1:\d+)/);
      if (match) resolve(match[1]);
    });
    server.on('exit', (code) => code !== 0 && code !== null && fail(`backend exited ${code}`));
  });
}

async function main() {
  if (spawnSync(backend, ['tls', 'init', '--data', data]).status !== 0) fail('tls init');
  const add = spawnSync(backend, ['user', 'add', 'ann@example.org', '--name', 'Ann Lee', '--data', data],
    { input: 'a long password\n' });
  if (add.status !== 0) fail('user add');
  const base = await startServer();

  const session = JSON.parse((await get(`${base}/plugin-auth/session-request/`)).body);
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    userDataDir: fs.mkdtempSync(path.join(os.tmpdir(), 'qv-chromium-')),
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--ignore-certificate-errors'],
  });
  try {
    const page = await browser.newPage();
    const violations = [];
    page.on('console', (m) => m.text().includes('Content Security Policy') && violations.push(m.text()));
    await page.goto(session.login_url);
    await page.type('#email', 'ann@example.org');
    await page.type('#password', 'wrong password');
    await Promise.all([page.waitForNavigation(), page.click('#signin')]);
    const notice = await page.$eval('#notice', (e) => e.textContent);
    if (!notice.includes('Wrong')) fail(`no wrong-password notice: ${notice}`);
    const pending = JSON.parse((await get(`${base}/plugin-auth/session-request/${session.id}`)).body);
    if (pending.access_token !== null) fail('token before sign-in');

    await page.type('#email', 'ann@example.org');
    await page.type('#password', 'a long password');
    await Promise.all([page.waitForNavigation(), page.click('#signin')]);
    const done = await page.$eval('#done', (e) => e.textContent);
    if (!done.includes('Return to the mail window')) fail(`unexpected page: ${done}`);
    const styled = await page.$eval('main', (e) => getComputedStyle(e).backgroundColor);
    if (styled !== 'rgb(255, 255, 255)') fail(`stylesheet not applied: ${styled}`);
    if (violations.length) fail(`policy violations: ${violations.join('; ')}`);
  } finally {
    await browser.close();
  }

  const poll = JSON.parse((await get(`${base}/plugin-auth/session-request/${session.id}`)).body);
  if (typeof poll.access_token !== 'string') fail('no token after sign-in');
  const me = await get(`${base}/api/v1/me`, poll.access_token);
  if (me.status !== 200 || JSON.parse(me.body).name !== 'Ann Lee') fail(`me: ${me.body}`);
  const again = await get(`${base}/plugin-auth/session-request/${session.id}`);
  if (again.status !== 404) fail('token handed out twice');

  server.kill('SIGTERM');
  clearTimeout(deadline);
  fs.rmSync(data, { recursive: true, force: true });
  console.log('PASS: signed in through the login page');
}

main().catch((e) => fail(e.stack || String(e)));
