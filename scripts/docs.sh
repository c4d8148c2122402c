#!/usr/bin/env bash
# The API reference: runs Doxygen (installed when missing) over the public
# headers in include/QvBase into build/docs/html, with every undocumented
# class, member, free function or variable and every documentation error
# reported and failing the run. The warnings are also kept in
# build/docs/warnings.txt. Open build/docs/html/index.html in a browser.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v doxygen >/dev/null 2>&1 || bash scripts/install-deps.sh docs
version=$(sed -n 's/^project(QvBase VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=build/docs
rm -rf "$out/html"
mkdir -p "$out"
# QV_BASE_API and QV_PRINTF_LIKE are left out of the declarations shown.
rc=0
doxygen - <<DOXYFILE || rc=$?
PROJECT_NAME           = QvBase
PROJECT_NUMBER         = $version
PROJECT_BRIEF          = "Base library for 3-D modelling applications"
INPUT                  = include/QvBase
FILE_PATTERNS          = *.h
RECURSIVE              = NO
OUTPUT_DIRECTORY       = $out
HTML_OUTPUT            = html
GENERATE_HTML          = YES
GENERATE_LATEX         = NO
HTML_TIMESTAMP         = NO
HAVE_DOT               = NO
FULL_PATH_NAMES        = YES
STRIP_FROM_PATH        = $PWD/include
STRIP_FROM_INC_PATH    = $PWD/include
JAVADOC_AUTOBRIEF      = YES
DISTRIBUTE_GROUP_DOC   = YES
BUILTIN_STL_SUPPORT    = YES
SORT_MEMBER_DOCS       = NO
EXTRACT_ALL            = NO
EXTRACT_PRIVATE        = NO
EXTRACT_STATIC         = YES
ENABLE_PREPROCESSING   = YES
MACRO_EXPANSION        = YES
EXPAND_ONLY_PREDEF     = YES
SEARCH_INCLUDES        = NO
PREDEFINED             = QV_BASE_API= "QV_PRINTF_LIKE(fmt,args)="
QUIET                  = YES
WARNINGS               = YES
WARN_IF_UNDOCUMENTED   = YES
WARN_IF_DOC_ERROR      = YES
WARN_IF_INCOMPLETE_DOC = YES
WARN_NO_PARAMDOC       = NO
WARN_AS_ERROR          = FAIL_ON_WARNINGS
WARN_FORMAT            = "\$file:\$line: \$text"
WARN_LOGFILE           = $out/warnings.txt
DOXYFILE
if [ -s "$out/warnings.txt" ] || [ "$rc" -ne 0 ]; then
  # Each warning once, its path relative to the checkout.
  awk -v top="$PWD/" '{ sub(top, "") } !seen[$0]++' "$out/warnings.txt" >&2
  echo "docs: Doxygen failed (status $rc) with" \
       "$(awk '!seen[$0]++' "$out/warnings.txt" | wc -l) warnings" >&2
  exit 1
fi
echo "API reference: $out/html/index.html"
