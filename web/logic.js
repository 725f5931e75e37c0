// What the page decides beyond drawing: which dropped files are templates, which templates a
// conversion is given, what each download is for, which names a search shows. No format is read
// here: every word, bank and name comes from the converter.
'use strict';

const MorvaneLogic = (() => {
  // The names the converter looks for in the working directory before its bundled copies.
  const templateSuffixes = ['_INS_header.ins', '_INS_trailer.ins'];

  function isTemplateName(name) {
    return templateSuffixes.some((suffix) => name.length > suffix.length && name.endsWith(suffix));
  }

  // A drop or a pick: its templates are taken first, so that they serve its bank files too.
  function sortDrop(files) {
    const templates = [], banks = [];
    for (const file of files) (isTemplateName(file.name) ? templates : banks).push(file);
    return {templates, banks};
  }

  // Your templates, as an edited copy in the working folder is on the command line: the last one
  // given under a name wins, and each stays for every later conversion until it is removed.
  class TemplateShelf {
    constructor() {
      this.byName = new Map();
    }
    put(name, bytes) {
      this.byName.set(name, bytes);
    }
    remove(name) {
      this.byName.delete(name);
    }
    names() {
      return [...this.byName.keys()].sort();
    }
    // What a conversion is handed: every template given so far.
    forConversion() {
      return this.names().map((name) => ({name, bytes: this.byName.get(name)}));
    }
  }

  // What each output is for, by the ending the converter gives its name.
  const purposes = [
    ['_out.txt', 'checksum listing: compare two bank files line by line'],
    ['_programs.reabank', 'REAPER, programs (ReaControlMIDI bank/program file)'],
    ['_combis.reabank', 'REAPER, combinations'],
    ['_cubase.txt', 'Cubase, Nuendo: patch script for the MIDI Device Manager'],
    ['.midnam', 'Pro Tools, Digital Performer, Ardour, Mixbus, Qtractor (MIDNAM)'],
    ['.ins', 'Cakewalk, SONAR: instrument definitions'],
    ['.csv', 'spreadsheets, Logic, scripts'],
    ['.zip', 'all of these files in one zip'],
  ];

  function purposeOf(fileName) {
    const found = purposes.find(([ending]) => fileName.endsWith(ending));
    return found ? found[1] : '';
  }

  // The entries of a file's banks that a search shows: every entry whose label or name holds the
  // query, case folded; the query's blanks at either end count for nothing.
  function matchingEntries(banks, query) {
    const wanted = query.trim().toLowerCase();
    const found = [];
    if (!wanted) return found;
    banks.forEach((bank, bankIndex) => {
      bank.entries.forEach(([label, name], number) => {
        if (name.toLowerCase().includes(wanted) || label.toLowerCase().includes(wanted)) found.push({bankIndex, number, label, name});
      });
    });
    return found;
  }

  // The two files a comparison starts with: the first two loaded, old before new.
  function defaultPair(names, oldName, newName) {
    const pick = (wanted, fallback) => (names.includes(wanted) ? wanted : fallback);
    const first = pick(oldName, names[0] || '');
    const second = pick(newName, names.find((name) => name !== first) || first);
    return {old: first, new: second};
  }

  function plural(count, word) {
    return `${count} ${word}${count === 1 ? '' : 's'}`;
  }

  // "12 program banks, 8 combination banks" from the banks the converter listed.
  function bankSummary(banks) {
    const programs = banks.filter((bank) => bank.kind === 'program').length;
    const combinations = banks.filter((bank) => bank.kind === 'combination').length;
    return `${plural(programs, 'program bank')}, ${plural(combinations, 'combination bank')}`;
  }

  return {isTemplateName, sortDrop, TemplateShelf, purposeOf, matchingEntries, defaultPair, bankSummary};
})();

if (typeof module === 'object' && module.exports) module.exports = MorvaneLogic;
