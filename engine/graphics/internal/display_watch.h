// The window system's side of noticing that the display went away:
// platform/<name>/display_watch.cpp (in the browser there is no display to lose).
//
// An implementation must provide:
//   - NativeWindowId: the window system's id of an SDL window, 0 where it has none.
//   - WatchForLostDisplay: called after every start of SDL's video; from then on a broken
//     connection, or an error about a window for which `is_game_window` says true, ends the
//     program through DisplayLost with one line saying what happened.
#pragma once

struct SDL_Window;

unsigned long NativeWindowId(SDL_Window* window);
void WatchForLostDisplay(bool (*is_game_window)(unsigned long native_id));
