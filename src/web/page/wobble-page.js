// The page's side of wobble's web platform: the scenes into the in-memory
// file system, the keys, the mouse and the drops handed to the program
// (src/web/WebMain.cpp), the panel's HTML (src/web/HtmlPanel.cpp fills it),
// the fullscreen switch and the screenshots' downloads.
'use strict';

const $ = (id) => document.getElementById(id);
const canvas = $('canvas');
const kCameraModes = ['free', 'behind', 'side', 'front', 'orbit'];
// As HtmlPanel's Slider enum; `log`: dragged on a logarithmic scale.
const kSliders = [
  {name: 'stiffness', digits: 1}, {name: 'mass', digits: 3, log: true},
  {name: 'thrust cap', digits: 0}, {name: 'pump', digits: 1, unit: ' %/frame'},
  {name: 'body step', digits: 3}, {name: 'sub-steps', digits: 0, integer: true},
  {name: 'damping', digits: 4, log: true}, {name: 'water step', digits: 3},
  {name: 'grab', digits: 2},
];
const kPlots = ['speed', 'kinetic energy', 'water height'];
const kHistory = 300;  // five seconds at 60 frames a second

function call(name, types, args) { return Module.ccall(name, null, types, args); }

const wobblePage = {
  buttons: 0,
  moved: 0,
  sliderValues: [],
  dragging: -1,
  histories: kPlots.map(() => []),
  screenshots: [],

  fullscreen: false,  // as the program has it
  setFullscreen(on) {
    this.fullscreen = on;
    if (on && !document.fullscreenElement) $('stage').requestFullscreen().catch(() => this.leftFullscreen());
    if (!on && document.fullscreenElement) document.exitFullscreen().catch(() => {});
  },
  // The browser ended fullscreen (Escape) or refused it: the program is told
  // as T would tell it, so that its next T goes fullscreen again.
  leftFullscreen() {
    if (!this.fullscreen) return;
    this.fullscreen = false;
    for (const down of [1, 0]) call('wobble_key', ['string', 'number', 'number'], ['KeyT', down, 0]);
  },
  showMessage(caption, text) { $('message').textContent = caption + ': ' + text; },
  showPanel(full, compact) {
    $('panel').classList.toggle('hidden', !full);
    $('compact').classList.toggle('hidden', !compact);
  },
  showStatus(text, bar, isError) {
    const box = $('status');
    box.classList.toggle('hidden', text === '' && bar < 0);
    box.classList.toggle('error', !!isError);
    $('statusText').textContent = text;
    $('statusBar').classList.toggle('hidden', bar < 0);
    if (bar >= 0) $('statusBar').value = bar;
  },
  showReadings(r) {
    const f = (x, d) => Number(x).toFixed(d);
    const lines = [
      `${f(r[0], 0)} frames/s, ${f(r[1], 2)} ms a frame`,
      `body step ${f(r[2], 2)} ms, water step ${f(r[3], 2)} ms`,
      `surface ${f(r[4], 2)} ms, drawing ${f(r[5], 2)} ms`,
    ];
    $('compact').textContent = lines.concat([
      `thrust fwd ${f(r[10], 0)} back ${f(r[11], 0)} left ${f(r[12], 0)} right ${f(r[13], 0)}`,
      `camera ${kCameraModes[r[15]] || '?'}  view ${r[16] ? 'surface' : 'wireframe'}`]).join('\n');
    if ($('panel').classList.contains('hidden')) return;
    const bar = (name, v, cap) =>
      `<span class="bar"><span style="width:${cap > 0 ? Math.min(1, v / cap) * 100 : 0}%"></span><b>${name} ${f(v, 0)}</b></span>`;
    const ratio = r[19] > 0 && isFinite(r[19]) ? r[18] / r[19] : 0;
    const hue = Math.max(0, Math.min(120, 120 * (1 - (ratio - 0.5) / 0.45)));
    $('readings').innerHTML = lines.map((l) => `<div class="row">${l}</div>`).join('') +
      `<div class="row">${r[6]} particles, ${r[7]} tetras</div>` +
      `<div class="row">${r[8]} springs, ${r[9]} surface triangles</div>` +
      `<div class="row">${bar('forward', r[10], r[14])} ${bar('backward', r[11], r[14])}</div>` +
      `<div class="row">${bar('left', r[12], r[14])} ${bar('right', r[13], r[14])}</div>` +
      `<div class="row">camera ${kCameraModes[r[15]] || '?'}, view ${r[16] ? 'surface' : 'wireframe'}</div>` +
      `<div class="row"><span class="bar" id="meter"><span style="width:${Math.min(1, ratio) * 100}%;background:hsl(${hue},60%,45%)"></span>` +
      `<b>${f(r[18], 1)} of ~${f(r[19], 1)}</b></span> stiff/mass</div>`;
    $('pause').textContent = r[17] ? 'Resume' : 'Pause';
    $('step').disabled = !r[17];
    $('view').textContent = r[16] ? 'Wireframe' : 'Surface';
    kSliders.forEach((s, i) => {
      const [value, low, high] = [r[20 + 3 * i], r[21 + 3 * i], r[22 + 3 * i]];
      Object.assign(s, {low, high});
      if (this.dragging !== i) s.input.value = toPosition(s, value);
      s.text.textContent = f(value, s.digits) + (s.unit || '');
    });
  },
  takeButtons() { const b = this.buttons; this.buttons = 0; return b; },
  takeMovedSliders() { const m = this.moved; this.moved = 0; return m; },
  sliderValue(i) { return this.sliderValues[i]; },
  addPlotSamples(...samples) {
    samples.forEach((v, i) => {
      const h = this.histories[i];
      h.push(v);
      if (h.length > kHistory) h.shift();
      drawPlot(kPlots[i], h);
    });
  },
};
window.wobblePage = wobblePage;

