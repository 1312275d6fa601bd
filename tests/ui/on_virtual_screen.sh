#!/bin/sh
# on_virtual_screen.sh COMMAND...: runs COMMAND on a virtual X display of 1280x800 (Xvfb); exits
# 77, which CTest counts as skipped, where Xvfb is not installed.
if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
  echo "xvfb-run or Xvfb not found: skipped"
  exit 77
fi
exec xvfb-run -a -s "-screen 0 1280x800x24" "$@"
