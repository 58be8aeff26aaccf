#!/usr/bin/env bash
# Runs the timer test ($1) under ThreadSanitizer on a private X server, which is
# always stopped on the way out. Exits 77 (skipped) only when no server can start.
set -uo pipefail
command -v Xvfb >/dev/null || { echo "timer_tsan: Xvfb is missing, skipped"; exit 77; }
numero=$(mktemp)
serveur=
trap '[ -n "$serveur" ] && kill "$serveur" 2>/dev/null; wait; rm -f "$numero"' EXIT
# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 640x480x16 -nolisten tcp 3>"$numero" >/dev/null 2>&1 &
serveur=$!
for _ in $(seq 100); do
  [ -s "$numero" ] && break
  kill -0 "$serveur" 2>/dev/null || break
  sleep 0.1
done
[ -s "$numero" ] || { echo "timer_tsan: no X server could start, skipped"; exit 77; }
# No suppressions: Allegro's own threads give no report, and temps runs below
# liballeg's frames, so a pattern on liballeg would hide the very race looked for.
DISPLAY=":$(cat "$numero")" TSAN_OPTIONS="halt_on_error=1 exitcode=66 ${TSAN_OPTIONS:-}" "$1"
