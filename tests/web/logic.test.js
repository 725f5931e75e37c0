// What the page decides beyond drawing it.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const {sortDrop, TemplateShelf, purposeOf, matchingEntries, defaultPair} = require(path.join(__dirname, '..', '..', 'web', 'logic.js'));

test('a drop is split into templates and bank files by the names the converter looks for', () => {
  const names = ['a.pcg', 'Kronos_INS_header.ins', 'Triton_INS_trailer.ins', 'b.PCG', 'notes.ins', '_INS_header.ins', 'Kronos_INS_header.ins.bak'];
  const {templates, banks} = sortDrop(names.map((name) => ({name})));
  assert.deepEqual(templates.map((file) => file.name), ['Kronos_INS_header.ins', 'Triton_INS_trailer.ins']);
  assert.deepEqual(banks.map((file) => file.name), ['a.pcg', 'b.PCG', 'notes.ins', '_INS_header.ins', 'Kronos_INS_header.ins.bak']);
});

test('the last template given under a name is the one every later conversion gets', () => {
  const shelf = new TemplateShelf();
  shelf.put('Kronos_INS_trailer.ins', 'first');
  shelf.put('Krome_INS_header.ins', 'krome');
  shelf.put('Kronos_INS_trailer.ins', 'second');
  assert.deepEqual(shelf.forConversion(), [{name: 'Krome_INS_header.ins', bytes: 'krome'}, {name: 'Kronos_INS_trailer.ins', bytes: 'second'}]);
  shelf.remove('Krome_INS_header.ins');
  assert.deepEqual(shelf.names(), ['Kronos_INS_trailer.ins']);
});

test('each output is told by the ending the converter gives it, whatever its base', () => {
  const cases = [
    ['my_out.ins', 'Cakewalk'], ['my.ins_out.txt', 'checksum'], ['x.midnam', 'Pro Tools'], ['x_programs.reabank', 'REAPER, programs'],
    ['x_combis.reabank', 'REAPER, combinations'], ['x_cubase.txt', 'Cubase'], ['x.csv', 'spreadsheets'], ['x.csv.zip', 'zip'],
  ];
  for (const [name, purpose] of cases) assert.match(purposeOf(name), new RegExp(purpose), name);
});

test('a search shows every entry whose label or name holds it, case folded, blanks trimmed', () => {
  const banks = [{entries: [['IA000', 'Grand Piano'], ['IA001', 'Pad']]}, {entries: [['UB000', 'grandiose'], ['UB001', 'Lead']]}];
  const found = (query) => matchingEntries(banks, query).map((entry) => entry.label);
  assert.deepEqual(found('  GRAND '), ['IA000', 'UB000']);
  assert.deepEqual(found('ub00'), ['UB000', 'UB001']);
  assert.deepEqual(found('   '), []);
  assert.deepEqual(found('nothing'), []);
});

test('the compare pair keeps a chosen file while it is loaded, else takes the first two', () => {
  assert.deepEqual(defaultPair(['a', 'b', 'c'], 'c', 'b'), {old: 'c', new: 'b'});
  assert.deepEqual(defaultPair(['a', 'b'], 'gone', ''), {old: 'a', new: 'b'});
  assert.deepEqual(defaultPair(['a'], '', ''), {old: 'a', new: 'a'});
  assert.deepEqual(defaultPair([], '', ''), {old: '', new: ''});
});
