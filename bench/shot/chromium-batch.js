// Chromium's headless full-page screenshots of a list of pages, N pages open at once in one
// browser (playwright-core, Debian's chromium).
// usage: node chromium-batch.js PLAYWRIGHT_CORE_FOLDER N LIST OUTPUT_FOLDER
// LIST holds one "ADDRESS OUTPUT_NAME" a line.
const fs = require('fs');
const path = require('path');
const [modulePath, count, list, folder] = process.argv.slice(2);
const { chromium } = require(modulePath);

(async () => {
  const jobs = fs.readFileSync(list, 'utf8').split('\n').filter((line) => line.trim())
      .map((line) => line.trim().split(/\s+/));
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  let failed = 0;
  try {
    const context = await browser.newContext({ viewport: { width: 1280, height: 800 },
                                               deviceScaleFactor: 1 });
    let next = 0;
    const worker = async () => {
      const page = await context.newPage();
      while (next < jobs.length) {
        const [url, name] = jobs[next++];
        try {
          await page.goto(url, { waitUntil: 'load', timeout: 300000 });
          await page.screenshot({ path: path.join(folder, name), fullPage: true,
                                  timeout: 300000 });
        } catch (error) {
          console.error(url + ': ' + error.message);
          ++failed;
        }
      }
      await page.close();
    };
    await Promise.all(Array.from({ length: Number(count) }, worker));
  } finally {
    await browser.close();
  }
  process.exit(failed ? 1 : 0);
})().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
