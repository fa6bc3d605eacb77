#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, only when something is missing.
set -euo pipefail
needed=()
command -v cmake >/dev/null || needed+=(cmake)
command -v i686-w64-mingw32-g++-posix >/dev/null || needed+=(g++-mingw-w64-i686-posix)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || needed+=(g++-mingw-w64-x86-64-posix)
command -v wine >/dev/null || needed+=(wine)
[ -x /usr/lib/wine/wine64 ] || needed+=(wine64)
[ -d /usr/share/wine/fonts ] || needed+=(fonts-wine)
[ -d /usr/src/googletest ] || needed+=(googletest)
# The Hebrew letters that the prefix's Tahoma gets (scripts/hebrew_tahoma.py), and the tool that
# adds them; the script runs with the system's own Python, where Debian installs the tool.
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf ] || needed+=(fonts-dejavu-core)
/usr/bin/python3 -c 'import fontTools' 2>/dev/null || needed+=(python3-fonttools)
command -v python3 >/dev/null || needed+=(python3)
# The CalDAV server the calendars suite starts (run with the system's own Python).
/usr/bin/python3 -c 'import radicale' 2>/dev/null || needed+=(radicale)
# The certificate of the suite's HTTPS server is made at its start.
command -v openssl >/dev/null || needed+=(openssl)
# The performance page's plots (scripts/performance.sh).
/usr/bin/python3 -c 'import matplotlib' 2>/dev/null || needed+=(python3-matplotlib)
# The iCalendar fuzzer: clang with libFuzzer and the sanitizer runtimes, built natively.
command -v clang++ >/dev/null || needed+=(clang)
compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null ||
    needed+=(libclang-rt-dev)
# The native benchmark's reference parser (scripts/native-bench.sh); nothing else uses it.
[ -f /usr/include/libical/ical.h ] || needed+=(libical-dev)
if [ ${#needed[@]} -eq 0 ]; then
    exit 0
fi
echo "installing: ${needed[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "packages are missing and this is not root: install ${needed[*]}" >&2
    exit 1
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${needed[@]}" make >/dev/null
