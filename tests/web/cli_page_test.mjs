// The inspection page as a user meets it, in the system's Chromium with the
// network off, held to pellamar-cli run beside it with the same names:
// every input of the conversion tables and the forms and names of each
// source, converted as encode and decode convert them; every file the scan
// tests read, chosen through the page's file input, found as scan --json
// finds it, counted as scan --count --json counts, and saved byte for byte;
// the user's own names file, kept and forgotten; the keyboard alone; a
// phone's width. The time to be ready and to answer is reported.
//   node cli_page_test.mjs PAGE PELLAMAR-CLI CASES.json FILES-FOLDER
import { spawnSync } from "node:child_process";
import { mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { basename, dirname, join } from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const [page, cli, casesFile, folder] = process.argv.slice(2);
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
  check(name, a === e, `\n  page: ${a.slice(0, 2000)}\n  cli:  ${e.slice(0, 2000)}`);
}

// pellamar-cli's standard output, and its messages without its name, run
// in `where` (the files' folder unless given).
function run(args, input, where = folder) {
  const result = spawnSync(cli, args, { cwd: where, input: input ?? "", maxBuffer: 1 << 30 });
  const messages = result.stderr.toString("utf8").split("\n").filter((line) => line)
    .map((line) => line.replace(/^pellamar-cli: /, ""));
  return { output: result.stdout.toString("utf8"), messages };
}

