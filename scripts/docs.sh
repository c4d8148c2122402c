#!/usr/bin/env bash
# The API reference: runs Doxygen (installed when missing) over the public
# headers in include/QvBase and the pages of docs/ (docs/mainpage.md is the
# main page) into OUT/html, with every undocumented class, member, free
# function or variable and every documentation error reported and failing
# the run. The warnings are also kept in OUT/warnings.txt. Open
# OUT/html/index.html in a browser.
#
#   docs.sh [OUT]     OUT defaults to build/docs; the CMake target
#                     qvbase_docs (QV_BUILD_DOCS=ON) gives its own
set -euo pipefail
out=$(mkdir -p "${1:-build/docs}" && cd "${1:-build/docs}" && pwd)
cd "$(dirname "$0")/.."
command -v doxygen >/dev/null 2>&1 || bash scripts/install-deps.sh docs
version=$(sed -n 's/^project(QvBase VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
IFS=. read -r major minor patch <<<"$version"
rm -rf "$out/html"
# The version header as the build makes it.
mkdir -p "$out/include/QvBase"
sed -e "s/@PROJECT_VERSION_MAJOR@/$major/" -e "s/@PROJECT_VERSION_MINOR@/$minor/" \
    -e "s/@PROJECT_VERSION_PATCH@/$patch/" -e "s/@PROJECT_VERSION@/$version/" \
    cmake/QvVersion.h.in >"$out/include/QvBase/QvVersion.h"
# QV_BASE_API and QV_PRINTF_LIKE are left out of the declarations shown.
rc=0
doxygen - <<DOXYFILE || rc=$?
PROJECT_NAME           = QvBase
PROJECT_NUMBER         = $version
PROJECT_BRIEF          = "Base library for 3-D modelling applications"
INPUT                  = include/QvBase $out/include/QvBase docs
FILE_PATTERNS          = *.h *.md
USE_MDFILE_AS_MAINPAGE = docs/mainpage.md
RECURSIVE              = NO
OUTPUT_DIRECTORY       = $out
HTML_OUTPUT            = html
GENERATE_HTML          = YES
GENERATE_LATEX         = NO
HTML_TIMESTAMP         = NO
HAVE_DOT               = NO
SEARCHENGINE           = NO
GENERATE_TREEVIEW      = NO
HTML_DYNAMIC_MENUS     = NO
HTML_DYNAMIC_SECTIONS  = NO
FULL_PATH_NAMES        = YES
STRIP_FROM_PATH        = $PWD/include $out/include $PWD
STRIP_FROM_INC_PATH    = $PWD/include $out/include
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
# The pages use static menus and sections, which need no JavaScript
# library: Doxygen's copy of one is dropped rather than shipped.
rm -f "$out/html/jquery.js"
sed -i '/<script type="text\/javascript" src="jquery.js"><\/script>/d' "$out"/html/*.html
echo "API reference: $out/html/index.html"
