// The worker and the converter it drives, under node: the protocol, the zip, the templates a
// conversion is given, and that no conversion leaves anything behind for the next. Needs the
// page's build (build/web/wasm) and the Release build (build/release), as the web stage makes them.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const {spawnSync} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const root = path.resolve(__dirname, '..', '..');
const built = path.join(root, 'build', 'web', 'wasm', 'src', 'browser');
const release = path.join(root, 'build', 'release');
const createMorvane = require(path.join(built, 'morvane_web.js'));
const wasm = fs.readFileSync(path.join(built, 'morvane_web.wasm'));
const fflate = require(path.join(root, 'web', 'node_modules', 'fflate'));
const MorvaneWorker = require(path.join(root, 'web', 'worker.js'));

// Every instance of the converter's glue listens on the process.
process.setMaxListeners(0);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'morvane-worker-'));
test.after(() => fs.rmSync(scratch, {recursive: true, force: true}));

function sample(name, ...options) {
  const file = path.join(scratch, name);
  if (!fs.existsSync(file)) spawnSync(path.join(release, 'make_sample_pcg'), [file, ...options], {stdio: 'ignore'});
  return fs.readFileSync(file);
}

// What morvane /A NAME (and /V /A NAME) does in a folder holding the file, the bundled templates
// and the caller's own.
function commandLine(name, bytes, ownTemplates = {}, typed = name) {
  const folder = fs.mkdtempSync(path.join(scratch, 'cli-'));
  for (const template of fs.readdirSync(path.join(root, 'templates'))) fs.copyFileSync(path.join(root, 'templates', template), path.join(folder, template));
  for (const [template, text] of Object.entries(ownTemplates)) fs.writeFileSync(path.join(folder, template), text);
  fs.writeFileSync(path.join(folder, name), bytes);
  const before = new Set(fs.readdirSync(folder));
  const run = spawnSync(path.join(release, 'morvane'), ['/A', typed], {cwd: folder});
  const outputs = {};
  for (const file of fs.readdirSync(folder)) if (!before.has(file)) outputs[file] = fs.readFileSync(path.join(folder, file));
  const traced = spawnSync(path.join(release, 'morvane'), ['/V', '/A', typed], {cwd: folder});
  const reasons = run.stderr.toString('latin1').split('\r\n').filter(Boolean).map((line) => line.split(': ').slice(2).join(': '));
  return {status: run.status, outputs, reasons, trace: traced.stdout.toString('latin1')};
}

// A page's worker: the messages it answers, in the order it posts them.
function newWorker() {
  const posted = [];
  const handle = MorvaneWorker.createHandler({
    newModule: async (bytes) => Object.assign(await createMorvane({wasmBinary: bytes}), {wasmBytes: bytes}),
    zipSync: fflate.zipSync,
    post: (message) => posted.push(message),
  });
  const worker = {posted, handle, nextId: 1};
  worker.ready = handle({type: 'init', wasm});
  worker.convert = async (name, bytes, templates = []) => {
    const id = worker.nextId++;
    await handle({type: 'convert', id, name, file: new Blob([bytes]), templates});
    return posted.find((message) => message.id === id && (message.type === 'converted' || message.type === 'failed'));
  };
  return worker;
}

const bytesOf = (buffer) => Buffer.from(new Uint8Array(buffer));
const outputsOf = (answer) => Object.fromEntries(answer.outputs.map((output) => [output.name, bytesOf(output.bytes)]));

function editedKronos() {
  const bytes = Buffer.from(sample('k.pcg'));
  const bank = bytes.indexOf('PBK1');
  bytes.writeUInt32BE(100, bank + 12);  // its record count: the bank cannot be read
  return bytes;
}

test('every output and the zip hold the bytes the command line writes', async () => {
  const worker = newWorker();
  await worker.ready;
  assert.equal(worker.posted[0].type, 'ready');
  const kronos = sample('k.pcg');
  const answer = await worker.convert('k.pcg', kronos);
  const expected = commandLine('k.pcg', kronos);
  assert.equal(answer.result.outcome, 'converted');
  assert.equal(answer.result.model, 'Kronos');
  assert.deepEqual(outputsOf(answer), expected.outputs);
  assert.equal(answer.zip.name, 'k.zip');
  const unzipped = fflate.unzipSync(new Uint8Array(answer.zip.bytes));
  assert.deepEqual(Object.fromEntries(Object.entries(unzipped).map(([name, data]) => [name, Buffer.from(data)])), expected.outputs);
  assert.equal(answer.result.console, expected.trace);
  assert.ok(worker.posted.some((message) => message.type === 'progress' && message.phase === 'reading' && message.done === kronos.length));
});

