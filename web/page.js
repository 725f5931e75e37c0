// The page: takes bank files and templates, hands each conversion to the worker, and shows what
// comes back. It renders only; the converter decides everything about the files.
'use strict';

(() => {
  const {sortDrop, TemplateShelf, purposeOf, matchingEntries, defaultPair, bankSummary} = MorvaneLogic;

  const filesList = document.getElementById('files');
  const status = document.getElementById('status');
  const picker = document.getElementById('picker');
  const search = document.getElementById('search');
  const searchCount = document.getElementById('search-count');
  const shelfList = document.getElementById('templates');
  const shelfSection = document.getElementById('your-templates');
  const oldSelect = document.querySelector('select[data-compare=old]');
  const newSelect = document.querySelector('select[data-compare=new]');
  const compareButton = document.querySelector('[data-action=compare]');
  const report = document.querySelector('[data-compare-report]');

  const shelf = new TemplateShelf();
  const loaded = new Map();  // file name -> {file, element, result, view}
  const pending = new Map();  // message id -> what answers it
  let nextId = 1;
  let worker = null;

  function element(tag, attributes = {}, ...children) {
    const made = document.createElement(tag);
    for (const [key, value] of Object.entries(attributes)) {
      if (key === 'text') made.textContent = value;
      else if (key === 'class') made.className = value;
      else made.setAttribute(key, value);
    }
    for (const child of children) if (child) made.append(child);
    return made;
  }

  function announce(text) {
    status.textContent = text;
  }

  // The worker's source and the converter's bytes are carried by the page itself.
  function startWorker() {
    const source = document.getElementById('morvane-worker').textContent;
    const url = URL.createObjectURL(new Blob([source], {type: 'text/javascript'}));
    worker = new Worker(url);
    worker.onmessage = (event) => answer(event.data);
    worker.onerror = (event) => {
      event.preventDefault();
      for (const [id, waiting] of pending) {
        waiting.fail(`the converter stopped: ${event.message || 'unknown error'}`);
        pending.delete(id);
      }
      worker.terminate();
      startWorker();
    };
    const wasm = base64Bytes(document.getElementById('morvane-wasm').textContent);
    worker.postMessage({type: 'init', wasm: wasm.buffer}, [wasm.buffer]);
  }

  function base64Bytes(text) {
    const binary = atob(text.trim());
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  function answer(message) {
    if (message.type === 'ready') {
      document.body.dataset.ready = 'true';
      document.getElementById('version').textContent = message.version;
      return;
    }
    // A failure of the worker itself, not of a file: it could not start the converter.
    if (message.type === 'failed' && message.id === undefined) {
      announce(`MORVANE cannot run in this browser: ${message.reason}`);
      return;
    }
    const waiting = pending.get(message.id);
    if (!waiting) return;
    if (message.type === 'progress') return waiting.progress(message);
    pending.delete(message.id);
    if (message.type === 'failed') return waiting.fail(message.reason);
    waiting.done(message);
  }

  function send(message, handlers) {
    const id = nextId++;
    pending.set(id, handlers);
    worker.postMessage({...message, id});
  }

  // ---- files -------------------------------------------------------------------------------

  async function take(files) {
    const {templates, banks} = sortDrop([...files]);
    for (const template of templates) shelf.put(template.name, await template.arrayBuffer());
    renderShelf();
    for (const file of banks) convert(file);
  }

  function renderShelf() {
    shelfList.replaceChildren();
    for (const name of shelf.names()) {
      const remove = element('button', {type: 'button', text: 'Remove', 'aria-label': `Remove ${name}`});
      remove.addEventListener('click', () => {
        shelf.remove(name);
        renderShelf();
      });
      shelfList.append(element('li', {}, element('span', {text: name}), ' ', remove));
    }
    shelfSection.hidden = shelf.names().length === 0;
  }

  function convert(file) {
    const previous = loaded.get(file.name);
    if (previous) forget(previous);
    const entry = {file, element: null, result: null, urls: [], bankIndex: 0};
    entry.element = element('section', {'data-file': file.name, 'data-state': 'working', class: 'file', 'aria-busy': 'true'});
    const progress = element('progress', {max: '1', 'aria-label': `Converting ${file.name}`});
    entry.element.append(element('h3', {text: file.name}), element('p', {class: 'state', text: 'Converting…'}), progress);
    filesList.append(entry.element);
    loaded.set(file.name, entry);
    updateCompareChoices();
    announce(`Converting ${file.name}`);
    send({type: 'convert', name: file.name, file, templates: shelf.forConversion()}, {
      progress: (message) => {
        if (message.phase === 'reading' && message.total) {
          progress.max = message.total;
          progress.value = message.done;
        } else {
          progress.removeAttribute('value');
        }
      },
      done: (message) => show(entry, message),
      fail: (reason) => show(entry, {result: failedResult(reason), outputs: [], zip: null}),
    });
  }

  function failedResult(reason) {
    return {outcome: 'rejected', model: null, reasons: [reason], outputs: [], banks: [], templates: [], console: ''};
  }

  function forget(entry) {
    entry.urls.forEach((url) => URL.revokeObjectURL(url));
    entry.element.remove();
    loaded.delete(entry.file.name);
  }

  const stateWords = {converted: 'Converted', incomplete: 'Converted in part', rejected: 'Not converted'};

  function show(entry, {result, outputs, zip, timings}) {
    if (loaded.get(entry.file.name) !== entry) return;
    // How long the worker took, phase by phase (milliseconds), for whoever measures the page.
    if (timings) entry.element.dataset.timings = JSON.stringify(timings);
    entry.result = result;
    const box = entry.element;
    box.replaceChildren();
    box.dataset.state = result.outcome;
    box.removeAttribute('aria-busy');
    const heading = element('h3', {text: entry.file.name});
    const remove = element('button', {type: 'button', class: 'remove', text: 'Remove', 'aria-label': `Remove ${entry.file.name}`});
    remove.addEventListener('click', () => {
      forget(entry);
      updateCompareChoices();
      renderSearch();
    });
    const summary = result.model ? `${stateWords[result.outcome]}: ${result.model} file, ${bankSummary(result.banks)}` : stateWords[result.outcome];
    box.append(element('div', {class: 'file-head'}, heading, remove), element('p', {class: 'state', text: summary}));
    if (result.outcome === 'rejected') {
      box.append(element('p', {class: 'reason', text: result.reasons[result.reasons.length - 1] || 'not a bank file'}));
    } else if (result.reasons.length) {
      const list = element('ul', {class: result.outcome === 'incomplete' ? 'reason' : 'notes'});
      result.reasons.forEach((reason) => list.append(element('li', {text: reason})));
      box.append(list);
    }
    if (result.templates.length) {
      box.append(element('p', {class: 'templates', text: 'Templates: ' + result.templates.map((use) => `${use.name} (${use.yours ? 'yours' : 'bundled'})`).join(', ')}));
    }
    if (result.bankMapKorg) {
      box.append(element('p', {class: 'note', text: `On the ${result.model}, set Global “Bank Map” to KORG: the bank numbers in these files follow it.`}));
    }
    if (result.outcome !== 'rejected') box.append(downloads(entry, outputs, zip));
    if (result.banks.length) box.append(bankBrowser(entry));
    if (result.console) {
      box.append(element('details', {class: 'trace'}, element('summary', {text: 'Trace (what /V prints)'}),
        element('pre', {tabindex: '0', 'aria-label': `Trace of ${entry.file.name}`, text: result.console})));
    }
    announce(`${entry.file.name}: ${summary}`);
    renderSearch();
  }

  function downloads(entry, outputs, zip) {
    const list = element('ul', {class: 'downloads', 'aria-label': `Downloads for ${entry.file.name}`});
    const all = zip ? [zip, ...outputs] : outputs;
    for (const output of all) {
      const url = URL.createObjectURL(new Blob([output.bytes], {type: 'application/octet-stream'}));
      entry.urls.push(url);
      const link = element('a', {href: url, download: output.name, text: output === zip ? `All (${output.name})` : output.name});
      list.append(element('li', {}, link, element('span', {class: 'purpose', text: ` — ${purposeOf(output.name)}`})));
    }
    return list;
  }

  // ---- bank browser and search ----------------------------------------------------------------

  function bankBrowser(entry) {
    const {banks} = entry.result;
    const id = `bank-${nextId++}`;
    const select = element('select', {id});
    banks.forEach((bank, index) => select.append(element('option', {value: String(index), text: bank.section})));
    const table = element('table', {class: 'names'});
    entry.view = {select, table};
    select.addEventListener('change', () => {
      entry.bankIndex = Number(select.value);
      renderNames(entry);
    });
    const browser = element('div', {class: 'browser'},
      element('label', {for: id, text: 'Bank '}), select, table);
    renderNames(entry);
    return browser;
  }

  function row(cells, header = false) {
    const tr = element('tr');
    cells.forEach((text) => tr.append(element(header ? 'th' : 'td', {text, ...(header ? {scope: 'col'} : {})})));
    return tr;
  }

  function renderNames(entry) {
    if (!entry.view) return;
    const {banks} = entry.result;
    const {table, select} = entry.view;
    const query = search.value;
    const head = element('thead'), body = element('tbody');
    table.replaceChildren(head, body);
    if (!query.trim()) {
      select.disabled = false;
      const bank = banks[entry.bankIndex];
      table.prepend(element('caption', {text: bank.section}));
      head.append(row(['Entry', 'Name'], true));
      bank.entries.forEach(([label, name]) => body.append(row([label, name])));
      return 0;
    }
    select.disabled = true;
    const found = matchingEntries(banks, query);
    table.prepend(element('caption', {text: `Names holding “${query.trim()}”`}));
    head.append(row(['Bank', 'Entry', 'Name'], true));
    found.forEach(({bankIndex, label, name}) => body.append(row([banks[bankIndex].section, label, name])));
    return found.length;
  }

  function renderSearch() {
    let count = 0;
    for (const entry of loaded.values()) count += renderNames(entry) || 0;
    searchCount.textContent = search.value.trim() ? `${count} ${count === 1 ? 'name matches' : 'names match'}` : '';
  }

  // ---- compare ----------------------------------------------------------------------------------

  function updateCompareChoices() {
    const names = [...loaded.keys()].reverse();
    const pair = defaultPair(names, oldSelect.value, newSelect.value);
    for (const [select, chosen] of [[oldSelect, pair.old], [newSelect, pair.new]]) {
      select.replaceChildren(...names.map((name) => element('option', {value: name, text: name})));
      select.value = chosen;
    }
    compareButton.disabled = names.length < 1;
  }

  function compare() {
    const oldEntry = loaded.get(oldSelect.value), newEntry = loaded.get(newSelect.value);
    if (!oldEntry || !newEntry) return;
    report.dataset.state = 'working';
    report.replaceChildren(element('p', {text: `Comparing ${oldEntry.file.name} with ${newEntry.file.name}…`}));
    send({type: 'compare', old: {name: oldEntry.file.name, file: oldEntry.file}, new: {name: newEntry.file.name, file: newEntry.file}}, {
      progress: () => {},
      done: ({result}) => showComparison(result),
      fail: (reason) => showComparison({exitStatus: 2, reasons: [reason], rows: [], lines: []}),
    });
  }

  function placeText(place) {
    if (!place || place.number === undefined) return place ? place.bank : '';
    const number = String(place.number).padStart(3, '0');
    if (place.kind === 'set list') return place.slot === undefined ? `set list ${number}` : `set list ${number} slot ${String(place.slot).padStart(3, '0')}`;
    return `${place.bank} ${number}`;
  }

  function showComparison(result) {
    report.replaceChildren();
    report.dataset.state = result.exitStatus === 2 ? 'trouble' : result.exitStatus === 1 ? 'differ' : 'same';
    if (result.exitStatus === 2) {
      const list = element('ul', {class: 'reason'});
      result.reasons.forEach((reason) => list.append(element('li', {text: reason})));
      report.append(element('p', {text: 'These two files cannot be compared:'}), list);
      announce('The files cannot be compared');
      return;
    }
    const summary = result.lines[result.lines.length - 1] || '';
    report.append(element('p', {class: 'summary', text: summary}));
    if (result.rows.length) {
      const table = element('table', {class: 'findings'});
      const body = element('tbody');
      table.append(element('caption', {text: `What changed from ${result.old} to ${result.new}`}),
        element('thead', {}, row(['Kind', 'Place', 'Finding', 'Name', 'Was'], true)), body);
      for (const finding of result.rows) {
        const was = finding.from ? (finding.finding === 'renamed' || finding.finding === 'changed' ? finding.from.name : placeText(finding.from)) : '';
        const tr = row([finding.kind, placeText(finding), finding.finding, finding.name || '', was]);
        tr.dataset.finding = finding.finding;
        tr.title = finding.line;
        body.append(tr);
      }
      report.append(table);
    }
    report.append(element('details', {open: ''}, element('summary', {text: 'As the command line says it (morvane /D)'}),
      element('pre', {tabindex: '0', text: result.lines.join('\n')})));
    announce(summary);
  }

  // ---- wiring -----------------------------------------------------------------------------------

  picker.addEventListener('change', () => {
    take(picker.files);
    picker.value = '';
  });
  // Files dropped anywhere: the page never opens a dropped file itself.
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.body.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dragging');
  });
  document.body.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  document.body.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    if (event.dataTransfer && event.dataTransfer.files.length) take(event.dataTransfer.files);
  });
  document.addEventListener('drop', (event) => event.preventDefault());
  search.addEventListener('input', renderSearch);
  compareButton.addEventListener('click', compare);

  updateCompareChoices();
  startWorker();
})();
