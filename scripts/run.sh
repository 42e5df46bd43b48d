#!/usr/bin/env bash
# Installs what is needed, builds QOR - Brenmoor and opens its window. Any arguments are the
# program's command line (the name of a configuration file).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target qor qor_shaders qor_textures

cd build/src/app  # the program writes console.txt and its captures where it runs
if [ -n "${DISPLAY:-}" ]; then
  exec ./qor "$@"
fi
# No screen: the window opens on a virtual one. To watch it, connect a VNC viewer to it
# (apt-get install x11vnc, then in another terminal: x11vnc -display :99 -nopw) or take a
# picture of it (apt-get install imagemagick; DISPLAY=:99 import -window root shot.png).
echo "No display (DISPLAY is not set): the window opens on the virtual screen :99 (Xvfb)."
echo "See it with a VNC viewer after 'x11vnc -display :99 -nopw', or take a picture with"
echo "'DISPLAY=:99 import -window root shot.png'. Close it with Ctrl+C here."
exec xvfb-run -n 99 -s "-screen 0 1280x1024x24" ./qor "$@"
