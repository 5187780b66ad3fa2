# The Wine test desktop (sourced by scripts/test and scripts/run, not run).
#
# For one Windows build (win32 or win64): a private Xvfb (or the user's display), a prefix of
# that build's architecture of our own, Wine's virtual desktop set in that prefix's registry, a
# persistent wineserver and the never-shown desktop keeper. Each build has its own prefix and
# its own desktop; no run uses ~/.wine.
# Without the virtual desktop every hide or destroy of a top-level window stalls for seconds on
# an X server with no window manager; without the persistent server and the keeper, Wine's
# helper processes inherit a test's output pipe and ctest waits for them.
#
# Settings (environment, all optional):
#   PELKRIN_WINE_HOME     folder of the prefix and the desktop's state (default: the build's
#                         folder, build/win32 or build/win64)
#   PELKRIN_XVFB_DISPLAY  display number for Xvfb (default: the first free one from 100 on)
# After pk_desktop_start, DISPLAY, WINEPREFIX, WINEARCH, WINELOADER, WINEDEBUG and
# WINEDLLOVERRIDES are exported, so ctest and everything it runs use this desktop, and PK_WINE
# is the build's Wine loader (run programs with "$PK_WINE" prog.exe, never plain "wine", which
# always picks the 32-bit loader when it is installed).

# Every long-lived process started here gets "9>&-": file descriptor 9 holds the prefix's run
# lock, and a process that inherited it would keep the prefix locked after a killed run.

PK_XVFB_PID=""
PK_KEEPER_PID=""
PK_DESKTOP_UP=0
PK_DESKTOP_SIZE="1024x768"
PK_KEEPER_CLASS="PelkrinDesktopKeeper"

# pk_wine_env BUILD
pk_wine_env() {
  local build="$1" home
  home="${PELKRIN_WINE_HOME:-$(pk_windows_dir "$build")}"
  mkdir -p "$home" || return 1
  home="$(cd "$home" && pwd)"
  PK_WINE_STATE="$home/wine-desktop"
  mkdir -p "$PK_WINE_STATE" || return 1
  PK_WINE="$(pk_wine_loader "$build")"
  export WINEPREFIX="$home/wine-prefix"
  export WINEARCH="$build"
  export WINELOADER="$PK_WINE"
  export WINEDEBUG=-all
  # No Mono or Gecko prompts, no ALSA noise; and no menu entries on this machine for the
  # shortcuts that the installer tests create.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=;winemenubuilder.exe=d"
}

# Polls "$@" every 50 ms until it succeeds or DEADLINE seconds pass.
pk_wait_until() {
  local deadline="$1" end
  shift
  end=$(($(date +%s) + deadline))
  until "$@"; do
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.05
  done
}

pk_display_answers() { DISPLAY="$1" xdotool getdisplaygeometry >/dev/null 2>&1; }

pk_xvfb_ready() { [ -s "$1" ] || ! kill -0 "$2" 2>/dev/null; }

# Starts Xvfb on a free display and exports DISPLAY. Xvfb reports on -displayfd once it
# listens; if another server holds the number it exits instead, and the next one is tried.
pk_xvfb_start() {
  local first last n ready pid
  first="${PELKRIN_XVFB_DISPLAY:-100}"
  last=$((first + 99))
  [ -z "${PELKRIN_XVFB_DISPLAY:-}" ] || last="$first"
  ready="$PK_WINE_STATE/xvfb-ready"
  for n in $(seq "$first" "$last"); do
    if pk_display_answers ":$n"; then continue; fi
    : >"$ready"
    Xvfb ":$n" -displayfd 3 -screen 0 "${PK_DESKTOP_SIZE}x24" -nolisten tcp \
      3>"$ready" >"$PK_WINE_STATE/xvfb.log" 2>&1 9>&- &
    pid=$!
    pk_wait_until 15 pk_xvfb_ready "$ready" "$pid"
    if [ -s "$ready" ] && kill -0 "$pid" 2>/dev/null; then
      PK_XVFB_PID="$pid"
      echo "$pid" >"$PK_WINE_STATE/xvfb.pid"
      export DISPLAY=":$n"
      pk_log "Xvfb on $DISPLAY (pid $pid)"
      return 0
    fi
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  echo "error: no free X display in $first..$last for Xvfb (see $PK_WINE_STATE/xvfb.log)" >&2
  return 1
}

# Ends the Xvfb that an earlier run with this prefix left behind when it was killed before it
# could stop its desktop (its PID is on record, and only an Xvfb process is ended).
pk_xvfb_stop_leftover() {
  local file="$PK_WINE_STATE/xvfb.pid" pid
  [ -s "$file" ] || return 0
  pid="$(cat "$file")"
  rm -f "$file"
  case "$pid" in '' | *[!0-9]*) return 0 ;; esac
  if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
    pk_log "ending the Xvfb (pid $pid) left by an earlier run"
    kill "$pid" 2>/dev/null
    pk_wait_until 10 pk_process_gone "$pid"
  fi
}

