// The page: a view of the window model that runs in the worker (worker.js).
//
// Every action a person takes becomes one line of the `run` script language
// and is kept in `script`; the files it names are kept in `files`. A cancel
// ends the worker and replays the script, without the cancelled batch, on a
// fresh engine. Files stay on this computer: they go only into the worker.
/* global fflate */
"use strict";

const kFolder = "/files";
const kModeFolder = "/modes";
const kOutputs = [
  ["OUTPUTBT", "z71rgb"], ["OUTPUTBT4", "j9"], ["OUTPUTZ58", "z58"], ["OUTRGBW", "z71rgbw"],
  ["OUTPUTZ94", "z94"], ["OUTPUTZ6", "z6"], ["OUTZ36", "z36"],
];
const kVisibleTwoPortsBoxes = 12;

const $ = (id) => document.getElementById(id);
const state = {
  worker: null,
  view: null,
  filters: null,
  settings: null,       // the settings file's bytes at program start
  script: [],           // the actions of this program run, as script lines
  files: new Map(),     // worker path -> File, for replays
  busy: false,
  pending: [],          // lines waiting for the worker
  outputs: [],          // {name, blob, url, serial}
  offered: 0,
  messages: [],
  onReady: null,
};

// ---- Settings, kept in this browser ----

function openStore() {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open("led2vqn", 1);
    request.onupgradeneeded = () => request.result.createObjectStore("settings");
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

async function storeSettings(bytes) {
  const db = await openStore();
  await new Promise((resolve, reject) => {
    const tx = db.transaction("settings", "readwrite");
    tx.objectStore("settings").put(bytes, "Gcode.sdc");
    tx.oncomplete = resolve;
    tx.onerror = () => reject(tx.error);
  });
  db.close();
}

async function loadSettings() {
  const db = await openStore();
  const bytes = await new Promise((resolve, reject) => {
    const request = db.transaction("settings").objectStore("settings").get("Gcode.sdc");
    request.onsuccess = () => resolve(request.result || null);
    request.onerror = () => reject(request.error);
  });
  db.close();
  return bytes;
}

function showSettingsState() {
  const banner = $("settings-banner");
  banner.classList.toggle("loaded", !!state.settings);
  banner.textContent = state.settings
    ? "Settings file loaded (kept in this browser; pick another above to replace it)."
    : "No settings file loaded: pick Gcode.sdc above (it is kept in this browser).";
}

// ---- The worker ----

function startWorker(replay) {
  if (state.worker) state.worker.terminate();
  const source = $("worker-source").textContent;
  const url = URL.createObjectURL(new Blob([source], { type: "text/javascript" }));
  state.worker = new Worker(url);
  URL.revokeObjectURL(url);
  const worker = state.worker;
  // A cancelled worker's last messages are dropped.
  state.worker.onmessage = (event) => { if (worker === state.worker) received(event.data); };
  state.worker.onerror = (event) => { event.preventDefault(); showMessage(String(event.message)); };
  setBusy(true);
  state.onReady = async () => {
    for (const [path, file] of state.files) await sendFile(path, file);
    for (const line of replay) state.worker.postMessage({ type: "apply", line, quiet: true });
    state.worker.postMessage({ type: "apply", line: "", quiet: true });
  };
  state.worker.postMessage({ type: "start", settings: state.settings });
}

async function sendFile(path, file) {
  const data = await file.arrayBuffer();
  state.worker.postMessage({ type: "file", path, data }, [data]);
}

function received(m) {
  switch (m.type) {
    case "ready":
      state.filters = m.filters;
      render(m.view);
      state.onReady();
      return;
    case "message":
    case "error":
      showMessage(m.text);
      return;
    case "progress":
      $("progress").max = Math.max(m.maximum, 1);
      $("progress").value = m.position;
      return;
    case "view":
      render(m.view);
      return;
    case "done":
      if (m.quiet) {
        if (m.line === "") {
          render(m.view);
          setBusy(state.pending.length > 0);
        }
        return;
      }
      for (const o of m.outputs) offer(o.name, o.blob);
      if (m.settings) storeSettings(m.settings).catch((e) => showMessage(String(e)));
      if (m.stop) showMessage(m.stop);
      render(m.view);
      if (m.line === state.pending[0]) state.pending.shift();
      if (state.pending.length === 0) setBusy(false);
      return;
  }
}

// Sends one action to the worker and records it in the script.
function act(line) {
  state.script.push(line);
  state.pending.push(line);
  setBusy(true);
  state.worker.postMessage({ type: "apply", line, quiet: false });
}

function cancel() {
  // The pending actions are the script's last ones; none of them completed.
  state.script = state.script.slice(0, state.script.length - state.pending.length);
  state.pending = [];
  showMessage("The conversion was cancelled. The engine was restarted and your earlier steps were replayed " +
              "on it, without the cancelled batch.");
  startWorker(state.script);
}

function restart() {
  state.script = [];
  state.files.clear();
  state.pending = [];
  startWorker([]);
}

function setBusy(busy) {
  state.busy = busy;
  const converting = busy && state.pending.some((line) => line.startsWith("output "));
  $("busy").hidden = !converting;
  $("cancel").hidden = !converting;
  document.body.dataset.busy = busy ? "yes" : "no";
  if (state.view) render(state.view);
}

// ---- Messages as dialogs ----

function showMessage(text) {
  state.messages.push(text);
  if (!$("message").open) nextMessage();
}

function nextMessage() {
  const text = state.messages.shift();
  if (text === undefined) return;
  $("message-text").textContent = text;
  $("message").showModal();
}

// ---- Downloads ----

function offer(name, blob) {
  const old = state.outputs.findIndex((o) => o.name === name);
  if (old >= 0) {
    URL.revokeObjectURL(state.outputs[old].url);
    state.outputs.splice(old, 1);
  }
  state.outputs.push({ name, blob, url: URL.createObjectURL(blob), serial: ++state.offered });
  const list = $("outputs");
  list.textContent = "";
  for (const o of state.outputs) {
    const item = document.createElement("li");
    const link = document.createElement("a");
    link.href = o.url;
    link.download = o.name;
    link.dataset.serial = String(o.serial);
    link.textContent = o.name;
    item.append(link, ` (${o.blob.size.toLocaleString()} bytes)`);
    list.append(item);
  }
  $("zip").disabled = false;
}

// All offered files in one zip, stored as they are, streamed part by part.
async function downloadZip() {
  const parts = [];
  let failure = null;
  const zip = new fflate.Zip((error, chunk) => {
    if (error) failure = error;
    else parts.push(chunk);
  });
  for (const o of state.outputs) {
    const entry = new fflate.ZipPassThrough(o.name);
    zip.add(entry);
    const reader = o.blob.stream().getReader();
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      entry.push(value);
    }
    entry.push(new Uint8Array(0), true);
  }
  zip.end();
  if (failure) {
    showMessage(String(failure));
    return;
  }
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob(parts, { type: "application/zip" }));
  link.download = "cards.zip";
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// ---- The view ----

