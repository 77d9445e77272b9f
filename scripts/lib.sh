# Helpers shared by scripts/run and scripts/test. Source, don't run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-$(nproc)}"

# Configures and builds one build folder: build_tree DIR [cmake options...]
build_tree() {
  local dir="$1"; shift
  if [ ! -f "$ROOT/$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja "$@" >/dev/null
  fi
  cmake --build "$ROOT/$dir" -j "$JOBS"
}

# Starts Xvfb on a free display when none is set; exports DISPLAY and XVFB_PID.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 320x240x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 1 50); do
        if xdpyinfo >/dev/null 2>&1; then return 0; fi
        sleep 0.1
      done
      kill "$XVFB_PID" 2>/dev/null || true
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}

# Lays out a runtime folder (the install folder's contents) from data/.
prepare_runtime() {
  local run="$1"
  mkdir -p "$run"
  cp -r "$ROOT/data/." "$run/"
  mkdir -p "$run/Layout" "$run/thumbnails" "$run/patterns"
  # The status of a finished update check: without it the start looks for an update to finish.
  [ -e "$run/system" ] || : >"$run/system"
}
