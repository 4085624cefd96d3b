// The page in headless Chromium, opened from disk: what a person does there
// must write the same cards and Readme.txt as `led2vqn run` of the same
// actions, show the same messages, and fetch or send nothing.
"use strict";
const { test } = require("node:test");
const assert = require("node:assert/strict");
const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { chromium } = require("playwright-core");
const { unzipSync } = require("fflate");

const root = path.resolve(__dirname, "../..");
const pageFile = path.join(root, "build-wasm/led2vqn.html");
const native = path.join(root, process.env.LED2VQN_BUILD_DIR || "build", "led2vqn");
const pageFolder = "/files";

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "led2vqn-page-"));
const inputs = path.join(scratch, "inputs");
fs.mkdirSync(inputs);
for (const name of ["Gcode.sdc", "spring.led", "autumn.led"]) {
  fs.copyFileSync(path.join(root, "examples", name), path.join(inputs, name));
}
fs.writeFileSync(path.join(inputs, "broken.led"), Buffer.alloc(700, 0x41));
fs.copyFileSync(path.join(root, "tests/fuzz/corpus/mode_file/five_modes_kwd.vqn"), path.join(inputs, "k.vqn"));

// Runs the script natively in a fresh copy of the inputs; its folder and output.
function runNative(name, lines) {
  const work = path.join(scratch, name);
  fs.cpSync(inputs, work, { recursive: true });
  fs.writeFileSync(path.join(work, "actions.run"), lines.join("\n") + "\n");
  const stdout = execFileSync(native, ["run", "actions.run", "--settings", path.join(work, "Gcode.sdc")],
                              { cwd: work, encoding: "utf8" });
  return { work, messages: stdout.split("\n").filter((line) => line !== "") };
}

// Readme.txt as the golden checker compares it: the folder mapped, line 1
// from its first run of three spaces (it starts with the date and time).
function comparableReadme(bytes, folder) {
  const lines = bytes.toString("latin1").split(folder).join("<WORK>").split("\r\n");
  lines[0] = lines[0].slice(lines[0].indexOf("   "));
  return lines;
}

class PageDriver {
  constructor(page) {
    this.page = page;
    this.messages = [];
    this.seen = 0;
    this.downloads = new Map();
  }
  async idle() {
    await this.page.waitForFunction(() => document.body.dataset.busy === "no");
    await this.readDialogs();
  }
  async readDialogs() {
    while (await this.page.locator("#message[open]").count()) {
      this.messages.push(await this.page.textContent("#message-text"));
      await this.page.click("#message-ok");
    }
  }
  async act(selector, how = "click") {
    if (how === "click") await this.page.click(selector);
    await this.idle();
  }
  async pick(selector, file) {
    await this.page.setInputFiles(selector, path.join(inputs, file));
    await this.idle();
  }
  async type(selector, text) {
    await this.page.fill(selector, text);
    await this.page.press(selector, "Tab");
    await this.idle();
  }
  // Downloads every file offered since the last call.
  async takeDownloads() {
    const links = await this.page.$$eval("#outputs a", (as) => as.map((a) => [a.dataset.serial, a.download]));
    for (const [serial, name] of links) {
      if (Number(serial) <= this.seen) continue;
      const [download] = await Promise.all([this.page.waitForEvent("download"),
                                            this.page.click(`#outputs a[data-serial="${serial}"]`)]);
      this.downloads.set(name, fs.readFileSync(await download.path()));
      this.seen = Math.max(this.seen, Number(serial));
    }
    const names = links.filter(([serial]) => Number(serial) > 0).map(([, name]) => name);
    return names;
  }
}

const kModels = ["z71rgb", "j9", "z58", "z71rgbw", "z94", "z6", "z36"];

