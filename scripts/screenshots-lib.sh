# shellcheck shell=bash
# The parts of scripts/screenshots that need no X server: how a grabbed frame is recognised
# and where the player aims. Kept apart so scripts/screenshots-test can check them against
# the game's own pictures without running the game.

# The title and both closing pictures lay an opaque grey band across the upper third with
# large striped letters on it: cyan on the title and the end screen, red on the game-over
# screen. A frame counts as one of those screens only once the band is there at full
# strength (a flat grey strip left of the letters), so a picture still fading in over the
# play field reads as play. Prints cyan, red or play for the 800x600 frame in $1.
screen_of() {
	local band='(abs(mean-0.178)<0.01&&standard_deviation<0.01)'
	local colour='(mean.b-mean.r>0.15)?1:((mean.r-mean.g>0.15)?2:0)' found
	found="$(convert "$1" -crop 30x100+5+100 +repage -format "%[fx:$band?1:0]" info:)"
	found+=" $(convert "$1" -crop 600x100+100+100 +repage -format "%[fx:$colour]" info:)"
	case $found in
	'1 1') echo cyan ;;
	'1 2') echo red ;;
	*) echo play ;;
	esac
}

# The player's aim points, one "x y" line each in window coordinates: a circle of radius 200
# around the turret at (400, 300), walked in two laps of 47 steps just over 15 degrees, so the
# second lap's shots fly between the first lap's and an enemy heading for the base cannot
# slip through the gaps of one lap.
aim_ring() {
	awk 'BEGIN { for (i = 0; i < 47; i++) { a = i * 4 * 3.14159265358979 / 47
		printf "%d %d\n", 400 + 200 * cos(a), 300 + 200 * sin(a) } }'
}
