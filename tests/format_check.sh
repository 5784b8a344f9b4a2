#!/bin/sh
# The sources keep the form .clang-format gives them, and clang-format read them as C++.
#
# A clean dry run is not enough: a line that clang-format takes for something else (a line
# beginning with `import` or `module` reads to it as a C++20 module statement) stays as it was,
# the braces after it are counted wrongly and a function's closing brace gets a
# `}  // namespace` comment, and the dry run then passes the damage as formatted. So every file
# must also pass two checks of its own: no line begins with such a word, and the namespace
# comments pair one to one, in order and by name, with the namespaces the file opens.
# Run from the project's root, on the files given or else on every source; exits 77 when
# clang-format is not installed.
set -eu
command -v clang-format >/dev/null || exit 77

if [ $# -gt 0 ]; then
    files="$*"
else
    files=$(find src tests bench fuzz -name '*.cpp' -o -name '*.h' | sort)
fi
# shellcheck disable=SC2086 # the paths hold no blanks
clang-format --dry-run --Werror $files

# Braces are counted outside strings, characters and comments (the sources hold no raw strings
# and no block comment over several lines). A namespace that closes on a short line of its own
# may go without the comment; a "// namespace" comment on a brace that closes no namespace fails.
# shellcheck disable=SC2086
awk '
function fail(why) {
    printf "%s:%d: %s\n", FILENAME, FNR, why
    bad = 1
}
FNR == 1 {
    depth = 0
    opened = 0
    comment = 0
}
/^[ \t]*(import|module)([ \t]|::|;|$)/ {
    fail("a line that begins with \"" $1 "\" reads to clang-format as a module statement")
}
{
    code = $0
    gsub(/\\./, "", code)
    gsub(/"[^"]*"/, "", code)
    gsub(/\047[^\047]*\047/, "", code)
    gsub(/\/\*([^*]|\*+[^*\/])*\*+\//, "", code)
    sub(/\/\/.*$/, "", code)
    if (code ~ /^[ \t]*(inline[ \t]+)?namespace([ \t]+[A-Za-z_][A-Za-z0-9_:]*)?[ \t]*\{/) {
        name = code
        sub(/^[ \t]*(inline[ \t]+)?namespace[ \t]*/, "", name)
        sub(/[ \t]*\{.*$/, "", name)
        names[++opened] = name
        level[opened] = depth
    }
    closed = ""
    closing = 0
    n = length(code)
    for (i = 1; i <= n; ++i) {
        c = substr(code, i, 1)
        if (c == "{")
            ++depth
        else if (c == "}") {
            --depth
            if (opened > 0 && depth == level[opened]) {
                closed = names[opened--]
                closing = 1
            }
        }
    }
    if ($0 ~ /^[ \t]*\}[ \t]*\/\/[ \t]*namespace/) {
        name = $0
        sub(/^[ \t]*\}[ \t]*\/\/[ \t]*namespace[ \t]*/, "", name)
        sub(/[ \t]+$/, "", name)
        if (!closing)
            fail("\"// namespace " name "\" on a brace that closes no namespace")
        else if (closed != name)
            fail("\"// namespace " name "\" closes the namespace \"" closed "\"")
    }
}
END { exit bad }
' $files
