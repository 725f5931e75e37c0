// The page's worker: one instance of the converter (the C++ core compiled to WebAssembly), fed
// one message at a time, so that the page stays responsive while a bank file converts.
//
// Page to worker:  {type: 'init', wasm: ArrayBuffer}
//                  {type: 'convert', id, name, file: Blob, templates: [{name, bytes: ArrayBuffer}]}
//                  {type: 'compare', id, old: {name, file}, new: {name, file}}
// Worker to page:  {type: 'ready', version}
//                  {type: 'progress', id, phase: 'reading' | 'converting' | 'zipping', done, total}
//                  {type: 'converted', id, result, outputs: [{name, bytes}], zip: {name, bytes} | null}
//                  {type: 'compared', id, result}
//                  {type: 'failed', id, reason}
// Output bytes are transferred, never copied twice.
'use strict';

const MorvaneWorker = (() => {
  const encoder = new TextEncoder();
  const sliceSize = 8 * 1024 * 1024;
  const now = () => (typeof performance === 'object' ? performance.now() : Date.now());
  const decoder = new TextDecoder();

  // A C string in the module's memory, to be released by the caller.
  function cString(module, text) {
    const bytes = encoder.encode(text + '\0');
    const at = module._morvane_allocate(bytes.length);
    module.HEAPU8.set(bytes, at);
    return at;
  }

  function readCString(module, at) {
    const heap = module.HEAPU8;
    let end = at;
    while (heap[end] !== 0) end++;
    return decoder.decode(heap.subarray(at, end));
  }

  // Calls fn with C strings of the texts and releases them afterwards.
  function withStrings(module, texts, fn) {
    const pointers = texts.map((text) => cString(module, text));
    try {
      return fn(...pointers);
    } finally {
      pointers.forEach((at) => module._morvane_release(at));
    }
  }

  class Converter {
    constructor(module) {
      this.module = module;
      this.held = [];  // memory holding the files of the run under way
    }

    version() {
      return readCString(this.module, this.module._morvane_version());
    }

    // The blob's bytes go into the module's memory a slice at a time: no second whole copy of a
    // large file is held, and the page can show how far the reading has come.
    async addFile(name, blob, onProgress) {
      const module = this.module;
      const size = blob.size;
      const at = module._morvane_allocate(size);
      if (!at) throw new Error(`not enough memory for ${name} (${size} bytes)`);
      this.held.push(at);
      let offset = 0;
      while (offset < size) {
        const slice = new Uint8Array(await blob.slice(offset, Math.min(size, offset + sliceSize)).arrayBuffer());
        if (slice.length === 0) throw new Error(`${name} ended at byte ${offset} of ${size} while it was read`);
        module.HEAPU8.set(slice, at + offset);
        offset += slice.length;
        if (onProgress) onProgress(offset, size);
      }
      withStrings(module, [name], (path) => module._morvane_add_file(path, at, offset));
    }

    addBytes(name, bytes) {
      const module = this.module;
      const view = new Uint8Array(bytes);
      const at = module._morvane_allocate(view.length);
      if (!at) throw new Error(`not enough memory for ${name}`);
      this.held.push(at);
      module.HEAPU8.set(view, at);
      withStrings(module, [name], (path) => module._morvane_add_file(path, at, view.length));
    }

    // The working directory emptied and its memory handed back; the bundled templates stay.
    clear() {
      this.module._morvane_clear_files();
      this.held.forEach((at) => this.module._morvane_release(at));
      this.held = [];
    }

    convert(name) {
      const module = this.module;
      const result = JSON.parse(withStrings(module, [name], (path) => readCString(module, module._morvane_convert(path))));
      const outputs = result.outputs.map((output, index) => {
        const at = module._morvane_output_data(index);
        return {name: output.name, bytes: module.HEAPU8.slice(at, at + module._morvane_output_size(index)).buffer};
      });
      return {result, outputs};
    }

    compare(oldName, newName) {
      const module = this.module;
      return JSON.parse(withStrings(module, [oldName, newName], (a, b) => readCString(module, module._morvane_compare(a, b))));
    }
  }

  // <base>.zip holding every output; null when there is none. Stored, not deflated: the files
  // never travel over a network here, and deflating a full bank's outputs takes ten times as
  // long as the conversion.
  function zipOf(zipSync, base, outputs) {
    if (outputs.length === 0) return null;
    const files = {};
    for (const output of outputs) files[output.name] = new Uint8Array(output.bytes);
    const zipped = zipSync(files, {level: 0});
    return {name: `${base}.zip`, bytes: zipped.buffer.slice(zipped.byteOffset, zipped.byteOffset + zipped.byteLength)};
  }

  // Handles the messages of one page. post(message, transfer) answers; newModule() makes a fresh
  // instance when one has failed.
  function createHandler({newModule, zipSync, post}) {
    let converter = null;
    let queue = Promise.resolve();

    async function start(wasm) {
      converter = new Converter(await newModule(wasm));
      post({type: 'ready', version: converter.version()});
    }

    async function convert(message) {
      const {id, name} = message;
      const timings = {};
      let started = now();
      const lap = (phase) => {
        const time = now();
        timings[phase] = Math.round(time - started);
        started = time;
      };
      try {
        for (const template of message.templates || []) converter.addBytes(template.name, template.bytes);
        await converter.addFile(name, message.file, (done, total) => post({type: 'progress', id, phase: 'reading', done, total}));
        lap('reading');
        post({type: 'progress', id, phase: 'converting', done: 0, total: 0});
        const {result, outputs} = converter.convert(name);
        lap('converting');
        if (outputs.length) post({type: 'progress', id, phase: 'zipping', done: 0, total: 0});
        const zip = zipOf(zipSync, result.base, outputs);
        lap('zipping');
        const transfer = outputs.map((output) => output.bytes);
        if (zip) transfer.push(zip.bytes);
        post({type: 'converted', id, result, outputs, zip, timings}, transfer);
      } finally {
        converter.clear();
      }
    }

    async function compare(message) {
      const {id} = message;
      try {
        await converter.addFile(message.old.name, message.old.file);
        if (message.new.name !== message.old.name) await converter.addFile(message.new.name, message.new.file);
        post({type: 'compared', id, result: converter.compare(message.old.name, message.new.name)});
      } finally {
        converter.clear();
      }
    }

    async function handle(message) {
      try {
        if (message.type === 'init') return await start(message.wasm);
        if (message.type === 'convert') return await convert(message);
        if (message.type === 'compare') return await compare(message);
        throw new Error(`unknown message ${message.type}`);
      } catch (error) {
        post({type: 'failed', id: message.id, reason: String((error && error.message) || error)});
        // A module that trapped (out of memory, say) takes no further call: the next file gets a
        // fresh one. Any other failure (a file that cannot be read) leaves it as it was.
        if (error instanceof WebAssembly.RuntimeError && converter) await renew();
      }
    }

    async function renew() {
      try {
        converter = new Converter(await newModule(converter.module.wasmBytes));
      } catch (error) {
        post({type: 'failed', reason: `the converter cannot start again: ${error.message || error}`});
      }
    }

    // One message after the other: a conversion waits for its file's bytes, and the next one
    // must not start on the same memory meanwhile.
    return (message) => {
      queue = queue.then(() => handle(message));
      return queue;
    };
  }

  return {Converter, createHandler, zipOf};
})();

if (typeof module === 'object' && module.exports) {
  module.exports = MorvaneWorker;
} else {
  const handler = MorvaneWorker.createHandler({
    newModule: async (wasm) => {
      const module = await createMorvane({wasmBinary: wasm});
      module.wasmBytes = wasm;
      return module;
    },
    zipSync: fflate.zipSync,
    post: (message, transfer) => self.postMessage(message, transfer || []),
  });
  self.onmessage = (event) => handler(event.data);
}
