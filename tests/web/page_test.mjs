// The web page as a user meets it, in the system's Chromium with the
// network off: opened from disk, its design (controls, texts, places, tab
// order), both actions with the design's worked examples, a failure and the
// selection it leaves, and every input of the conversion tables, which must
// give what the window gives.
//   node page_test.mjs PAGE CASES.json
import { readFileSync, mkdtempSync, rmSync, statSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const [page, casesFile] = process.argv.slice(2);
const cases = JSON.parse(readFileSync(casesFile, "utf8"));
let passed = 0;
let failed = 0;

function check(name, ok, detail) {
  if (ok) {
    passed += 1;
  } else {
    failed += 1;
    console.log(`FAILED ${name}${detail === undefined ? "" : ": " + detail}`);
  }
}

function same(name, actual, expected) {
  const a = JSON.stringify(actual);
  const e = JSON.stringify(expected);
  check(name, a === e, `${a}, expected ${e}`);
}

const profile = mkdtempSync(join(tmpdir(), "pellamar-chromium-"));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
  userDataDir: profile,
  args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
});
try {
  const tab = await browser.newPage();
  await tab.setOfflineMode(true);
  const address = pathToFileURL(page).href;
  const requests = [];
  tab.on("request", (request) => requests.push(request.url()));
  const opened = Date.now();
  await tab.goto(address);
  await tab.waitForFunction(() => document.documentElement.dataset.ready !== undefined);
  const ready = Date.now() - opened;
  console.log(`page: ${statSync(page).size} bytes, ready for input ${ready} ms after opening`);
  // The WebAssembly is in the page, as a data: address that leaves nothing.
  same("no request beyond the page itself", requests.filter((url) => !url.startsWith("data:")),
       [address]);

  // The design: title, texts, places in pixels (twips / 15), focus order.
  const design = await tab.evaluate(() => {
    const controls = ["Label1", "ObjectID", "ToVisible", "Label2", "Binary", "Label3", "VisibleID",
                      "Label4", "BackID", "ToID", "Label5", "Line1", "Line2"];
    const origin = document.getElementById("MainWindow").getBoundingClientRect();
    const window = document.getElementById("MainWindow");
    const result = { title: document.title, focus: document.activeElement.id,
                     size: [window.clientWidth, window.clientHeight] };
    for (const id of controls) {
      const element = document.getElementById(id);
      const box = element.getBoundingClientRect();
      result[id] = { text: element.tagName === "INPUT" ? element.value : element.textContent,
                     box: [box.left - origin.left - 1, box.top - origin.top - 1, box.width, box.height],
                     fits: element.scrollWidth <= element.clientWidth &&
                           element.scrollHeight <= element.clientHeight };
    }
    return result;
  });
  same("title", design.title, "Pellamar");
  same("client area", design.size, [367, 200]);
  same("focus starts in ObjectID", design.focus, "ObjectID");
  const table = {
    Label1: [[32, 16, 305, 25], "{joint-iso-ccitt(2) country(16) US(840) organization(1)}"],
    ObjectID: [[120, 48, 177, 25], "2.16.840.1"],
    ToVisible: [[304, 48, 57, 25], "ToVisible"],
    Label2: [[8, 56, 105, 17], "Object Identifier"],
    Binary: [[120, 88, 177, 27], "...."],
    Label3: [[8, 96, 105, 17], "Binary representation"],
    VisibleID: [[120, 128, 177, 25], "...."],
    Label4: [[8, 136, 105, 17], "Base64 visible string"],
    BackID: [[120, 168, 177, 25], "...."],
    ToID: [[304, 168, 57, 25], "ToID"],
    Label5: [[8, 176, 105, 17], "Object ID rebuilt"],
    Line1: [[8, 79, 352, 3], ""],
    Line2: [[8, 159, 352, 3], ""],
  };
  for (const [id, [box, text]] of Object.entries(table)) {
    same(`${id} place`, design[id].box, box);
    same(`${id} text`, design[id].text, text);
    if (id.startsWith("Label") || id.startsWith("To")) {
      check(`${id} is readable in full`, design[id].fits);
    }
  }
  // From ObjectID, where the page starts, Tab goes through the controls in
  // the design's order (and then on to the browser), Shift+Tab back.
  const order = [];
  for (const key of ["Tab", "Tab", "Tab", "Tab", "Tab", "Shift+Tab", "Shift+Tab", "Shift+Tab",
                     "Shift+Tab", "Shift+Tab"]) {
    await (key === "Tab" ? tab.keyboard.press("Tab") : (async () => {
      await tab.keyboard.down("Shift");
      await tab.keyboard.press("Tab");
      await tab.keyboard.up("Shift");
    })());
    order.push(await tab.evaluate(() => document.activeElement.id));
  }
  same("tab order", order, ["VisibleID", "ToVisible", "ToID", "BackID", "Binary",
                            "BackID", "ToID", "ToVisible", "VisibleID", "ObjectID"]);

  const fields = () => tab.evaluate(() => Object.fromEntries(
      ["ObjectID", "Binary", "VisibleID", "BackID"].map((id) => [id, document.getElementById(id).value])));
  const set = (id, text) => tab.evaluate((id, text) => { document.getElementById(id).value = text; }, id, text);
  const click = async (id) => {
    await tab.click(`#${id}`);
    await tab.evaluate(() => new Promise((done) => setTimeout(done, 0)));
  };
  // The failure box: its message, and what closing it leaves selected.
  const failure = () => tab.evaluate(() => {
    const box = document.getElementById("Failure");
    return box.open ? box.querySelector("p").textContent : null;
  });

  // The design's worked examples, with the keyboard alone: the start of
  // each result shows.
  for (const [identifier, binary, visible] of [
    ["2.16.840.1", "60 86 48 01 ", "YIZIAQ=="],
    ["1.2.840.113549", "2A 86 48 86 F7 0D ", "KoZIhvcN"],
    ["0.9.2342.19200300.100.1.1", "09 92 26 89 93 F2 2C 64 01 01 ", "CZImiZPyLGQBAQ=="],
  ]) {
    await set("ObjectID", identifier);
    await tab.focus("#ToVisible");
    await tab.keyboard.press("Enter");
    await tab.focus("#ToID");
    await tab.keyboard.press("Space");
    await tab.evaluate(() => new Promise((done) => setTimeout(done, 0)));
    same(`${identifier} both ways`, await fields(),
         { ObjectID: identifier, Binary: binary, VisibleID: visible, BackID: identifier });
    same(`${identifier} shows the start of each result`,
         await tab.evaluate(() => ["Binary", "VisibleID", "BackID"].map(
             (id) => document.getElementById(id).selectionStart)), [0, 0, 0]);
  }

  // Closing the message box puts the user back in the field once the box
  // has told the page it closed.
  const closeFailure = async () => {
    await tab.keyboard.press("Escape");
    await tab.waitForFunction(() => !document.getElementById("Failure").open);
    await tab.evaluate(() => new Promise((done) => setTimeout(done, 0)));
  };

  // A failure: the message in the page, the fields kept, and the user back
  // on the offending character (here after a character of two UTF-16 units).
  for (const [id, button, input, message, selected, start] of [
    ["VisibleID", "ToID", "KoZIhvcN YQ", "The character \" \" at position 9 is not a Base64 character.", " ", 8],
    ["ObjectID", "ToVisible", "1.2.\u{1F600}.-5", "The arc -5 at position 7 is negative; arcs are whole numbers from 0 up.", "-", 7],
  ]) {
    const before = await fields();
    await set(id, input);
    await click(button);
    same(`${input} message`, await failure(), message);
    await closeFailure();
    const after = await tab.evaluate(() => {
      const element = document.activeElement;
      return [element.id, element.value.slice(element.selectionStart, element.selectionEnd),
              element.selectionStart, element.selectionDirection];
    });
    same(`${input} selects the character`, after, [id, selected, start, "backward"]);
    same(`${input} keeps the fields`, await fields(), { ...before, [id]: input });
  }

  // Every input of the conversion tables gives what the window gives. A
  // single-line field of a page holds no line break (HTML drops them), so
  // the inputs with one are the window's alone.
  for (const row of cases.filter((row) => !/[\r\n]/.test(row.input))) {
    await set("Binary", "kept");
    await set("VisibleID", row.field === "VisibleID" ? row.input : "kept");
    await set("BackID", "kept");
    await set(row.field, row.input);
    await click(row.field === "ObjectID" ? "ToVisible" : "ToID");
    const message = await failure();
    const shown = await fields();
    const name = `${row.field} ${JSON.stringify(row.input).slice(0, 40)}`;
    if (row.message !== undefined) {
      same(`${name} message`, message, row.message);
      await closeFailure();
      const selection = await tab.evaluate(() => document.activeElement.id);
      same(`${name} focus`, selection, row.field);
      same(`${name} keeps the fields`, [shown.Binary, shown.BackID], ["kept", "kept"]);
    } else {
      same(`${name} converts`, message, null);
      if (row.field === "ObjectID") {
        same(`${name} results`, [shown.Binary, shown.VisibleID], [row.Binary, row.VisibleID]);
      } else {
        same(`${name} result`, shown.BackID, row.BackID);
      }
    }
  }
} finally {
  await browser.close();
  rmSync(profile, { recursive: true, force: true });
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
