// The routing grid and switches, kept up to date from the service's events;
// every change is a request to the service, whose answer is shown.
"use strict";

const OUTPUTS = "ABCDEFGH";
const view = {
  link: false,
  linkText: "connecting…",
  power: null,
  beep: null,
  routes: Array(8).fill(null), // per output: input 1-8
  arc: Array(8).fill(null),
  inputNames: Array(8).fill(""),
  outputNames: Array(8).fill(""),
  presets: null, // names, when the service keeps presets
};
let focusAt = { row: 0, col: 0 };
let eventsLive = false;

const $ = (id) => document.getElementById(id);

function say(text, bad) {
  const outcome = $("outcome");
  outcome.textContent = text;
  outcome.className = bad ? "outcome bad" : "outcome";
}

async function call(method, path, body) {
  const init = { method, headers: {} };
  if (body !== undefined) {
    init.headers["Content-Type"] = "application/json";
    init.body = JSON.stringify(body);
  }
  let reply;
  try {
    const response = await fetch(path, init);
    reply = await response.json();
  } catch (e) {
    reply = { ok: false, error: { message: "the service cannot be reached" } };
  }
  return reply;
}

function inputLabel(n) {
  return view.inputNames[n - 1] ? `${n} ${view.inputNames[n - 1]}` : String(n);
}

function outputLabel(o) {
  return view.outputNames[o] ? `${OUTPUTS[o]} ${view.outputNames[o]}` : OUTPUTS[o];
}

function buildGrid() {
  const head = $("grid-head");
  for (let i = 1; i <= 8; i++) {
    const th = document.createElement("th");
    th.scope = "col";
    th.id = `in-${i}`;
    head.appendChild(th);
  }
  const body = $("grid-body");
  for (let o = 0; o < 8; o++) {
    const tr = document.createElement("tr");
    const th = document.createElement("th");
    th.scope = "row";
    th.id = `out-${o}`;
    const name = document.createElement("span");
    name.className = "name";
    const arcLabel = document.createElement("label");
    arcLabel.className = "arc";
    const arc = document.createElement("input");
    arc.type = "checkbox";
    arc.id = `arc-${o}`;
    arc.addEventListener("change", () => setArc(o, arc.checked));
    arcLabel.append(arc, " ARC");
    th.append(name, arcLabel);
    tr.appendChild(th);
    for (let i = 1; i <= 8; i++) {
      const td = document.createElement("td");
      const button = document.createElement("button");
      button.type = "button";
      button.id = `cell-${o}-${i}`;
      button.textContent = String(i);
      button.tabIndex = -1;
      button.setAttribute("aria-labelledby", `out-${o} in-${i}`);
      button.addEventListener("click", () => route(o, i));
      button.addEventListener("keydown", (e) => moveFocus(e, o, i - 1));
      button.addEventListener("focus", () => { focusAt = { row: o, col: i - 1 }; roving(); });
      td.appendChild(button);
      tr.appendChild(td);
    }
    body.appendChild(tr);
  }
  roving();
}

// One tab stop for the whole grid; the arrow keys move within it.
function roving() {
  for (let o = 0; o < 8; o++)
    for (let i = 1; i <= 8; i++)
      $(`cell-${o}-${i}`).tabIndex = o === focusAt.row && i - 1 === focusAt.col ? 0 : -1;
}

function moveFocus(e, row, col) {
  const moves = { ArrowUp: [-1, 0], ArrowDown: [1, 0], ArrowLeft: [0, -1], ArrowRight: [0, 1],
                  Home: [0, -8], End: [0, 8] };
  const move = moves[e.key];
  if (!move) return;
  e.preventDefault();
  focusAt = { row: Math.min(7, Math.max(0, row + move[0])),
              col: Math.min(7, Math.max(0, col + move[1])) };
  roving();
  $(`cell-${focusAt.row}-${focusAt.col + 1}`).focus();
}

function render() {
  const link = $("link");
  link.textContent = view.linkText;
  link.className = view.link ? "link up" : "link down";
  for (let i = 1; i <= 8; i++) $(`in-${i}`).textContent = inputLabel(i);
  for (let o = 0; o < 8; o++) {
    document.querySelector(`#out-${o} .name`).textContent = outputLabel(o);
    const arc = $(`arc-${o}`);
    arc.checked = view.arc[o] === true;
    arc.indeterminate = view.arc[o] === null;
    for (let i = 1; i <= 8; i++) {
      const cell = $(`cell-${o}-${i}`);
      cell.setAttribute("aria-pressed", view.routes[o] === i ? "true" : "false");
      cell.title = `${inputLabel(i)} on ${outputLabel(o)}`;
    }
  }
  $("power").checked = view.power === true;
  $("power").indeterminate = view.power === null;
  $("beep").checked = view.beep === true;
  $("beep").indeterminate = view.beep === null;
  $("beep").disabled = view.power !== true;
  renderPresets();
}

