#!/usr/bin/env bash
# Installs what is missing, builds the Tavilo application and starts it.
# Usage: scripts/run.sh
# Tavilo is a desktop program: it needs a display. Without one, run it on a virtual display:
#   xvfb-run -a -s "-screen 0 1920x1200x24" ./scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh Release Tavilo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'MESSAGE'
run.sh: Tavilo is built, but there is no display to show it on (neither DISPLAY nor
WAYLAND_DISPLAY is set). On a machine without a screen, run it on a virtual display instead:

    xvfb-run -a -s "-screen 0 1920x1200x24" ./scripts/run.sh
MESSAGE
    exit 2
fi

exec build/app/Tavilo_artefacts/Release/Tavilo
