// The four screens (title, play, game over, end), the start of a new game and the shared play
// background. The frame loop runs one screen handler per frame, chosen by gameState.
#pragma once

void titleScreen();
void startGame();
void playScreen();
void gameOverScreen();
void endScreen();
void drawBackground();
void easeBrightness();
