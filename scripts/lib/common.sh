# Shared helpers of scripts/test and scripts/run (sourced, not run).
# Expects PELKRIN_ROOT to be the repository root.

PELKRIN_PACKAGES="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 wine64
xvfb xdotool imagemagick googletest cmake ninja-build clang libclang-rt-14-dev g++ make nsis"

pk_log() { printf '==> %s\n' "$*" >&2; }
pk_warn() { printf 'warning: %s\n' "$*" >&2; }

pk_now() { date +%s.%N; }

# Phase timing: pk_phase_begin NAME ... pk_phase_end STATUS; pk_timing_summary prints them all.
PK_TIMINGS=""
pk_phase_begin() {
  PK_PHASE_NAME="$1"
  PK_PHASE_START="$(pk_now)"
  pk_log "$1"
}
# Starts the closing "total" entry, timed from START (a pk_now value).
pk_phase_total_from() {
  PK_PHASE_NAME="total"
  PK_PHASE_START="$1"
}
pk_phase_end() {
  local status="$1" seconds
  seconds="$(awk -v a="$PK_PHASE_START" -v b="$(pk_now)" 'BEGIN { printf "%.1f", b - a }')"
  PK_TIMINGS="${PK_TIMINGS}$(printf '  %-16s %7ss  %s' "$PK_PHASE_NAME" "$seconds" "$status")
"
}
pk_timing_summary() {
  [ -n "$PK_TIMINGS" ] || return 0
  printf '\nPhase timings:\n%s' "$PK_TIMINGS" >&2
}

# Installs whatever of the build and test packages is missing. Quick when all are present:
# dpkg is asked first and apt-get only runs for the missing ones.
pk_ensure_packages() {
  local missing="" pkg need_i386=0
  case " $PELKRIN_PACKAGES " in *":i386"*) need_i386=1 ;; esac
  if [ "$need_i386" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    pk_require_root "adding the i386 architecture" || return 1
    dpkg --add-architecture i386 || return 1
    PK_APT_UPDATED=0
  fi
  for pkg in $PELKRIN_PACKAGES; do
    if ! dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null | grep -q '^ii'; then
      missing="$missing $pkg"
    fi
  done
  if [ -z "$missing" ]; then
    pk_log "all packages present"
    return 0
  fi
  pk_log "installing:$missing"
  pk_require_root "installing packages" || return 1
  export DEBIAN_FRONTEND=noninteractive
  if [ "${PK_APT_UPDATED:-0}" != 1 ]; then
    apt-get update </dev/null || return 1
    PK_APT_UPDATED=1
  fi
  # shellcheck disable=SC2086  # the package list is split on purpose
  apt-get install -y $missing </dev/null
}

pk_require_root() {
  if [ "$(id -u)" != 0 ]; then
    echo "error: $1 needs root; run as root or install: $PELKRIN_PACKAGES" >&2
    return 1
  fi
}

# The generator of a new build directory: Ninja, which keeps both cores busy through the whole
# build; a directory configured before keeps the generator it has.
pk_generator_args() {
  if [ ! -e "$1/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then
    printf '%s\n' -G Ninja
  fi
}

# Configures and builds one build directory; arguments after the directory go to cmake.
pk_cmake_build() {
  local dir="$1"
  shift
  # shellcheck disable=SC2046  # the generator's arguments are split on purpose
  cmake -S "$PELKRIN_ROOT" -B "$dir" $(pk_generator_args "$dir") "$@" || return 1
  cmake --build "$dir" -j2
}

# ---- The two Windows builds ----------------------------------------------------------------
# win32: the product, MinGW i686, in build/win32; win64: the same sources for x86_64, in
# build/win64. Each has its own program folder (build/<build>/program).
pk_windows_dir() { printf '%s/build/%s' "$PELKRIN_ROOT" "$1"; }
pk_windows_toolchain() {
  case "$1" in
    win32) printf '%s/cmake/mingw-i686.cmake' "$PELKRIN_ROOT" ;;
    win64) printf '%s/cmake/mingw-x86_64.cmake' "$PELKRIN_ROOT" ;;
    *) return 1 ;;
  esac
}
pk_windows_bits() { case "$1" in win32) echo 32 ;; win64) echo 64 ;; esac; }

# Configures the Windows build BUILD (win32 or win64). The toolchain only counts when a build
# tree is first configured (CMake warns about it otherwise).
pk_configure_windows() {
  local build="$1" dir toolchain
  dir="$(pk_windows_dir "$build")"
  toolchain="$(pk_windows_toolchain "$build")" || { echo "error: no Windows build '$build'" >&2; return 2; }
  if grep -qs '^CMAKE_TOOLCHAIN_FILE:' "$dir/CMakeCache.txt"; then
    cmake -S "$PELKRIN_ROOT" -B "$dir"
  else
    # shellcheck disable=SC2046  # the generator's arguments are split on purpose
    cmake -S "$PELKRIN_ROOT" -B "$dir" $(pk_generator_args "$dir") -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  fi
}

# Configures and builds the whole Windows build BUILD; further arguments go to cmake --build.
pk_build_windows() {
  local build="$1"
  shift
  pk_configure_windows "$build" && cmake --build "$(pk_windows_dir "$build")" -j2 "$@"
}

# ---- Which builds this machine can run ------------------------------------------------------
# Wine's 32-bit loader is a 32-bit Linux program: on a kernel with 32-bit emulation switched off
# it fails with "Exec format error" (exit 126), and nothing of the 32-bit build can run there.
# /usr/bin/wine picks that loader whenever it is installed, so each build calls its own loader.
PK_WINE32_LOADER="${PELKRIN_WINE32_LOADER:-/usr/lib/wine/wine}"
PK_WINE64_LOADER="${PELKRIN_WINE64_LOADER:-/usr/lib/wine/wine64}"
pk_wine_loader() { case "$1" in win32) echo "$PK_WINE32_LOADER" ;; win64) echo "$PK_WINE64_LOADER" ;; esac; }

# pk_can_run BUILD: true when this machine runs BUILD's programs under Wine; otherwise
# PK_CANNOT_RUN_WHY says why, in words for the summary.
pk_can_run() {
  local build="$1" loader status
  loader="$(pk_wine_loader "$build")"
  PK_CANNOT_RUN_WHY=""
  if [ ! -e "$loader" ]; then
    PK_CANNOT_RUN_WHY="Wine's $(pk_windows_bits "$build")-bit loader ($loader) is not installed"
    return 1
  fi
  "$loader" --version >/dev/null 2>&1 </dev/null
  status=$?
  [ "$status" = 0 ] && return 0
  if [ "$status" = 126 ] && [ "$build" = win32 ]; then
    PK_CANNOT_RUN_WHY="this machine cannot run 32-bit programs (32-bit emulation is off in its kernel)"
  else
    PK_CANNOT_RUN_WHY="Wine's $(pk_windows_bits "$build")-bit loader ($loader) does not run here (exit $status)"
  fi
  return 1
}
