// Tests of the screenshot reader: every row filter PNG has, in both colour
// types Chromium writes, against pixels known in advance; and the refusals.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import zlib from 'node:zlib';
import { decodePng } from './png_pixels.mjs';

const kWidth = 5;
const kHeight = 4;

// A picture whose neighbouring bytes differ, so that a wrong predictor shows.
function sample(x, y, c) {
  return (x * 53 + y * 97 + c * 31 + x * y * 7) & 0xff;
}

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a);
  const pb = Math.abs(p - b);
  const pc = Math.abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Encodes the sample picture with one filter on every row.
function encode(colour, channels, filter, { depth = 8, interlace = 0 } = {}) {
  const stride = kWidth * channels;
  const raw = [];
  const at = (x, y, c) => (x < 0 || y < 0 ? 0 : sample(x, y, c));
  for (let y = 0; y < kHeight; y++) {
    raw.push(filter);
    for (let i = 0; i < stride; i++) {
      const x = Math.floor(i / channels);
      const c = i % channels;
      const a = at(x - 1, y, c);
      const b = at(x, y - 1, c);
      const d = at(x - 1, y - 1, c);
      const predicted = [0, a, b, (a + b) >> 1, paeth(a, b, d)][filter];
      raw.push((sample(x, y, c) - predicted) & 0xff);
    }
  }
  const chunk = (type, body) => {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(body.length, 0);
    head.write(type, 4, 'latin1');
    // The reader does not check CRCs; zero is as good as any here.
    return Buffer.concat([head, body, Buffer.alloc(4)]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(kWidth, 0);
  header.writeUInt32BE(kHeight, 4);
  header[8] = depth;
  header[9] = colour;
  header[12] = interlace;
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(Buffer.from(raw))),
    chunk('IEND', Buffer.alloc(0)),
  ]);
}

test('every row filter decodes to the same pixels, RGB and RGBA', () => {
  const cases = [];
  for (const [colour, channels] of [[2, 3], [6, 4]]) {
    for (const filter of [0, 1, 2, 3, 4]) cases.push({ colour, channels, filter });
  }
  for (const { colour, channels, filter } of cases) {
    const picture = decodePng(encode(colour, channels, filter));
    assert.deepEqual([picture.width, picture.height], [kWidth, kHeight]);
    for (let y = 0; y < kHeight; y++) {
      for (let x = 0; x < kWidth; x++) {
        const want = [0, 1, 2].map((c) => sample(x, y, c));
        want.push(channels === 4 ? sample(x, y, 3) : 255);
        assert.deepEqual(picture.pixel(x, y), want, `colour ${colour} filter ${filter} at ${x},${y}`);
      }
    }
  }
});

test('pictures the reader cannot read are refused, not misread', () => {
  const cases = [
    ['not a PNG', Buffer.from('GIF89a....'), /not a PNG/],
    ['16-bit', encode(2, 3, 0, { depth: 16 }), /unsupported PNG/],
    ['grey', encode(0, 1, 0), /unsupported PNG/],
    ['interlaced', encode(6, 4, 0, { interlace: 1 }), /unsupported PNG/],
    ['unknown filter', encode(6, 4, 5), /bad PNG filter 5/],
  ];
  for (const [what, bytes, error] of cases) {
    assert.throws(() => decodePng(bytes), error, what);
  }
});
