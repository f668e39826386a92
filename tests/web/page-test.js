// The page of `make web` in Debian's Chromium, headless, with software WebGL:
// it loads without console errors, Up held moves the body, a left-button drag
// lifts it, Tab shows the panel and a slider changes the stiffness, F12 gives
// a PNG, T goes fullscreen; scenes come from the menu and from dropped files;
// its second frame matches the desktop's within a stated tolerance.
// Every wait polls with a generous deadline. Screenshots go to OUT.
//
//   node page-test.js URL DESKTOP_WOBBLE SAMPLE_SCENE OUT
'use strict';

const fs = require('fs');
const path = require('path');
const {execFileSync} = require('child_process');
const puppeteer = require('puppeteer-core');

const [url, desktop, sample, out] = process.argv.slice(2);
const kDeadline = 60000;
let failures = 0;

function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
}

async function until(page, test, what) {
  try {
    await page.waitForFunction(test, {timeout: kDeadline, polling: 50});
    return true;
  } catch (e) {
    check(false, `waited ${kDeadline / 1000} s for ${what}`);
    return false;
  }
}

const frames = (page) => page.evaluate(() => Module.ccall('wobble_frames', 'number', [], []));
const centre = (page) => page.evaluate(() => [0, 1, 2].map(
  (a) => Module.ccall('wobble_body_centre', 'number', ['number'], [a])));
async function runFrames(page, n) {
  const start = await frames(page);
  await until(page, `Module.ccall('wobble_frames', 'number', [], []) >= ${start + n}`,
              `${n} frames`);
}

// The canvas's pixels as RGB rows, top first.
async function canvasPixels(page) {
  const dataUrl = await page.evaluate(() => document.getElementById('canvas').toDataURL('image/png'));
  const file = path.join(out, 'page-frame.png');
  fs.writeFileSync(file, Buffer.from(dataUrl.split(',')[1], 'base64'));
  return rgbOf(file);
}

// An image's pixels through ImageMagick: WIDTH x HEIGHT x 3 bytes.
function rgbOf(file) {
  return execFileSync('convert', [file, '-depth', '8', 'rgb:-'], {maxBuffer: 1 << 24});
}

