#!/usr/bin/env bash
# Runs a Windows program under Wine in the private test prefix given as $1.
# The prefix is created on first use with the null graphics driver.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
prefix=$1; shift
qx_wine_prefix "$prefix" null
exec wine "$@"
