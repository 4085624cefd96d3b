// The Node build's file layer past 4 GiB, checked with Node's own file access.
"use strict";
const { test } = require("node:test");
const assert = require("node:assert/strict");
const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");

const program = path.resolve(__dirname, "../../build-wasm/led2vqn_large_offsets.js");

test("a sparse file is written and read at offsets past 4 GiB", () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "led2vqn-offsets-"));
  try {
    execFileSync("node", [program, folder], { stdio: "inherit" });
    const file = path.join(folder, "sparse.bin");
    const far = 2 ** 32 + 4096 + 3;
    assert.equal(fs.statSync(file).size, far + 4);
    const fd = fs.openSync(file, "r");
    const bytes = Buffer.alloc(4);
    fs.readSync(fd, bytes, 0, 4, far);
    const head = Buffer.alloc(2);
    fs.readSync(fd, head, 0, 2, 5);
    fs.closeSync(fd);
    assert.deepEqual([...bytes], [0xa1, 0xb2, 0xc3, 0xd4]);
    assert.deepEqual([...head], [0xa1, 0xb2]);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});
