// The round's frame that bench/web/frames.mjs recorded from the game, for the
// bench pages: its context attributes (each may be overridden in the page's
// address, ?antialias=0), its textures' pixels, and its quads in the game's
// order, each with its texture, colour and blending.
'use strict';

const kScene = '../../build-web/bench/';
const kFormats = { 0x1908: 4, 0x1907: 3, 0x1909: 1, 0x190a: 2, 0x1906: 1 };
const query = new URLSearchParams(location.search);

// The context attributes the game's canvas has, with the address's changes.
function contextAttributes(scene) {
  const attributes = { ...scene.attributes };
  for (const name of ['alpha', 'antialias', 'depth', 'stencil', 'premultipliedAlpha', 'preserveDrawingBuffer',
    'desynchronized']) {
    if (query.has(name)) attributes[name] = query.get(name) === '1';
  }
  if (query.has('powerPreference')) attributes.powerPreference = query.get('powerPreference');
  delete attributes.xrCompatible;
  return attributes;
}

// { scene, attributes, textures: { id: { width, height, format, pixels } },
// draws: [{ texture, color, blend, depthTest, z, vertices: [x, y, u, v, ...] }] }
async function loadScene() {
  const scene = await (await fetch(kScene + 'scene.json')).json();
  const textures = {};
  for (const t of scene.textures) {
    const pixels = new Uint8Array(await (await fetch(`${kScene}textures/${t.id}.bin`)).arrayBuffer());
    textures[t.id] = { ...t, channels: kFormats[t.format] || 4, pixels };
  }
  const draws = [];
  for (const entry of scene.frame) {
    if (!entry.draw) continue;
    const position = entry.attribs[0];
    const bytes = Uint8Array.from(atob(position.data), (c) => c.charCodeAt(0));
    const data = new Float32Array(bytes.buffer);
    const stride = position.stride / 4;
    const vertices = [];
    for (let v = entry.draw.first; v < entry.draw.first + entry.draw.count; v++) {
      vertices.push(data[v * stride], data[v * stride + 1], data[v * stride + 2], data[v * stride + 3]);
    }
    const m = entry.uniforms.u_worldViewProjMatrix;
    draws.push({
      texture: entry.texture, color: entry.uniforms.u_color, blend: entry.blend,
      depthTest: !!entry.caps[0x0b71], z: m[14], vertices,
    });
  }
  return { scene, attributes: contextAttributes(scene), textures, draws };
}

// Gives the canvas the drawing buffer the game's canvas gets in this window:
// its box times the device pixel ratio, held down to 1024 x 576 pixels.
function sizeCanvas(canvas) {
  const box = canvas.getBoundingClientRect();
  const width = Math.floor(box.width);
  const height = Math.floor(box.height);
  const ratio = Math.min(devicePixelRatio || 1, Math.max(1024 / width, 576 / height) * (1 + 1e-9));
  canvas.width = Math.floor(width * ratio);
  canvas.height = Math.floor(height * ratio);
  return { width: canvas.width, height: canvas.height };
}

// Counts nothing itself: frames.mjs counts the page's animation frames.
function ready() {
  console.log('ready');
}
