# Sourced by the scripts: a private X display and a private Wine prefix for running the Windows
# builds. Call wine_start, and wine_stop when done: put it into your own EXIT trap (this file sets
# none, so that it never replaces a trap of the caller's).
# shellcheck shell=bash

wine_state_dir=""
wine_xvfb_pid=""
wine_plain=""  # the prefix wine_plain_prefix made, if any

wine_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then timeout 20 wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$wine_plain" ]; then
    WINEPREFIX="$wine_plain" timeout 20 wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$wine_xvfb_pid" ]; then kill "$wine_xvfb_pid" >/dev/null 2>&1 || true; fi
  wine_xvfb_pid=""
}

# wine_start DIR [use-own-display]: prefix in DIR/prefix (made once, reused), display :N of a
# private Xvfb unless use-own-display is given and DISPLAY is set.
wine_start() {
  wine_state_dir="$1"
  mkdir -p "$wine_state_dir"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  export WINEPREFIX="$wine_state_dir/prefix"
  if [ "${2:-}" != "use-own-display" ] || [ -z "${DISPLAY:-}" ]; then
    rm -f "$wine_state_dir/dpy"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$wine_state_dir/dpy" \
      >/dev/null 2>&1 &
    wine_xvfb_pid=$!
    for _ in $(seq 1 100); do
      [ -s "$wine_state_dir/dpy" ] && break
      sleep 0.1
    done
    export DISPLAY=":$(cat "$wine_state_dir/dpy")"
  fi
  # Marlett draws the caption buttons: a prefix without it was made before the fonts existed.
  if [ ! -f "$WINEPREFIX/.vantor-ready" ] ||
      [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
    wine_make_prefix || return 1
  fi
}

# wine_plain_prefix DIR: makes, once, a second prefix in DIR/prefix without the Japanese font
# settings below (the faces the program names are then missing, as on a fresh Wine), for the
# tests of the fonts the program falls back to. Call it after wine_start, on whose display it
# runs; run programs there with WINEPREFIX=DIR/prefix. wine_stop ends its server too.
wine_plain_prefix() {
  local main_dir="$wine_state_dir" main_prefix="$WINEPREFIX" made=0
  wine_state_dir="$1"
  mkdir -p "$wine_state_dir"
  export WINEPREFIX="$wine_state_dir/prefix"
  wine_plain="$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/.vantor-ready" ] ||
      [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
    wine_make_prefix plain || made=1
  fi
  wine_state_dir="$main_dir"
  export WINEPREFIX="$main_prefix"
  return "$made"
}

# Builds the prefix; it is marked ready only when every step worked, so a broken prefix is made
# again on the next run instead of being reused. With "plain", only the window settings are
# imported, not the Japanese font names.
wine_make_prefix() {
  rm -rf "$WINEPREFIX"
  if ! ls /usr/share/wine/fonts/*.ttf >/dev/null 2>&1; then
    echo "wine-env: /usr/share/wine/fonts holds no fonts (install the package fonts-wine);" \
      "without them Wine draws the caption buttons as letters" >&2
    return 1
  fi
  if ! timeout 120 wineboot -i >/dev/null 2>&1 || [ ! -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    echo "wine-env: wineboot could not make the prefix $WINEPREFIX" >&2
    return 1
  fi
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" || return 1
  local reg="$wine_state_dir/fonts.reg" fonts="$wine_state_dir/japanese-fonts.reg"
  (printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
  ) > "$reg"
  (printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS UI Gothic"="IPAPGothic"
"MS PGothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"ＭＳ ゴシック"="IPAGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Shell Dlg"="MS UI Gothic"
"MS Shell Dlg 2"="MS UI Gothic"
REG
  ) > "$fonts"
  if ! timeout 60 wine reg import "$reg" >/dev/null 2>&1 ||
      { [ "${1:-}" != plain ] && ! timeout 60 wine reg import "$fonts" >/dev/null 2>&1; }; then
    echo "wine-env: the font settings could not be imported into $WINEPREFIX" >&2
    return 1
  fi
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.vantor-ready"
}

# wine_run SECONDS PROGRAM ARGS...: runs a Windows program with a time limit.
wine_run() {
  local seconds="$1"
  shift
  timeout --kill-after=5 "$seconds" wine "$@"
}
