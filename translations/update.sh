#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Brings the translation sources up to date with the texts in the code and
# the interface files: new texts come in unfinished, for a translator to
# finish in Qt Linguist (linguist translations/tessaly_de.ts); texts no
# longer used are dropped. The test suite fails while any is unfinished.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
for ts in translations/tessaly_*.ts; do
    "$lupdate" -silent -locations none -no-obsolete -I . app platform pane -ts "$ts"
done