# Gone, or a zombie that only waits for a parent to collect it.
pk_process_gone() {
  ! kill -0 "$1" 2>/dev/null || [ "$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null)" = Z ]
}

# True when the prefix's user registry already selects the virtual desktop.
pk_prefix_has_desktop() {
  local reg="$WINEPREFIX/user.reg"
  [ -f "$reg" ] || return 1
  awk -v size="\"Default\"=\"$PK_DESKTOP_SIZE\"" '
    /^\[/ { section = $1 }
    section == "[Software\\\\Wine\\\\Explorer]" && $0 == "\"Desktop\"=\"Default\"" { desktop = 1 }
    section == "[Software\\\\Wine\\\\Explorer\\\\Desktops]" && $0 == size { sized = 1 }
    END { exit !(desktop && sized) }
  ' "$reg"
}

pk_wine_quiet() { timeout 300 "$PK_WINE" "$@" >>"$PK_WINE_STATE/wine.log" 2>&1 </dev/null 9>&-; }

# Creates the prefix once (or again, when the one there does not boot) and selects the
# virtual desktop in it. Must run with no persistent wineserver up.
pk_prefix_prepare() {
  if [ -f "$WINEPREFIX/system.reg" ] && ! pk_prefix_has_desktop; then
    pk_log "selecting the virtual desktop in $WINEPREFIX"
  elif [ -f "$WINEPREFIX/system.reg" ]; then
    return 0
  else
    pk_log "creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    if ! pk_wine_quiet wineboot --init; then
      echo "error: wineboot could not create $WINEPREFIX (see $PK_WINE_STATE/wine.log)" >&2
      return 1
    fi
  fi
  if ! pk_wine_quiet reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f ||
    ! pk_wine_quiet reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
      /d "$PK_DESKTOP_SIZE" /f; then
    echo "error: could not write the desktop settings (see $PK_WINE_STATE/wine.log)" >&2
    return 1
  fi
  # Let the server save the registry and exit, so the desktop starts again with the setting.
  wineserver -w 9>&-
}

# pk_desktop_start BUILD [user]: the desktop for the Windows build BUILD (win32 or win64), whose
# folder holds desktop-keeper.exe and window-probe.exe; "user" runs on the current $DISPLAY
# instead of a private Xvfb.
pk_desktop_start() {
  local build="$1" where="${2:-xvfb}" attempt bin_dir
  bin_dir="$(pk_windows_dir "$build")"
  pk_wine_env "$build" || return 1
  : >"$PK_WINE_STATE/wine.log"

  # One run at a time per prefix; a server still up for it now is a leftover of a killed run.
  exec 9>"$PK_WINE_STATE/lock"
  if ! flock -n 9; then
    pk_log "waiting for another run that uses $WINEPREFIX"
    flock -w 1800 9 || { echo "error: $WINEPREFIX stayed busy" >&2; return 1; }
  fi
  wineserver -k >/dev/null 2>&1 9>&-
  pk_xvfb_stop_leftover

  if [ "$where" = user ]; then
    pk_log "using the display $DISPLAY"
  else
    pk_xvfb_start || return 1
  fi
  PK_DESKTOP_UP=1

  for attempt in 1 2; do
    pk_prefix_prepare || return 1
    wineserver -p 9>&- || return 1
    if pk_wine_quiet wineboot; then break; fi
    wineserver -k >/dev/null 2>&1
    if [ "$attempt" = 2 ]; then
      echo "error: the Wine prefix does not boot (see $PK_WINE_STATE/wine.log)" >&2
      return 1
    fi
    pk_warn "the prefix $WINEPREFIX does not boot; creating it again"
    rm -rf "$WINEPREFIX"
  done

  "$PK_WINE" "$bin_dir/desktop-keeper.exe" >/dev/null 2>&1 </dev/null 9>&- &
  PK_KEEPER_PID=$!
  if ! timeout 60 "$PK_WINE" "$bin_dir/window-probe.exe" --deadline 30000 "$PK_KEEPER_CLASS" \
    >/dev/null 2>&1 </dev/null 9>&-; then
    echo "error: the desktop keeper did not come up" >&2
    return 1
  fi
  pk_log "Wine desktop ready for the $(pk_windows_bits "$build")-bit build (WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY)"
}

# Stops everything pk_desktop_start started; safe to call more than once.
pk_desktop_stop() {
  [ "$PK_DESKTOP_UP" = 1 ] || return 0
  PK_DESKTOP_UP=0
  wineserver -k >/dev/null 2>&1
  if [ -n "$PK_KEEPER_PID" ]; then
    wait "$PK_KEEPER_PID" 2>/dev/null
    PK_KEEPER_PID=""
  fi
  if [ -n "$PK_XVFB_PID" ]; then
    kill "$PK_XVFB_PID" 2>/dev/null
    wait "$PK_XVFB_PID" 2>/dev/null
    PK_XVFB_PID=""
    rm -f "$PK_WINE_STATE/xvfb.pid"
  fi
  exec 9>&-
}