test("the page converts like `led2vqn run` and keeps every file on this computer", async () => {
  const browser = await chromium.launch({ executablePath: "/usr/lib/chromium/chromium", headless: true });
  const problems = [];
  try {
    const context = await browser.newContext({ acceptDownloads: true });
    const page = await context.newPage();
    const url = "file://" + pageFile;
    page.on("request", (r) => {
      const u = r.url();
      if (u !== url && !u.startsWith("data:") && !u.startsWith("blob:")) problems.push("request " + u);
    });
    page.on("console", (m) => { if (m.type() === "error") problems.push("console " + m.text()); });
    page.on("pageerror", (e) => problems.push("page error " + e.message));
    const p = new PageDriver(page);
    await page.goto(url);
    await p.idle();
    await p.pick("#settings-file", "Gcode.sdc");

    const script = [];
    const adds = ["broken.led", "spring.led", "autumn.led"];
    for (const name of adds) {
      await p.pick("#add-file", name);
      script.push(`add ${name}`);
    }
    const box = page.locator("input.two-ports:not([disabled])").first();
    if (await box.count()) {
      const row = await box.evaluate((b) => b.closest("tr").dataset.row);
      await box.click();
      await p.idle();
      script.push(`twoports ${row} on`);
    }
    await p.type("#speed", "30");
    await p.type("#brightness", "80");
    // Multi-mode needs every file to hold as many frames as the first.
    await page.click("#grid tbody tr[data-row='2']");
    await p.idle();
    await p.act("#delete");
    await p.act("#multimode");
    await p.act("#add-mode");
    for (const [mode, start, end] of [["1", "1", "12"], ["2", "24", "13"]]) {
      await page.selectOption("#mode-selector", { label: mode });
      await p.idle();
      await p.type("#start", start);
      await p.type("#end", end);
      await p.act("#mode-ok");
    }
    script.push("speed 30", "brightness 80", "select 2", "delete", "multimode on", "modes 2", "mode 1 1 12",
                "mode 2 24 13");

    const firstBatches = new Map();
    for (const model of kModels) {
      if (model === "z36") {
        await p.act("#language-zh");
        script.push("language zh");
        assert.match(await page.textContent("#output-z71rgb"), /输出/);
      }
      await p.act(`#output-${model}`);
      script.push(`output ${model}`);
      for (const name of await p.takeDownloads()) firstBatches.set(name, p.downloads.get(name));
    }
    const first = runNative("first", script);
    for (const [name, bytes] of firstBatches) {
      const expected = fs.readFileSync(path.join(first.work, name));
      if (name === "Readme.txt") {
        assert.deepEqual(comparableReadme(bytes, pageFolder), comparableReadme(expected, first.work), name);
      } else {
        assert.ok(bytes.equals(expected), `${name} differs from the native card`);
      }
    }
    assert.ok([...firstBatches.keys()].filter((n) => n.endsWith(".vqn")).length >= kModels.length,
              [...firstBatches.keys()].join(" ") + " / " + p.messages.join(" / "));

    // Read mode and Save mode on a card with the KWD magic.
    await p.pick("#read-mode-file", "k.vqn");
    await p.act("#save-mode");
    script.push("readmode k.vqn", "savemode");
    const saved = (await p.takeDownloads()).filter((n) => n === "k.vqn");
    assert.equal(saved.length, 1, "Save mode offers the changed card");

    // A cancelled batch leaves nothing behind: the next one equals the replay.
    await p.act("#multimode");
    script.push("multimode off");
    await page.evaluate(() => {
      document.getElementById("output-z6").click();
      document.getElementById("cancel").click();
    });
    await p.idle();
    const cancelNotice = p.messages.pop();
    assert.match(cancelNotice, /cancelled/);
    await p.act("#output-z58");
    script.push("output z58");
    const last = await p.takeDownloads();
    assert.ok(last.some((name) => name.endsWith(".vqn")), "the batch after the cancel writes a card");
    const second = runNative("second", script);
    for (const name of [...last, "k.vqn"]) {
      const bytes = p.downloads.get(name);
      const expected = fs.readFileSync(path.join(second.work, name));
      if (name === "Readme.txt") {
        assert.deepEqual(comparableReadme(bytes, pageFolder), comparableReadme(expected, second.work), name);
      } else {
        assert.ok(bytes.equals(expected), `${name} after the cancel differs from the native card`);
      }
    }
    // The zip holds every file offered, as it was offered.
    const [zip] = await Promise.all([page.waitForEvent("download"), page.click("#zip")]);
    const entries = unzipSync(fs.readFileSync(await zip.path()));
    assert.deepEqual(Object.keys(entries).sort(), [...p.downloads.keys()].sort());
    for (const [name, bytes] of Object.entries(entries)) assert.ok(p.downloads.get(name).equals(bytes), name);
    // The same messages, the refused file's first among them.
    assert.deepEqual(p.messages, second.messages);
    await context.close();
  } finally {
    await browser.close();
    fs.rmSync(scratch, { recursive: true, force: true });
  }
  assert.deepEqual(problems, []);
});
