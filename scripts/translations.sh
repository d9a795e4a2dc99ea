#!/usr/bin/env bash
# The program's translations in resources/translations/winkwell_<locale>.ts.
#   scripts/translations.sh [check] [FOLDER]  fails when a .ts file lacks a source text of the
#                                             program, has an unfinished or obsolete entry, or a
#                                             translation whose %1 placeholders differ from its
#                                             source; lists each with where the text is used
#   scripts/translations.sh update            adds new source texts to the .ts files (marked
#                                             unfinished) and drops the ones the program no
#                                             longer has; then translate them, e.g. in linguist
set -euo pipefail
cd "$(dirname "$0")/.."

# Every folder whose texts the user sees; lupdate reads .cpp, .h and .ui files.
SOURCES=(app common controller gui model network statistics systemsession platform)
LOCALES=(sk_SK de_DE cs_CZ)

mode=${1:-check}
folder=${2:-resources/translations}

# lupdate_into TS_FILE OPTION...
lupdate_into() {
    local ts=$1
    shift
    lupdate -silent -recursive "$@" "${SOURCES[@]}" -ts "$ts" 2>/dev/null
}

case "$mode" in
update)
    for locale in "${LOCALES[@]}"; do
        lupdate_into "$folder/winkwell_$locale.ts" -locations none -no-obsolete \
            -target-language "$locale"
    done
    exit 0
    ;;
check) ;;
*)
    echo "usage: $0 [check [FOLDER]|update]" >&2
    exit 2
    ;;
esac

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
for locale in "${LOCALES[@]}"; do
    file="$folder/winkwell_$locale.ts"
    if [ ! -f "$file" ]; then
        echo "$file: missing"
        status=1
        continue
    fi
    # The file as lupdate would leave it: new texts unfinished, vanished ones obsolete.
    cp "$file" "$tmp/winkwell_$locale.ts"
    lupdate_into "$tmp/winkwell_$locale.ts" -locations absolute
    python3 - "$tmp/winkwell_$locale.ts" "$file" "$PWD" <<'EOF' || status=1
import os, re, sys, xml.etree.ElementTree as ET
updated, shown, root = sys.argv[1], sys.argv[2], sys.argv[3]
placeholder = re.compile(r"%L?(\d)")
problems = []
for context in ET.parse(updated).getroot().iter("context"):
    name = context.findtext("name")
    for message in context.iter("message"):
        source = message.findtext("source") or ""
        translation = message.find("translation")
        kind = translation.get("type", "") if translation is not None else "unfinished"
        text = "".join(translation.itertext()) if translation is not None else ""
        where = ", ".join(
            os.path.relpath(os.path.join(os.path.dirname(updated), loc.get("filename", "")), root)
            + ":" + loc.get("line", "")
            for loc in message.iter("location"))
        label = f"{name}: {source!r}" + (f" ({where})" if where else "")
        if kind in ("obsolete", "vanished"):
            problems.append(f"obsolete, the program no longer has it: {label}")
        elif kind == "unfinished":
            problems.append(f"missing or unfinished: {label}")
        elif sorted(placeholder.findall(source)) != sorted(placeholder.findall(text)):
            problems.append(f"placeholders differ from the source: {label} -> {text!r}")
for problem in problems:
    print(f"{shown}: {problem}")
if problems:
    print(f"{shown}: {len(problems)} entries to fix (scripts/translations.sh update adds new texts)")
    sys.exit(1)
EOF
done
if [ "$status" -eq 0 ]; then
    echo "translations complete: ${LOCALES[*]}"
fi
exit $status