// Slider positions 0..1000 to values and back, linear or logarithmic.
function toValue(s, p) {
  const t = p / 1000;
  const v = s.log ? s.low * Math.pow(s.high / s.low, t) : s.low + (s.high - s.low) * t;
  return s.integer ? Math.round(v) : v;
}
function toPosition(s, v) {
  if (!(s.high > s.low)) return 0;
  const t = s.log ? Math.log(v / s.low) / Math.log(s.high / s.low) : (v - s.low) / (s.high - s.low);
  return Math.round(Math.max(0, Math.min(1, t)) * 1000);
}

function drawPlot(name, values) {
  const c = document.getElementById('plot-' + name);
  if (!c || $('panel').classList.contains('hidden')) return;
  const g = c.getContext('2d');
  g.clearRect(0, 0, c.width, c.height);
  const low = Math.min(...values), high = Math.max(...values);
  const span = high > low ? high - low : 1;
  g.strokeStyle = '#9cf';
  g.beginPath();
  values.forEach((v, i) => {
    const x = (i / (kHistory - 1)) * c.width, y = c.height - 2 - ((v - low) / span) * (c.height - 4);
    i ? g.lineTo(x, y) : g.moveTo(x, y);
  });
  g.stroke();
  g.fillStyle = '#ddd';
  g.fillText(`${name} ${Number(values[values.length - 1]).toPrecision(4)}`, 4, 12);
}

function buildPanel() {
  [['pause', 1], ['step', 2], ['reset', 4], ['view', 8], ['shot', 16]].forEach(([id, bit]) => {
    $(id).addEventListener('click', () => { wobblePage.buttons |= bit; $(id).blur(); });
  });
  kSliders.forEach((s, i) => {
    const row = document.createElement('div');
    row.className = 'row';
    row.innerHTML = `<label>${s.name}</label><input type="range" min="0" max="1000" data-slider="${i}"><span class="value"></span>`;
    s.input = row.querySelector('input');
    s.text = row.querySelector('.value');
    s.input.addEventListener('input', () => {
      wobblePage.dragging = i;
      wobblePage.sliderValues[i] = toValue(s, Number(s.input.value));
      wobblePage.moved |= 1 << i;
    });
    s.input.addEventListener('change', () => { wobblePage.dragging = -1; s.input.blur(); });
    $('sliders').appendChild(row);
  });
  kPlots.forEach((name) => {
    const c = document.createElement('canvas');
    Object.assign(c, {className: 'plot', width: 310, height: 50, id: 'plot-' + name});
    $('plots').appendChild(c);
  });
}

// Keys: each KeyboardEvent.code goes to the program's key table. Escape is the
// browser's (it ends the pointer lock and fullscreen), not the program's quit.
function onKey(event, down) {
  if (event.target.tagName === 'INPUT' || event.target.tagName === 'SELECT') return;
  if (event.code === 'Escape') return;
  event.preventDefault();
  call('wobble_key', ['string', 'number', 'number'],
       [event.code, down ? 1 : 0, event.getModifierState('NumLock') ? 1 : 0]);
}

