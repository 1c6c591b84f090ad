// The converter page. The page only prepares the picture: it fits it to 256 x 192 and makes it
// black and white as a BMP of the one shape tapemill reads. The conversion itself is tapemill's
// own main, built as WebAssembly (createTapemill), run on files in memory with the arguments a
// user would type. The preview is drawn back from the tape's bytes.

const page = {
  pictureFile: document.getElementById("picture-file"),
  dropZone: document.getElementById("drop-zone"),
  pictureMessage: document.getElementById("picture-message"),
  shaping: document.getElementById("shaping"),
  shapingNote: document.getElementById("shaping-note"),
  threshold: document.getElementById("threshold"),
  thresholdValue: document.getElementById("threshold-value"),
  invert: document.getElementById("invert"),
  screenName: document.getElementById("screen-name"),
  tapeMessage: document.getElementById("tape-message"),
  download: document.getElementById("download"),
  preview: document.getElementById("preview"),
  console: document.getElementById("console"),
};

// The picture in hand: a decoded image to fit and tone, or a BMP already in tapemill's shape,
// which goes to the program untouched.
let picture = null;
// Each conversion takes a number; only the latest one's result is shown.
let latestConversion = 0;

// --- Reading a picture ---

// True for a file tapemill reads as it is meant: a bottom-up 256 x 192 one-bit BMP whose pixels
// start at offset 62.
function isTapemillBitmap(bytes) {
  if (bytes.length < 6206 || bytes[0] !== 0x42 || bytes[1] !== 0x4d) {
    return false;
  }
  const header = new DataView(bytes.buffer, bytes.byteOffset, 62);
  return (
    header.getUint32(10, true) === 62 &&
    header.getUint32(14, true) === 40 &&
    header.getInt32(18, true) === 256 &&
    header.getInt32(22, true) === 192 &&
    header.getUint16(26, true) === 1 &&
    header.getUint16(28, true) === 1 &&
    header.getUint32(30, true) === 0
  );
}

// The picture named file, or a message saying why there is none; the picture in hand stays.
async function readPicture(file) {
  if (file.size === 0) {
    return { problem: `${file.name} is empty: there is no picture in it.` };
  }
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (isTapemillBitmap(bytes)) {
    return { name: file.name, bitmap: bytes };
  }
  try {
    return { name: file.name, image: await createImageBitmap(file) };
  } catch {
    const problem = `${file.name} could not be read as a picture.`;
    return { problem: `${problem} Try a PNG, JPEG, GIF, BMP or WebP file.` };
  }
}

// --- Making the BMP tapemill reads ---

// The picture fitted to 256 x 192 on white paper, as grey levels from 0 (black) to 255.
function fittedGreys(image, fit) {
  const canvas = new OffscreenCanvas(256, 192);
  const context = canvas.getContext("2d", { willReadFrequently: true });
  context.fillStyle = "#fff";
  context.fillRect(0, 0, 256, 192);
  const scales = [256 / image.width, 192 / image.height];
  const scale = fit === "contain" ? Math.min(...scales) : Math.max(...scales);
  const [width, height] =
    fit === "stretch" ? [256, 192] : [image.width * scale, image.height * scale];
  context.imageSmoothingQuality = "high";
  context.drawImage(image, (256 - width) / 2, (192 - height) / 2, width, height);

  const rgba = context.getImageData(0, 0, 256, 192).data;
  const greys = new Float32Array(256 * 192);
  for (let i = 0; i < greys.length; i++) {
    greys[i] = 0.299 * rgba[4 * i] + 0.587 * rgba[4 * i + 1] + 0.114 * rgba[4 * i + 2];
  }
  return greys;
}

// The 8 x 8 Bayer matrix: the order in which ordered dithering darkens a cell's pixels.
const bayer = [
  0, 32, 8, 40, 2, 34, 10, 42, 48, 16, 56, 24, 50, 18, 58, 26, 12, 44, 4, 36, 14, 46, 6, 38, 60,
  28, 52, 20, 62, 30, 54, 22, 3, 35, 11, 43, 1, 33, 9, 41, 51, 19, 59, 27, 49, 17, 57, 25, 15, 47,
  7, 39, 13, 45, 5, 37, 63, 31, 55, 23, 61, 29, 53, 21,
];

// Which pixels are black, by the tone method: a plain threshold; error diffusion (Floyd and
// Steinberg), which carries each pixel's error on to its neighbours; or ordered dithering,
// which moves the threshold around the threshold chosen by the Bayer matrix.
function blackPixels(greys, tone, threshold) {
  const black = new Uint8Array(greys.length);
  const levels = Float32Array.from(greys);
  for (let y = 0; y < 192; y++) {
    for (let x = 0; x < 256; x++) {
      const i = 256 * y + x;
      let cut = threshold;
      if (tone === "ordered") {
        cut = threshold + ((bayer[8 * (y % 8) + (x % 8)] + 0.5) / 64 - 0.5) * 255;
      }
      black[i] = levels[i] < cut ? 1 : 0;
      if (tone === "diffusion") {
        const error = levels[i] - (black[i] ? 0 : 255);
        if (x < 255) levels[i + 1] += (error * 7) / 16;
        if (y < 191) {
          if (x > 0) levels[i + 255] += (error * 3) / 16;
          levels[i + 256] += (error * 5) / 16;
          if (x < 255) levels[i + 257] += error / 16;
        }
      }
    }
  }
  return black;
}

