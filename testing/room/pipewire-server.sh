# The virtual room's sound server as PipeWire with its PulseAudio service, sourced by
# scripts/virtual-room: a private PipeWire, WirePlumber and pipewire-pulse, started as plain
# processes with runtime, config and state folders of their own and a D-Bus session bus of their
# own (WirePlumber exits without one), none of the caller's PULSE_* variables, and stopped by
# their PIDs. Clients reach pipewire-pulse on the same socket as the PulseAudio room's, and the
# room is built from the same module script (room.pa), replayed through pactl.

# The servers' processes, in the order they start (and stop in reverse).
pipewire_processes=(dbus pipewire wireplumber pipewire-pulse)

# pipewire_write_config DIR SOCKET: PipeWire's and pipewire-pulse's configuration. Debian's, less
# the overrides for virtual machines (a quantum of at least 1024 frames), so that the graph runs as
# on a desktop: 1024 frames at 48 kHz by default, as little as 32 when a client asks. The room's own
# helpers (pacat, parec: the hiss, the first recording, a sound path) never pull the graph to small
# quanta, as the hiss's 40 ms would (a 256-frame quantum): only the program under test does that.
pipewire_write_config() {
    local dir=$1 socket=$2
    mkdir -p "$dir/config/pipewire"
    sed '/vm.overrides = {/,/}/d' /usr/share/pipewire/pipewire.conf >"$dir/config/pipewire/pipewire.conf"
    cat >"$dir/config/pipewire/pipewire-pulse.conf" <<CONF
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.*       = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-protocol-pulse args = { } }
]
pulse.properties = {
    server.address = [ "unix:$socket" ]
}
pulse.rules = [
    {
        matches = [ { application.process.binary = "pacat" } ]
        actions = { update-props = { pulse.min.quantum = 1024/48000 pulse.min.req = 1024/48000 } }
    }
]
CONF
}

# pipewire_exec DIR COMMAND...: becomes COMMAND, one of the room's servers or its tools, in an
# environment of the room's own (nothing of the caller's sound settings but what a ringing room's
# plugin reads). Run it in a subshell.
pipewire_exec() {
    local dir=$1 plugin=()
    shift
    local name
    for name in LADSPA_PATH SONAVEL_ROOM_PATH_DIR SONAVEL_ROOM_PATH_DELAY_MS; do
        [ -z "${!name:-}" ] || plugin+=("$name=${!name}")
    done
    exec env -i "${plugin[@]}" PATH="$PATH" HOME="$dir/home" LANG=C.UTF-8 \
        XDG_RUNTIME_DIR="$dir/runtime" PIPEWIRE_RUNTIME_DIR="$dir/runtime" \
        XDG_CONFIG_HOME="$dir/config" XDG_STATE_HOME="$dir/state" XDG_DATA_HOME="$dir/data" \
        DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/bus" "$@"
}

# pipewire_pactl DIR SOCKET ARGS...: pactl on the room's pipewire-pulse.
pipewire_pactl() {
    local dir=$1 socket=$2
    shift 2
    PULSE_SERVER="unix:$socket" PULSE_COOKIE="$dir/cookie" PULSE_RUNTIME_PATH="$dir/client" pactl "$@"
}

# pipewire_spawn DIR NAME COMMAND...: one server in the background, its PID (the server's own:
# the subshell becomes it) in DIR/NAME.pid.
pipewire_spawn() {
    local dir=$1 name=$2
    shift 2
    (pipewire_exec "$dir" "$@") </dev/null >>"$dir/$name.log" 2>&1 &
    echo $! >"$dir/$name.pid"
}

# pipewire_alive PID: true while the process runs (a zombie has ended).
pipewire_alive() {
    kill -0 "$1" 2>/dev/null && ! grep -q '^[0-9]* (.*) Z' "/proc/$1/stat" 2>/dev/null
}

# pipewire_wait DIR NAME TEST...: waits up to 10 s for TEST to succeed while NAME runs.
pipewire_wait() {
    local dir=$1 name=$2
    shift 2
    for _ in $(seq 200); do
        "$@" 2>/dev/null && return 0
        pipewire_alive "$(cat "$dir/$name.pid")" || return 1
        sleep 0.05
    done
    return 1
}

