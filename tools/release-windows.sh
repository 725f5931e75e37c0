#!/usr/bin/env bash
# Builds morvane.exe for 64-bit Windows and packs it with the templates, a short read-me and
# the license:
#   tools/release-windows.sh   ->   build/dist/morvane-<version>-win64.zip
# MORVANE_WINDOWS_BUILD names the build directory to use (default build/windows-release).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh linux windows

build=${MORVANE_WINDOWS_BUILD:-build/windows-release}
version=$(sed -n 's/^project(morvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="morvane-$version-win64"
stage="build/dist/$name"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DMORVANE_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target morvane

rm -rf "$stage" "build/dist/$name.zip"
mkdir -p "$stage"
strip=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$build/CMakeCache.txt")
"${strip:-x86_64-w64-mingw32-strip}" -o "$stage/morvane.exe" "$build/morvane.exe"
# Copied byte for byte: the templates' CR LF line ends go into every .ins file.
cp templates/*.ins "$stage/"
# CR LF like the package's other text files, for Windows' own editors.
sed 's/\r*$/\r/' LICENSE >"$stage/LICENSE.txt"
sed 's/$/\r/' >"$stage/README.txt" <<'TEXT'
Drop your .pcg files on morvane.exe
===================================

MORVANE VERSION for Windows (64-bit) reads Korg Kronos, Nautilus, Krome,
Krome EX, Kross, Kross 2, M3, M50, microSTATION, Oasys, Triton, Triton Extreme,
Triton Le and Karma bank files (.pcg) and writes the names of their programs
and combinations for your sequencer.

Drop one or more .pcg files, or a folder of them, on morvane.exe (or on a
shortcut to it, or use "Send to"). Each file is converted in its own folder:
MyBank.pcg gets, beside it,
  MyBank.ins       an instrument definition file for Cakewalk/SONAR: in
                   Preferences, MIDI, Instruments, "Define...", "Import..."
  MyBank_out.txt   a checksum listing of every program, combination, set list
                   and slot, to compare two bank files line by line
A message box then says, one line per file, what was written and how many
program and combination banks it holds, or why a file was not converted.
A folder gives every .pcg file in it, not those in its subfolders.
Double-click morvane.exe without files and the box explains this.

SWITCHES THROUGH A SHORTCUT
Right-click morvane.exe, "Create shortcut", open the shortcut's Properties and
add switches after the program in "Target", for example:
  "C:\Tools\morvane\morvane.exe" /A
Every file dropped on that shortcut then also gets the files below. Put the
shortcut into the Send To folder (type shell:sendto in Explorer's address
bar) to have it in the "Send to" menu of every file.

PATCH NAMES FOR OTHER SEQUENCERS (written beside MyBank.ins)
  /M  MyBank.midnam, a MIDI Name Document.
      Pro Tools: copy it to
      C:\Program Files\Common Files\Avid\MIDI Patch Names\ and give the
      Kronos the manufacturer Korg and the model "Kronos (bank)" in MIDI
      Studio Setup. Ardour, Mixbus: %LOCALAPPDATA%\Ardour8\patchfiles\
      (Mixbus: the same under its own name), restart, choose the MIDNAM model
      "Kronos (bank)". Qtractor: View, Instruments, Import.
  /R  MyBank_programs.reabank and MyBank_combis.reabank for REAPER: load one
      in ReaControlMIDI on the synthesizer's track (the combis file when it is
      in Combination mode).
  /C  MyBank_cubase.txt, a patch script for Cubase and Nuendo: copy it to
      %APPDATA%\Steinberg\Cubase 13_64\Scripts\Patchnames\inactive\Korg\,
      then Studio, MIDI Device Manager, "Install Device", "Kronos (bank)".
  /L  MyBank.csv for spreadsheets (UTF-8, Excel shows accents right) and
      scripts; in Logic, paste a bank's names into an External MIDI
      instrument.
  /A  all four.
Each file holds every program and combination bank under the name the .ins
gives it, with the synthesizer's bank-select numbers. For another model's file
read its model (Krome, Nautilus, Triton, ...) where this says Kronos, and set
Global "Bank Map" to KORG on the instrument.
No real bank file of the Oasys, M3, M50, microSTATION, Krome, Krome EX, Kross,
Kross 2 or Nautilus has been checked yet, and most of their bank numbers are
inferred: correct them in the model's trailer template if your instrument
answers to others, and please report what does not match.

COMPARING TWO BANK FILES
  /D  on a shortcut: drop two .pcg files on it and the box shows what was
      renamed, changed, moved or copied between them, and a summary line.
      The file Explorer passes first is the old one; the report names both.
      From a command prompt: morvane /D old.pcg new.pcg

THE TEMPLATES
Every .ins file is a header template, the bank sections and a trailer
template, one pair per model (Kronos_INS_header.ins and Kronos_INS_trailer.ins
for the Kronos, and so on), all beside morvane.exe. They are plain text, yours
to edit; an edited copy in the bank file's folder wins over the one beside
morvane.exe. Keep them beside morvane.exe when you move it.

FROM A COMMAND PROMPT, POWERSHELL OR A SCRIPT
Started from a console, MORVANE shows no box: it writes its outputs to the
current folder and its progress to the console.
  morvane bank.pcg               writes bank.ins and bank_out.txt
  morvane /A "my bank.pcg"       names with blanks go in double quotes
  morvane banks\*.pcg            every matching file
  morvane /V bank.pcg            the same, with a trace of the file's chunks
  morvane /T bank.pcg            header and trailer only, no bank
  morvane bank.pcg out.ins x     three or more names: the second is the output
                                 base (out.ins and out_out.txt)
  morvane /D old.pcg new.pcg     compare; writes no file
Switches start with / or - (-v works as well as /V); morvane --help shows the
full help. The exit status is 0 when every file was converted and 1 when one
was not (with /D: 0 same, 1 different, 2 trouble); the reason is on standard
error.

MORVANE is free software under the MIT license: see LICENSE.txt.
TEXT
sed -i "s/MORVANE VERSION for/MORVANE $version for/" "$stage/README.txt"

cd build/dist
if command -v zip >/dev/null 2>&1; then
  zip -q -X -r "$name.zip" "$name"
else
  cmake -E tar cf "$name.zip" --format=zip "$name"
fi
echo "$(pwd)/$name.zip"
