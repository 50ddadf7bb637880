// Reads 8-bit RGB and RGBA PNG files (what Chromium's canvas and the game write) into
// {width, height, rgba}, and compares two pictures the way the render tests do: by the mean
// colour of the cells of a coarse grid, so renderers may differ in single pixels.
import fs from 'node:fs';
import zlib from 'node:zlib';

export function readPng(file) {
  const bytes = fs.readFileSync(file);
  if (bytes.toString('latin1', 1, 4) !== 'PNG') throw new Error(file + ': not a PNG file');
  let at = 8, width = 0, height = 0, channels = 0;
  const data = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const [depth, colour, , , interlace] = body.subarray(8, 13);
      channels = {2: 3, 6: 4}[colour];
      if (depth !== 8 || !channels || interlace) throw new Error(file + ': not an 8-bit RGB(A) PNG');
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const left = x >= channels ? pixels[y * stride + x - channels] : 0;
      const up = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const upLeft = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = left;
      else if (filter === 2) predicted = up;
      else if (filter === 3) predicted = (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - upLeft;
        const [pa, pb, pc] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - upLeft)];
        predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
      }
      pixels[y * stride + x] = (line[x] + predicted) & 255;
    }
  }
  const rgba = Buffer.alloc(width * height * 4, 255);
  for (let i = 0; i < width * height; ++i) pixels.copy(rgba, i * 4, i * channels, i * channels + 3);
  return {width, height, rgba};
}

// Mean red, green, blue of each cell of a columns x rows grid.
export function cellMeans(picture, columns = 16, rows = 12) {
  const cells = [];
  for (let row = 0; row < rows; ++row) {
    for (let column = 0; column < columns; ++column) {
      const x0 = Math.floor(column * picture.width / columns), x1 = Math.floor((column + 1) * picture.width / columns);
      const y0 = Math.floor(row * picture.height / rows), y1 = Math.floor((row + 1) * picture.height / rows);
      const sum = [0, 0, 0];
      for (let y = y0; y < y1; ++y) {
        for (let x = x0; x < x1; ++x) {
          for (let c = 0; c < 3; ++c) sum[c] += picture.rgba[(y * picture.width + x) * 4 + c];
        }
      }
      cells.push(sum.map((s) => s / ((x1 - x0) * (y1 - y0))));
    }
  }
  return cells;
}

// The largest and the mean difference of any channel between the two pictures' cells.
export function cellDifference(a, b) {
  const ca = cellMeans(a), cb = cellMeans(b);
  let largest = 0, total = 0;
  for (let i = 0; i < ca.length; ++i) {
    for (let c = 0; c < 3; ++c) {
      const d = Math.abs(ca[i][c] - cb[i][c]);
      largest = Math.max(largest, d);
      total += d;
    }
  }
  return {largest, mean: total / (ca.length * 3)};
}

export function distinctColours(picture) {
  const seen = new Set();
  for (let i = 0; i < picture.rgba.length; i += 4) seen.add(picture.rgba.readUInt32BE(i));
  return seen.size;
}
