// Chromium's headless full-page screenshot through the DevTools protocol (playwright-core), with
// Debian's own browser. usage: node chromium-shot.js PLAYWRIGHT_CORE_FOLDER URL OUTPUT.png
const [modulePath, url, output] = process.argv.slice(2);
const { chromium } = require(modulePath);

(async () => {
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    const page = await browser.newPage({ viewport: { width: 1280, height: 800 },
                                         deviceScaleFactor: 1 });
    await page.goto(url, { waitUntil: 'load', timeout: 300000 });
    await page.screenshot({ path: output, fullPage: true, timeout: 300000 });
  } finally {
    await browser.close();
  }
})().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
