#!/usr/bin/env bash
# make-installer.sh BUILD OUTDIR
# From a Windows build (cross-built with KORVA_GUI=ON), installs Korva into OUTDIR/Korva and makes
# OUTDIR/korva-<version>-setup.exe (Debian's nsis) and OUTDIR/korva-<version>-windows.zip, the
# portable copy of the same files. Prints the two paths.
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
stage=$out/Korva
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" >/dev/null
# Without their debugging information the programs and DLLs are a fraction of their size.
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip {} +

# The installer's file lists, made from the installed folder itself so that the uninstaller
# deletes exactly what the installer wrote.
files=$out/files.nsh
unfiles=$out/unfiles.nsh
: >"$files"
: >"$unfiles"
(cd "$stage" && find . -type d ! -name . | sed 's|^\./||' | sort) >"$out/folders.txt"
(cd "$stage" && find . -type f | sed 's|^\./||' | sort) | while read -r file; do
  dir=$(dirname "$file")
  windows_file=${file//\//\\}
  if [ "$dir" = . ]; then
    echo "SetOutPath \"\$INSTDIR\"" >>"$files"
  else
    echo "SetOutPath \"\$INSTDIR\\${dir//\//\\}\"" >>"$files"
  fi
  echo "File \"$stage/$file\"" >>"$files"
  echo "Delete \"\$INSTDIR\\$windows_file\"" >>"$unfiles"
done
echo "SetOutPath \"\$INSTDIR\"" >>"$files"
sort -r "$out/folders.txt" | while read -r dir; do
  echo "RMDir \"\$INSTDIR\\${dir//\//\\}\"" >>"$unfiles"
done
rm "$out/folders.txt"

setup=$out/korva-$version-setup.exe
makensis -V2 -DSTAGE="$stage" -DFILES="$files" -DUNFILES="$unfiles" -DOUTFILE="$setup" \
  "$build/desktop/windows/korva.nsi" >/dev/null
zip=$out/korva-$version-windows.zip
rm -f "$zip"
(cd "$out" && zip -qr -X "$zip" Korva)
echo "$setup"
echo "$zip"
