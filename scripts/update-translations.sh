#!/usr/bin/env bash
# Collects every tr() text of the program into language/language_cn.ts and
# language/language_en.ts (lupdate), then reports texts still untranslated.
# Translate new texts with Qt Linguist (or by editing the .ts files); the
# build compiles them into build/bin/language/.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
lupdate -silent -no-obsolete -locations relative -I . app display plot store history meter \
    -ts language/language_cn.ts language/language_en.ts
status=0
for ts in language/language_cn.ts language/language_en.ts; do
    report=$(lrelease "$ts" -qm /dev/null 2>&1 | grep -E 'Generated|Ignored' || true)
    echo "$ts:" $report
    # lrelease counts empty translations as "untranslated", others as "unfinished".
    if ! grep -q ' 0 unfinished' <<<"$report" || grep -q 'Ignored' <<<"$report"; then
        status=1
    fi
done
exit $status
