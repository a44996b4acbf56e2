# demo: the host's menu with the plug-in loaded (station-host --headless menu)
set -euo pipefail
echo "\$ station-host --headless menu"
"$BIN/station-host" --headless menu
echo
echo "\$ station-host --headless --flag 1 menu     (form AppBuilder: only the install item)"
"$BIN/station-host" --headless --flag 1 menu
