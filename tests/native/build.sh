#!/bin/sh
# Builds the code that needs no window natively with clang under the sanitizers (its unit
# tests and fuzz targets), for ./zev fuzz and as the first of ctest's native tests.
#   build.sh SOURCE_TOP BUILD_DIR [JOBS]
set -eu
top=$1
dir=$2
jobs=${3:-$(nproc)}
cmake -S "$top/tests/native" -B "$dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$dir" -j "$jobs"