// A BMP of the one shape tapemill reads: 62 bytes of headers (colour 0 black, colour 1 white),
// then 192 lines of 32 bytes, the bottom line first, a set bit for a white pixel.
function tapemillBitmap(black) {
  const bytes = new Uint8Array(6206);
  const header = new DataView(bytes.buffer);
  bytes.set([0x42, 0x4d]);
  header.setUint32(2, 6206, true);
  header.setUint32(10, 62, true);
  header.setUint32(14, 40, true);
  header.setInt32(18, 256, true);
  header.setInt32(22, 192, true);
  header.setUint16(26, 1, true);
  header.setUint16(28, 1, true);
  header.setUint32(34, 6144, true);
  header.setInt32(38, 2835, true);
  header.setInt32(42, 2835, true);
  header.setUint32(46, 2, true);
  header.setUint32(50, 2, true);
  bytes.set([0xff, 0xff, 0xff, 0x00], 58);
  for (let y = 0; y < 192; y++) {
    for (let x = 0; x < 256; x++) {
      if (!black[256 * y + x]) {
        bytes[62 + 32 * (191 - y) + (x >> 3)] |= 0x80 >> (x & 7);
      }
    }
  }
  return bytes;
}

function chosen(name) {
  return document.querySelector(`input[name="${name}"]:checked`).value;
}

// The picture as tapemill takes it, with the settings on the page.
function bitmapOfPicture() {
  if (picture.bitmap) {
    return picture.bitmap;
  }
  const threshold = Number(page.threshold.value);
  const black = blackPixels(fittedGreys(picture.image, chosen("fit")), chosen("tone"), threshold);
  if (page.invert.checked) {
    black.forEach((bit, i) => (black[i] = 1 - bit));
  }
  return tapemillBitmap(black);
}

// --- Running tapemill ---

