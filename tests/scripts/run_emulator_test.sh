#!/usr/bin/env bash
# make run's start script refuses a kq.bin in the current folder that cannot be a ROM image
# (a link to nothing, a folder, another size) before it starts anything.
# usage: run_emulator_test.sh SOURCE_DIR
set -uo pipefail
script="$(realpath "$1")/scripts/run-emulator"
here="$(mktemp -d)"
trap 'rm -rf "$here"' EXIT
# A build folder without a program: a script that went on to start one fails there.
build="$here/build"
mkdir -p "$build" "$here/cwd"
cd "$here/cwd"

failures=0
expect_refused() {  # what, message
  local output status
  output="$("$script" "$build" 2>&1)"
  status=$?
  if [ "$status" -ne 1 ] || [[ "$output" != *"$2"* ]]; then
    echo "FAIL: $1: status $status, said: $output"
    failures=$((failures + 1))
  fi
  rm -rf kq.bin
}

ln -s "$here/nowhere" kq.bin
expect_refused "a link to nothing" "ROM image \"$here/cwd/kq.bin\" is not a readable file"
mkdir kq.bin
expect_refused "a folder" "is not a readable file"
head -c 100 /dev/zero > kq.bin
expect_refused "100 bytes" "is 100 bytes, not 65536"
exit $((failures > 0))
