// The strip along the bottom of the in-game screens: life bar, score and best chain.
#pragma once

// Draws the HUD over everything drawn so far in the frame. Leaves scale 2, alpha 0.8, white.
void drawHud();
