#!/usr/bin/env bash
# Refuses an include that points up or sideways between the layers, and a Qt
# header outside the Qt folders. The table below is the one statement of which
# folder may use which; README.md ("Layout") explains it.
#   scripts/check-layers.sh [ROOT]     check the tree at ROOT (default: this checkout)
#   scripts/check-layers.sh --self-test
set -euo pipefail

# folder: the folders its files may include from (its own always allowed).
declare -A Allowed=(
  [base]=""
  [comm]="base"
  [curves]="base comm"
  [logging]="base comm"
  [cmdfile]="base comm"
  [server]="base comm"
  [calc]=""
  [app]="base comm curves logging cmdfile server calc"
  [cli]="base comm curves logging cmdfile server calc app"
  [python]="base comm curves logging cmdfile server calc app"
  [base/ui]="base"
  [comm/dialogs]="base base/ui comm"
  [server/dialogs]="base base/ui comm server"
  [logging/ui]="base base/ui comm logging"
  [curves/dialogs]="base base/ui comm curves logging/ui"
  [cmdfile/ui]="base base/ui comm cmdfile"
  [calc/ui]="calc"
  [app/ui]="base base/ui comm comm/dialogs curves curves/dialogs logging logging/ui cmdfile cmdfile/ui server server/dialogs calc app"
  [sim]=""
  [packaging]=""
  [packaging/ui]="app/ui calc/ui"
  [bench]="base comm curves logging cmdfile server"
  [fuzz]="base comm curves logging cmdfile"
  [tests/support]="base comm"
  [tests/support/ui]="base base/ui comm tests/support"
)
# A test folder may use what the folder it tests may use, that folder itself and
# the test helpers; a test folder listed here too lends its helpers.
declare -A Tested=(
  [tests/base]=base
  [tests/comm]=comm
  [tests/comm/dialogs]=comm/dialogs
  [tests/curves]=curves
  [tests/curves/dialogs]="curves/dialogs tests/curves"
  [tests/logging]=logging
  [tests/logging/ui]=logging/ui
  [tests/cmdfile]=cmdfile
  [tests/server]=server
  [tests/cmdfile/ui]=cmdfile/ui
  [tests/calc]=calc/ui
  [tests/app]=app
  [tests/ui]=app/ui
  [tests/cli]=cli
  [tests/faults]=cli
  [tests/sim]="sim base comm"
  [tests/packaging]="packaging base"
  [tests/packaging/ui]=packaging/ui
)

# The folder of the table that holds PATH: the longest listed prefix of its directory.
LayerOf() {
  local dir=$1
  while [ -n "$dir" ] && [ "$dir" != . ]; do
    if [ -n "${Allowed[$dir]+x}" ] || [ -n "${Tested[$dir]+x}" ]; then
      echo "$dir"
      return
    fi
    [[ $dir == */* ]] && dir=${dir%/*} || dir=
  done
}

IsQtFolder() { [[ $1 == */ui || $1 == */dialogs || $1 == tests/ui || $1 == */ui/* ]]; }

# Prints one line per violation in the tree at $1; returns 1 when there is any.
Check() {
  local root=$1 status=0 file layer allowed inc target tl t
  local -a files
  if git -C "$root" rev-parse --show-toplevel >/dev/null 2>&1 &&
     [ "$(git -C "$root" rev-parse --show-toplevel)" = "$(cd "$root" && pwd -P)" ]; then
    mapfile -t files < <(git -C "$root" ls-files '*.cpp' '*.h')
  else
    mapfile -t files < <(cd "$root" && find . -name '*.cpp' -o -name '*.h' | sed 's#^\./##' | sort)
  fi
  for file in "${files[@]}"; do
    layer=$(LayerOf "$(dirname "$file")")
    if [ -z "$layer" ]; then
      echo "$file: its folder is not in the layer table (scripts/check-layers.sh)"
      status=1
      continue
    fi
    if [ -n "${Tested[$layer]+x}" ]; then
      allowed="$layer tests/support tests/support/ui"
      for t in ${Tested[$layer]}; do allowed+=" $t ${Allowed[$t]:-}"; done
    else
      allowed="$layer ${Allowed[$layer]}"
    fi
    if ! IsQtFolder "$layer" && ! IsQtFolder "${Tested[$layer]:-}" &&
       grep -qE '^\s*#\s*include\s*<Q' "$root/$file"; then
      echo "$file: a Qt header outside the Qt folders"
      status=1
    fi
    while IFS= read -r inc; do
      # "support/..." is tests/support; a bare name is a file beside this one.
      if [ -e "$root/$inc" ]; then
        target=$inc
      elif [ -e "$root/tests/$inc" ]; then
        target=tests/$inc
      else
        continue
      fi
      tl=$(LayerOf "$(dirname "$target")")
      [ "$tl" = "$layer" ] && continue
      if [[ " $allowed " != *" $tl "* ]]; then
        echo "$file: includes \"$inc\" from $tl, which $layer may not use"
        status=1
      fi
    done < <(sed -nE 's/^\s*#\s*include\s*"([^"]+)".*/\1/p' "$root/$file")
  done
  return $status
}

SelfTest() {
  local tmp
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  mkdir -p "$tmp"/{base,comm,curves,logging,app,tests/support,tests/comm,tundra}
  printf '#pragma once\n' > "$tmp/base/Event.h"
  printf '#pragma once\n#include "base/Event.h"\n' > "$tmp/comm/CommLink.h"
  printf '#pragma once\n#include "comm/CommLink.h"\n' > "$tmp/curves/Curve.h"
  printf '#pragma once\n#include "comm/CommLink.h"\n' > "$tmp/logging/Run.h"
  printf '#pragma once\n#include "curves/Curve.h"\n#include "logging/Run.h"\n' > "$tmp/app/Core.h"
  printf '#pragma once\n#include "comm/CommLink.h"\n' > "$tmp/tests/support/Peer.h"
  printf '#include "comm/CommLink.h"\n#include "support/Peer.h"\n#include <gtest/gtest.h>\n' \
    > "$tmp/tests/comm/LinkTest.cpp"
  Check "$tmp" >/dev/null || { echo "self-test: a sound tree was refused"; Check "$tmp"; return 1; }

  local -a wrong=(
    'comm/Bad.cpp:#include "app/Core.h"'         # upwards
    'curves/Bad.cpp:#include "logging/Run.h"'    # sideways between operations
    'base/Bad.cpp:#include "comm/CommLink.h"'    # the foundation knows no instrument
    'tests/comm/Bad.cpp:#include "app/Core.h"'   # a test above its layer
    'logging/Bad.cpp:#include <QWidget>'         # Qt in the core
    'tundra/Bad.cpp:#include "base/Event.h"'     # a folder the table does not know
  )
  local case file
  for case in "${wrong[@]}"; do
    file=${case%%:*}
    printf '%s\n' "${case#*:}" > "$tmp/$file"
    if Check "$tmp" >/dev/null; then
      echo "self-test: $file (${case#*:}) was not refused"
      return 1
    fi
    rm "$tmp/$file"
  done
  echo "layer check self-test: ${#wrong[@]} wrong includes refused, the sound tree accepted"
}

if [ "${1:-}" = --self-test ]; then
  SelfTest
else
  root=${1:-$(cd "$(dirname "$0")/.." && pwd -P)}
  if Check "$root"; then
    echo "layers: every include points down"
  else
    echo "layers: includes that break the layering (see README.md, Layout)" >&2
    exit 1
  fi
fi
