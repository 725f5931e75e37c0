// Writes the page: one HTML file holding its style, its script, the worker's script (fflate, the
// converter's JavaScript glue and worker.js) and the converter itself, the WebAssembly module in
// base64. node build.mjs <morvane_web.js> <morvane_web.wasm> <output.html>
import {createHash} from 'node:crypto';
import {readFileSync, writeFileSync} from 'node:fs';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const [glue, wasm, output] = process.argv.slice(2);
if (!output) {
  console.error('usage: node build.mjs <morvane_web.js> <morvane_web.wasm> <output.html>');
  process.exit(2);
}
const read = (path) => readFileSync(path, 'utf8');
const fflateDir = join(here, 'node_modules', 'fflate');
const fflateVersion = JSON.parse(read(join(fflateDir, 'package.json'))).version;

// Text inside a <script> element ends at the first "</script"; "<!--" can hide that end. Neither
// may appear in what is inlined.
function scriptText(name, text) {
  if (/<\/script|<!--/i.test(text)) throw new Error(`${name} holds "</script" or "<!--" and cannot be inlined`);
  return text;
}

function escapeHtml(text) {
  return text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
}

const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;

const style = read(join(here, 'style.css'));
const script = scriptText('the page script', [read(join(here, 'logic.js')), read(join(here, 'page.js'))].join('\n'));
const worker = scriptText('the worker script', [
  `/* fflate ${fflateVersion}, MIT license (see the page's Licenses) */`,
  read(join(fflateDir, 'umd', 'index.js')),
  read(glue),
  read(join(here, 'worker.js')),
].join('\n'));

// Nothing may be fetched or connected to; the worker is made from the page's own text (blob:),
// and compiling the converter is the only code generation allowed.
const csp = [
  "default-src 'none'",
  `script-src ${hash(script)} 'wasm-unsafe-eval'`,
  'worker-src blob:',
  'child-src blob:',
  `style-src ${hash(style)}`,
  "connect-src 'none'",
  "img-src 'none'",
  "form-action 'none'",
  "base-uri 'none'",
].join('; ');

const parts = {
  CSP: csp,
  STYLE: style,
  SCRIPT: script,
  WORKER: worker,
  WASM: readFileSync(wasm).toString('base64'),
  FFLATE_VERSION: fflateVersion,
  FFLATE_LICENSE: escapeHtml(read(join(fflateDir, 'LICENSE')).trim()),
};
const page = read(join(here, 'index.html')).replace(/@([A-Z_]+)@/g, (whole, key) => {
  if (!(key in parts)) throw new Error(`index.html names no part ${whole}`);
  return parts[key];
});
writeFileSync(output, page);
console.log(`${output}: ${Buffer.byteLength(page)} bytes`);
