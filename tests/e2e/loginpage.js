#!/usr/bin/env node
// The tour's browser for its first sign-in: at the login page it is given, a wrong password
// for a non-ASCII address must bring a notice, the address kept and the password focused, then
// the right one the done page, which a reload keeps, all without a content security policy
// violation, and its text readable in light and dark. Writes PASS or what went wrong to the file
// QUORVANE_LOGIN_VERDICT names.
'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { launch, submit } = require(path.join(__dirname, '..', '..', 'scripts', 'headless-login'));

// In the page: the luminance of the form's ground, and the contrast of the notice and of the
// explanation on it.
function contrasts() {
  const luminance = (element, property) => {
    const [r, g, b] = getComputedStyle(element)[property].match(/[\d.]+/g).map(Number);
    const linear = (c) => (c /= 255) <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
  };
  const ground = luminance(document.querySelector('main'), 'backgroundColor');
  return [ground, ...['#notice', '#request'].map((selector) => {
    const text = luminance(document.querySelector(selector), 'color');
    return (Math.max(text, ground) + 0.05) / (Math.min(text, ground) + 0.05);
  })];
}

async function main() {
  const email = process.env.QUORVANE_DEMO_EMAIL;
  const browser = await launch();
  try {
    const page = await browser.newPage();
    const violations = [];
    page.on('console', (m) => m.text().includes('Content Security Policy') && violations.push(m.text()));
    // A 400 pixel wide window at 200 % zoom.
    await page.setViewport({ width: 200, height: 600 });
    await page.goto(process.argv[2]);
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth - innerWidth);
    if (overflow > 0) throw new Error(`the page is ${overflow} px wider than the window`);
    // An address the backend accepts must reach it as typed, whatever its letters.
    await submit(page, 'jörg@bücher.example', 'wrong password');
    const notice = await page.$eval('#notice', (e) => e.textContent);
    if (!notice.includes('Wrong')) throw new Error(`no wrong-password notice: ${notice}`);
    const kept = await page.$eval('#email', (e) => `${e.value} ${document.activeElement.id}`);
    if (kept !== 'jörg@bücher.example password') throw new Error(`address or focus lost: ${kept}`);
    for (const scheme of ['light', 'dark']) {
      await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
      const [ground, ...ratios] = await page.evaluate(contrasts);
      if ((ground < 0.5) !== (scheme === 'dark')) throw new Error(`${scheme}: ground ${ground}`);
      if (Math.min(...ratios) < 4.5) throw new Error(`${scheme}: text contrast ${ratios.join(', ')}`);
    }
    await page.$eval('#email', (e) => { e.value = ''; });
    await submit(page, email, process.env.QUORVANE_DEMO_PASSWORD);
    // Reloaded, it must still say so rather than post the used link again.
    for (const step of ['signed in', 'reloaded']) {
      if (step === 'reloaded') await page.reload();
      const done = await page.$eval('#done', (e) => e.textContent).catch(() => 'no #done');
      if (!done.includes('Return to the mail window')) throw new Error(`${step}: ${done}`);
    }
    if (violations.length) throw new Error(`policy violations: ${violations.join('; ')}`);
  } finally {
    await browser.close();
  }
}

const verdict = (text) => fs.writeFileSync(process.env.QUORVANE_LOGIN_VERDICT, `${text}\n`);
main().then(() => verdict('PASS'), (e) => verdict(`FAIL: ${e.message}`));
