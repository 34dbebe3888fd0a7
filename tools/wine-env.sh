# Sourced by the scripts that run Windows programs of a build tree under Wine.
# orv_wine_env BUILD_DIR: point Wine at the prefix inside BUILD_DIR, creating it on first use.

ORV_WINE=/usr/lib/wine/wine64
ORV_WINESERVER=/usr/lib/wine/wineserver

orv_wine_env() {
  export WINEPREFIX="$1/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko install dialogs while the prefix is created.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$WINEPREFIX"
  (
    # Tests started in parallel must not create the prefix twice.
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine: creating prefix $WINEPREFIX" >&2
      "$ORV_WINE" wineboot --init >/dev/null 2>&1
      "$ORV_WINESERVER" -w
    fi
  ) 9>"$1/wineprefix.lock"
}