function renderPresets() {
  if (view.presets === null) return;
  $("presets-section").hidden = false;
  const list = $("presets");
  list.replaceChildren();
  for (const { name } of view.presets) {
    const li = document.createElement("li");
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = name;
    button.title = `Apply preset ${name}`;
    button.addEventListener("click", () => applyPreset(name));
    li.appendChild(button);
    list.appendChild(li);
  }
}

function takeMatrix(reply) {
  if (!reply.ok || !reply.outputs) return;
  reply.outputs.forEach((o, n) => { view.routes[n] = o.input; view.arc[n] = o.arc; });
}

// The link as the operator reads it: "connected", "lost: reconnecting in 4 s".
function linkText(link) {
  if (link.state === "lost" && link.retry_in_ms !== undefined)
    return `lost: reconnecting in ${Math.max(1, Math.round(link.retry_in_ms / 1000))} s`;
  if (link.state) return link.state;
  return link.link === "up" ? "connected" : "link down";
}

function takeState(state) {
  if (state.link !== undefined) {
    view.link = state.link === "up" || state.link === true;
    view.linkText = linkText(state);
  }
  if (state.power !== undefined) view.power = state.power;
  if (state.beep !== undefined) view.beep = state.beep;
  if (state.outputs) {
    state.outputs.forEach((o, n) => {
      if (o.input !== undefined) view.routes[n] = o.input;
      if (o.arc !== undefined) view.arc[n] = o.arc;
      if (o.name !== undefined) view.outputNames[n] = o.name || "";
    });
  }
  if (state.inputs) state.inputs.forEach((i, n) => { if (i.name !== undefined) view.inputNames[n] = i.name || ""; });
  if (state.presets) view.presets = state.presets;
}

// Without an event stream the page reads what it shows after each change.
async function reload() {
  const state = await call("GET", "/api/state");
  if (state.ok) {
    takeState(state);
  } else {
    const health = await call("GET", "/api/health");
    view.link = health.link === "up";
    if (view.link) {
      takeMatrix(await call("GET", "/api/matrix"));
      const status = await call("GET", "/api/status");
      if (status.ok) { view.power = status.power; view.beep = status.beep; }
    }
  }
  render();
}

async function change(path, body, done) {
  say("…");
  const reply = await call("POST", path, body);
  say(reply.ok ? done : reply.error.message, !reply.ok);
  if (!eventsLive) await reload();
  return reply;
}

function route(o, i) {
  $(`cell-${o}-${i}`).classList.add("pending");
  change("/api/route", { output: OUTPUTS[o], input: i }, `${inputLabel(i)} on ${outputLabel(o)}`)
    .then(() => $(`cell-${o}-${i}`).classList.remove("pending"));
}

function setArc(o, on) {
  change("/api/arc", { output: OUTPUTS[o], on }, `ARC ${on ? "on" : "off"} on ${outputLabel(o)}`);
}

function applyPreset(name) {
  change("/api/presets/apply", { name }, `preset ${name} applied`);
}

function listen() {
  if (!window.EventSource) return;
  const events = new EventSource("/api/events");
  events.addEventListener("open", () => { eventsLive = true; });
  events.addEventListener("error", () => { eventsLive = false; });
  events.addEventListener("state", (e) => { takeState(JSON.parse(e.data)); render(); });
  // A change of the switcher's state, whoever made it.
  events.addEventListener("change", (e) => {
    const c = JSON.parse(e.data);
    const o = c.output ? OUTPUTS.indexOf(c.output) : -1;
    if (c.what === "route" && o >= 0) view.routes[o] = c.input;
    else if (c.what === "arc" && o >= 0) view.arc[o] = c.on;
    else if (c.what === "power") view.power = c.on;
    else if (c.what === "beep") view.beep = c.on;
    render();
  });
  events.addEventListener("link", (e) => {
    const link = JSON.parse(e.data);
    takeState(link);
    render();
    if (link.state === "connected") reload();
  });
  // A change any client made, as the switcher confirmed it.
  events.addEventListener("command", (e) => {
    const told = JSON.parse(e.data);
    if (told.status !== 200) return;
    const o = told.output ? OUTPUTS.indexOf(told.output) : -1;
    if (told.command === "/api/route") view.routes[o] = told.input;
    else if (told.command === "/api/arc") view.arc[o] = told.on;
    else if (told.command === "/api/power") view.power = told.on;
    else if (told.command === "/api/beep") view.beep = told.on;
    else if (told.command === "/api/matrix") takeMatrix(told.outcome);
    render();
  });
}

function start() {
  buildGrid();
  $("power").addEventListener("change", (e) => {
    const on = e.target.checked;
    if (!on && !confirm("Power the switcher off?")) { e.target.checked = true; return; }
    change("/api/power", { on }, `power ${on ? "on" : "off"}`);
  });
  $("beep").addEventListener("change", (e) =>
    change("/api/beep", { on: e.target.checked }, `beep ${e.target.checked ? "on" : "off"}`));
  $("save-preset").addEventListener("submit", (e) => {
    e.preventDefault();
    const name = $("preset-name").value.trim();
    if (name) change("/api/presets", { name }, `preset ${name} saved`);
  });
  render();
  reload();
  listen();
}

start();
