// The page half of bench/page_bench.sh: node bench/page_bench.js FOLDER NATIVE_SECONDS
"use strict";
const fs = require("fs");
const path = require("path");
const { chromium } = require("playwright-core");

const [folder, nativeSeconds] = process.argv.slice(2);
const root = path.resolve(__dirname, "..");

// Resident memory of the browser's renderer processes (the page and its worker).
function renderers() {
  const out = [];
  for (const pid of fs.readdirSync("/proc").filter((p) => /^\d+$/.test(p))) {
    try {
      const cmd = fs.readFileSync(`/proc/${pid}/cmdline`, "utf8");
      if (!cmd.includes("--type=renderer")) continue;
      const status = fs.readFileSync(`/proc/${pid}/status`, "utf8");
      const kb = (key) => Number((status.match(new RegExp(`${key}:\\s+(\\d+)`)) || [0, 0])[1]);
      out.push({ pid, rss: kb("VmRSS") * 1024, peak: kb("VmHWM") * 1024 });
    } catch (e) {
      // gone
    }
  }
  return out;
}

(async () => {
  const browser = await chromium.launch({ executablePath: "/usr/lib/chromium/chromium", headless: true });
  try {
    const page = await browser.newPage();
    const idle = async () => {
      await page.waitForFunction(() => document.body.dataset.busy === "no", null, { timeout: 0 });
      while (await page.locator("#message[open]").count()) await page.click("#message-ok");
    };
    await page.goto("file://" + path.join(root, "build-wasm/led2vqn.html"));
    await idle();
    await page.setInputFiles("#settings-file", path.join(folder, "Gcode.sdc"));
    await idle();
    const before = renderers();
    const idleRss = Math.max(...before.map((r) => r.rss));
    await page.setInputFiles("#add-file", path.join(folder, "big.led"));
    await idle();
    const t0 = Date.now();
    await page.click("#output-z71rgb");
    await page.waitForSelector("#outputs a[download$='.vqn']", { timeout: 0 });
    const seconds = (Date.now() - t0) / 1000;
    await idle();
    const sizes = await page.evaluate(() => [...document.querySelectorAll("#outputs li")].map((li) => li.textContent));
    const after = renderers();
    const peak = Math.max(...after.map((r) => r.peak));
    const input = fs.statSync(path.join(folder, "big.led")).size;
    const card = Number((sizes.find((s) => s.includes(".vqn")) || "").replace(/.*\(([\d,]+) bytes\).*/, "$1").replace(/,/g, ""));
    const mb = (b) => (b / 1e6).toFixed(0) + " MB";
    console.log(`page: click to download offered: ${seconds.toFixed(2)} s (${(seconds / nativeSeconds).toFixed(2)}x native)`);
    console.log(`renderer: idle ${mb(idleRss)}, peak ${mb(peak)}, peak above idle ${mb(peak - idleRss)}` +
                ` = ${((peak - idleRss) / (input + card)).toFixed(2)}x (inputs + cards = ${mb(input + card)})`);
  } finally {
    await browser.close();
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
