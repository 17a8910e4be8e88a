#pragma once
// Ends the program as if the user closed its windows, when the system asks
// it to end (TTerminationSignals): the ordinary cleanup runs -- the main
// window saves its history and settings, temporary folders are removed.

// Cancels the running job, closes the modal dialog in front (the command
// that opened it goes on once it returns), then every window. A window that
// refuses -- the main window until its job has stopped -- is asked again
// shortly. When no window is left, the event loop ends.
void QuitInOrder();
