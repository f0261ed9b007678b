#!/usr/bin/env bash
# The demo's units as HTML pages (one per unit and class, an index page),
# and, when Debian's chromium is installed, a screenshot of the main form's
# class page taken by headless Chromium.
#   examples/help/manual-html.sh [OUT]      (OUT defaults to manual-html)
set -euo pipefail
here=$(cd "$(dirname "$0")/../demo" && pwd)
out=$(realpath -m "${1:-manual-html}")
velmoric=${VELMORIC:-velmoric}
(cd "$here" && "$velmoric" manual --project Demo.dpr MainForm.pas Shapes.pas ShapeKinds.pas --html "$out")
if command -v chromium >/dev/null; then
  chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1000,900 \
    --screenshot="$out/TFormMain.png" "file://$out/TFormMain.html" 2>/dev/null
  echo "screenshot: $out/TFormMain.png"
fi
echo "index: $out/index.html"
