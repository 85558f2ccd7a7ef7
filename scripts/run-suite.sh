#!/usr/bin/env bash
# Runs lumetra2-cli in data/ (the working directory with the decks and profiles) with the
# arguments given.
set -euo pipefail
cd "$(dirname "$0")/../data"
exec ../build/release/cli/lumetra2-cli "$@"
