#!/usr/bin/env bash
# Builds and runs all tests, then builds and runs them again under AddressSanitizer and
# UndefinedBehaviorSanitizer; first installs the Debian packages that are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-build-deps.sh --tests
cmake --workflow --preset test
cmake --workflow --preset sanitize
