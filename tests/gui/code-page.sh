#!/usr/bin/env bash
# Runs the GUI tests of texts once more under another code page than the
# Western one of every other run: Wine takes the code page from the locale,
# and ru_RU.UTF-8 gives 1251. The locale is compiled into the build folder
# from the system's locale sources, so no system setting changes.
#
#   code-page.sh GUI_TESTS_EXE LOCALE_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=$1
locales=$2
if [ ! -d "$locales/ru_RU.UTF-8" ]; then
    mkdir -p "$locales"
    localedef -i ru_RU -f UTF-8 "$locales/ru_RU.UTF-8"
fi
LOCPATH=$locales LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 QUIPMARK_EXPECT_CODE_PAGE=1251 \
    "$root/scripts/with-wine.sh" wine "$exe" --gtest_filter='UnicodeEntries.*:SearchTest.*:TreeView.*:PopupFindSystem.*'