# pipewire_load DIR SOCKET PA_FILE: the room's module script, one line at a time. PulseAudio reads
# it at start-up; here each line goes through pactl, with what pipewire-pulse does otherwise:
# - its socket is set in its configuration (module-native-protocol-unix is no module of its);
# - a null source is a null sink made a source (pipewire-pulse has no module-null-source);
# - a null sink's volume also reaches its monitor, and a filter's volume is its master's, as
#   PulseAudio shares a filter sink's volume with the sink it plays into: the speakers' level
#   then scales the air, the hiss included, on both servers alike.
pipewire_load() {
    local dir=$1 socket=$2 file=$3 line
    local -A master=()
    while IFS= read -r line; do
        [ -n "$line" ] || continue
        local command=${line%% *} rest=${line#* }
        case $command in
            load-module)
                local module=${rest%% *} args=""
                [ "$module" = "$rest" ] || args=${rest#* }
                case $module in
                    module-native-protocol-unix) continue ;;
                    module-null-source)
                        local name description
                        name=$(sed -n 's/.*source_name=\([^ ]*\).*/\1/p' <<<"$args")
                        description=$(sed -n 's/.*description="\([^"]*\)".*/\1/p; t; s/.*description=\([^ ]*\).*/\1/p' <<<"$args")
                        module=module-null-sink
                        args="sink_name=$name sink_properties=\"media.class=Audio/Source/Virtual device.description='$description'\""
                        ;;
                    module-null-sink)
                        if [[ $args == *sink_properties=* ]]; then
                            args=$(sed 's/sink_properties=\([^ ]*\)/sink_properties="\1 monitor.channel-volumes=true"/' <<<"$args")
                        else
                            args="$args sink_properties=monitor.channel-volumes=true"
                        fi
                        ;;
                    module-ladspa-sink)
                        local name master_name
                        name=$(sed -n 's/.*sink_name=\([^ ]*\).*/\1/p' <<<"$args")
                        master_name=$(sed -n 's/.*sink_master=\([^ ]*\).*/\1/p' <<<"$args")
                        [ -z "$master_name" ] || master[$name]=$master_name
                        ;;
                esac
                pipewire_pactl "$dir" "$socket" load-module "$module" "$args" >/dev/null || return 1
                ;;
            set-sink-volume)
                local sink=${rest%% *}
                while [ -n "${master[$sink]:-}" ]; do
                    sink=${master[$sink]}
                done
                pipewire_pactl "$dir" "$socket" set-sink-volume "$sink" "${rest#* }" || return 1
                ;;
            *)
                # shellcheck disable=SC2086
                pipewire_pactl "$dir" "$socket" "$command" $rest || return 1
                ;;
        esac
    done <"$file"
}

# pipewire_start DIR SOCKET PA_FILE QUANTUM: starts the servers, builds the room and, with a
# QUANTUM, forces the graph to it; DIR/pid then holds pipewire-pulse's PID (the server the clients
# talk to). Fails, with everything stopped, when a server does not come up.
pipewire_start() {
    local dir=$1 socket=$2 file=$3 quantum=$4
    mkdir -p "$dir/runtime" "$dir/state" "$dir/data" "$dir/home"
    chmod 700 "$dir/runtime"
    rm -f "$dir/bus" "$dir"/*.log
    pipewire_write_config "$dir" "$socket"

    pipewire_spawn "$dir" dbus dbus-daemon --session --nofork --nopidfile --address="unix:path=$dir/bus"
    pipewire_wait "$dir" dbus test -S "$dir/bus" &&
        pipewire_spawn "$dir" pipewire pipewire &&
        pipewire_wait "$dir" pipewire test -S "$dir/runtime/pipewire-0" &&
        pipewire_spawn "$dir" wireplumber wireplumber &&
        pipewire_spawn "$dir" pipewire-pulse pipewire-pulse &&
        pipewire_wait "$dir" pipewire-pulse pipewire_pactl "$dir" "$socket" info >/dev/null &&
        cp "$dir/pipewire-pulse.pid" "$dir/pid" &&
        pipewire_load "$dir" "$socket" "$file" &&
        pipewire_wait "$dir" wireplumber pipewire_has_default "$dir" "$socket" &&
        { [ -z "$quantum" ] || (pipewire_exec "$dir" pw-metadata -n settings 0 clock.force-quantum "$quantum") >/dev/null; } &&
        return 0

    echo "virtual-room: PipeWire did not come up; see $dir/pipewire.log, wireplumber.log, pipewire-pulse.log" >&2
    pipewire_stop "$dir"
    return 1
}

# True once WirePlumber has made the room's speakers the default output.
pipewire_has_default() {
    [ "$(pipewire_pactl "$1" "$2" get-default-sink)" = room ]
}

# pipewire_stop DIR: ends the servers by their PIDs, the last started first.
pipewire_stop() {
    local dir=$1 i pid
    for ((i = ${#pipewire_processes[@]} - 1; i >= 0; i--)); do
        [ -f "$dir/${pipewire_processes[i]}.pid" ] || continue
        pid=$(cat "$dir/${pipewire_processes[i]}.pid")
        kill -CONT "$pid" 2>/dev/null || true
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do
            pipewire_alive "$pid" || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        rm -f "$dir/${pipewire_processes[i]}.pid"
    done
}
