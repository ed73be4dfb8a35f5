#pragma once
// Start-up of the program: creates every window in order (the main window
// first, which creates the network container and loads the settings), puts
// the language pack named in the settings (or the built-in English texts) on
// all windows and fills the settings dialog's language list. The caller
// then shows TheMainWindow and runs the event loop, and calls DestroyAllWindows after.
void StartUp();

// Names the application (the title of its message boxes) without setting a
// display name: the windowing system would append a display name to every
// window title, cutting short the dialogs' own titles.
void NameApplication();
