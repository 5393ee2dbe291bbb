// Reads the pixels of a screenshot: 8-bit RGB or RGBA PNG, not interlaced (what
// Chromium writes), into { width, height, pixel(x, y) -> [r, g, b, a] }.
import zlib from 'node:zlib';

const kSignature = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
const kChannels = { 2: 3, 6: 4 };

export function decodePng(buffer) {
  if (!buffer.subarray(0, 8).equals(kSignature)) throw new Error('not a PNG');
  let offset = 8;
  let header = null;
  const data = [];
  while (offset + 8 <= buffer.length) {
    const length = buffer.readUInt32BE(offset);
    const type = buffer.toString('latin1', offset + 4, offset + 8);
    const body = buffer.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      header = {
        width: body.readUInt32BE(0),
        height: body.readUInt32BE(4),
        depth: body[8],
        colour: body[9],
        interlace: body[12],
      };
    } else if (type === 'IDAT') {
      data.push(body);
    } else if (type === 'IEND') {
      break;
    }
    offset += 12 + length;
  }
  if (!header) throw new Error('PNG without IHDR');
  const channels = kChannels[header.colour];
  if (header.depth !== 8 || !channels || header.interlace !== 0) {
    throw new Error(`unsupported PNG: depth ${header.depth}, colour ${header.colour}`);
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = header.width * channels;
  if (raw.length < (stride + 1) * header.height) throw new Error('PNG data too short');
  const pixels = Buffer.alloc(stride * header.height);
  for (let y = 0; y < header.height; y++) {
    unfilterRow(raw, y * (stride + 1), pixels, y * stride, stride, channels, y > 0);
  }
  return {
    width: header.width,
    height: header.height,
    pixel(x, y) {
      const at = y * stride + x * channels;
      return [pixels[at], pixels[at + 1], pixels[at + 2], channels === 4 ? pixels[at + 3] : 255];
    },
  };
}

// Undoes one row's filter in place into out (the previous row is already there).
function unfilterRow(raw, from, out, to, stride, bpp, hasUp) {
  const filter = raw[from];
  for (let i = 0; i < stride; i++) {
    const x = raw[from + 1 + i];
    const a = i >= bpp ? out[to + i - bpp] : 0;
    const b = hasUp ? out[to + i - stride] : 0;
    const c = hasUp && i >= bpp ? out[to + i - stride - bpp] : 0;
    let predicted = 0;
    if (filter === 1) predicted = a;
    else if (filter === 2) predicted = b;
    else if (filter === 3) predicted = (a + b) >> 1;
    else if (filter === 4) predicted = paeth(a, b, c);
    else if (filter !== 0) throw new Error(`bad PNG filter ${filter}`);
    out[to + i] = (x + predicted) & 0xff;
  }
}

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a);
  const pb = Math.abs(p - b);
  const pc = Math.abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}