test('messages are answered one after the other, each with its own file', async () => {
  const worker = newWorker();
  const kronos = sample('k.pcg'), krome = sample('krome.pcg', '--model', 'Krome');
  // Posted at once, as a drop of two files posts them: the second must wait for the first.
  const answers = await Promise.all([worker.convert('k.pcg', kronos), worker.convert('krome.pcg', krome)]);
  assert.deepEqual(answers.map((answer) => [answer.id, answer.result.model]), [[1, 'Kronos'], [2, 'Krome']]);
  assert.deepEqual(outputsOf(answers[1]), commandLine('krome.pcg', krome).outputs);
});

test('a conversion starts where a new process starts, whatever ran before it', async () => {
  const broken = editedKronos();
  const expected = commandLine('broken.pcg', broken);
  const fresh = newWorker();
  const first = await fresh.convert('broken.pcg', broken);
  const worker = newWorker();
  await worker.convert('k.pcg', sample('k.pcg'));
  await worker.convert('te.pcg', sample('te.pcg', '--model', 'Triton Extreme'));
  const again = await worker.convert('broken.pcg', broken);
  for (const answer of [first, again]) {
    assert.equal(answer.result.outcome, 'incomplete');
    // The trace names the first record of the buffer the bank could not be read into.
    assert.equal(answer.result.console, expected.trace);
    assert.deepEqual(answer.result.reasons, expected.reasons);
    assert.deepEqual(outputsOf(answer), expected.outputs);
  }
});

test('your template wins for the conversion it is given to, and only for it', async () => {
  const worker = newWorker();
  const kronos = sample('k.pcg');
  const header = '; my header\r\n.Patch Names\r\n';
  const own = await worker.convert('k.pcg', kronos, [{name: 'Kronos_INS_header.ins', bytes: new TextEncoder().encode(header).buffer}]);
  assert.deepEqual(own.result.templates, [{name: 'Kronos_INS_header.ins', yours: true}, {name: 'Kronos_INS_trailer.ins', yours: false}]);
  assert.deepEqual(outputsOf(own), commandLine('k.pcg', kronos, {'Kronos_INS_header.ins': header}).outputs);
  const bundled = await worker.convert('k.pcg', kronos);
  assert.deepEqual(bundled.result.templates.map((use) => use.yours), [false, false]);
  assert.deepEqual(outputsOf(bundled), commandLine('k.pcg', kronos).outputs);
});

test('a file of any name converts as the command line converts it under that name', async () => {
  const worker = newWorker();
  const triton = sample('te.pcg', '--model', 'Triton Extreme');
  // A name the command line would take for a switch is typed as ./-name there; one with a '*'
  // is a pattern that matches just that file.
  const cases = [['two words.PCG', 'two words.PCG'], ['Müller Bänke.pcg', 'Müller Bänke.pcg'], ['-dash.pcg', './-dash.pcg'], ['a*b.pcg', 'a*b.pcg']];
  for (const [name, typed] of cases) {
    const answer = await worker.convert(name, triton);
    const expected = commandLine(name, triton, {}, typed);
    assert.equal(answer.result.outcome, 'converted', name);
    assert.deepEqual(outputsOf(answer), expected.outputs, name);
    assert.equal(answer.result.console, Buffer.from(expected.trace, 'latin1').toString('utf8'), name);
    const csv = Object.entries(expected.outputs).find(([file]) => file.endsWith('.csv'))[1].toString('utf8');
    const listed = new Set(csv.split('\r\n').slice(1, -1).map((row) => row.split(',').slice(0, 2).join(',')));
    assert.equal(answer.result.banks.length, listed.size, name);
  }
});

test('a file is accepted exactly where the walk accepts it', async () => {
  const worker = newWorker();
  const kronos = sample('k.pcg'), triton = sample('te.pcg', '--model', 'Triton Extreme'), krome = sample('krome.pcg', '--model', 'Krome');
  const unknownProduct = Buffer.from(kronos.subarray(0, 4096));
  unknownProduct[4] = 0x01;
  const cases = [
    ['no header', Buffer.from('not a bank file')],
    ['unknown product', unknownProduct],
    ['Kronos, file header only', kronos.subarray(0, 16)],
    ['Kronos, PCG1 header torn', kronos.subarray(0, 27)],
    ['Kronos, PCG1 header whole', kronos.subarray(0, 28)],
    ['Kronos, cut in a bank', kronos.subarray(0, 2000000)],
    ['Triton, PCG1 header torn', triton.subarray(0, 23)],
    ['Triton, PCG1 id and size', triton.subarray(0, 24)],
    ['Krome, PCG1 id and size only', krome.subarray(0, 24)],
    ['Krome, PCG1 id torn', krome.subarray(0, 19)],
  ];
  for (const [what, bytes] of cases) {
    const answer = await worker.convert('x.pcg', bytes);
    const expected = commandLine('x.pcg', bytes);
    const rejectedByWalk = expected.reasons.some((reason) => reason.startsWith('not a PCG file'));
    const outcome = expected.status === 0 ? 'converted' : rejectedByWalk ? 'rejected' : 'incomplete';
    assert.equal(answer.result.outcome, outcome, what);
    assert.deepEqual(answer.result.reasons, expected.reasons, what);
    if (rejectedByWalk) assert.deepEqual([answer.outputs, answer.zip], [[], null], what);
    else assert.deepEqual(outputsOf(answer), expected.outputs, what);
  }
});