// The mouse: its motion turns the camera while the pointer is locked; the
// cursor and the buttons, over the picture, grab and poke. Locked, the
// cursor is where the motion has taken it (the program marks it).
const cursor = {x: 400, y: 300};
function locked() { return document.pointerLockElement === canvas; }
function moveCursor(event) {
  if (locked()) {
    cursor.x = Math.max(0, Math.min(canvas.width - 1, cursor.x + event.movementX));
    cursor.y = Math.max(0, Math.min(canvas.height - 1, cursor.y + event.movementY));
  } else {
    const box = canvas.getBoundingClientRect();
    cursor.x = Math.round((event.clientX - box.left) * canvas.width / box.width);
    cursor.y = Math.round((event.clientY - box.top) * canvas.height / box.height);
  }
  call('wobble_cursor', ['number', 'number'], [cursor.x, cursor.y]);
}

function listen() {
  document.addEventListener('keydown', (e) => onKey(e, true));
  document.addEventListener('keyup', (e) => onKey(e, false));
  document.addEventListener('mousemove', (e) => {
    if (locked()) call('wobble_motion', ['number', 'number'], [e.movementX, e.movementY]);
    if (locked() || e.target === canvas) moveCursor(e);
  });
  canvas.addEventListener('mousedown', (e) => {
    moveCursor(e);
    if (!locked()) canvas.requestPointerLock();
    call('wobble_button', ['number', 'number'], [[0, 2, 1][e.button] ?? 0, 1]);
    e.preventDefault();
  });
  document.addEventListener('mouseup', (e) => {
    call('wobble_button', ['number', 'number'], [[0, 2, 1][e.button] ?? 0, 0]);
  });
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement) wobblePage.leftFullscreen();
  });
  document.addEventListener('pointerlockchange', () => {
    call('wobble_pointer_locked', ['number'], [locked() ? 1 : 0]);
  });
  $('scenes').addEventListener('change', () => {
    call('wobble_drop', ['string'], ['/scenes/' + $('scenes').value]);
    $('scenes').blur();
  });
  // Dropped files go into a folder of their own, which is loaded as a
  // folder dropped on the desktop's window is.
  let drops = 0;
  $('stage').addEventListener('dragover', (e) => e.preventDefault());
  $('stage').addEventListener('drop', async (e) => {
    e.preventDefault();
    const folder = `/dropped-${++drops}`;
    FS.mkdirTree(folder);
    for (const file of e.dataTransfer.files)
      FS.writeFile(`${folder}/${file.name}`, new Uint8Array(await file.arrayBuffer()));
    call('wobble_drop', ['string'], [folder]);
  });
}

// F12 and the panel's button write a PNG into the in-memory file system and
// say so on the console, as on the desktop: the page hands it over.
function print(line) {
  console.log(line);
  const written = /^Screenshot written to (.+)$/.exec(line);
  if (!written) return;
  const blob = new Blob([FS.readFile(written[1])], {type: 'image/png'});
  wobblePage.screenshots.push(blob);
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = written[1].replace(/^.*\//, '');
  link.click();
}

// Every scene's files, as `make web` listed them, before the program starts.
async function loadScenes() {
  const scenes = await (await fetch('scenes/index.json')).json();
  for (const scene of scenes) {
    FS.mkdirTree('/scenes/' + scene.name);
    for (const file of scene.files) {
      const bytes = await (await fetch(`scenes/${scene.name}/${file}`)).arrayBuffer();
      FS.writeFile(`/scenes/${scene.name}/${file}`, new Uint8Array(bytes));
    }
    $('scenes').add(new Option(scene.name, scene.name, false, scene.name === query.get('scene')));
  }
}

// ?scene=NAME&frames=N: start with that scene, stop after frame N.
const query = new URLSearchParams(location.search);
var Module = {
  arguments: ['/scenes/' + (query.get('scene') || 'sample')].concat(
    query.has('frames') ? [query.get('frames')] : []),
  canvas,
  print,
  printErr: (line) => console.warn(line),
  preRun: [() => {
    addRunDependency('scenes');
    loadScenes().then(() => removeRunDependency('scenes'),
                      (e) => wobblePage.showMessage('ERROR', 'the scenes did not load: ' + e));
  }],
  onRuntimeInitialized: () => { buildPanel(); listen(); canvas.focus(); },
};
