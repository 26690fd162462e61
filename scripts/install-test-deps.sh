#!/bin/sh
# What the tests need beyond the build: Debian's chromium and Node.js for the browser
# tests, tidy to check the pages they load, and their driver (puppeteer-core) from npm
# into tests/browser/node_modules.
# Only what is missing is installed. Safe to run again and again.
set -eu
cd "$(dirname "$0")/.."

extra="chromium tidy"
if ! command -v npm >/dev/null 2>&1; then
    extra="$extra nodejs npm"
fi
MAVREN_EXTRA_PACKAGES="$extra ${MAVREN_EXTRA_PACKAGES:-}" sh scripts/install-deps.sh

# Installed afresh when the lock file changed since the last install.
if [ ! -f tests/browser/node_modules/.package-lock.json ] ||
    [ tests/browser/package-lock.json -nt tests/browser/node_modules/.package-lock.json ]; then
    echo "Installing the browser test driver (npm ci in tests/browser)"
    npm ci --prefix tests/browser --no-audit --no-fund --loglevel=error
fi
