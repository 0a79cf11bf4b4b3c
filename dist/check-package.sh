#!/bin/sh
# Checks a Debian package of masume as the distribution checks its own:
# lintian finds no error and no warning (its informational tags are shown
# all the same), and hardening-check finds the hardening of Debian's builds
# in both programs as the package holds them (stripped).
#
# hardening-check's "Control flow integrity" asks for the IBT and SHSTK
# property of the whole program, which the linker gives only when every
# object linked has it. The start files of Debian 12's C library (Scrt1.o,
# crti.o, crtn.o) have not, so no program linked on Debian 12 has it,
# Debian's own neither; that line is reported and not counted. The code
# compiled for masume carries the property (-fcf-protection).
#
# Usage: check-package.sh PACKAGE.deb
set -eu
deb=$1

lintian --display-info --fail-on error,warning "$deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
hardening-check --nocfprotection "$work/usr/bin/masume" "$work/usr/bin/masume-batch"
