#!/usr/bin/env bash
# Fails on an include that goes up or sideways between the source folders: a file in
# folder F may include "G/..." only when G is listed for F below. One line per breach
# names the file, the include and the rule it breaks.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# folder: the folders its files may include (itself always). The fuzz targets and the tests
# sit above everything they drive, the host tools' file readers included.
declare -A allowed=(
  [common]=""
  [settings]="common"
  [resample]="common"
  [frame]="common"
  [processors]="common settings resample frame"
  [controlpanel]="common settings frame"
  [server]="common settings resample frame processors controlpanel"
  [host]="common settings resample frame processors controlpanel server components"
  [components]="common settings resample frame processors"
  [bench]="common settings resample frame processors controlpanel server components"
  [fuzz]="common settings resample frame processors controlpanel server host tests"
  [tests]="common settings resample frame processors controlpanel server host components bench"
)

status=0
cd "$root"
while IFS=: read -r file line text; do
  from=${file%%/*}
  [[ -v "allowed[$from]" ]] || continue
  [[ $text =~ include[[:space:]]*\"([^\"/]+)/ ]] || continue
  target=${BASH_REMATCH[1]}
  [[ $target == "$from" || ! -v "allowed[$target]" ]] && continue
  if [[ " ${allowed[$from]} " != *" $target "* ]]; then
    echo "$file:$line: includes \"$target/...\" but $from/ may include only: ${allowed[$from]:-nothing outside itself}"
    status=1
  fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "${!allowed[@]}" \
           --include='*.h' --include='*.cpp' --include='*.inl' --include='*.c' --include='*.rc' || true)
[[ $status == 0 ]] && echo "layers: every include goes down"
exit $status
