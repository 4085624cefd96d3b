// Renders the page (build-wasm/led2vqn.html) with the examples added and
// converted once, in headless Chromium, into docs/page.png.
// Usage: node scripts/page_screenshot.js   (after scripts/wasm.sh page)
"use strict";
const path = require("path");
const { chromium } = require("playwright-core");

const root = path.resolve(__dirname, "..");
const examples = path.join(root, "examples");

(async () => {
  const browser = await chromium.launch({ executablePath: "/usr/lib/chromium/chromium", headless: true });
  try {
    const page = await browser.newPage({ viewport: { width: 1280, height: 720 } });
    const idle = async () => {
      await page.waitForFunction(() => document.body.dataset.busy === "no");
      while (await page.locator("#message[open]").count()) await page.click("#message-ok");
    };
    await page.goto("file://" + path.join(root, "build-wasm/led2vqn.html"));
    await idle();
    await page.setInputFiles("#settings-file", path.join(examples, "Gcode.sdc"));
    await idle();
    await page.setInputFiles("#add-file", [path.join(examples, "spring.led"), path.join(examples, "autumn.led")]);
    await idle();
    await page.click("#output-z71rgb");
    await idle();
    const out = path.join(root, "docs/page.png");
    await page.screenshot({ path: out });
    console.log(out);
  } finally {
    await browser.close();
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