const profile = mkdtempSync(join(tmpdir(), "pellamar-chromium-"));
const downloads = mkdtempSync(join(tmpdir(), "pellamar-downloads-"));
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
  tab.on("pageerror", (error) => check("no script error", false, error.message));
  const session = await tab.createCDPSession();
  await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });

  const open = async () => {
    const opened = Date.now();
    await tab.goto(address);
    await tab.waitForFunction(() => document.documentElement.dataset.ready !== undefined);
    return Date.now() - opened;
  };
  const ready = await open();
  const size = statSync(page).size;
  console.log(`page: ${size} bytes, ready for input ${ready} ms after opening ` +
              `(${await tab.evaluate(() => document.documentElement.dataset.ready)} ms by the page's clock)`);
  check("the page is at most 4 MB", size <= 4000000, `${size} bytes`);
  same("focus starts in the identifiers", await tab.evaluate(() => document.activeElement.id), "Items");

  // Conversions: the text in the page's field, as lines on pellamar-cli's
  // standard input.
  const readingFlags = { encode: [], lenient: ["--lenient"], base64: [], hex: ["--hex"] };
  const convert = (items, reading, extra) => tab.evaluate((items, reading, extra) => {
    document.getElementById("Reading").value = reading === "lenient" ? "encode" : reading;
    document.getElementById("Lenient").checked = reading === "lenient" || extra.includes("--lenient");
    document.getElementById("Der").checked = extra.includes("--der");
    document.getElementById("Relative").checked = extra.includes("--relative");
    const field = document.getElementById("Items");
    field.value = items;
    const started = performance.now();
    field.dispatchEvent(new Event("input"));
    return {
      output: document.getElementById("Output").textContent,
      messages: Array.from(document.querySelectorAll("#ItemMessages li"), (item) => item.textContent),
      time: performance.now() - started,
    };
  }, items, reading, extra);
  const compare = async (name, items, reading, extra = []) => {
    const command = reading === "base64" || reading === "hex" ? "decode" : "encode";
    const expected = run([command, ...readingFlags[reading], ...extra], items);
    const shown = await convert(items, reading, extra);
    same(`${name} results`, shown.output, expected.output);
    same(`${name} messages`, shown.messages, expected.messages);
    return { shown, expected };
  };

  // Every input of the conversion tables, in one text for each reading: a
  // text field holds no line break within an item, so those are left out.
  const inputs = (field) => cases.filter((row) => row.field === field && !/[\r\n]/.test(row.input))
    .map((row) => row.input).join("\n") + "\n";
  await compare("identifier table, strictly", inputs("ObjectID"), "encode");
  await compare("identifier table, as the calculator reads", inputs("ObjectID"), "lenient");
  await compare("Base64 table, strictly", inputs("VisibleID"), "base64");
  await compare("Base64 table, as the calculator reads", inputs("VisibleID"), "base64", ["--lenient"]);

  // Every form, and a name from each built-in source.
  const forms = ["2.16.840.1", "{ iso(1) member-body(2) us(840) rsadsi(113549) }", "1 2 840 113549",
                 "urn:oid:2.5.4.3", "f81d4fae-7dec-11d0-a765-00a0c91e6bf6", "2.25.1234567890123456789012345",
                 "2.999.18446744073709551616", "1.2.840.", "1..2", "3.1", "1.40", "{ 1 2 x }", "2.5.4.3 junk"];
  await compare("forms", forms.join("\n"), "encode");
  const sources = await tab.evaluate(() => Array.from(document.querySelectorAll("#Sources tbody tr"),
                                                      (row) => row.cells[0].textContent));
  const named = {
    OpenSSL: ["sha256WithRSAEncryption", "OpenSSL::CN", "GN"],
    dumpasn1: ["dumpasn1::ecPublicKey"],
    "SNMP MIB": ["IF-MIB::ifDescr.7", "sysUpTime.0", "iso.org.dod.internet.mgmt.mib-2.system.sysDescr.0",
                 "vacmGroupName.3.\"public\""],
    "LDAP schema": ["LDAP::uid", "inetOrgPerson", "CN"],
    "packaged names": ["DICOM::Verification"],
    "enterprise numbers": ["1.3.6.1.4.1.311.21.20", "1.3.6.1.4.1.8072"],
  };
  for (const [source, items] of Object.entries(named)) {
    check(`the page holds ${source} names`, sources.includes(source), sources.join(", "));
    const { expected } = await compare(`names of ${source}`, items.join("\n"), "encode");
    check(`pellamar-cli names ${source}'s`, expected.messages.length === 0 &&
          expected.output.includes(source === "enterprise numbers" ? "enterprise " : source),
          expected.messages.join("; "));
  }
  await compare("hexadecimal", "2A 86 48 86 F7 0D\n55 04 03\n2A 80 01\n2A 8", "hex");
  await compare("whole DER encodings", "06 03 55 04 03\n06 03 55 04\n04 03 55 04 03", "hex", ["--der"]);
  await compare("DER in Base64", "BgNVBAM=\nBgNVBA==", "base64", ["--der"]);
  await compare("relative identifiers", "8571.3\n0\n1.2.x", "encode", ["--relative"]);
  await compare("relative in hexadecimal", "C2 7B 03\n80 01", "hex", ["--relative"]);

  // The time to answer: a name looked up as it is typed.
  const timings = [];
  for (const name of ["ifDescr.7", "sha256WithRSAEncryption", "1.3.6.1.4.1.311", "LDAP::uid"]) {
    const shown = await convert(name, "encode", []);
    check(`${name} is named`, shown.messages.length === 0 && shown.output.includes("\n"), shown.messages.join("; "));
    timings.push(shown.time);
  }
  console.log(`a name shown ${Math.max(...timings).toFixed(1)} ms after it is asked at most`);

  // A message puts the user on the character it is about.
  await convert("1.2.840\n1.2.x.4", "encode", []);
  await tab.click("#ItemMessages button");
  same("a message selects its character", await tab.evaluate(() => {
    const field = document.activeElement;
    return [field.id, field.value.slice(field.selectionStart, field.selectionEnd)];
  }), ["Items", "x"]);

  // Files, chosen through the page's file input, each as scan --json and
  // scan --count --json find them.
  await tab.click("#FileTab");
  const chooser = await tab.$("#File");
  const scanFile = async (file) => {
    const before = await tab.evaluate(() => document.documentElement.dataset.scans || "0");
    await chooser.uploadFile(join(folder, file));
    await tab.waitForFunction((before) => (document.documentElement.dataset.scans || "0") !== before,
                              { timeout: 600000 }, before);
    return tab.evaluate(() => ({ lines: scan.lines.join(""), counts: scan.countLines, messages: scan.messages,
                                 rows: document.querySelectorAll("#Found tbody tr").length,
                                 time: Number(document.documentElement.dataset.scanned) }));
  };
  // The files in the folder and in its folders of cuts and flips, each
  // scanned by pellamar-cli in its own folder, as the page has its name
  // alone.
  const files = [];
  for (const entry of readdirSync(folder, { withFileTypes: true }).sort((a, b) => a.name < b.name ? -1 : 1)) {
    if (entry.isDirectory()) {
      files.push(...readdirSync(join(folder, entry.name)).sort().map((name) => join(entry.name, name)));
    } else if (!/\.(cnf|txt|old|attr)$|^crlnumber|^index/.test(entry.name)) {
      files.push(entry.name);
    }
  }
  let largeTime = 0;
  for (const file of files) {
    const found = await scanFile(file);
    const where = join(folder, dirname(file));
    const expected = run(["scan", "--json", basename(file)], "", where);
    const counted = run(["scan", "--count", "--json", basename(file)], "", where);
    if (found.lines !== expected.output) {
      same(`${file} records`, found.lines.split("\n").slice(0, 5), expected.output.split("\n").slice(0, 5));
    } else {
      passed += 1;
    }
    same(`${file} faults`, found.messages, expected.messages);
    check(`${file} counts`, found.counts === counted.output,
          `\n  page: ${found.counts.slice(0, 300)}\n  cli:  ${counted.output.slice(0, 300)}`);
    if (file === "large.der") {
      largeTime = found.time;
    }
  }
  console.log(`${files.length} files scanned; ${statSync(join(folder, "large.der")).size} octets in ${largeTime.toFixed(0)} ms`);

  // The views, the saved lines, and a row opened in the identifier view.
  await scanFile("cert.der");
  const views = {};
  for (const show of ["all", "counts", "unknown"]) {
    await tab.click(`input[name=Show][value=${show}]`);
    views[show] = await tab.evaluate(() => document.querySelectorAll("#Found tbody tr").length);
  }
  same("each view's rows", views, {
    all: run(["scan", "--json", "cert.der"]).output.split("\n").filter((line) => line).length,
    counts: run(["scan", "--count", "--json", "cert.der"]).output.split("\n").filter((line) => line).length,
    unknown: run(["scan", "--unknown", "--json", "cert.der"]).output.split("\n").filter((line) => line).length,
  });
  await tab.click("input[name=Show][value=all]");
  await tab.click("#Save");
  const saved = join(downloads, "cert.der.jsonl");
  for (let waited = 0; waited < 100 && !readdirSync(downloads).includes("cert.der.jsonl"); waited += 1) {
    await new Promise((done) => setTimeout(done, 50));
  }
  check("the saved lines are scan --json's, byte for byte",
        readFileSync(saved, "utf8") === run(["scan", "--json", "cert.der"]).output);
  const first = await tab.evaluate(() => document.querySelector("#Found tbody button").textContent);
  await tab.focus("#Found tbody button");
  await tab.keyboard.press("Enter");
  same("a row opens its identifier", await tab.evaluate(() => [
    document.getElementById("IdentifierView").hidden, document.getElementById("Items").value,
    document.getElementById("Output").textContent.split("\n")[0].split(" ")[0]]), [false, first, first]);

  // Pasted text is scanned as standard input is.
  await tab.click("#FileTab");
  const pem = readFileSync(join(folder, "cut.pem"), "utf8");
  await tab.evaluate((pem) => { document.getElementById("Pasted").value = pem; }, pem);
  await tab.click("#ScanPasted");
  await tab.waitForFunction(() => !scan.running && scan.file === "(pasted text)");
  const pasted = run(["scan", "--json"], pem);
  same("pasted text", await tab.evaluate(() => scan.lines.join("")),
       pasted.output.replaceAll("(standard input)", "(pasted text)"));

  // The user's own names file: first, kept in the browser when asked,
  // and forgotten.
  writeFileSync(join(folder, "own.names"), "1.3.6.1.4.1.99999.1 myObject what it is\n2.5.4.3 myName\nnot a line\n");
  await tab.click("#NamesTab");
  await tab.click("#KeepNames");
  await (await tab.$("#NamesFile")).uploadFile(join(folder, "own.names"));
  await tab.waitForFunction(() => document.querySelector("#Sources tbody td").textContent === "names file");
  same("the names file's warning", await tab.evaluate(() => document.getElementById("NamesMessages").textContent),
       run(["encode", "--names-file", "own.names", "2.5.4.3"]).messages.map((line) => line.replace(/^warning: /, ""))
         .join(""));
  const withOwn = async (name) => {
    const shown = await convert("1.3.6.1.4.1.99999.1\n2.5.4.3\nmyObject", "encode", []);
    const expected = run(["encode", "--names-file", "own.names"], "1.3.6.1.4.1.99999.1\n2.5.4.3\nmyObject");
    same(`${name} results`, shown.output, expected.output);
  };
  await withOwn("own names");
  await open();
  await withOwn("own names, kept");
  await tab.click("#NamesTab");
  await tab.click("#ForgetNames");
  await open();
  same("own names forgotten", (await convert("myObject", "encode", [])).messages,
       run(["encode", "myObject"]).messages);

  // The keyboard alone: the tabs by their arrows, and on into the view.
  await tab.focus("#IdentifierTab");
  const keys = [];
  for (const key of ["ArrowRight", "Tab", "Shift+Tab", "ArrowRight", "ArrowRight", "Tab"]) {
    if (key === "Shift+Tab") {
      await tab.keyboard.down("Shift");
      await tab.keyboard.press("Tab");
      await tab.keyboard.up("Shift");
    } else {
      await tab.keyboard.press(key);
    }
    keys.push(await tab.evaluate(() => document.activeElement.id));
  }
  same("keyboard through the views", keys, ["FileTab", "File", "FileTab", "NamesTab", "IdentifierTab", "Items"]);
  await tab.evaluate(() => { document.getElementById("Items").value = ""; });
  await tab.keyboard.type("ifDescr.7");
  same("typed, named", (await tab.evaluate(() => document.getElementById("Output").textContent)).split("\n")[0],
       run(["encode", "ifDescr.7"]).output.split("\n")[0]);

  // From a phone's width to a desktop's, nothing spills out of the page.
  for (const width of [360, 768, 1440]) {
    await tab.setViewport({ width, height: 800 });
    for (const view of ["IdentifierTab", "FileTab", "NamesTab"]) {
      await tab.click(`#${view}`);
      const wide = await tab.evaluate(() => document.documentElement.scrollWidth);
      check(`${view} fits ${width} pixels`, wide <= width, `${wide} pixels wide`);
    }
  }

  same("no request beyond the page and its own data",
       requests.filter((url) => !url.startsWith("data:") && !url.startsWith("blob:") && url !== address), []);
} finally {
  await browser.close();
  rmSync(profile, { recursive: true, force: true });
  rmSync(downloads, { recursive: true, force: true });
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
