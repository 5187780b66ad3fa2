# Shared helpers of scripts/test and scripts/run (sourced, not run).
# Expects PELKRIN_ROOT to be the repository root.

PELKRIN_PACKAGES="g++-mingw-w64-i686-posix wine wine32:i386 xvfb xdotool imagemagick googletest
cmake clang libclang-rt-14-dev g++ make"

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

# Configures and builds one build directory; arguments after the directory go to cmake.
pk_cmake_build() {
  local dir="$1"
  shift
  cmake -S "$PELKRIN_ROOT" -B "$dir" "$@" || return 1
  cmake --build "$dir" -j2
}

# Configures the Windows build (MinGW, i686) in DIR. The toolchain only counts when a build
# tree is first configured (CMake warns about it otherwise).
pk_configure_win32() {
  local dir="$1"
  if grep -qs '^CMAKE_TOOLCHAIN_FILE:' "$dir/CMakeCache.txt"; then
    cmake -S "$PELKRIN_ROOT" -B "$dir"
  else
    cmake -S "$PELKRIN_ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$PELKRIN_ROOT/cmake/mingw-i686.cmake"
  fi
}

# Configures and builds the whole Windows build in DIR.
pk_build_win32() {
  pk_configure_win32 "$1" && cmake --build "$1" -j2
}
