# shellcheck shell=bash
# One short game played under a virtual X server by xdotool, the same way for the native game
# (the reference) and for the Windows game under Wine: the window's place and size, the title
# frame, a click that starts play, optionally one shot, then Escape held until the game exits.
# Sourced by scripts/check-windows, which sets $work (a private folder) and provides say and
# fail.
: "${work:?}"
# shellcheck source=scripts/screenshots-lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/../screenshots-lib.sh"

session_pid=
session_log=

# Starts a private Xvfb and exports its DISPLAY; -displayfd picks a free number and writes it
# once the server listens.
start_xvfb() {
	Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
	xvfb_pid=$!
	local _
	for _ in $(seq 200); do
		[[ -s $work/display ]] && break
		kill -0 "$xvfb_pid" 2>/dev/null || return 1
		sleep 0.05
	done
	[[ -s $work/display ]] || return 1
	DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
	export DISPLAY
	unset WAYLAND_DISPLAY
}

# The client area as root coordinates: X window ids whose name is the game's, the one that is
# viewable and 800 wide wins (Wine may keep more windows with the title about).
window_geometry() {
	local id
	for id in $(xdotool search --onlyvisible --name 'ZANDOR' 2>/dev/null); do
		eval "$(xdotool getwindowgeometry --shell "$id")"
		# shellcheck disable=SC2153 # X, Y, WIDTH and HEIGHT come from xdotool
		echo "$X $Y $WIDTH $HEIGHT"
		return 0
	done
	return 1
}

session_alive() {
	kill -0 "$session_pid" 2>/dev/null
}

# grab <out.png>: the 800x600 client area.
grab() {
	import -window root -crop "800x600+$win_x+$win_y" +repage -strip "png:$1"
}

# pixels_differing <a.png> <b.png>: how many pixels differ (compare -metric AE, no fuzz).
pixels_differing() {
	local n
	n=$(compare -metric AE "$1" "$2" null: 2>&1 >/dev/null) || true
	# compare prints "1.23e+06" for large counts; printf turns both forms into an integer.
	printf '%.0f' "$n" 2>/dev/null || echo 999999999
}

# play_session <label> <reference-title|-> <shots> <hold> <command...>
# Runs the command, waits for its window and checks it is 800x600 at (32, 32). With a
# reference title picture, waits for a frame equal to it pixel for pixel; with "-", for the
# title screen to stand still, and keeps that frame as $work/<label>-title.png. Clicks to
# start play and waits for the play screen, fires <shots> shots one second apart, plays on for
# <hold> seconds and holds Escape until the game exits. Returns 0 only if all of that happened and the exit code was 0.
play_session() {
	local label=$1 reference=$2 shots=$3 hold=$4
	shift 4
	session_log=$work/$label.log
	"$@" >"$session_log" 2>&1 &
	session_pid=$!
	local deadline=$((SECONDS + 60)) geometry=
	while ((SECONDS < deadline)); do
		session_alive || { fail "$label: exited before its window appeared: $(tail -n 3 "$session_log")"; return 1; }
		geometry=$(window_geometry) && break
		sleep 0.2
	done
	[[ -n $geometry ]] || { fail "$label: no ZANDOR window within 60 s"; session_stop; return 1; }
	read -r win_x win_y win_w win_h <<<"$geometry"
	if [[ "$win_x $win_y $win_w $win_h" != "32 32 800 600" ]]; then
		fail "$label: the window is ${win_w}x$win_h at ($win_x, $win_y), not 800x600 at (32, 32)"
		session_stop
		return 1
	fi
	say "$label: window 800x600 at (32, 32)"

	local title=$work/$label-title.png frame=$work/$label-frame.png previous=$work/$label-previous.png
	local diff=-1 started=$SECONDS
	deadline=$((SECONDS + 60))
	while ((SECONDS < deadline)); do
		session_alive || break
		grab "$frame"
		if [[ $reference == - ]]; then
			if [[ -f $previous && $(pixels_differing "$frame" "$previous") == 0 ]] &&
				[[ $(screen_of "$frame") == cyan ]]; then
				diff=0
				break
			fi
			cp -- "$frame" "$previous"
		else
			diff=$(pixels_differing "$frame" "$reference")
			[[ $diff == 0 ]] && break
		fi
		sleep 0.1
	done
	cp -- "$frame" "$title"
	if [[ $diff != 0 ]]; then
		if [[ $reference == - ]]; then
			fail "$label: the title screen did not appear and stand still within 60 s"
		else
			fail "$label: no title frame equal to the native one within 60 s ($diff pixels differ in the last, kept as $title)"
		fi
		session_stop
		return 1
	fi
	[[ $reference == - ]] || say "$label: title frame equal to the native one pixel for pixel ($((SECONDS - started)) s after the window)"

	xdotool mousemove $((win_x + 400)) $((win_y + 200)) click 1
	deadline=$((SECONDS + 20))
	local seen=
	while ((SECONDS < deadline)); do
		session_alive || break
		grab "$frame"
		seen=$(screen_of "$frame")
		[[ $seen == play ]] && break
		seen=
		sleep 0.1
	done
	if [[ -z $seen ]]; then
		fail "$label: a click on the title did not start play within 20 s"
		session_stop
		return 1
	fi
	say "$label: the click started play"

	local shot
	for ((shot = 0; shot < shots; shot++)); do
		sleep 1
		# Away from the enemies' way in, so the shot hits nothing and only its own sound plays.
		xdotool mousemove $((win_x + 400)) $((win_y + 100)) click 1
	done
	sleep "$hold"
	session_alive || { fail "$label: the game stopped during play: $(tail -n 3 "$session_log")"; return 1; }

	xdotool keydown Escape
	local code=
	deadline=$((SECONDS + 20))
	while ((SECONDS < deadline)) && session_alive; do
		sleep 0.1
	done
	xdotool keyup Escape
	if session_alive; then
		fail "$label: still running 20 s after Escape was pressed"
		session_stop
		return 1
	fi
	code=0
	wait "$session_pid" || code=$?
	session_pid=
	if [[ $code -ne 0 ]]; then
		fail "$label: Escape held, the game exited $code: $(tail -n 3 "$session_log")"
		return 1
	fi
	say "$label: Escape held, the game exited 0"
}

session_stop() {
	[[ -n $session_pid ]] || return 0
	kill "$session_pid" 2>/dev/null || true
	wait "$session_pid" 2>/dev/null || true
	session_pid=
}