// A name the browser may give a file: the characters file systems refuse become "_".
function fileName(name) {
  return name.replace(/[\/\\:*?"<>|\u0000-\u001f]/g, "_");
}

// Runs tapemill's main as `tapemill PICTURE TAPE [NAME]` on files in memory, in a fresh instance
// of its compiled WebAssembly, as each command runs in a fresh process; every line it prints
// goes to printLine as it comes. Resolves to its exit status and the tape it wrote, if any.
async function runTapemill(tapemillModule, bitmap, pictureName, tapeName, screenName, printLine) {
  const program = await createTapemill({
    print: printLine,
    printErr: printLine,
    instantiateWasm(imports, receiveInstance) {
      const instance = new WebAssembly.Instance(tapemillModule, imports);
      receiveInstance(instance, tapemillModule);
      return instance.exports;
    },
  });
  program.FS.writeFile(pictureName, bitmap);
  const args = [pictureName, tapeName];
  if (screenName !== "") {
    args.push(screenName);
  }
  const status = program.callMain(args);
  const tape = program.FS.analyzePath(tapeName).exists ? program.FS.readFile(tapeName) : null;
  return { status, tape };
}

// --- Showing the result ---

// The Spectrum's eight colours, normal then bright, as the canvas's 32-bit pixels (red in the
// lowest byte, as the bytes of an ImageData lie in memory).
const colours = [
  0x000000, 0xd70000, 0x0000d7, 0xd700d7, 0x00d700, 0xd7d700, 0x00d7d7, 0xd7d7d7,
  0x000000, 0xff0000, 0x0000ff, 0xff00ff, 0x00ff00, 0xffff00, 0x00ffff, 0xffffff,
].map((bgr) => (0xff000000 | bgr) >>> 0);
const border = 32;

// Draws the screen a tape holds as the Spectrum shows it: its display file (from tape offset 24,
// in the Spectrum's screen memory order) in the colours of its attributes (from offset 6168),
// inside a white border. With no tape, the border and blank paper.
function drawScreen(tape) {
  const context = page.preview.getContext("2d");
  const image = context.createImageData(256 + 2 * border, 192 + 2 * border);
  const pixels = new Uint32Array(image.data.buffer);
  pixels.fill(colours[7]);
  if (tape) {
    for (let y = 0; y < 192; y++) {
      for (let x = 0; x < 256; x++) {
        const offset = 2048 * (y >> 6) + 256 * (y & 7) + 32 * ((y >> 3) & 7) + (x >> 3);
        const ink = tape[24 + offset] & (0x80 >> (x & 7));
        const attribute = tape[6168 + 32 * (y >> 3) + (x >> 3)];
        const bright = attribute & 0x40 ? 8 : 0;
        const colour = ink ? attribute & 7 : (attribute >> 3) & 7;
        pixels[(border + y) * image.width + border + x] = colours[bright + colour];
      }
    }
  }
  context.putImageData(image, 0, 0);
}

// Shows the preview at the largest whole number of screen pixels to each Spectrum pixel that
// fits, so that every pixel stays sharp, on a phone's dense screen too. Only where not even one
// fits does the browser shrink it.
function scalePreview() {
  const style = getComputedStyle(page.preview.parentElement);
  const room = page.preview.parentElement.clientWidth - parseFloat(style.paddingLeft) * 2;
  const scale = Math.max(1, Math.floor((room * devicePixelRatio) / page.preview.width));
  page.preview.style.width = `${(page.preview.width * scale) / devicePixelRatio}px`;
}

function offerTape(tape, tapeName) {
  URL.revokeObjectURL(page.download.href);
  if (!tape) {
    page.download.hidden = true;
    page.download.removeAttribute("href");
    return;
  }
  page.download.href = URL.createObjectURL(new Blob([tape], { type: "application/octet-stream" }));
  page.download.download = tapeName;
  page.download.textContent = `Download ${tapeName}`;
  page.download.hidden = false;
}

function say(element, text, problem = false) {
  element.textContent = text;
  element.classList.toggle("problem", problem);
}

// --- The conversion, after every change ---

// Converts the picture in hand with the settings on the page, and shows the result. The time
// from started (when the user acted) until the tape is offered is measured as "tapemill
// conversion", for the browser's performance tools.
async function convert(started = performance.now()) {
  if (!picture) {
    return;
  }
  const conversion = ++latestConversion;
  const screenName = page.screenName.value;
  const tapeName = `${fileName(screenName.trim()) || "screen"}.tap`;
  const pictureName = picture.bitmap
    ? fileName(picture.name)
    : `${fileName(picture.name).replace(/\.[^.]*$/, "")}.bmp`;

  const lines = [];
  const showLine = (line) => {
    lines.push(line);
    if (conversion === latestConversion) {
      page.console.textContent = lines.join("\n");
    }
  };
  const bitmap = bitmapOfPicture();
  const result = await runTapemill(tapemill, bitmap, pictureName, tapeName, screenName, showLine);
  if (conversion !== latestConversion) {
    return;
  }

  page.console.textContent = lines.join("\n");
  const tape = result.status === 0 ? result.tape : null;
  drawScreen(tape);
  offerTape(tape, tapeName);
  if (tape) {
    say(page.tapeMessage, `${tapeName} is ready: ${tape.length} bytes.`);
  } else {
    say(page.tapeMessage, "No tape this time: tapemill says why below.", true);
  }
  performance.measure("tapemill conversion", { start: started });
}

async function takePicture(file) {
  if (!file) {
    return;
  }
  const started = performance.now();
  const taken = await readPicture(file);
  if (taken.problem) {
    say(page.pictureMessage, taken.problem, true);
    return;
  }
  picture = taken;
  page.shaping.disabled = Boolean(picture.bitmap);
  if (picture.bitmap) {
    say(page.pictureMessage, `${picture.name}: a 256 × 192 one-bit BMP, taken exactly as it is.`);
    page.shapingNote.textContent =
      "This BMP already has tapemill's own shape, so it goes to tapemill untouched.";
  } else {
    const { width, height } = picture.image;
    say(page.pictureMessage, `${picture.name}: ${width} × ${height} pixels.`);
    page.shapingNote.textContent = "";
  }
  await convert(started);
}

// --- Starting up ---

drawScreen(null);
scalePreview();
window.addEventListener("resize", scalePreview);

// tapemill's WebAssembly, which the page holds as hexadecimal digits, compiled once. The browser
// makes code fast as it first runs it: a first conversion, of a blank picture, while the page
// starts spares the user's first picture that wait.
async function compileTapemill() {
  const digits = document.getElementById("tapemill-wasm").textContent.trim();
  const bytes = Uint8Array.from({ length: digits.length / 2 }, (_, i) =>
    parseInt(digits.substr(2 * i, 2), 16),
  );
  const tapemillModule = await WebAssembly.compile(bytes);
  const blank = tapemillBitmap(new Uint8Array(256 * 192));
  await runTapemill(tapemillModule, blank, "blank.bmp", "blank.tap", "", () => {});
  return tapemillModule;
}

const tapemill = await compileTapemill().catch((error) => {
  say(page.pictureMessage, `This browser cannot run tapemill: ${error.message}`, true);
  throw error;
});

page.pictureFile.addEventListener("change", () => takePicture(page.pictureFile.files[0]));
// A picture dropped anywhere on the page is taken, rather than opened by the browser in its
// place, which would lose the page.
document.addEventListener("dragover", (event) => {
  event.preventDefault();
  page.dropZone.classList.add("dragging");
});
document.addEventListener("dragleave", () => page.dropZone.classList.remove("dragging"));
document.addEventListener("drop", (event) => {
  event.preventDefault();
  page.dropZone.classList.remove("dragging");
  takePicture(event.dataTransfer.files[0]);
});
page.threshold.addEventListener("input", () => {
  page.thresholdValue.value = page.threshold.value;
  convert();
});
page.shaping.addEventListener("change", () => convert());
page.screenName.addEventListener("input", () => convert());

page.pictureFile.disabled = false;
