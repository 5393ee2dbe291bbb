// Run in the game's page before its own scripts: follows the WebGL state the
// game sets (textures and their pixels, buffers, programs, uniforms, blending,
// depth) and, once window.tideCapture.arm() is called, records every draw of
// the next animation frame that draws, with the state it drew with.
(() => {
  const proto = WebGLRenderingContext.prototype;
  const state = {
    ids: new Map(), nextId: 1, textures: new Map(), buffers: new Map(), programs: new Map(),
    unit: 0, units: [], arrayBuffer: null, elementBuffer: null, program: null, attribs: [],
    caps: {}, blend: [1, 0], depthFunc: 0x201, depthMask: true, clearColor: [0, 0, 0, 0],
    viewport: null, attributes: null,
  };
  const capture = { armed: false, frame: null, done: null, frames: 0 };
  window.tideCapture = {
    arm: () => new Promise((resolve) => { capture.armed = true; capture.done = resolve; }),
    textures: () => [...state.textures.values()].map((t) => ({ ...t, pixels: undefined })),
    pixels: (id) => {
      const t = [...state.textures.values()].find((x) => x.id === id);
      return t && t.pixels ? base64(t.pixels) : null;
    },
  };
  const base64 = (bytes) => {
    let text = '';
    for (let at = 0; at < bytes.length; at += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(at, at + 0x8000));
    }
    return btoa(text);
  };
  const idOf = (object) => {
    if (!object) return 0;
    if (!state.ids.has(object)) state.ids.set(object, state.nextId++);
    return state.ids.get(object);
  };
  const channels = { 0x1908: 4, 0x1907: 3, 0x1909: 1, 0x190a: 2, 0x1906: 1 };
  const wrap = (name, after) => {
    const original = proto[name];
    proto[name] = function (...args) {
      const result = original.apply(this, args);
      after.call(this, args, result);
      return result;
    };
  };
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (...args) {
    const context = getContext.apply(this, args);
    // The page asks a scratch canvas first whether WebGL works at all.
    if (context && /webgl/.test(args[0]) && this.id === 'canvas') state.attributes = context.getContextAttributes();
    return context;
  };
  const record = (entry) => { if (capture.frame) capture.frame.push(entry); };
  wrap('activeTexture', ([unit]) => { state.unit = unit - 0x84c0; });
  wrap('bindTexture', ([, texture]) => { state.units[state.unit] = texture; });
  wrap('texImage2D', (args) => {
    const texture = state.units[state.unit];
    if (!texture || args.length < 9) return;
    const [, level, internal, width, height, , format, type, pixels] = args;
    if (level !== 0) return;
    const bytes = new Uint8Array(width * height * (channels[format] || 4));
    if (pixels) bytes.set(new Uint8Array(pixels.buffer, pixels.byteOffset, bytes.length));
    state.textures.set(texture, { id: idOf(texture), width, height, format, internal, type, pixels: bytes });
  });
  wrap('texSubImage2D', (args) => {
    const t = state.textures.get(state.units[state.unit]);
    if (!t || args.length < 9) return;
    const [, level, x, y, width, height, format, , pixels] = args;
    if (level !== 0 || !pixels) return;
    const n = channels[format] || 4;
    const source = new Uint8Array(pixels.buffer, pixels.byteOffset, width * height * n);
    for (let row = 0; row < height; row++) {
      t.pixels.set(source.subarray(row * width * n, (row + 1) * width * n), ((y + row) * t.width + x) * n);
    }
    if (capture.frame) record({ upload: t.id });
  });
  wrap('bindBuffer', ([target, buffer]) => {
    if (target === 0x8892) state.arrayBuffer = buffer;
    else state.elementBuffer = buffer;
  });
  wrap('bufferData', ([target, data]) => {
    const buffer = target === 0x8892 ? state.arrayBuffer : state.elementBuffer;
    if (!buffer || typeof data === 'number') return;
    const bytes = ArrayBuffer.isView(data) ? new Uint8Array(data.buffer, data.byteOffset, data.byteLength)
      : new Uint8Array(data);
    state.buffers.set(buffer, bytes.slice());
  });
  wrap('vertexAttribPointer', ([index, size, type, normalized, stride, offset]) => {
    state.attribs[index] = { buffer: state.arrayBuffer, size, type, normalized, stride, offset };
  });
  wrap('useProgram', ([program]) => { state.program = program; });
  wrap('getUniformLocation', ([program, name], location) => {
    if (location) { location.tideName = name; location.tideProgram = program; }
  });
  for (const name of ['uniform1i', 'uniform1f', 'uniform2fv', 'uniform3fv', 'uniform4fv', 'uniform4f',
    'uniformMatrix4fv']) {
    wrap(name, (args) => {
      const location = args[0];
      if (!location) return;
      const values = name.startsWith('uniformMatrix') ? Array.from(args[2])
        : (/v$/.test(name) ? Array.from(args[1]) : args.slice(1));
      if (!state.programs.has(state.program)) state.programs.set(state.program, {});
      state.programs.get(state.program)[location.tideName] = values;
    });
  }
  wrap('enable', ([cap]) => { state.caps[cap] = true; });
  wrap('disable', ([cap]) => { state.caps[cap] = false; });
  wrap('blendFunc', ([s, d]) => { state.blend = [s, d]; });
  wrap('depthFunc', ([f]) => { state.depthFunc = f; });
  wrap('depthMask', ([m]) => { state.depthMask = m; });
  wrap('clearColor', (c) => { state.clearColor = c; });
  wrap('viewport', (v) => { state.viewport = v; });
  wrap('clear', ([mask]) => record({ clear: mask, color: state.clearColor, viewport: state.viewport }));
  const draw = (mode, first, count, indexed) => {
    const attribs = {};
    for (const [index, a] of state.attribs.entries()) {
      if (!a) continue;
      const bytes = state.buffers.get(a.buffer);
      attribs[index] = { ...a, buffer: idOf(a.buffer), data: bytes ? base64(bytes) : null };
    }
    record({
      draw: { mode, first, count, indexed }, program: idOf(state.program),
      uniforms: JSON.parse(JSON.stringify(state.programs.get(state.program) || {})),
      texture: idOf(state.units[0]), attribs, blend: state.blend, caps: { ...state.caps },
      depthFunc: state.depthFunc, depthMask: state.depthMask, viewport: state.viewport,
    });
  };
  wrap('drawArrays', ([mode, first, count]) => draw(mode, first, count, false));
  wrap('drawElements', ([mode, count, type, offset]) => draw(mode, offset, count, type));
  const raf = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => raf((time) => {
    if (capture.armed && !capture.frame) capture.frame = [];
    try {
      callback(time);
    } finally {
      const frame = capture.frame;
      if (frame && frame.some((e) => e.draw)) {
        capture.armed = false;
        capture.frame = null;
        capture.done({ frame, attributes: state.attributes, canvas: {
          width: document.getElementById('canvas').width, height: document.getElementById('canvas').height } });
      } else if (frame) {
        capture.frame = [];
      }
    }
  });
})();
