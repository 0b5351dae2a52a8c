#!/usr/bin/env bash
# compare-codepage-tables.sh LINUX_TABLE WINDOWS_TABLE: compares what
# veltrin-codepage-table wrote on two builds, Qt's converter (ICU) on Linux and
# Windows' own code page 936 under Wine. Exits non-zero on any difference but
# the one known: Wine's converter calls a lone 0xFF invalid, where ICU reads
# it as U+F8F5. Both encode U+F8F5 as 0xFF and read 0xFF as U+F8F5 when not
# asked for validity, so the program's bytes and text are the same on both;
# only a GBK file holding a lone 0xFF loads on one and is refused on the other.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 LINUX_TABLE WINDOWS_TABLE" >&2; exit 2; }

tr -d '\r' <"$2" | awk -v linux="$1" '
function entry(line,    n, f, i, key) {
    n = split(line, f, " ")
    key = f[1]
    for (i = 2; i <= n && f[i] !~ /^U\+/ && f[i] != "invalid"; ++i)
        key = key " " f[i]
    if (f[1] == "encode") {
        key = f[1] " " f[2]
        i = 3
    }
    value = ""
    for (; i <= n; ++i)
        value = value (value == "" ? "" : " ") f[i]
    return key
}
BEGIN {
    while ((getline line < linux) > 0) {
        if (line ~ /^converter /) { linuxName = substr(line, 11); continue }
        key = entry(line)
        left[key] = value
        if (key ~ /^encode/) ++linuxEncodable; else ++sequences
    }
}
/^converter / { windowsName = substr($0, 11); next }
{
    key = entry($0)
    right[key] = value
    if (key ~ /^encode/) ++windowsEncodable
}
END {
    for (key in left) {
        if (!(key in right)) { report(key, left[key], "(none)"); continue }
        if (left[key] != right[key]) report(key, left[key], right[key])
    }
    for (key in right)
        if (!(key in left)) report(key, "(none)", right[key])
    printf "code page 936: %s against %s\n", linuxName, windowsName
    printf "  characters encoded: %d and %d; byte sequences decoded: %d\n", linuxEncodable, windowsEncodable, sequences
    printf "  differences: %d, of which %d where only ICU calls a lone 0xFF valid\n", known + unknown, known
    exit unknown > 0
}
function report(key, a, b) {
    if (key ~ /^decode/ && key ~ /FF/ && a ~ /U\+F8F5/ && b == "invalid") { ++known; return }
    ++unknown
    if (unknown <= 20) printf "  differs: %s: %s | %s\n", key, a, b
}
'
