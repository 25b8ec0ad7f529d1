# Shared by scripts/test, scripts/run and scripts/bench: install what is missing, build
# the presets, and provide the X display, the sound sink and the Wine prefix.
# Source it; it defines functions only.

VOICE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VOICE_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest
    g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
    xvfb xauth x11-utils xdotool imagemagick pulseaudio locales espeak-ng sox
    libssl-dev libcli11-dev fonts-wine fonts-liberation2)
VOICE_STARTED_PIDS=()
# Build trees live below this root (build/native, build/windows); override to keep
# several work trees apart.
VOICE_BUILD_ROOT=${VOICE_BUILD_ROOT:-$VOICE_ROOT/build}

voice_log() { printf '== %s\n' "$*" >&2; }

voice_install_deps() {
    local missing=() p
    for p in "${VOICE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    if ((${#missing[@]})); then
        voice_log "installing ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >/dev/null
    fi
    # Wine needs a generated Russian locale to give the program code page 1251 and
    # Cyrillic file names.
    if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
        voice_log "generating ru_RU.UTF-8"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null ||
            echo 'ru_RU.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
        $sudo locale-gen >/dev/null
    fi
}

# voice_build PRESET [TARGET...]: configure once, then build.
voice_build() {
    local preset=$1
    shift
    local dir="$VOICE_BUILD_ROOT/$preset"
    [ -f "$dir/build.ninja" ] || cmake --preset "$preset" -S "$VOICE_ROOT" -B "$dir" >/dev/null
    if (($#)); then
        cmake --build "$dir" --target "$@"
    else
        cmake --build "$dir"
    fi
}

voice_wine_env() {
    export WINEPREFIX="$VOICE_BUILD_ROOT/windows/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export LC_ALL=ru_RU.UTF-8
    export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/voice-runtime-$(id -u)}
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        voice_log "creating the Wine prefix"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    voice_wine_fonts
}

# The window asks for "MS Sans Serif", "MS Serif", "Times New Roman", "Courier New" and
# "Arial", and Wine draws caption buttons with Marlett; a bare prefix has none of them and
# falls back to a wider face that cuts captions off. Wine's own fonts go into the prefix,
# and the Liberation faces (metric-compatible) stand in for the rest. Done once per prefix.
voice_wine_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" reg
    grep -q '"MS Serif"="Liberation Serif"' "$WINEPREFIX/user.reg" 2>/dev/null &&
        [ -e "$fonts/marlett.ttf" ] && return
    voice_log "installing the designed fonts into the Wine prefix"
    mkdir -p "$fonts"
    ln -sf /usr/share/wine/fonts/* "$fonts/"
    reg=$(mktemp --suffix=.reg)
    printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"Times New Roman"="Liberation Serif"' '"Courier New"="Liberation Mono"' \
        '"Arial"="Liberation Sans"' '"MS Serif"="Liberation Serif"' >"$reg"
    wine regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 || true
    wineserver -w
    rm -f "$reg"
}

voice_start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return
    fi
    local n=91
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    VOICE_STARTED_PIDS+=($!)
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return
        sleep 0.1
    done
    voice_log "Xvfb did not start on $DISPLAY"
    return 1
}

voice_start_sound() {
    export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/voice-runtime-$(id -u)}
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    if pactl info >/dev/null 2>&1; then
        return
    fi
    # A real-time null sink: MCI playback completes and notifies as on a sound card.
    pulseaudio --daemonize=no --exit-idle-time=-1 -n \
        --load="module-null-sink sink_name=null" \
        --load="module-native-protocol-unix" >/dev/null 2>&1 &
    VOICE_STARTED_PIDS+=($!)
    local i
    for i in $(seq 50); do
        pactl info >/dev/null 2>&1 && return
        sleep 0.1
    done
    voice_log "PulseAudio did not start"
}

# voice_ctest PRESET [ctest options...]
voice_ctest() {
    local preset=$1
    shift
    ctest --test-dir "$VOICE_BUILD_ROOT/$preset" --output-on-failure "$@"
}

# Stops only the services this script started.
voice_stop_services() {
    local pid
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
    for pid in "${VOICE_STARTED_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    VOICE_STARTED_PIDS=()
}

# Makes the ZIP for Windows users, unpacks it into an empty directory and starts and
# closes the program from there: it must need nothing but what the ZIP holds.
voice_check_package() {
    local dir="$VOICE_BUILD_ROOT/windows" unpacked status=0
    cmake --build "$dir" --target package >/dev/null || return 1
    unpacked=$(mktemp -d)
    (cd "$unpacked" && cmake -E tar xf "$dir"/package/Voice-*-win64.zip) || status=1
    local root=("$unpacked"/Voice-*-win64)
    ((status)) || voice_log "unpacked:" $(ls "$root")
    ((status)) || wine "$dir/tests/package/package_smoke.exe" "Z:${root//\//\\}" || status=1
    rm -rf "$unpacked"
    return $status
}
