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
sed 's/$/\r/' >"$stage/README.txt" <<TEXT
MORVANE $version for Windows (64-bit)

MORVANE converts a Korg Kronos or Triton PCG bank file into an instrument
definition file (<name>.ins) that lets a MIDI sequencer show the program and
combination names, and a checksum listing (<name>_out.txt) of every program,
combination and set list, so that two bank files can be compared line by line.

Kronos_INS_header.ins and Kronos_INS_trailer.ins, beside morvane.exe, are the
header and trailer of every .ins file. An edited copy in the folder you run
MORVANE in wins over them. Both outputs are written to the current folder.

  morvane bank.pcg               writes bank.ins and bank_out.txt
  morvane /V bank.pcg            the same, with a trace of the file's chunks
  morvane /T bank.pcg            header and trailer only, no bank
  morvane "my bank.pcg"          names with blanks go in double quotes
  morvane banks\*.pcg            every matching file
  morvane bank.pcg out.ins x     three or more names: the second is the output
                                 base (out.ins and out_out.txt)

Switches start with / or - (-v works as well as /V). Without a file name
MORVANE shows its usage in a message box; morvane --help shows the full help.
The exit status is 0 when every file was converted and 1 when one was not;
the reason is on standard error.

MORVANE is free software under the MIT license: see LICENSE.txt.
TEXT

cd build/dist
if command -v zip >/dev/null 2>&1; then
  zip -q -X -r "$name.zip" "$name"
else
  cmake -E tar cf "$name.zip" --format=zip "$name"
fi
echo "$(pwd)/$name.zip"
