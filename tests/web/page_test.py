"""The converter page in a real browser: headless Chromium, opened from file:// as a user opens
the page from disk, driven through its controls, its tapes taken by downloading them.

Usage: page_test.py --page PAGE --tapemill PROGRAM --rom-loader PROGRAM --rom ROM --example BMP
PROGRAM is this machine's build of tapemill, whose tapes the page's must equal, and the ROM
loader the suite's tapemill_rom_load, which loads a tape through the Spectrum ROM's loader.
"""

import argparse
import json
import random
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

ARGS = None


def display_offset(y, column):
    """Where the Spectrum's screen memory holds line y, byte column."""
    return 2048 * (y // 64) + 256 * (y % 8) + 32 * ((y // 8) % 8) + column


def ink_pixels(tape):
    """The screen a tape holds, as 192 rows of 256 booleans, True for INK."""
    return [
        [bool(tape[24 + display_offset(y, x // 8)] & (0x80 >> (x % 8))) for x in range(256)]
        for y in range(192)
    ]


def bitmap_file(black):
    """A picture of the shape tapemill reads, from 192 rows of 256 booleans, True for black:
    the 62-byte header (colour 0 black, colour 1 white), then the lines, the bottom one first."""
    header = bytearray(62)
    header[0:2] = b"BM"
    for offset, size, value in [(2, 4, 6206), (10, 4, 62), (14, 4, 40), (18, 4, 256),
                                (22, 4, 192), (26, 2, 1), (28, 2, 1), (34, 4, 6144),
                                (46, 4, 2), (50, 4, 2)]:
        header[offset:offset + size] = value.to_bytes(size, "little")
    header[58:62] = b"\xff\xff\xff\x00"
    pixels = bytearray(6144)
    for y in range(192):
        for x in range(256):
            if not black[y][x]:
                pixels[32 * (191 - y) + x // 8] |= 0x80 >> (x % 8)
    return bytes(header + pixels)


class ConverterPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = Path(tempfile.mkdtemp(prefix="tapemill-page-test-"))
        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
        # Headless, as root in a bare root too, and with none of the browser's own traffic.
        for flag in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--disable-quic", "--no-first-run",
                     "--window-size=1280,1000", f"--user-data-dir={cls.work / 'profile'}"]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
        service = Service(shutil.which("chromedriver") or "/usr/bin/chromedriver",
                          log_output=str(cls.work / "chromedriver.log"))
        cls.browser = webdriver.Chrome(service=service, options=options)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        shutil.rmtree(cls.work, ignore_errors=True)

    # --- Driving the page ---

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(dir=self.work))
        self.browser.get(Path(ARGS.page).resolve().as_uri())
        self.wait_for(lambda: self.element("picture-file").is_enabled(), "the page to start")

    def element(self, element_id):
        return self.browser.find_element(By.ID, element_id)

    def wait_for(self, condition, what, seconds=30):
        deadline = time.monotonic() + seconds
        while not condition():
            if time.monotonic() > deadline:
                self.fail(f"waited {seconds} s for {what}")
            time.sleep(0.02)

    def conversions(self):
        return self.browser.execute_script(
            "return performance.getEntriesByName('tapemill conversion').map(e => e.duration)")

    def act(self, action):
        """Does action on the page and waits for the conversion it starts to be shown."""
        done = len(self.conversions())
        action()
        self.wait_for(lambda: len(self.conversions()) > done, "a conversion")

    def choose(self, path):
        self.act(lambda: self.element("picture-file").send_keys(str(path)))

    def choose_setting(self, value):
        self.act(lambda: self.browser.find_element(
            By.CSS_SELECTOR, f"input[value='{value}']").click())

    def name_screen(self, name):
        """Puts name in the name field at once, as a paste does: one change, one conversion."""
        self.act(lambda: self.browser.execute_script("""
            const field = document.getElementById('screen-name');
            field.value = arguments[0];
            field.dispatchEvent(new Event('input'));""", name))

    def console_lines(self):
        """What the page shows of tapemill's console, one line a line, as a terminal shows it."""
        return self.element("console").get_attribute("textContent") + "\n"

    def offered(self):
        return self.element("download").is_displayed()

    def download(self):
        """The tape the page offers, saved as the browser saves a download, and its file name."""
        folder = Path(tempfile.mkdtemp(dir=self.folder))
        self.browser.execute_cdp_cmd(
            "Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": str(folder)})
        self.element("download").click()

        def saved():
            files = list(folder.iterdir())
            return len(files) == 1 and not files[0].name.endswith(".crdownload")
        self.wait_for(saved, "the download")
        [file] = folder.iterdir()
        return file.read_bytes(), file.name

    def preview_ink(self):
        """The preview's screen area, as 192 rows of 256 booleans, True for black. Read from a
        copy made for reading, which the browser keeps where reading it is cheap."""
        rgba = self.browser.execute_script("""
            const copy = new OffscreenCanvas(256, 192).getContext('2d', {willReadFrequently: true});
            copy.drawImage(document.getElementById('preview'), 32, 32, 256, 192, 0, 0, 256, 192);
            return Array.from(copy.getImageData(0, 0, 256, 192).data);""")
        return [[rgba[4 * (256 * y + x)] == 0 for x in range(256)] for y in range(192)]

    # --- What the page's results must be ---

    def native_run(self, picture, args):
        """Runs this machine's tapemill on picture, named args[0], in a folder of its own;
        returns its standard output and the tape it wrote, or None."""
        folder = Path(tempfile.mkdtemp(dir=self.folder))
        (folder / args[0]).write_bytes(picture)
        run = subprocess.run([ARGS.tapemill, *args], cwd=folder, capture_output=True, check=True)
        tape = folder / args[1]
        return run.stdout.decode(), tape.read_bytes() if tape.exists() else None

    def check_tape(self, tape, name):
        """A whole tape of two blocks with right lengths and checksums, which the ROM's loader
        loads: the header named name, the screen the tape holds."""
        self.assertEqual(len(tape), 6937)
        self.assertEqual(tape[0:4], bytes([0x13, 0x00, 0x00, 0x03]))
        self.assertEqual(tape[4:14], name.encode().ljust(10, b" "))
        self.assertEqual(tape[14:24], bytes([0x00, 0x1B, 0x00, 0x40, 0x00, 0x80]) +
                         tape[20:21] + bytes([0x02, 0x1B, 0xFF]))
        checksum = 0
        for byte in tape[2:20]:
            checksum ^= byte
        self.assertEqual(tape[20], checksum, "header checksum")
        checksum = 0
        for byte in tape[23:6936]:
            checksum ^= byte
        self.assertEqual(tape[6936], checksum, "data checksum")

        tape_file = self.folder / "loaded.tap"
        tape_file.write_bytes(tape)
        loaded = self.folder / "loaded.bin"
        load = subprocess.run([ARGS.rom_loader, ARGS.rom, str(tape_file), str(loaded)],
                              capture_output=True, text=True)
        self.assertEqual(load.returncode, 0, f"the ROM's loader refused it: {load.stderr}")
        self.assertEqual(loaded.read_bytes(), tape[3:20] + tape[24:6936])

    def check_preview(self, tape):
        self.assertEqual(self.preview_ink(), ink_pixels(tape), "the preview is not the tape")

    # --- The cases ---

    def test_example_gives_the_command_lines_tape_and_words(self):
        example = Path(ARGS.example).read_bytes()
        self.choose(ARGS.example)
        tape, name = self.download()
        words, native_tape = self.native_run(example, ["example.bmp", "screen.tap"])
        self.assertEqual(name, "screen.tap")
        self.assertEqual(tape, native_tape)
        self.assertEqual(self.console_lines(), words)
        self.check_preview(tape)
        print(f"\nexample chosen to tape offered: {self.conversions()[-1]:.1f} ms", flush=True)

    def test_black_and_white_png_gives_the_tape_of_its_pixels_at_every_tone_and_fit(self):
        rng = random.Random(5)
        black = [[rng.random() < 0.5 for _ in range(256)] for _ in range(192)]
        bitmap = bitmap_file(black)
        (self.folder / "pixels.bmp").write_bytes(bitmap)
        subprocess.run(["convert", "pixels.bmp", "pixels.png"], cwd=self.folder, check=True)
        _, native_tape = self.native_run(bitmap, ["pixels.bmp", "screen.tap"])

        self.choose(self.folder / "pixels.png")
        for setting in ["threshold", "diffusion", "ordered", "contain", "cover"]:
            with self.subTest(setting=setting):
                if setting != "threshold":
                    self.choose_setting(setting)
                tape, _ = self.download()
                self.assertEqual(tape, native_tape)
                self.check_preview(tape)

    def test_photo_of_another_shape_loads_in_every_fit(self):
        subprocess.run(["convert", "logo:", "-resize", "400x150!", "photo.jpg"], cwd=self.folder,
                       check=True)
        self.choose(self.folder / "photo.jpg")
        tapes = {}
        for fit in ["contain", "cover", "stretch"]:
            with self.subTest(fit=fit):
                self.choose_setting(fit)
                tapes[fit], _ = self.download()
                self.check_tape(tapes[fit], "screen")
                self.check_preview(tapes[fit])
        self.assertEqual(len(set(tapes.values())), 3, "the fits made the same tape")

    def test_screen_names(self):
        example = Path(ARGS.example).read_bytes()
        self.choose(ARGS.example)

        self.name_screen("ABCDEFGHIJK")
        words, no_tape = self.native_run(example, ["example.bmp", "ABCDEFGHIJK.tap", "ABCDEFGHIJK"])
        self.assertIn("ERROR: Name must be 10 characters or less.", words)
        self.assertIsNone(no_tape)
        self.assertEqual(self.console_lines(), words)
        self.assertFalse(self.offered(), "a tape is offered for a name tapemill refused")

        self.name_screen("ABCDEFGHIJ")
        tape, name = self.download()
        _, native_tape = self.native_run(example, ["example.bmp", "x.tap", "ABCDEFGHIJ"])
        self.assertEqual(name, "ABCDEFGHIJ.tap")
        self.assertEqual(tape, native_tape)

    def test_a_file_that_is_no_picture_changes_nothing(self):
        self.choose(ARGS.example)
        tape_before, _ = self.download()
        message = self.element("picture-message")
        for bad, says in [("broken.png", "could not be read as a picture"), ("empty.png", "empty")]:
            with self.subTest(file=bad):
                (self.folder / bad).write_bytes(b"" if bad == "empty.png" else b"not a picture")
                self.element("picture-file").send_keys(str(self.folder / bad))
                self.wait_for(lambda: says in message.text, f"the message on {bad}")
                self.assertTrue(self.offered())
                self.assertEqual(self.download()[0], tape_before)
                self.check_preview(tape_before)

        subprocess.run(["convert", "logo:", "-resize", "256x192!", "next.png"], cwd=self.folder,
                       check=True)
        self.choose(self.folder / "next.png")
        tape_after, _ = self.download()
        self.check_tape(tape_after, "screen")
        self.assertNotEqual(tape_after, tape_before)

    def test_nothing_is_fetched(self):
        self.browser.get_log("performance")  # what earlier cases requested
        self.browser.get(Path(ARGS.page).resolve().as_uri())
        self.wait_for(lambda: self.element("picture-file").is_enabled(), "the page to start")
        self.choose(ARGS.example)
        self.download()
        requested = []
        for entry in self.browser.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] == "Network.requestWillBeSent":
                requested.append(message["params"]["request"]["url"])
        self.assertEqual([url for url in requested if not url.startswith(("file:", "blob:"))], [])
        self.assertIn(Path(ARGS.page).resolve().as_uri(), requested)
        complaints = [entry for entry in self.browser.get_log("browser")
                      if entry["level"] in ("SEVERE", "WARNING")]
        self.assertEqual(complaints, [])


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for option in ["--page", "--tapemill", "--rom-loader", "--rom", "--example"]:
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
