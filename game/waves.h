// The level's timed script: the play clock in tenths of a second, the 72 scheduled events and
// the enemy formations they create.
#pragma once

// playTime = whole tenths of a second since startTime, wrap-safe.
void updatePlayTime();
// Runs the schedule for the current playTime; called last in every play frame.
void updateWaves();

// Formations, each appending its enemies to enemyList in a fixed order.
void spawnRowTop();
void spawnRowBottom();
void spawnColumnRight();
void spawnColumnLeft();
void spawnCorner(int c);
void spawnSpiral();
void spawnRing(float R);
void spawnControlsSlow();
void spawnControlsFast();
void spawnLaneControl(int lane);
void spawnLaneMover(int lane);

// Number of events in the schedule, and the playTime at which the level ends.
int waveEventCount();
inline constexpr int LEVEL_END_TIME = 1400;