function caption(name) { return state.view.controls[name].caption; }

function setButton(id, name) {
  const c = state.view.controls[name];
  const b = $(id);
  b.textContent = c.caption.trim();
  b.hidden = !c.visible;
  b.disabled = state.busy || !c.clickable;
}

function setField(id, name) {
  const c = state.view.controls[name];
  const f = $(id);
  if (document.activeElement !== f) f.value = c.text;
  f.disabled = state.busy || !c.clickable;
}

function render(view) {
  state.view = view;
  const c = view.controls;
  document.title = c.Form1.caption;
  $("title").textContent = c.Form1.caption;
  $("language-en-caption").textContent = c.RBT1.caption;
  $("language-zh-caption").textContent = c.RBT2.caption;
  $("language-en").checked = c.RBT1.checked;
  $("language-zh").checked = c.RBT2.checked;
  $("language-en").disabled = $("language-zh").disabled = state.busy;
  setButton("add", "ADDBT");
  setButton("delete", "DELBT");
  for (const [name, model] of kOutputs) setButton("output-" + model, name);
  for (const [id, name] of [["speed-label", "SPEEDL"], ["fps-label", "Fs"], ["brightness-label", "BRIGHTL"],
                            ["percent-label", "Label7"], ["mode-group-caption", "GBMOD"], ["multimode-caption", "ChkB2"],
                            ["mode-path", "Pathr"], ["frame-limit", "Alabel"], ["mode-title", "model"],
                            ["mode-count", "LN2"], ["start-label", "Startlabel"], ["to-label", "Label8"],
                            ["end-label", "endlabel"]]) {
    $(id).textContent = c[name].caption;
  }
  setField("speed", "SPEEDN");
  setField("brightness", "BRIGHTN");
  setField("start", "E11");
  setField("end", "E22");
  $("multimode").checked = c.ChkB2.checked;
  $("multimode").disabled = state.busy || !c.ChkB2.clickable;
  for (const [id, name] of [["read-mode", "bread"], ["save-mode", "bsave"], ["remove-mode", "B11"],
                            ["add-mode", "BB11"], ["mode-ok", "BOK"]]) {
    setButton(id, name);
  }
  const selector = $("mode-selector");
  selector.textContent = "";
  c.CB11.items.forEach((item, k) => selector.add(new Option(item, String(k), false, item === c.CB11.text)));
  selector.disabled = state.busy || !c.CB11.clickable;
  renderGrid(view);
}

