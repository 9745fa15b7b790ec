#!/usr/bin/env bash
# Fails when a build uses a file from a Debian package that tools/setup.sh
# neither lists nor pulls in as a dependency: such a build passes here, where
# the package happens to be installed, and fails on a fresh machine.
#
# What the build used is read from the build itself: the CMake package
# configurations it loaded (*_DIR in CMakeCache.txt), the headers in the
# compiler's dependency files, the files on the link lines, and the programs
# that the repository's scripts and tests start. Packages every Debian system
# has (Essential, or Priority required) need no listing.
#
# Usage: check-fresh-machine.sh BUILD_DIR [SETUP_SCRIPT]
# With KEEP=DIR the lists it made (used files, owners, closure) are kept there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
setup=${2:-$root/tools/setup.sh}
tmp=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] && cp -r "$tmp" "$KEEP"; rm -rf "$tmp"' EXIT

# Every used file as "WHAT<TAB>PATH", WHAT saying where the use was seen.
{
    # CMake packages: the configuration file itself, not its folder, which
    # Debian may share between packages (Qt6OpenGL's holds files of two).
    sed -n 's/^[A-Za-z0-9_]*_DIR:PATH=\(\/.*\)$/\1/p' "$build/CMakeCache.txt" | while read -r dir; do
        for f in "$dir"/*Config.cmake "$dir"/*-config.cmake; do
            if [[ -f $f && $f != *ConfigVersion* && $f != *-config-version* ]]; then printf 'cmake\t%s\n' "$f"; fi
        done
    done
    # Headers.
    find "$build" -name '*.o.d' -exec cat {} + | tr ' \\' '\n\n' | grep '^/' | sort -u |
        sed 's/^/header\t/'
    # Link lines: the linker, libraries by path, and -l libraries.
    find "$build" -name link.txt -exec cat {} + | tr ' ' '\n' | sort -u | while read -r word; do
        case $word in
        /*) if [[ -f $word ]]; then printf 'link\t%s\n' "$word"; fi ;;
        -l*)
            lib=$(c++ -print-file-name="lib${word#-l}.so")
            if [[ $lib == /* ]]; then printf 'link\t%s\n' "$lib"; fi
            ;;
        esac
    done
    # Programs: the first word of each command in the shell scripts, the
    # interpreters they name, programs that Python scripts and C++ tests
    # start, and the modules Python scripts import.
    # The source tree without git, which a fresh machine need not have.
    sources() { find "$root" \( -name .git -o -name 'build*' -o -path "$build" \) -prune -o -type f "$@" -print; }
    sources \( -name '*.sh' -o -name '*.py' -o -path "$root/.ci/run" \) | while read -r f; do
        sed -n '1s/^#! *\(\/usr\/bin\/env \)\{0,1\}\([^ ]*\).*/\2/p' "$f"
        if [[ $f == *.py ]]; then
            grep -oE '(\[|\(|, *)\s*["'\''][A-Za-z][A-Za-z0-9_.+-]*["'\'']' "$f" | grep -oE '[A-Za-z][A-Za-z0-9_.+-]*' || true
        else
            sed -e 's/^[[:space:]]*#.*//' -e 's/[[:space:]]#.*//' "$f" |
                sed -E -e 's/\(\([^)]*\)\)//g' -e 's/\$\(|`|\|\||&&|[|;(){}!]/\n/g' |
                awk '{ i = 1
                       while (i <= NF && ($i ~ /^[A-Za-z_][A-Za-z0-9_]*=/ || $i ~ /^(exec|then|do|else|elif|if|while|until|time|command|env|nohup|-v)$/)) i++
                       if ($i == "timeout" || $i == "flock") i += 2
                       if (i <= NF) print $i }'
        fi
    done | sort -u | while read -r word; do
        if [[ $word =~ ^[A-Za-z/][A-Za-z0-9_./+-]*$ && $(type -t "$word" 2>/dev/null) == file ]]; then
            printf 'program\t%s\n' "$(type -P "$word")"
        fi
    done
    sources -name '*.cpp' | xargs grep -hoE '(start|execute)\(QStringLiteral\("[A-Za-z][A-Za-z0-9_.+-]*"\)' |
        grep -oE '"[^"]*"' | tr -d '"' | sort -u | while read -r word; do
        if type -P "$word" >/dev/null; then printf 'program\t%s\n' "$(type -P "$word")"; fi
    done
    # Modules as Debian's interpreter finds them; the tests run that one.
    sources -name '*.py' | xargs -r sed -nE 's/^\s*(import|from)\s+([A-Za-z_][A-Za-z0-9_]*).*/\2/p' | sort -u |
        while read -r module; do
            file=$(/usr/bin/python3 -c "import $module; print(getattr($module, '__file__', None) or '')" 2>/dev/null) || true
            if [[ $file == /* ]]; then printf 'python\t%s\n' "$file"; fi
        done
} | grep -v -e "	$root/" -e "	$build/" | sort -u >"$tmp/used"

# The package that owns each file: as named, else with its links resolved,
# else under the other half of Debian's merged /usr.
owner() {
    dpkg -S "$@" 2>/dev/null | grep -E '^[^ ]+(, [^ ]+)*: /' | sed -E 's/:[a-z0-9]+(,|: )/\1/g' |
        awk -F': ' '{ n = split($1, p, ", "); for (i = 1; i <= n; i++) print $2 "\t" p[i] }'
}
cut -f2 "$tmp/used" | sort -u >"$tmp/paths"
while read -r path; do
    for alt in "$path" "$(realpath "$path")" "${path#/usr}" "/usr$path"; do
        printf '%s\t%s\n' "$path" "$alt"
    done
done <"$tmp/paths" | sort -u >"$tmp/alternatives"
cut -f2 "$tmp/alternatives" | sort -u | xargs -r -d '\n' -n 500 bash -c "$(declare -f owner); owner \"\$@\"" _ |
    sort -u >"$tmp/owned"
# used path -> package, through whichever alternative name dpkg knows.
join -t $'\t' -1 2 -2 1 <(sort -t $'\t' -k2,2 "$tmp/alternatives") "$tmp/owned" | cut -f2,3 | sort -u >"$tmp/path-package"

# What setup.sh installs, with every dependency, and what every system has.
mapfile -t listed < <(bash "$setup" --list)
apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
    --no-enhances "${listed[@]}" | grep -v '^ ' | sed 's/:any$//; s/[<>]//g' >"$tmp/closure"
printf '%s\n' "${listed[@]}" >>"$tmp/closure"
dpkg-query -W -f='${Package} ${Essential} ${Priority}\n' | awk '$2 == "yes" || $3 == "required" { print $1 }' >>"$tmp/closure"
sort -u -o "$tmp/closure" "$tmp/closure"

cut -f2 "$tmp/path-package" | sort -u | comm -23 - "$tmp/closure" >"$tmp/missing"
unowned=$(cut -f2 "$tmp/used" | sort -u | comm -23 - <(cut -f1 "$tmp/path-package" | sort -u) | wc -l)
echo "$(wc -l <"$tmp/used") files used by the build, from $(cut -f2 "$tmp/path-package" | sort -u | wc -l) packages; $unowned belong to none"
if [[ -s $tmp/missing ]]; then
    echo "FAIL: tools/setup.sh does not install these packages, which the build uses:"
    while read -r package; do
        echo "  $package, for:"
        awk -F'\t' -v p="$package" '$2 == p { print $1 }' "$tmp/path-package" | head -3 |
            while read -r path; do grep -m1 -P "\t\Q$path\E$" "$tmp/used" | sed 's/^/    /; s/\t/ /'; done
    done <"$tmp/missing"
    echo "fresh machine: 0 passed, 1 failed"
    exit 1
fi
echo "fresh machine: 1 passed, 0 failed"