(async () => {
  fs.mkdirSync(out, {recursive: true});
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
           '--no-sandbox', '--window-size=1200,720'],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 1200, height: 720});
    const errors = [];
    page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
    page.on('pageerror', (e) => errors.push(String(e)));
    page.on('response', (r) => { if (r.status() >= 400) errors.push(`${r.status()} ${r.url()}`); });

    // The second frame against the desktop's (the first is the clear colour
    // alone in both: the camera has no body frame before the first step).
    // Rasterisers differ along edges: at most 1 % of the pixels may differ by
    // more than 8 in a channel, and the mean difference must stay under 1.
    await page.goto(`${url}?frames=2`);
    await until(page, "typeof Module !== 'undefined' && Module.calledRun && " +
                      "Module.ccall('wobble_frames', 'number', [], []) >= 2", 'the second frame');
    const ours = await canvasPixels(page);
    const desktopShot = path.join(out, 'desktop-frame.png');
    execFileSync(desktop, [sample, '--headless', '--frames', '2', '--screenshot', desktopShot],
                 {stdio: 'ignore'});
    const theirs = rgbOf(desktopShot);
    let far = 0, sum = 0;
    for (let i = 0; i < theirs.length; i += 3) {
      let most = 0;
      for (let c = i; c < i + 3; c++) {
        const d = Math.abs(ours[c] - theirs[c]);
        sum += d;
        most = Math.max(most, d);
      }
      if (most > 8) far++;
    }
    const pixels = theirs.length / 3;
    check(ours.length === theirs.length && far / pixels <= 0.01 && sum / theirs.length < 1,
          `second frame like the desktop's: ${far} of ${pixels} pixels beyond 8 in a channel, ` +
          `mean difference ${(sum / theirs.length).toFixed(3)}`);

    // The page running freely.
    await page.goto(url);
    await until(page, "typeof Module !== 'undefined' && Module.calledRun && " +
                      "Module.ccall('wobble_frames', 'number', [], []) > 30", 'the page to run');
    await page.screenshot({path: path.join(out, 'loaded.png')});
    const t0 = performance.now(), f0 = await frames(page);
    await new Promise((r) => setTimeout(r, 3000));
    const rate = ((await frames(page)) - f0) / ((performance.now() - t0) / 1000);
    console.log(`     ${rate.toFixed(1)} frames a second in headless Chromium (software WebGL)`);

    // Up held moves the body.
    const before = await centre(page);
    await page.keyboard.down('ArrowUp');
    await runFrames(page, 120);
    await page.keyboard.up('ArrowUp');
    const after = await centre(page);
    const moved = Math.hypot(after[0] - before[0], after[2] - before[2]);
    check(moved > 2, `Up held for 120 frames moves the body ${moved.toFixed(2)} units`);
    await page.screenshot({path: path.join(out, 'up.png')});

    // Tab shows the panel; its stiffness slider tunes the body.
    await page.keyboard.press('Tab');
    const shown = await until(page, "!document.getElementById('panel').classList.contains('hidden')",
                              'the panel');
    check(shown, 'Tab shows the panel');
    await runFrames(page, 2);
    const stiffness = () => page.$eval('#sliders .row .value', (e) => e.textContent);
    const was = await stiffness();
    await page.$eval('#sliders input', (e) => {
      e.value = 200;
      e.dispatchEvent(new Event('input'));
    });
    await runFrames(page, 3);
    const now = await stiffness();
    check(now !== was, `the stiffness slider moves the stiffness from ${was} to ${now}`);
    await page.screenshot({path: path.join(out, 'panel.png')});

    // F12: a PNG of the picture.
    await page.keyboard.press('F12');
    if (await until(page, 'wobblePage.screenshots.length > 0', 'the F12 screenshot')) {
      const bytes = await page.evaluate(async () =>
        Array.from(new Uint8Array(await wobblePage.screenshots[0].arrayBuffer())));
      const png = Buffer.from(bytes);
      fs.writeFileSync(path.join(out, 'f12.png'), png);
      const size = execFileSync('identify', ['-format', '%w %h', path.join(out, 'f12.png')]);
      check(png.subarray(1, 4).toString() === 'PNG' && String(size) === '800 600',
            `F12 gives an 800 x 600 PNG (${png.length} bytes)`);
    }
    // T: fullscreen through the Fullscreen API, and back.
    await page.keyboard.press('KeyT');
    const full = await until(page, "document.fullscreenElement !== null", 'fullscreen');
    await page.keyboard.press('KeyT');
    check(full && await until(page, "document.fullscreenElement === null", 'the window again'),
          'T goes fullscreen and back');

    // Scenes: one from the menu; a dropped scene's files; broken files
    // refused with the desktop's message, the running scene staying.
    const particles = () => page.$eval('#readings', (e) => /(\d+) particles/.exec(e.textContent)[1]);
    await page.select('#scenes', 'wuson');
    await until(page, "/ particles/.test(document.getElementById('readings').textContent) && " +
                      "!/^415 particles/m.test(document.getElementById('readings').innerText)",
                'the menu\'s scene');
    const menuScene = await particles();
    check(menuScene !== '415', `the menu loads wuson: ${menuScene} particles`);
    const drop = (files) => page.evaluate(async (files) => {
      const transfer = new DataTransfer();
      for (const [name, from] of files) {
        const body = from.startsWith('scenes/') ? await (await fetch(from)).blob() : from;
        transfer.items.add(new File([body], name));
      }
      document.getElementById('stage').dispatchEvent(
        new DragEvent('drop', {dataTransfer: transfer, bubbles: true, cancelable: true}));
    }, files);
    await drop([['config.txt', 'scenes/sample/config.txt'], ['body.tet', 'scenes/sample/body.tet'],
                ['body.obj', 'scenes/sample/body.obj']]);
    await until(page, "/^415 particles/m.test(document.getElementById('readings').innerText)",
                'the dropped sample');
    check((await particles()) === '415', 'dropped config.txt, .tet and .obj load the sample');
    await drop([['config.txt', 'version 0.1\ntetfile missing.tet\nobjfile missing.obj\n']]);
    await until(page, "document.getElementById('status').classList.contains('error')",
                'the refusal');
    const refusal = await page.$eval('#statusText', (e) => e.textContent.trim());
    await runFrames(page, 10);
    check(refusal !== '' && (await particles()) === '415',
          `a broken drop is refused ("${refusal.split('\n')[0]}") and the scene stays`);
    await page.screenshot({path: path.join(out, 'refused.png')});

    // A left-button drag from the body's middle lifts it.
    await page.goto(url);
    await until(page, "typeof Module !== 'undefined' && Module.calledRun && " +
                      "Module.ccall('wobble_frames', 'number', [], []) > 10", 'a fresh page');
    const box = await (await page.$('#canvas')).boundingBox();
    const rest = (await centre(page))[1];
    await page.mouse.move(box.x + 400, box.y + 300);
    await page.mouse.down();
    for (let step = 1; step <= 30; step++) {
      await page.mouse.move(box.x + 400, box.y + 300 - 4 * step);
      await runFrames(page, 1);
    }
    await runFrames(page, 30);
    const lifted = (await centre(page))[1];
    await page.screenshot({path: path.join(out, 'drag.png')});
    await page.mouse.up();
    check(lifted > rest + 1, `a drag up lifts the body from ${rest.toFixed(2)} to ${lifted.toFixed(2)}`);

    check(errors.length === 0, `no console errors${errors.length ? ': ' + errors.join(' | ') : ''}`);
  } finally {
    await browser.close();
  }
  console.log(failures ? `${failures} failed` : 'all passed');
  process.exit(failures ? 1 : 0);
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
