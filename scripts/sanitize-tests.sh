#!/usr/bin/env bash
# The core, the command line and their tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer (gcc) in ./build-asan (benchmarks off): runs the
# core and command-line tests, replays every fuzz target over the fixtures,
# tests/data/repro and fuzz/corpus/<target> when it exists, checks the write
# path (set a value, save, read it back) on every media file among them, and
# last runs a few of the window's tests (hand-over, saving, row drags).
# Exits non-zero on any sanitizer report or broken write.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${ASAN_BUILD_DIR:-build-asan}
JOBS=${JOBS:-$(nproc)}

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$BUILD" -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DHOZANKI_SANITIZE=ON -DHOZANKI_BUILD_TESTS=ON -DHOZANKI_BUILD_GUI=OFF -DHOZANKI_BUILD_BENCH=OFF \
  -DHOZANKI_BUILD_FUZZ=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1:strict_string_checks=1:detect_invalid_pointer_pairs=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

(cd "$BUILD" && ctest --output-on-failure -j "$JOBS" --timeout 600)

corpus() {  # the fuzz corpus folder of a target, when there is one
  local dir=fuzz/corpus/${1#fuzz_}
  if [ -d "$dir" ]; then echo "$dir"; fi
}

for replay in "$BUILD"/fuzz/replay_fuzz_*; do
  target=${replay##*/replay_}
  case $target in
    fuzz_write_*) inputs=() ;;  # the first byte picks the format: fixtures mean nothing to them
    *) inputs=(tests/data) ;;
  esac
  mapfile -t extra < <(corpus "$target")
  inputs+=("${extra[@]}")
  if ((${#inputs[@]})); then "$replay" "${inputs[@]}"; fi
done

"$BUILD"/fuzz/hozanki_write_check tests/data

# The window's tests that stage edits, hand over paths, save and drag rows,
# under the same sanitizers (leak reports are off: Qt and fontconfig keep
# their caches until exit). The GUI is added to the same build folder.
GUI_TESTS=(gui_test_hand_over gui_test_main_window_behaviour gui_test_unsaved_changes gui_test_saving
  gui_test_folder_session gui_test_list_window gui_test_reorder_drag gui_test_tools_editor)
cmake -S . -B "$BUILD" -DHOZANKI_BUILD_GUI=ON >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target "${GUI_TESTS[@]}"
for t in "${GUI_TESTS[@]}"; do
  config=$(mktemp -d)
  HOZANKI_CONFIG_DIR=$config QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=${ASAN_OPTIONS/detect_leaks=1/detect_leaks=0} \
    "$BUILD/tests/$t" >"$config.log" 2>&1 || { cat "$config.log"; echo "sanitize-tests: $t failed"; exit 1; }
  grep -h '^Totals' "$config.log" | sed "s/^/$t: /"
  rm -rf "$config" "$config.log"
done
