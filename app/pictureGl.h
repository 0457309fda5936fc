#pragma once
// Pictures of the 3-D view (F12, the panel's Save picture), read back from the frame.

// Asks for a picture of the next frame's view, with the echo and rebuild of a command key: sets
// the window's `pictureAsked`.
void pressPictureKey(bool& pictureAsked);

// After the scene of a frame is drawn and before the panel: writes the view if one was asked,
// and clears `pictureAsked`.
void takeAskedPicture(bool& pictureAsked);
