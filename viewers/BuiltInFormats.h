#pragma once
// The image formats every program run knows, without plug-ins.

// Registers TBitmapFormat, then TRawFormat. Called once while the program
// initialises, before the main window and its plug-ins exist.
void RegisterBuiltInFormats();