test('compare gives the command line\'s findings as rows', async () => {
  const worker = newWorker();
  await worker.ready;
  const kronos = sample('k.pcg');
  const edited = Buffer.from(kronos);
  edited[edited.indexOf('PBK1') + 24] ^= 0x20;  // the first program's first letter
  fs.writeFileSync(path.join(scratch, 'old.pcg'), kronos);
  fs.writeFileSync(path.join(scratch, 'new.pcg'), edited);
  const expected = spawnSync(path.join(release, 'morvane'), ['/D', 'old.pcg', 'new.pcg'], {cwd: scratch});
  await worker.handle({type: 'compare', id: 7, old: {name: 'old.pcg', file: new Blob([kronos])}, new: {name: 'new.pcg', file: new Blob([edited])}});
  const {result} = worker.posted.find((message) => message.id === 7);
  assert.equal(result.exitStatus, expected.status);
  assert.deepEqual(result.lines, expected.stdout.toString('latin1').split('\r\n').slice(0, -1));
  assert.deepEqual(result.rows.map((row) => [row.finding, row.kind, row.bank, row.number, row.line]),
    [['renamed', 'program', 'Int A', 0, result.lines[0]]]);
});

test('a file that cannot be read fails alone; the next one converts', async () => {
  const worker = newWorker();
  const unreadable = {size: 10, slice: () => ({arrayBuffer: () => Promise.reject(new Error('the disk is gone'))})};
  await worker.handle({type: 'convert', id: 100, name: 'gone.pcg', file: unreadable, templates: []});
  assert.deepEqual(worker.posted.filter((message) => message.id === 100 && message.type !== 'progress'),
    [{type: 'failed', id: 100, reason: 'the disk is gone'}]);
  const answer = await worker.convert('k.pcg', sample('k.pcg'));
  assert.equal(answer.result.outcome, 'converted');
});

test('a missing template ends the conversion, not the converter', async () => {
  const module = await createMorvane({wasmBinary: wasm});
  const converter = new MorvaneWorker.Converter(module);
  converter.addBytes('k.pcg', sample('k.pcg'));
  converter.convert('k.pcg');  // the bundled templates are in place from here on
  const trailer = new TextEncoder().encode('bundled/Kronos_INS_trailer.ins\0');
  const at = module._morvane_allocate(trailer.length);
  module.HEAPU8.set(trailer, at);
  module._morvane_remove_file(at);
  const {result, outputs} = converter.convert('k.pcg');
  assert.equal(result.exitStatus, 1);
  assert.deepEqual(result.reasons, ['Kronos_INS_trailer.ins: template missing; looked in the working directory and bundled/']);
  assert.deepEqual(outputs, []);
  const again = converter.convert('k.pcg');
  assert.equal(again.result.exitStatus, 1);
});

test('a converter that traps is replaced before the next file', async () => {
  let made = 0;
  const posted = [];
  const handle = MorvaneWorker.createHandler({
    newModule: async (bytes) => {
      const module = Object.assign(await createMorvane({wasmBinary: bytes}), {wasmBytes: bytes});
      // The first instance traps inside its first conversion, as one that ran out of memory does.
      if (made++ === 0) module._morvane_convert = () => { throw new WebAssembly.RuntimeError('unreachable'); };
      return module;
    },
    zipSync: fflate.zipSync,
    post: (message) => posted.push(message),
  });
  await handle({type: 'init', wasm});
  await handle({type: 'convert', id: 1, name: 'k.pcg', file: new Blob([sample('k.pcg')]), templates: []});
  await handle({type: 'convert', id: 2, name: 'k.pcg', file: new Blob([sample('k.pcg')]), templates: []});
  const answers = posted.filter((message) => message.type === 'failed' || message.type === 'converted');
  assert.deepEqual(answers.map((message) => [message.id, message.type]), [[1, 'failed'], [2, 'converted']]);
  assert.equal(made, 2);
});
