// Builds the one self-contained page: web/led2vqn.html with the engine
// (WebAssembly inside), the worker, the zip library and the page's script
// inlined, so that it opens from disk with nothing fetched.
// Usage: node web/bundle.js ENGINE.js OUT.html
"use strict";
const fs = require("fs");
const path = require("path");

const [engineFile, outFile] = process.argv.slice(2);
const here = __dirname;
const read = (file) => fs.readFileSync(file, "utf8");
// Inside <script> the HTML parser only looks for these two.
const inline = (code) => code.replace(/<\/script/gi, "<\\/script").replace(/<!--/g, "<\\!--");

const zipLibrary = path.join(here, "..", "node_modules/fflate/umd/index.js");
const worker = read(engineFile) + "\n" + read(path.join(here, "worker.js"));
const scripts =
  `<script type="text/plain" id="worker-source">${inline(worker)}</script>\n` +
  `<script>${inline(read(zipLibrary))}</script>\n` +
  `<script>${inline(read(path.join(here, "app.js")))}</script>`;
const page = read(path.join(here, "led2vqn.html"));
if (!page.includes("<!--INLINE-->")) throw new Error("web/led2vqn.html has no <!--INLINE--> mark");
fs.writeFileSync(outFile, page.replace("<!--INLINE-->", () => scripts));
console.log(`${outFile}: ${fs.statSync(outFile).size} bytes`);
