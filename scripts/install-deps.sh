#!/bin/sh
# Installs what the build needs when it is missing: cmake, g++, GoogleTest,
# and for the fuzz targets ninja, clang and its libFuzzer runtime.
set -e
missing=""
command -v cmake >/dev/null 2>&1 || missing="$missing cmake"
command -v g++   >/dev/null 2>&1 || missing="$missing g++"
command -v make  >/dev/null 2>&1 || missing="$missing make"
[ -f /usr/include/gtest/gtest.h ] || missing="$missing libgtest-dev"
command -v ninja >/dev/null 2>&1 || missing="$missing ninja-build"
# The fuzz targets: clang with the libFuzzer runtime.
command -v clang++ >/dev/null 2>&1 || missing="$missing clang"
if ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    missing="$missing libclang-rt-dev"
fi
[ -z "$missing" ] && exit 0
echo "installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing >/dev/null