function renderGrid(view) {
  const head = $("grid").tHead;
  head.textContent = "";
  const hr = head.insertRow();
  for (const text of view.grid[0]) hr.insertCell().outerHTML = "<th></th>";
  [...hr.cells].forEach((cell, k) => { cell.textContent = view.grid[0][k]; });
  hr.insertCell().outerHTML = "<th>2 ports</th>";
  const body = $("grid").tBodies[0];
  body.textContent = "";
  for (let r = 1; r < view.grid.length; ++r) {
    const row = body.insertRow();
    row.dataset.row = String(r);
    if (r === view.selectedRow) row.classList.add("selected");
    for (const text of view.grid[r]) row.insertCell().textContent = text;
    const boxCell = row.insertCell();
    const box = view.controls["CheckBox" + r];
    if (r <= kVisibleTwoPortsBoxes && box && box.visible && view.fileCount > 0) {
      const input = document.createElement("input");
      input.type = "checkbox";
      input.className = "two-ports";
      input.checked = box.checked;
      input.disabled = state.busy || !box.clickable;
      input.title = box.caption;
      input.addEventListener("click", (event) => {
        event.stopPropagation();
        act(`twoports ${r} ${input.checked ? "on" : "off"}`);
      });
      boxCell.append(input);
    }
    row.addEventListener("click", () => { if (!state.busy && view.fileCount > 0) act(`select ${r}`); });
  }
}

// ---- What a person does ----

async function addFiles(fileList) {
  for (const file of fileList) {
    const path = `${kFolder}/${file.name}`;
    state.files.set(path, file);
    await sendFile(path, file);
    act(`add ${path}`);
  }
}

function keyFilter(input, fieldIndex) {
  input.addEventListener("beforeinput", (event) => {
    if (!event.data) return;
    for (const ch of event.data) {
      const code = ch.codePointAt(0);
      if (code >= 128 || state.filters[fieldIndex * 128 + code] !== "1") {
        event.preventDefault();
        return;
      }
    }
  });
}

function wire() {
  for (const [, model] of kOutputs) {
    const b = document.createElement("button");
    b.id = "output-" + model;
    b.addEventListener("click", () => act(`output ${model}`));
    $("output-buttons").append(b);
  }
  $("add").addEventListener("click", () => $("add-file").click());
  $("add-file").addEventListener("change", async (event) => {
    await addFiles([...event.target.files]);
    event.target.value = "";
  });
  const drop = $("drop");
  drop.addEventListener("dragover", (event) => { event.preventDefault(); drop.classList.add("over"); });
  drop.addEventListener("dragleave", () => drop.classList.remove("over"));
  drop.addEventListener("drop", (event) => {
    event.preventDefault();
    drop.classList.remove("over");
    if (!state.busy && state.view.controls.ADDBT.clickable) addFiles([...event.dataTransfer.files]);
  });
  $("delete").addEventListener("click", () => act("delete"));
  $("language-en").addEventListener("change", () => act("language en"));
  $("language-zh").addEventListener("change", () => act("language zh"));
  keyFilter($("speed"), 0);
  keyFilter($("brightness"), 1);
  keyFilter($("start"), 2);
  keyFilter($("end"), 3);
  $("speed").addEventListener("change", (event) => act(`speed ${event.target.value}`));
  $("brightness").addEventListener("change", (event) => act(`brightness ${event.target.value}`));
  $("multimode").addEventListener("change", (event) => act(`multimode ${event.target.checked ? "on" : "off"}`));
  $("add-mode").addEventListener("click", () => act(`modes ${Number(caption("LN2")) + 1}`));
  $("remove-mode").addEventListener("click", () => act(`modes ${Number(caption("LN2")) - 1}`));
  $("mode-selector").addEventListener("change", (event) => {
    state.worker.postMessage({ type: "choose", index: Number(event.target.value) });
  });
  $("mode-ok").addEventListener("click", () => {
    const mode = state.view.controls.CB11.items[Number($("mode-selector").value)];
    act(`mode ${mode} ${$("start").value || "0"} ${$("end").value || "0"}`);
  });
  $("read-mode").addEventListener("click", () => $("read-mode-file").click());
  $("read-mode-file").addEventListener("change", async (event) => {
    const file = event.target.files[0];
    event.target.value = "";
    if (!file) return;
    const path = `${kModeFolder}/${file.name}`;
    state.files.set(path, file);
    await sendFile(path, file);
    act(`readmode ${path}`);
  });
  $("save-mode").addEventListener("click", () => act("savemode"));
  $("cancel").addEventListener("click", cancel);
  $("zip").addEventListener("click", downloadZip);
  $("message").addEventListener("close", nextMessage);
  $("settings-file").addEventListener("change", async (event) => {
    const file = event.target.files[0];
    event.target.value = "";
    if (!file) return;
    state.settings = new Uint8Array(await file.arrayBuffer());
    await storeSettings(state.settings);
    showSettingsState();
    restart();
  });
}

async function main() {
  wire();
  try {
    state.settings = await loadSettings();
  } catch (e) {
    state.settings = null;
  }
  showSettingsState();
  restart();
}

main();
