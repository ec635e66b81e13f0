#!/usr/bin/env bash
# Regenerates the README's screenshots in docs/: builds the window tests and runs the whole
# measuring session on Qt's offscreen platform, which saves pictures of the main window.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh --tests
build="${TESRA_BUILD_DIR:-build/test}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tests_gui
QT_QPA_PLATFORM=offscreen TESRA_SCREENSHOTS="$PWD/docs" \
  "$build/tests/tests_gui" --gtest_filter='MeasuringSession.*'
echo "Screenshots written to docs/"
