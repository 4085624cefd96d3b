// The page's worker: one window model (src/web) on an in-memory file system.
// The engine's module code (createEngine) is placed before this file when
// the page is built (web/bundle.js).
//
// Page -> worker: {type: "start", settings}, {type: "file", path, data},
// {type: "apply", line, quiet}, {type: "choose", index}.
// Worker -> page: {type: "ready", filters, view}, {type: "message"|"error", text},
// {type: "progress", position, maximum},
// {type: "done", line, stop, view, outputs: [{name, blob}], settings}.
/* global createEngine */
"use strict";

const kFolder = "/files";
const kSettings = "/settings/Gcode.sdc";
const kChunkBytes = 8 << 20;
const kChunksPerBlob = 8;

let fs = null;
let session = null;
let quiet = false;
let lastModeCard = null;

// A card as it is written: fixed chunks, folded into Blobs as they fill,
// so that a card never sits in one growing buffer.
class CardSink {
  constructor() {
    this.blobs = [];
    this.chunks = [];
    this.chunk = new Uint8Array(kChunkBytes);
    this.fill = 0;
  }
  push(bytes) {
    let at = 0;
    while (at < bytes.length) {
      const n = Math.min(bytes.length - at, kChunkBytes - this.fill);
      this.chunk.set(bytes.subarray(at, at + n), this.fill);
      this.fill += n;
      at += n;
      if (this.fill === kChunkBytes) {
        this.chunks.push(this.chunk);
        this.chunk = new Uint8Array(kChunkBytes);
        this.fill = 0;
        if (this.chunks.length === kChunksPerBlob) {
          this.blobs.push(new Blob(this.chunks));
          this.chunks = [];
        }
      }
    }
  }
  finish() {
    return new Blob([...this.blobs, ...this.chunks, this.chunk.subarray(0, this.fill)]);
  }
}

const isCardTemp = (name) => /\.vqn\.[^./]{6}$/i.test(name);

// Cards are written front to back into a temporary file and renamed: those
// writes go to a CardSink instead of the file's in-memory contents.
function streamCards(FS) {
  // MEMFS copies its stream operations into a table when it makes its first node.
  const ops = FS.filesystems.MEMFS.ops_table.file.stream;
  const write = ops.write;
  const read = ops.read;
  ops.write = function (stream, buffer, offset, length, position, canOwn) {
    const node = stream.node;
    if (!node.card && node.usedBytes === 0 && position === 0 && isCardTemp(node.name)) node.card = new CardSink();
    if (!node.card) return write.call(this, stream, buffer, offset, length, position, canOwn);
    if (position !== node.usedBytes) throw new FS.ErrnoError(29);  // ESPIPE: cards are only appended to
    node.card.push(buffer.subarray(offset, offset + length));
    node.usedBytes += length;
    node.timestamp = Date.now();
    return length;
  };
  ops.read = function (stream, ...rest) {
    if (stream.node.card) throw new FS.ErrnoError(29);
    return read.call(this, stream, ...rest);
  };
}

function post(kind, text, position, maximum) {
  if (kind === "progress") postMessage({ type: kind, position, maximum });
  else if (!quiet) postMessage({ type: kind, text });
}

function readFile(path) {
  try {
    return fs.readFile(path);
  } catch (e) {
    return null;
  }
}

// The cards and Readme.txt the last batch wrote, taken out of the file system.
function takeOutputs() {
  const outputs = [];
  for (const name of fs.readdir(kFolder)) {
    const path = kFolder + "/" + name;
    const node = fs.lookupPath(path).node;
    if (node.card) {
      outputs.push({ name, blob: node.card.finish() });
      fs.unlink(path);
    }
  }
  const readme = readFile(kFolder + "/Readme.txt");
  if (readme) {
    outputs.push({ name: "Readme.txt", blob: new Blob([readme]) });
    fs.unlink(kFolder + "/Readme.txt");
  }
  return outputs;
}

async function start(settings) {
  const engine = await createEngine();
  fs = engine.FS;
  streamCards(fs);
  fs.mkdir(kFolder);
  fs.mkdir("/settings");
  fs.mkdir("/modes");
  if (settings) fs.writeFile(kSettings, settings);
  session = new engine.Session(post, kSettings, kFolder);
  postMessage({ type: "ready", filters: engine.Session.keyFilters(), view: JSON.parse(session.view()) });
}

function apply(line, isQuiet) {
  quiet = isQuiet;
  const verb = line.trim().split(/\s+/)[0];
  if (verb === "readmode") lastModeCard = line.trim().slice(verb.length).trim();
  const stop = session.apply(line);
  quiet = false;
  let outputs = [];
  if (verb === "output") outputs = takeOutputs();
  if (verb === "savemode" && !stop && !isQuiet && lastModeCard) {
    const bytes = readFile(lastModeCard);
    if (bytes) outputs.push({ name: lastModeCard.split("/").pop(), blob: new Blob([bytes]) });
  }
  if (isQuiet) outputs = [];
  const settings = verb === "language" ? readFile(kSettings) : null;
  postMessage({ type: "done", line, quiet: isQuiet, stop, view: JSON.parse(session.view()), outputs, settings });
}

// Messages that come while the engine starts wait for it.
let waiting = null;

onmessage = (event) => {
  const m = event.data;
  if (waiting) {
    waiting.push(m);
  } else if (m.type === "start") {
    waiting = [];
    start(m.settings).then(
      () => {
        const queued = waiting;
        waiting = null;
        for (const q of queued) onmessage({ data: q });
      },
      (e) => postMessage({ type: "error", text: String(e) }));
  } else if (m.type === "file") {
    fs.writeFile(m.path, new Uint8Array(m.data), { canOwn: true });
  } else if (m.type === "apply") {
    apply(m.line, m.quiet);
  } else if (m.type === "choose") {
    session.choose(m.index);
    postMessage({ type: "view", view: JSON.parse(session.view()) });
  }
};
