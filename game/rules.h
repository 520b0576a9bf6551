// The numbers the game's rules are made of, named as the rules speak of them. Positions are
// window pixels, speeds pixels per frame, countdowns frames.
#pragma once

// The field is the whole window; the turret stands at its centre, where every formation that
// closes in aims.
inline constexpr int FIELD_WIDTH = 800;
inline constexpr int FIELD_HEIGHT = 600;
inline constexpr int FIELD_CENTRE_X = FIELD_WIDTH / 2;
inline constexpr int FIELD_CENTRE_Y = FIELD_HEIGHT / 2;

// The turret's energy at the start of each game, and what each enemy that reaches the ship
// takes from it: five hits destroy the turret.
inline constexpr int START_LIFE = 50;
inline constexpr int HIT_DAMAGE = 10;

// Speed of every ball, the turret's and those fired by bursting enemies.
inline constexpr int SHOT_SPEED = 20;

// How long an activated enemy counts down before it bursts: the two controller kinds wait
// long enough for the player to steer the "control" one; movers burst almost at once.
inline constexpr int CONTROL_COUNTDOWN = 40;
inline constexpr int MOVE_COUNTDOWN = 8;
