// The window system's side of starting SDL's video and of noticing that the display went
// away: platform/<name>/display_watch.cpp (in the browser there is no display to lose).
//
// An implementation must provide:
//   - DisplayUnavailable: called before each start of SDL's video. Why no display can be
//     reached at all (the video is then not started), or empty after choosing SDL's video
//     driver where the platform has to.
//   - UnreachableDisplay: why SDL's video could not start or found no display to show
//     windows on, given SDL's own reason, for a driver that was not asked for by name.
//   - NativeWindowId: the window system's id of an SDL window, 0 where it has none.
//   - WatchForLostDisplay: called after every start of SDL's video; from then on a broken
//     connection, or an error about a window for which `is_game_window` says true, ends the
//     program through DisplayLost with one line saying what happened.
#pragma once

#include <cstdint>
#include <string>

struct SDL_Window;

std::string DisplayUnavailable();
std::string UnreachableDisplay(const std::string& sdl_reason);
std::uintptr_t NativeWindowId(SDL_Window* window);
void WatchForLostDisplay(bool (*is_game_window)(std::uintptr_t native_id));
