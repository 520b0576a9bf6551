// Polled input: the keyboard and mouse state the game reads, kept current by a listener on
// the emit-event hook list.
//
// Every query first drains the window system's messages (PollEvents), so the answer is never
// older than the query. Key codes are Windows virtual-key numbers (event.h); buttons are
// 1 left, 2 right, 3 middle. Codes outside the state arrays read as 0.
#pragma once

#include "engine/system/event.h"

// Asks the system driver to drain pending messages into events, unless a drain or wait is
// already running (a listener that queries input must not drain again inside a drain).
void PollEvents();
// Blocks until a message arrives, then drains (same re-entry rule).
void WaitEvents();
// The pump every query runs; the same as PollEvents.
void PollSystem();

// Starts listening for events from `source` (null: any source). Does nothing if started.
void StartPolledInput(TObjectPtr source = nullptr);
// Stops listening and clears keys and mouse. Does nothing if not started.
void StopPolledInput();
bool PolledInputStarted();

int IsKeyDown(int key);
// Presses of `key` since the last call or clear; resets the count.
int TakeKeyHits(int key);
// The oldest typed character, removed; 0 if none.
int NextChar();
void ClearKeys();

int MousePosX();
int MousePosY();
// Wheel detents accumulated since the last ClearMouse.
int MouseWheelPos();
int IsMouseDown(int button);
// Presses of `button` since the last call or clear; resets the count.
int TakeMouseHits(int button);
void ClearMouse();

// 1 once the window was asked to close; reading it resets it.
int TakeAppTerminate();
int IsAppSuspended();

// Wait for the next key press / typed character / button press and return it.
int WaitAnyKey();
int WaitAnyChar();
int WaitAnyMouse();
